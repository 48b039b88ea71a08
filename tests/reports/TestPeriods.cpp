// Periods through the reports window: «Cerrar periodo…» with its name checked, a kept period opened
// read-only, and a period compared with today's files on screen, on the printed page (read back by poppler)
// and in the workbook (read back by openpyxl).

#include "reports/ComparisonWindow.h"
#include "reports/PeriodCommands.h"
#include "reports/ReportsWindow.h"

#include "platform/Modules.h"
#include "records/GradeFile.h"
#include "records/SexFile.h"
#include "reports/GradeTableModel.h"
#include "reports/ReportDocument.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace merlox2 {

namespace {

// "Ana|12|1.9|7.5|22|25|20|H": name, age, the five results and the sex.
void storeGrade(const QString &folder, int grade, const QStringList &students)
{
    const QString path = QDir(folder).filePath(GradeFile::fileNameForGrade(grade));
    Roster roster;
    for (qsizetype i = 0; i < students.size(); ++i) {
        const QStringList values = students.at(i).split(u'|');
        for (qsizetype field = 0; field < 7 && field < values.size(); ++field)
            (void)roster[int(i) + 1].setField(StudentRecord::Field(field), values.at(field));
    }
    QVERIFY(GradeFile(path).storeRoster(roster));
    for (qsizetype i = 0; i < students.size(); ++i) {
        const QString sex = students.at(i).section(u'|', 7, 7);
        QVERIFY(SexFile::forGradeFile(path).setSex(int(i) + 1, sex == u"M"_s ? Sex::Mujer : Sex::Hombre,
                                                   roster[int(i) + 1].field(StudentRecord::Nombre)));
    }
}

QString takeMessage(const QWidget *window)
{
    for (QMessageBox *box : window->findChildren<QMessageBox *>()) {
        if (!box->isVisible())
            continue;
        QString text = box->text();
        box->button(QMessageBox::Ok)->click();
        return text;
    }
    return u"(no message)"_s;
}

template <typename T>
T *visible(const QWidget *window, const QString &name)
{
    for (T *found : window->findChildren<T *>(name)) {
        if (found->isVisible())
            return found;
    }
    return nullptr;
}

QString run(const QString &tool, const QStringList &arguments)
{
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

class TestPeriods : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void closedOnceAndOpenedReadOnly();
    void comparedWithToday();

private:
    QString folder() const { return m_dir->filePath(u"datos"_s); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ReportsWindow> m_window;
};

void TestPeriods::init()
{
    setModuleFolders(
        {QStringLiteral(MERLOX2_TEST_MODULE_FOLDER)}); // the tests run from a folder of their own
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir(m_dir->path()).mkdir(u"datos"_s));
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, m_dir->filePath(u"ajustes"_s));
    storeGrade(folder(), 1,
               {u"JOSÉ PÉREZ|12|3.10|9.8|20|30|40|H"_s, u"ANA LÓPEZ|12|3.40|10.2|15|25|30|M"_s,
                u"LUIS GÓMEZ|13|3.00|9.0|25|30|35|H"_s});
    m_window = std::make_unique<ReportsWindow>(folder());
    m_window->show();
}

void TestPeriods::cleanup()
{
    m_window.reset();
    m_dir.reset();
}

void TestPeriods::closedOnceAndOpenedReadOnly()
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        m_window->findChild<QAction *>(u"cerrarPeriodo"_s)->trigger();
        auto *dialog = visible<ClosePeriodDialog>(m_window.get(), u"cerrarPeriodo"_s);
        QVERIFY(dialog);
        QVERIFY(!dialog->nameEdit()->text().isEmpty()); // proposed from the date
        dialog->nameEdit()->setText(u"Inicio 2026/2027"_s);
        QVERIFY(!dialog->closeButton()->isEnabled());
        QVERIFY(dialog->problem()->text().contains(u"«/»"_s));
        dialog->nameEdit()->setText(u"Inicio 2026-2027"_s);
        if (attempt == 1) { // kept already: refused before anything is written
            QVERIFY(!dialog->closeButton()->isEnabled());
            QVERIFY2(dialog->problem()->text().contains(u"ya hay un periodo con ese nombre"_s),
                     qPrintable(dialog->problem()->text()));
            dialog->reject();
            break;
        }
        QTest::mouseClick(dialog->closeButton(), Qt::LeftButton);
        QVERIFY(takeMessage(m_window.get()).startsWith(u"Se guardó el periodo «Inicio 2026-2027»"_s));
    }
    QCOMPARE(PeriodStore(folder()).list().size(), 1);

    // Today's file changes; the period keeps what it was.
    storeGrade(folder(), 1, {u"OTRO ALUMNO|12|3|9|1|1|1|H"_s});
    m_window->findChild<QAction *>(u"abrirPeriodo"_s)->trigger();
    auto *chooser = visible<QDialog>(m_window.get(), u"elegirPeriodo"_s);
    QVERIFY(chooser);
    QVERIFY(
        chooser->findChild<QListWidget *>()->currentItem()->text().startsWith(u"«Inicio 2026-2027», del "_s));
    chooser->accept();
    auto *period = visible<PeriodWindow>(m_window.get(), u"periodo"_s);
    QVERIFY(period);
    QCOMPARE(period->windowTitle(), u"MERLOX2 REPORTES — Periodo «Inicio 2026-2027» (solo lectura)"_s);
    QVERIFY(period->banner()->text().contains(u"solo lectura"_s));
    QTableView *table = period->view(1);
    QCOMPARE(table->model()->rowCount(), 3);
    QCOMPARE(table->model()->index(0, GradeTableModel::Nombre).data().toString(), u"JOSÉ PÉREZ"_s);
    const QModelIndex sex = table->model()->index(0, GradeTableModel::Sexo);
    QCOMPARE(sex.data().toString(), u"H"_s);
    QVERIFY(!(sex.flags() & Qt::ItemIsEditable));
    table->setCurrentIndex(sex);
    table->setFocus();
    QTest::keyClick(table, Qt::Key_M);
    QCOMPARE(sex.data().toString(), u"H"_s);
}

void TestPeriods::comparedWithToday()
{
    QVERIFY(PeriodStore(folder()).close(u"Inicio 2026-2027"_s, QDate(2026, 9, 1)).ok());
    // José's name typed without accents, Ana left, Luis twice, Sofía joined.
    storeGrade(folder(), 1,
               {u"jose  perez|12|2.95|9.9|26|30|40|H"_s, u"LUIS GOMEZ|13|3.00|9.0|25|30|35|H"_s,
                u"Luis Gómez|13|3.00|9.0|25|30|35|H"_s, u"SOFÍA VEGA|12|3.50|10.5|10|20|25|M"_s});
    m_window->findChild<QAction *>(u"compararPeriodos"_s)->trigger();
    auto *chooser = visible<QDialog>(m_window.get(), u"elegirComparacion"_s);
    QVERIFY(chooser);
    QCOMPARE(chooser->findChild<QComboBox *>(u"segundoPeriodo"_s)->currentText(),
             u"Hoy (los archivos de los grados)"_s);
    chooser->accept();
    auto *window = visible<ComparisonWindow>(m_window.get(), u"comparacion"_s);
    QVERIFY(window);

    QTableWidget *students = window->studentTable(1);
    QCOMPARE(students->rowCount(), 1);
    QCOMPARE(students->item(0, 1)->text(), u"jose  perez"_s);
    QCOMPARE(students->item(0, 2)->text(), u"3.10 → 2.95 (−0.15, mejor)"_s);
    QCOMPARE(students->item(0, 3)->text(), u"9.8 → 9.9 (+0.1, peor)"_s);
    QCOMPARE(students->item(0, 4)->text(), u"20 → 26 (+6, mejor)"_s);
    const QString unmatched = window->unmatchedList(1)->text();
    QVERIFY2(unmatched.contains(
                 u"LUIS GOMEZ: el nombre está más de una vez en los archivos de hoy (registros 2 y 3)"_s) &&
                 unmatched.contains(u"ANA LÓPEZ: solo está en «Inicio 2026-2027» (registro 2)"_s) &&
                 unmatched.contains(u"SOFÍA VEGA: solo está en los archivos de hoy (registro 4)"_s),
             qPrintable(unmatched));
    // The levels side by side: three students with a level then, four now; Mujeres then 1 (Ana), now 1
    // (Sofía).
    int then = 0;
    int now = 0;
    QTableWidget *levels = window->levelTable(1);
    for (int row = 0; row < LevelCount; ++row) { // Resistencia, Todos
        then += levels->item(row, 6)->text().toInt();
        now += levels->item(row, 7)->text().toInt();
    }
    QCOMPARE(then, 3);
    QCOMPARE(now, 4);

    // One page per grade, read back by poppler.
    const QString pdf = m_dir->filePath(u"comparacion.pdf"_s);
    const QByteArray drawn =
        drawPdf(window->title(),
                QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10)),
                window->pageDrawer());
    QVERIFY(savePdfFile(pdf, drawn));
    const QString info = run(u"pdfinfo"_s, {pdf});
    if (info.isEmpty())
        QSKIP("poppler-utils (pdfinfo, pdftotext) are needed to read the document back");
    QVERIFY2(info.contains(QRegularExpression(u"Pages:\\s+3\\n"_s)), qPrintable(info));
    const QStringList pages = run(u"pdftotext"_s, {u"-enc"_s, u"UTF-8"_s, pdf, u"-"_s}).split(u'\f');
    QVERIFY2(pages.at(0).contains(u"Avance del grupo, 1º grado"_s) && pages.at(0).contains(u"jose perez"_s) &&
                 pages.at(0).contains(u"mejor"_s) && pages.at(0).contains(u"SOFÍA VEGA"_s),
             qPrintable(pages.at(0)));
    QVERIFY(pages.at(1).contains(u"Avance del grupo, 2º grado"_s));

    // The workbook, read back by openpyxl.
    const QString book = m_dir->filePath(u"comparacion.xlsx"_s);
    QVERIFY(window->exportWorkbook(book));
    QVERIFY(takeMessage(window).startsWith(u"La comparación se exportó"_s));
    const QString read = run(u"/usr/bin/python3"_s, {u"-c"_s,
                                                     u"import json,sys,openpyxl\n"
                                                     "b=openpyxl.load_workbook(sys.argv[1])\n"
                                                     "print(json.dumps({s.title:[[c.value for c in r] "
                                                     "for r in s.iter_rows()] for s in b.worksheets}))"_s,
                                                     book});
    if (read.isEmpty())
        QSKIP("/usr/bin/python3 with openpyxl is needed to read the workbook back");
    const QJsonObject sheets = QJsonDocument::fromJson(read.toUtf8()).object();
    QCOMPARE(sheets.keys(), (QStringList{u"Comparación"_s, u"Niveles"_s, u"Sin comparar"_s}));
    const QJsonArray jose = sheets.value(u"Comparación"_s).toArray().at(1).toArray();
    QCOMPARE(jose.at(1).toString(), u"jose  perez"_s);
    QCOMPARE(jose.at(4).toDouble(), 3.10);
    QCOMPARE(jose.at(5).toDouble(), 2.95);
    QCOMPARE(jose.at(7).toString(), u"mejor"_s);
    QCOMPARE(sheets.value(u"Sin comparar"_s).toArray().size(), 4); // the title row and three names
}

} // namespace merlox2

QTEST_MAIN(merlox2::TestPeriods)
#include "TestPeriods.moc"
