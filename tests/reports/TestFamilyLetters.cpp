// The letters home as the teacher makes them from the reports window: the school's data given once, one
// student's letter and the whole grade's saved as PDF and printed as one job, the students left out told
// first. The documents are read back with poppler (pdfinfo, pdftotext).

#include "platform/Modules.h"
#include "platform/Printing.h"
#include "records/GradeFile.h"
#include "records/SexFile.h"
#include "reports/GradeTableModel.h"
#include "reports/LetterCommands.h"
#include "reports/ReportsWindow.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTableView>
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
    for (qsizetype i = 0; i < students.size(); ++i) {
        const QStringList values = students.at(i).split(u'|');
        for (qsizetype field = 0; field + 1 < values.size(); ++field)
            (void)roster[int(i) + 1].setField(StudentRecord::Field(field), values.at(field));
    }
    QVERIFY(GradeFile(path).storeRoster(roster));
    for (qsizetype i = 0; i < students.size(); ++i) {
        const QString sex = students.at(i).section(u'|', -1);
        const std::optional<Sex> given = sex == u"H"_s   ? std::optional(Sex::Hombre)
                                         : sex == u"M"_s ? std::optional(Sex::Mujer)
                                                         : std::nullopt;
        QVERIFY(SexFile::forGradeFile(path).setSex(int(i) + 1, given, students.at(i).section(u'|', 0, 0)));
    }
}

// Ana: the worked example (levels III, II, III; 7 repetitions short of II). José: every capacity at level I.
// Then one without a sex and one without push-ups.
const QStringList Group{u"Ana Núñez|12|1.9|7.5|22|25|20|H"_s, u"José Peña|13|1.4|7.0|30|30|30|H"_s,
                        u"Sofía Ibáñez|12|2.1|8.0|20|20|20|-"_s, u"Íñigo Muñoz|13|2.2|8.4||22|22|H"_s};

QString runTool(const QString &tool, const QStringList &arguments)
{
    QProcess process;
    process.start(tool, arguments);
    return process.waitForFinished(30000) ? QString::fromUtf8(process.readAllStandardOutput()) : QString();
}

int pageCount(const QString &pdf)
{
    const QString info = runTool(u"pdfinfo"_s, {pdf});
    const qsizetype at = info.indexOf(u"Pages:"_s);
    return at < 0 ? -1 : info.mid(at + 6).section(u'\n', 0, 0).trimmed().toInt();
}

// Each page's words, on one line, in the order they are drawn (a table cell's lines together).
QStringList pageTexts(const QString &pdf)
{
    QStringList pages = runTool(u"pdftotext"_s, {u"-raw"_s, u"-enc"_s, u"UTF-8"_s, pdf, u"-"_s}).split(u'\f');
    for (QString &page : pages)
        page = page.simplified();
    return pages;
}

// Answers the file dialog with path once it is the one shown, typing it as the teacher would.
void answerFileDialog(const QString &path)
{
    QTimer::singleShot(20, [path] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return answerFileDialog(path);
        auto *name = dialog->findChild<QLineEdit *>(u"fileNameEdit"_s);
        QVERIFY(name);
        name->setText(path);
        static_cast<QDialog *>(dialog)->accept();
    });
}

// Answers the question that comes up next with the button of that name, and the file dialog after it with
// path; gives back the question's text.
void answerDestination(QString *text, const QString &button, const QString &path = {})
{
    QTimer::singleShot(0, [text, button, path] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box);
        *text = box->text() + u'\n' + box->informativeText();
        if (!path.isEmpty())
            answerFileDialog(path);
        box->findChild<QPushButton *>(button)->click();
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

class TestFamilyLetters : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void oneStudentsLetter();
    void wholeGradeInOnePdf();
    void wholeGradeInOneJob();

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
    void selectSlot(int slot)
    {
        QTableView *view = m_window->view(1);
        const QModelIndex source = m_window->model(1)->index(slot - 1, GradeTableModel::Nombre);
        view->setCurrentIndex(m_window->proxy(1)->mapFromSource(source));
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ReportsWindow> m_window;
};

void TestFamilyLetters::initTestCase()
{
    for (const QString &tool : {u"pdfinfo"_s, u"pdftotext"_s}) {
        if (QStandardPaths::findExecutable(tool).isEmpty())
            QSKIP("poppler-utils is not installed");
    }
    setModuleFolders({QFileInfo(QStringLiteral(MERLOX2_TEST_PRINT_MODULE)).absolutePath()});
}

void TestFamilyLetters::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir(m_dir->path()).mkdir(u"grupo 1º A"_s));
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, m_dir->filePath(u"ajustes"_s));
    storeGrade(folder(), 1, Group);
}

void TestFamilyLetters::cleanup()
{
    m_window.reset();
    m_dir.reset();
}

void TestFamilyLetters::oneStudentsLetter()
{
    ReportsWindow *window = openWindow();
    // The school's data, given once through its dialog and kept.
    action(u"datosEscuela"_s)->trigger();
    auto *dialog = window->findChild<SchoolDataDialog *>();
    QVERIFY(dialog);
    dialog->school()->setText(u"Escuela Secundaria Técnica Nº 12 «Niños Héroes»"_s);
    dialog->teacher()->setText(u"Profra. María Begoña Ñúñez"_s);
    dialog->accept();
    QCOMPARE(SchoolDataDialog::heading().teacher, u"Profra. María Begoña Ñúñez"_s);

    // Nobody selected; then a student left out says why.
    window->view(1)->setCurrentIndex({});
    action(u"cartaFamilia"_s)->trigger();
    QVERIFY(takeMessage(window).contains(u"Seleccione primero"_s));
    selectSlot(4);
    action(u"cartaFamilia"_s)->trigger();
    QCOMPARE(takeMessage(window),
             u"No se puede hacer la carta de Íñigo Muñoz (registro 4): falta Lagartijas. Dé "
             "al alumno su sexo en la columna Sexo, o complete sus resultados en la hoja del "
             "grado."_s);

    selectSlot(1);
    const QString pdf = QDir(folder()).filePath(u"carta ñ.pdf"_s);
    QString question;
    answerDestination(&question, u"guardarCartas"_s, pdf);
    action(u"cartaFamilia"_s)->trigger();
    QVERIFY2(question.contains(u"Ana Núñez"_s), qPrintable(question));
    QVERIFY2(QFileInfo::exists(pdf), qPrintable(window->statusBar()->currentMessage() + takeMessage(window)));
    QCOMPARE(pageCount(pdf), 1);
    const QString words = pageTexts(pdf).first();
    for (const QString &expected :
         {u"Escuela Secundaria Técnica Nº 12 «Niños Héroes»"_s, u"Carta para la familia"_s,
          u"Alumno(a): Ana Núñez"_s, u"Grado: 1º de secundaria"_s,
          resultLocale().toString(QDate::currentDate(), u"d 'de' MMMM 'de' yyyy"_s), u"1.9"_s, u"7.5"_s,
          u"III (50 %)"_s, u"II (75 %)"_s, levelMeaning(Level::II),
          u"un tiempo de 1.8 o menos en la carrera de 600 m"_s,
          u"un tiempo de 7.0 o menos en la carrera de 60 m"_s, u"faltan 7 repeticiones (un total de 74"_s,
          u"60 minutos al día de actividad física moderada a vigorosa"_s,
          u"Organización Mundial de la Salud"_s, u"Profra. María Begoña Ñúñez"_s,
          u"Docente de Educación Física"_s})
        QVERIFY2(words.contains(expected), qPrintable(expected + u" not in: "_s + words));
    QVERIFY(window->statusBar()->currentMessage().contains(u"Se guardó la carta en"_s));

    // Cancelled at the question: nothing written.
    QVERIFY(QFile::remove(pdf));
    answerDestination(&question, u"cancelarCartas"_s);
    action(u"cartaFamilia"_s)->trigger();
    QVERIFY(!QFileInfo::exists(pdf));
}

void TestFamilyLetters::wholeGradeInOnePdf()
{
    storeGrade(folder(), 1, Group + QStringList{u"Ñoño Güemes|12|3.0|11.0|4|4|4|M"_s});
    openWindow();
    const QString pdf = QDir(folder()).filePath(u"cartas Ñ.pdf"_s);
    QString question;
    answerDestination(&question, u"guardarCartas"_s, pdf);
    action(u"cartasGrado"_s)->trigger();
    QVERIFY2(question.contains(u"Registro 3, Sofía Ibáñez: sin sexo"_s), qPrintable(question));
    QVERIFY2(question.contains(u"Registro 4, Íñigo Muñoz: falta Lagartijas"_s), qPrintable(question));
    QVERIFY2(QFileInfo::exists(pdf),
             qPrintable(question + m_window->statusBar()->currentMessage() + takeMessage(m_window.get())));
    QCOMPARE(pageCount(pdf), 3);
    const QStringList pages = pageTexts(pdf);
    QVERIFY2(pages.at(0).contains(u"Ana Núñez"_s), qPrintable(pages.at(0)));
    // Level I everywhere: no target, and no blank school's name but a line to write it on.
    QVERIFY2(pages.at(1).contains(u"José Peña"_s) && pages.at(1).contains(u"Ya tiene el nivel más alto."_s) &&
                 !pages.at(1).contains(u"Para llegar al nivel"_s) && pages.at(1).startsWith(u"____"_s),
             qPrintable(pages.at(1)));
    // Sin nivel: the next level is IV.
    QVERIFY2(pages.at(2).contains(u"Ñoño Güemes"_s) && pages.at(2).contains(levelMeaning(Level::SN)) &&
                 pages.at(2).contains(u"Para llegar al nivel IV: un tiempo de 2.8 o menos"_s),
             qPrintable(pages.at(2)));
    QVERIFY(!pages.join(u' ').contains(u"Sofía"_s));
}

void TestFamilyLetters::wholeGradeInOneJob()
{
    const QString output = qEnvironmentVariable("MERLOX2_TEST_PRINT_OUTPUT");
    if (qEnvironmentVariableIsEmpty("CUPS_SERVER") || output.isEmpty())
        QSKIP("no private CUPS daemon: run through scripts/private-cups.sh");
    ReportsWindow *window = openWindow();
    QFile::remove(output);
    QString question;
    answerDestination(&question, u"imprimirCartas"_s);
    action(u"cartasGrado"_s)->trigger();
    QVERIFY2(window->statusBar()->currentMessage().contains(u"Se enviaron 2 cartas"_s),
             qPrintable(window->statusBar()->currentMessage() + takeMessage(window)));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(output).size() > 0 && pageCount(output) == 2, 60000);
    QVERIFY(pageTexts(output).at(1).contains(u"José Peña"_s));
}

} // namespace merlox2

QTEST_MAIN(merlox2::TestFamilyLetters)
#include "TestFamilyLetters.moc"
