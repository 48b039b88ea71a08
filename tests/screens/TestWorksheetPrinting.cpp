// IMPRIMIR on a real printer: the default queue of the private CUPS daemon that scripts/test.sh starts
// (scripts/private-cups.sh), which writes each job as a PDF file. The page is read back with poppler's
// tools, so what is checked is what would come out of the printer.

#include "WorksheetDriver.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace merlox2::test {

namespace {

// Set in the copy of this test that runs without a print system.
constexpr char NoPrinterChild[] = "MERLOX2_TEST_WITHOUT_PRINTER";
const QColor LightOrange(255, 192, 128);

// Why the private CUPS daemon can't take the page here, or nothing when it can. Its queue and the file
// that queue writes come from the environment; no printer of the machine's is ever used.
QString cupsUnavailable(QString *queue, QString *output)
{
    for (const QString &tool : {u"lpstat"_s, u"pdfinfo"_s, u"pdftoppm"_s}) {
        if (QStandardPaths::findExecutable(tool).isEmpty())
            return u"%1 is not installed (packages cups-client, poppler-utils)"_s.arg(tool);
    }
    const QString server = qEnvironmentVariable("CUPS_SERVER");
    *queue = qEnvironmentVariable("MERLOX2_TEST_PRINT_QUEUE");
    *output = qEnvironmentVariable("MERLOX2_TEST_PRINT_OUTPUT");
    if (server.isEmpty() || queue->isEmpty() || output->isEmpty())
        return u"no private CUPS daemon: run through scripts/test.sh or scripts/private-cups.sh"_s;
    if (const QString seen = QPrinterInfo::defaultPrinter().printerName(); seen != *queue)
        return u"Qt sees \"%1\" as the default printer on %2, not %3"_s.arg(seen, server, *queue);
    return {};
}

template <typename Check>
bool withinAMinute(Check done)
{
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
        if (waited.elapsed() > 60000)
            return false;
        QTest::qWait(250);
    }
    return true;
}

// The worksheet as it must be again after printing, with the focus back on IMPRIMIR.
void checkRestored(const Worksheet *sheet)
{
    for (QWidget *child : sheet->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        QVERIFY2(child->isVisible(), qPrintable(child->objectName() + u" is still hidden"_s));
    QCOMPARE(focusName(), u"Command2"_s);
    for (const QLineEdit *box : sheet->controls().boxes())
        QVERIFY2(!box->hasSelectedText(), qPrintable(box->objectName()));
    for (const OptionButton *option : {sheet->controls().Option1, sheet->controls().Option2})
        QCOMPARE(option->background(), LightOrange);
    QCOMPARE(sheet->background(), LightOrange);
}

// Second grade: its light orange can't arise from anti-aliased black text on white, as grey can.
Worksheet *sheetWithStudent(ProgramFixture &fixture)
{
    Worksheet *sheet = fixture.openWorksheet(2);
    if (sheet) {
        typeRecord(Ana);
        click(sheet->controls().Option1);
        click(sheet->controls().Command3);
    }
    return sheet;
}

int countNear(const QImage &image, QRgb colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            count += qAbs(qRed(p) - qRed(colour)) <= 8 && qAbs(qGreen(p) - qGreen(colour)) <= 8 &&
                     qAbs(qBlue(p) - qBlue(colour)) <= 8;
        }
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
    QString pdf;
    if (const QString why = cupsUnavailable(&queue, &pdf); !why.isEmpty())
        MERLOX2_SKIP_OR_FAIL(why);
    const auto queueEmpty = [&queue] {
        const ToolRun jobs = runTool(u"lpstat"_s, {u"-o"_s, queue});
        return jobs.exitCode == 0 && jobs.output.trimmed().isEmpty();
    };
    QVERIFY2(withinAMinute(queueEmpty), "the PDF queue still holds earlier jobs");

    ProgramFixture fixture;
    Worksheet *sheet = sheetWithStudent(fixture);
    QVERIFY(sheet);
    const QStringList panel = panelOf(sheet);
    QVERIFY(!panel.first().isEmpty());
    // The queue replaces the file with every job: gone now, it can only come back from this one.
    QVERIFY2(!QFileInfo::exists(pdf) || QFile::remove(pdf), qPrintable(u"can't remove "_s + pdf));
    click(sheet->controls().Command2);

    QVERIFY(!fixture.screens().ended());
    checkRestored(sheet);
    QCOMPARE(panelOf(sheet), panel);
    QVERIFY(sheet->controls().Command3->isEnabled() && !sheet->controls().Command4->isEnabled());

    QVERIFY2(withinAMinute(queueEmpty), "the print job did not finish in a minute");
    QVERIFY2(QFileInfo(pdf).size() > 0, qPrintable(u"the queue wrote nothing to "_s + pdf));
    const ToolRun info = runTool(u"pdfinfo"_s, {pdf});
    QVERIFY2(info.exitCode == 0 && info.output.contains(QRegularExpression(u"(?m)^Pages:\\s+1$"_s)),
             qPrintable(info.output));

    const QString prefix = fixture.path(u"page"_s);
    const ToolRun rendered = runTool(u"pdftoppm"_s, {u"-png"_s, u"-r"_s, u"50"_s, u"-aa"_s, u"no"_s,
                                                     u"-aaVector"_s, u"no"_s, u"-singlefile"_s, pdf, prefix});
    const QImage page = QImage(prefix + u".png"_s).convertToFormat(QImage::Format_RGB32);
    QVERIFY2(rendered.exitCode == 0 && !page.isNull(), qPrintable(rendered.output));

    const std::pair<const char *, QRgb> absent[] = {
        {"orange of the record buttons", qRgb(255, 128, 0)},
        {"red of Procesar, Datos and Salir", qRgb(255, 0, 0)},
        {"green of IMPRIMIR", qRgb(0, 192, 0)},
        {"blue of the command band", qRgb(0, 0, 255)},
        {"light orange of the second grade", LightOrange.rgb()},
        {"highlight of selected text", QApplication::palette().color(QPalette::Highlight).rgb()}};
    for (const auto &[what, rgb] : absent) {
        const int pixels = countNear(page, rgb);
        QVERIFY2(pixels == 0,
                 qPrintable(u"%1 pixels of the %2 on %3"_s.arg(pixels).arg(QLatin1StringView(what), pdf)));
    }
    const int ruling = countNear(page, qRgb(0, 0, 192));
    QVERIFY2(ruling > 100, qPrintable(u"only %1 pixels of the panel's dark blue ruling"_s.arg(ruling)));
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
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0 &&
                     output.contains(
                         u"PASS   : merlox2::test::TestWorksheetPrinting::printWithoutDefaultPrinter()"_s),
                 qPrintable(output));
        return;
    }

    QVERIFY2(QPrinterInfo::defaultPrinter().isNull(),
             "a default printer is still seen without a CUPS server");
    ProgramFixture fixture;
    Worksheet *sheet = sheetWithStudent(fixture);
    QVERIFY(sheet);
    const QStringList panel = panelOf(sheet);
    click(sheet->controls().Command2);

    const QString message = onlyMessage();
    QVERIFY2(message.contains(u"No se pudo imprimir la hoja"_s) &&
                 message.contains(u"impresora predeterminada"_s),
             qPrintable(message));
    QVERIFY(!fixture.screens().ended());
    QCOMPARE(fixture.screens().find(Screen::Worksheet2), sheet);
    checkRestored(sheet);
    QCOMPARE(panelOf(sheet), panel);
    QCOMPARE(boxesOf(sheet), Ana);
}

} // namespace merlox2::test

QTEST_MAIN(merlox2::test::TestWorksheetPrinting)
#include "TestWorksheetPrinting.moc"
