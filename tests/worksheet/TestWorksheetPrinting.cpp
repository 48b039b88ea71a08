// IMPRIMIR on a real printer: a CUPS queue that writes PDF files (cups-pdf). The page is read back
// with poppler's tools, so what is checked is what would come out of the printer.

#include "WorksheetDriver.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <pwd.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace merlox2::test {

namespace {

// Set in the copy of this test that runs without a print system.
constexpr char NoPrinterChild[] = "MERLOX2_TEST_WITHOUT_PRINTER";

// Where CUPS can't be used the printing test is skipped, except on CI, where a skip would hide that
// printing went untested.
#define SKIP_OR_FAIL(reason)                                                                                 \
    do {                                                                                                     \
        const QByteArray skipReason = QByteArray(reason);                                                    \
        if (qEnvironmentVariableIsSet("CI"))                                                                 \
            QFAIL(("CI is set, so printing must be tested: " + skipReason).constData());                     \
        QSKIP(skipReason.constData());                                                                       \
    } while (false)

struct Output {
    int exitCode = -1;
    QString text;
};

Output run(const QString &program, const QStringList &arguments, int timeoutMs = 30000)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return {-1, u"%1 did not finish in time"_s.arg(program)};
    }
    const int code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return {code, QString::fromLocal8Bit(process.readAll())};
}

// Why CUPS can't print into a PDF file here, or nothing when it can.
QString cupsUnavailable(QString *queue)
{
    for (const QString &tool : {u"lpstat"_s, u"pdfinfo"_s, u"pdftoppm"_s}) {
        if (QStandardPaths::findExecutable(tool).isEmpty())
            return u"%1 is not installed (packages cups-client, poppler-utils)"_s.arg(tool);
    }
    if (!run(u"lpstat"_s, {u"-r"_s}).text.contains(u"scheduler is running"_s))
        return u"no CUPS scheduler is running (scripts/test.sh starts one; that needs root)"_s;
    const QString defaultLine = run(u"lpstat"_s, {u"-d"_s}).text;
    const QRegularExpressionMatch match =
        QRegularExpression(u"system default destination: (\\S+)"_s).match(defaultLine);
    if (!match.hasMatch())
        return u"CUPS has no default printer (scripts/test.sh makes the PDF queue the default)"_s;
    *queue = match.captured(1);
    if (!run(u"lpstat"_s, {u"-v"_s, *queue}).text.contains(u"cups-pdf:"_s))
        return u"the default printer %1 is not a cups-pdf queue, so its pages can't be read back"_s.arg(
            *queue);
    if (QPrinterInfo::defaultPrinter().printerName() != *queue)
        return u"Qt does not see %1 as the default printer"_s.arg(*queue);
    return {};
}

// Where cups-pdf puts its files: the "Out" folder of its configuration (the user's home by default)
// and the folder for jobs of unknown users.
QStringList pdfFolders()
{
    QString out = u"${HOME}/PDF"_s;
    QFile config(u"/etc/cups/cups-pdf.conf"_s);
    if (config.open(QIODevice::ReadOnly | QIODevice::Text)) {
        const QRegularExpression outLine(u"^\\s*Out\\s+(\\S.*?)\\s*$"_s);
        while (!config.atEnd()) {
            const QRegularExpressionMatch match = outLine.match(QString::fromLocal8Bit(config.readLine()));
            if (match.hasMatch())
                out = match.captured(1);
        }
    }
    // cups-pdf takes the home folder from the user database, whatever HOME says.
    if (const passwd *user = ::getpwuid(::getuid())) {
        out.replace(u"${HOME}"_s, QFile::decodeName(user->pw_dir));
        out.replace(u"${USER}"_s, QFile::decodeName(user->pw_name));
    }
    return {out, u"/var/spool/cups-pdf/ANONYMOUS"_s};
}

QFileInfoList pdfsNewerThan(const QDateTime &since)
{
    QFileInfoList found;
    for (const QString &folder : pdfFolders()) {
        QDirIterator it(folder, {u"*.pdf"_s}, QDir::Files);
        while (it.hasNext()) {
            const QFileInfo info(it.next());
            if (info.lastModified() >= since)
                found << info;
        }
    }
    return found;
}

bool queueEmpty(const QString &queue)
{
    const Output jobs = run(u"lpstat"_s, {u"-o"_s, queue});
    return jobs.exitCode == 0 && jobs.text.trimmed().isEmpty();
}

// The worksheet as it must be again after printing, with the focus back on IMPRIMIR.
void checkRestored(const Form *sheet, const QColor &background)
{
    for (QWidget *child : sheet->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        QVERIFY2(child->isVisible(), qPrintable(child->objectName() + u" is still hidden"_s));
    QCOMPARE(focusName(), u"Command2"_s);
    for (const QString &name : BoxNames)
        QVERIFY2(!sheet->control<QLineEdit>(name)->hasSelectedText(), qPrintable(name));
    QCOMPARE(sheet->background(), background);
    QCOMPARE(sheet->control<OptionButton>(u"Option1")->background(), background);
    QCOMPARE(sheet->control<OptionButton>(u"Option2")->background(), background);
}

// A second-grade student with an evaluation on screen, Hombre chosen.
Form *sheetWithStudent(ProgramFixture &fixture)
{
    Form *sheet = openWorksheet(fixture, u"segusecu"_s);
    if (!sheet)
        return nullptr;
    typeRecord({u"Ana Lopez"_s, u"13"_s, u"1.9"_s, u"7.5"_s, u"22"_s, u"25"_s, u"20"_s});
    click(sheet, u"Option1"_s);
    click(sheet, u"Command3"_s);
    return sheet;
}

bool near(QRgb pixel, QRgb colour, int tolerance)
{
    return qAbs(qRed(pixel) - qRed(colour)) <= tolerance &&
           qAbs(qGreen(pixel) - qGreen(colour)) <= tolerance &&
           qAbs(qBlue(pixel) - qBlue(colour)) <= tolerance;
}

int countNear(const QImage &image, QRgb colour, int tolerance)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            count += near(line[x], colour, tolerance);
    }
    return count;
}

} // namespace

class TestWorksheetPrinting : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { initializeGuiTests(); }

    void printsOnePageWithoutWorkingControls();
    void printWithoutDefaultPrinter();
};

void TestWorksheetPrinting::printsOnePageWithoutWorkingControls()
{
    QString queue;
    if (const QString why = cupsUnavailable(&queue); !why.isEmpty())
        SKIP_OR_FAIL(qPrintable(why));
    QElapsedTimer waited;
    waited.start();
    while (!queueEmpty(queue) && waited.elapsed() < 60000)
        QTest::qWait(250);
    QVERIFY2(queueEmpty(queue), "the PDF queue still holds jobs from before the test after a minute");

    ProgramFixture fixture;
    Form *sheet = sheetWithStudent(fixture);
    QVERIFY(sheet);
    const QStringList panel = panelOf(sheet);
    QCOMPARE(panel.first(), u"50"_s);

    // File times may be whole seconds.
    const QDateTime clicked = QDateTime::currentDateTime().addSecs(-1);
    QSet<QString> before;
    for (const QFileInfo &info : pdfsNewerThan(clicked))
        before << info.absoluteFilePath();
    click(sheet, u"Command2"_s);

    QCOMPARE(fixture.messages(), QStringList());
    QVERIFY(!fixture.screens().ended());
    checkRestored(sheet, QColor(255, 192, 128));
    QCOMPARE(panelOf(sheet), panel);
    QVERIFY(sheet->control(u"Command3")->isEnabled());
    QVERIFY(!sheet->control(u"Command4")->isEnabled());

    waited.restart();
    while (!queueEmpty(queue) && waited.elapsed() < 60000)
        QTest::qWait(250);
    QVERIFY2(queueEmpty(queue), "the print job did not finish within a minute");
    QFileInfoList printed;
    do {
        printed.clear();
        for (const QFileInfo &info : pdfsNewerThan(clicked)) {
            if (!before.contains(info.absoluteFilePath()))
                printed << info;
        }
        if (printed.isEmpty())
            QTest::qWait(250);
    } while (printed.isEmpty() && waited.elapsed() < 60000);
    QVERIFY2(printed.size() == 1,
             qPrintable(u"%1 new PDF files in %2"_s.arg(printed.size()).arg(pdfFolders().join(u", "))));
    const QString pdf = printed.first().absoluteFilePath();

    const Output info = run(u"pdfinfo"_s, {pdf});
    QCOMPARE(info.exitCode, 0);
    QVERIFY2(QRegularExpression(u"^Pages:\\s+1$"_s, QRegularExpression::MultilineOption)
                 .match(info.text)
                 .hasMatch(),
             qPrintable(info.text));

    QTemporaryDir pages;
    const QString prefix = pages.filePath(u"page"_s);
    const Output rendered = run(u"pdftoppm"_s, {u"-png"_s, u"-r"_s, u"50"_s, u"-aa"_s, u"no"_s,
                                                u"-aaVector"_s, u"no"_s, u"-singlefile"_s, pdf, prefix});
    QVERIFY2(rendered.exitCode == 0, qPrintable(rendered.text));
    const QImage page = QImage(prefix + u".png"_s).convertToFormat(QImage::Format_RGB32);
    QVERIFY(!page.isNull());

    struct Colour {
        const char *what;
        QRgb rgb;
    };
    const Colour absent[] = {
        {"orange of the record buttons", qRgb(255, 128, 0)},
        {"red of Procesar, Datos and Salir", qRgb(255, 0, 0)},
        {"green of IMPRIMIR", qRgb(0, 192, 0)},
        {"blue of the command band", qRgb(0, 0, 255)},
        {"light orange of the second grade", qRgb(255, 192, 128)},
        {"highlight of selected text", QApplication::palette().color(QPalette::Highlight).rgb()}};
    for (const Colour &colour : absent) {
        const int pixels = countNear(page, colour.rgb, 8);
        QVERIFY2(pixels == 0, qPrintable(u"%1 pixels of the %2 on the page (%3)"_s.arg(pixels).arg(
                                  QLatin1StringView(colour.what), pdf)));
    }
    const int ruling = countNear(page, qRgb(0, 0, 192), 8);
    QVERIFY2(ruling > 100, qPrintable(u"only %1 pixels of the panel's dark blue ruling"_s.arg(ruling)));

    // Inside its ruling the evaluation table is white paper with a little text.
    QRect table;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            if (near(page.pixel(x, y), qRgb(0, 0, 192), 8))
                table |= QRect(x, y, 1, 1);
        }
    }
    const QImage inside = page.copy(table);
    const int white = countNear(inside, qRgb(255, 255, 255), 8);
    QVERIFY2(white * 10 > inside.width() * inside.height() * 7,
             qPrintable(u"only %1 of %2 pixels of the table are white"_s.arg(white).arg(inside.width() *
                                                                                        inside.height())));
    QFile::remove(pdf); // kept only when a check fails, to be looked at
}

void TestWorksheetPrinting::printWithoutDefaultPrinter()
{
    if (!qEnvironmentVariableIsSet(NoPrinterChild)) {
        // A print system, once asked, keeps its connection: so this runs in a copy of the test process
        // whose CUPS server is a socket that does not exist.
        QTemporaryDir nowhere;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QString::fromLatin1(NoPrinterChild), u"1"_s);
        environment.insert(u"CUPS_SERVER"_s, nowhere.filePath(u"no-cups.sock"_s));
        environment.remove(u"PRINTER"_s);
        environment.remove(u"LPDEST"_s);
        QProcess child;
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(), {u"printWithoutDefaultPrinter"_s});
        QVERIFY(child.waitForFinished(120000));
        const QString output = QString::fromLocal8Bit(child.readAll());
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, qPrintable(output));
        QVERIFY2(
            output.contains(u"PASS   : merlox2::test::TestWorksheetPrinting::printWithoutDefaultPrinter()"_s),
            qPrintable(output));
        return;
    }

    QVERIFY2(QPrinterInfo::defaultPrinter().isNull(),
             "a default printer is still seen without a CUPS server");
    ProgramFixture fixture;
    Form *sheet = sheetWithStudent(fixture);
    QVERIFY(sheet);
    const QStringList panel = panelOf(sheet);
    const QStringList boxes = boxesOf(sheet);
    click(sheet, u"Command2"_s);

    const QStringList messages = fixture.messages();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.first().contains(u"No se pudo imprimir la hoja"_s), qPrintable(messages.first()));
    QVERIFY2(messages.first().contains(u"impresora predeterminada"_s), qPrintable(messages.first()));
    QVERIFY(!fixture.screens().ended());
    QCOMPARE(fixture.screens().find(u"segusecu"_s), sheet);
    checkRestored(sheet, QColor(255, 192, 128));
    QCOMPARE(panelOf(sheet), panel);
    QCOMPARE(boxesOf(sheet), boxes);
}

} // namespace merlox2::test

QTEST_MAIN(merlox2::test::TestWorksheetPrinting)
#include "TestWorksheetPrinting.moc"
