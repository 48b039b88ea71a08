// The group's tools of the reports window as the teacher uses them: the summary of a grade (its counts on
// screen, its page saved as PDF), every sheet of the grade saved in one PDF and printed as one job, the
// students left out told first. The documents are read back with poppler (pdfinfo, pdftotext).

#include "app/SheetBridge.h"
#include "common/Clock.h"
#include "platform/Modules.h"
#include "platform/Printing.h"
#include "platform/Startup.h"
#include "records/GradeFile.h"
#include "records/SexFile.h"
#include "reports/GroupSheets.h"
#include "reports/ReportsWindow.h"
#include "reports/SummaryDialog.h"
#include "screens/Worksheet.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace merlox2 {

namespace {

// "Ana|12|1.9|7.5|22|25|20|M": name, age, the five results as the worksheet stores them, and the sex.
void storeGrade(const QString &folder, int grade, const QStringList &students)
{
    const QString path = QDir(folder).filePath(GradeFile::fileNameForGrade(grade));
    Roster roster;
    QList<std::optional<Sex>> sexes;
    for (qsizetype i = 0; i < students.size(); ++i) {
        QStringList values = students.at(i).split(u'|');
        const QString sex = values.takeLast();
        sexes << (sex == u"H"_s   ? std::optional(Sex::Hombre)
                  : sex == u"M"_s ? std::optional(Sex::Mujer)
                                  : std::nullopt);
        for (qsizetype field = 0; field < values.size(); ++field)
            (void)roster[int(i) + 1].setField(StudentRecord::Field(field), values.at(field));
    }
    QVERIFY(GradeFile(path).storeRoster(roster));
    for (qsizetype i = 0; i < sexes.size(); ++i)
        QVERIFY(
            SexFile::forGradeFile(path).setSex(int(i) + 1, sexes.at(i), students.at(i).section(u'|', 0, 0)));
}

// Two evaluated whole, one without a sex, one without push-ups.
const QStringList Group{u"Ana Núñez|12|1.9|7.5|22|25|20|M"_s, u"José Peña|13|2.0|8.1|30|28|35|H"_s,
                        u"Sofía Ibáñez|12|2.1|8.0|20|20|20|-"_s, u"Íñigo Muñoz|13|2.2|8.4||22|22|H"_s};

struct ToolRun {
    int exitCode = -1;
    QString output;
};

ToolRun runTool(const QString &tool, const QStringList &arguments)
{
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(30000))
        return {};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput())};
}

int pageCount(const QString &pdf)
{
    const QString info = runTool(u"pdfinfo"_s, {pdf}).output;
    const qsizetype at = info.indexOf(u"Pages:"_s);
    return at < 0 ? -1 : info.mid(at + 6).section(u'\n', 0, 0).trimmed().toInt();
}

// The words of the document, each page's apart.
QStringList pageTexts(const QString &pdf)
{
    return runTool(u"pdftotext"_s, {u"-enc"_s, u"UTF-8"_s, pdf, u"-"_s}).output.split(u'\f');
}

// Answers the file dialog that comes up next with path.
void answerFileDialog(const QString &path)
{
    QTimer::singleShot(0, [path] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->selectFile(path);
        static_cast<QDialog *>(dialog)->accept();
    });
}

// Answers the list of students left out, once it shows, and gives back its text.
void answerLeftOut(QString *text, QMessageBox::StandardButton answer)
{
    QTimer::singleShot(0, [text, answer] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box);
        *text = box->text() + u'\n' + box->informativeText();
        box->button(answer)->click();
    });
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

} // namespace

class TestGroupReports : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void summaryCountsAndPage();
    void everySheetInOnePdf();
    void everySheetInOneJob();
    void sheetDrawnAsTheWorksheetDrawsIt();

private:
    QString folder() const { return m_dir->filePath(u"grupo 1º A"_s); }
    ReportsWindow *openWindow()
    {
        m_window = std::make_unique<ReportsWindow>(folder());
        m_window->show();
        m_window->activateWindow();
        [this] { QVERIFY(QTest::qWaitForWindowActive(m_window.get())); }();
        return m_window.get();
    }
    QAction *action(const QString &name) const { return m_window->findChild<QAction *>(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ReportsWindow> m_window;
    std::unique_ptr<SheetBridge> m_sheets;
};

void TestGroupReports::initTestCase()
{
    for (const QString &tool : {u"pdfinfo"_s, u"pdftotext"_s}) {
        if (QStandardPaths::findExecutable(tool).isEmpty())
            QSKIP("poppler-utils is not installed");
    }
    setModuleFolders({QFileInfo(QStringLiteral(MERLOX2_TEST_PRINT_MODULE)).absolutePath()});
    // As `merlox2 --reportes` runs: the program's start-up (the screens' font), the reports window's own
    // font, and a Mexican system's locale.
    initializePlatform(*qApp);
    QApplication::setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Mexico));
}

void TestGroupReports::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir(m_dir->path()).mkdir(u"grupo 1º A"_s));
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, m_dir->filePath(u"ajustes"_s));
    m_sheets = std::make_unique<SheetBridge>();
    storeGrade(folder(), 1, Group);
}

void TestGroupReports::cleanup()
{
    m_window.reset();
    m_sheets.reset();
    m_dir.reset();
}

void TestGroupReports::summaryCountsAndPage()
{
    ReportsWindow *window = openWindow();
    action(u"resumenGrupo"_s)->trigger();
    auto *dialog = window->findChild<SummaryDialog *>();
    QVERIFY(dialog);
    // Íñigo lacks the push-ups: he counts in Resistencia and Velocidad, and as incomplete.
    const ClassSummary &summary = dialog->summary();
    QCOMPARE(summary.students, (ClassSummary::BySex<int>{2, 1, 3}));
    QCOMPARE(summary.withoutSex, 1);
    QTableWidget *table = dialog->table();
    const auto cells = [table](int row) {
        QStringList texts;
        for (int column = 0; column < table->columnCount(); ++column)
            texts << table->item(row, column)->text();
        return texts;
    };
    QCOMPARE(cells(2), summaryRow(summary, Capacity::Resistencia, SexColumn::Todos));
    QCOMPARE(cells(2).at(1), u"Todos"_s);
    QCOMPARE(cells(2).last(), u"3"_s);
    QCOMPARE(cells(3 * 2 + 2).last(), u"2"_s); // Fuerza
    QCOMPARE(cells(3 * 2 + 1).mid(2), QStringList({u"0 (0 %)"_s, u"1 (100 %)"_s, u"0 (0 %)"_s, u"0 (0 %)"_s,
                                                   u"0 (0 %)"_s, u"1"_s})); // Fuerza, Mujeres: Ana
    const QString apart = dialog->findChild<QLabel *>(u"contadosAparte"_s)->text();
    QVERIFY2(apart.contains(u"1 sin sexo"_s) && apart.contains(u"1 con resultados incompletos"_s),
             qPrintable(apart));

    const QString pdf = m_dir->filePath(u"resumen ñ.pdf"_s);
    answerFileDialog(pdf);
    dialog->findChild<QPushButton *>(u"guardarPdf"_s)->click();
    QVERIFY(takeMessage(dialog).contains(QDir::toNativeSeparators(pdf)));
    QCOMPARE(pageCount(pdf), 1);
    // The default printer's paper, Letter where there is none.
    const QString info = runTool(u"pdfinfo"_s, {pdf}).output;
    QVERIFY2(info.contains(u"612 x 792 pts (letter)"_s) || info.contains(u"595.276 x 841.89 pts (A4)"_s),
             qPrintable(info));
    const QString words = pageTexts(pdf).first().simplified();
    for (const QString &expected : {u"Resumen del grupo: 1º grado"_s, u"Carpeta: grupo 1º A"_s,
                                    u"Resistencia"_s, u"Promedio"_s, u"Nivel SN"_s, u"1 sin sexo"_s,
                                    u"1 con resultados incompletos"_s, u"Porcentaje promedio del grupo"_s})
        QVERIFY2(words.contains(expected), qPrintable(expected + u" not in: "_s + words));
}

void TestGroupReports::everySheetInOnePdf()
{
    ReportsWindow *window = openWindow();
    const QString pdf = m_dir->filePath(u"hojas.pdf"_s);
    QString leftOut;
    answerFileDialog(pdf);
    QTimer::singleShot(50, [&leftOut] { answerLeftOut(&leftOut, QMessageBox::Ok); });
    action(u"guardarHojas"_s)->trigger();
    QVERIFY2(leftOut.contains(u"Registro 3, Sofía Ibáñez: sin sexo"_s), qPrintable(leftOut));
    QVERIFY2(leftOut.contains(u"Registro 4, Íñigo Muñoz: falta Lagartijas"_s), qPrintable(leftOut));
    QCOMPARE(pageCount(pdf), 2);
    const QStringList pages = pageTexts(pdf);
    QVERIFY2(pages.at(0).contains(u"Ana Núñez"_s), qPrintable(pages.at(0)));
    QVERIFY2(pages.at(1).contains(u"José Peña"_s), qPrintable(pages.at(1)));
    QVERIFY(!pages.join(u' ').contains(u"Sofía"_s));
    QVERIFY(window->statusBar()->currentMessage().contains(u"Se guardaron 2 hojas"_s));

    // Cancelled at the list: nothing written.
    QVERIFY(QFile::remove(pdf));
    answerFileDialog(pdf);
    QTimer::singleShot(50, [&leftOut] { answerLeftOut(&leftOut, QMessageBox::Cancel); });
    action(u"guardarHojas"_s)->trigger();
    QVERIFY(!QFileInfo::exists(pdf));
}

void TestGroupReports::everySheetInOneJob()
{
    const QString output = qEnvironmentVariable("MERLOX2_TEST_PRINT_OUTPUT");
    if (qEnvironmentVariableIsEmpty("CUPS_SERVER") || output.isEmpty())
        QSKIP("no private CUPS daemon: run through scripts/private-cups.sh");
    storeGrade(folder(), 1, Group + QStringList{u"Ñoño Güemes|12|1.8|7.2|40|40|40|H"_s});
    ReportsWindow *window = openWindow();
    QFile::remove(output);
    QString leftOut;
    QTimer::singleShot(0, [&leftOut] { answerLeftOut(&leftOut, QMessageBox::Ok); });
    action(u"imprimirHojas"_s)->trigger();
    QVERIFY2(window->statusBar()->currentMessage().contains(u"Se enviaron 3 hojas"_s),
             qPrintable(window->statusBar()->currentMessage() + takeMessage(window)));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(output).size() > 0 && pageCount(output) == 3, 60000);
    const QStringList pages = pageTexts(output);
    QVERIFY2(pages.at(2).contains(u"Ñoño Güemes"_s), qPrintable(pages.at(2)));

    // The summary: one page.
    QFile::remove(output);
    action(u"resumenGrupo"_s)->trigger();
    auto *dialog = window->findChild<SummaryDialog *>();
    dialog->findChild<QPushButton *>(u"imprimir"_s)->click();
    QCOMPARE(takeMessage(dialog), u"El resumen se envió a la impresora %1."_s.arg(
                                      qEnvironmentVariable("MERLOX2_TEST_PRINT_QUEUE")));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(output).size() > 0 && pageCount(output) == 1, 60000);
    QVERIFY(pageTexts(output).first().contains(u"Resumen del grupo: 1º grado"_s));
}

// The sheet of «Imprimir todas las hojas», drawn by a worksheet never shown, is pixel for pixel the one the
// worksheet on screen draws for «IMPRIMIR»: the same font, size, picture and date.
void TestGroupReports::sheetDrawnAsTheWorksheetDrawsIt()
{
    const Result<GradeStudents> students =
        readGradeStudents(1, QDir(folder()).filePath(GradeFile::fileNameForGrade(1)));
    QVERIFY(students);
    Screens screens([](Screen) { return std::unique_ptr<QWidget>(); });
    const Clock clock;
    Roster roster;
    const std::unique_ptr<Worksheet> shown =
        Worksheet::open(WorksheetGrades[0], roster, {screens, clock, folder()});
    QVERIFY(shown);
    shown->show();
    QVERIFY(QTest::qWaitForWindowExposed(shown.get()));
    if (QWidget *focus = shown->focusWidget()) // as «IMPRIMIR» prints: without the text cursor
        focus->clearFocus();

    const QRect page(0, 0, 1275, 1650); // Letter at 150 dpi
    const auto drawn = [&page](const std::function<void(QPainter &)> &draw) {
        QImage image(page.size(), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        draw(painter);
        return image;
    };
    const QImage fromWorksheet = drawn([&](QPainter &painter) {
        const qreal scale = qreal(page.width()) / shown->sheetArea().width();
        painter.scale(scale, scale);
        shown->drawSheet(1, Sex::Mujer, painter);
    });
    const QImage forReports =
        drawn([&](QPainter &painter) { sheetRenderer()(students.value(), 1, Sex::Mujer, painter, page); });
    QVERIFY(fromWorksheet == forReports);
}

} // namespace merlox2

QTEST_MAIN(merlox2::TestGroupReports)
#include "TestGroupReports.moc"
