// The two document screens and their documents: what a double click hands to the desktop, what the
// teacher is told when that fails, and how a word processor lays the documents out.

#include "forms/Controls.h"
#include "platform/DocumentLauncher.h"
#include "screens/ShellScreens.h"
#include "support/GuiTest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace merlox2::test {

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Where the copies go when the grade files' folder can't take them.
QString cacheFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + u"/documentos"_s;
}

void removeCacheCopies()
{
    QFile::remove(cacheFolder());
    QDir(cacheFolder()).removeRecursively();
}

// A file where a folder should be: nothing can be written in it.
void blockFolder(const QString &folder)
{
    QDir().mkpath(QFileInfo(folder).path());
    QFile blocker(folder);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
}

} // namespace

class TestDocuments : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void doubleClickOpensAFreshCopy_data();
    void doubleClickOpensAFreshCopy();
    void asPrinted_data();
    void asPrinted();

private:
    DocumentIcon *iconOf(Screen form)
    {
        return qobject_cast<DocumentScreen *>(m_fixture->open(form))->controls().OLE1;
    }

    std::unique_ptr<ProgramFixture> m_fixture;
    QStringList m_opened;
};

void TestDocuments::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true); // the copies go to a cache folder of the test's own
    initializeGuiTests();
}

void TestDocuments::init()
{
    removeCacheCopies();
    m_fixture = std::make_unique<ProgramFixture>();
    m_opened.clear();
    DocumentLauncher::setOpenerForTesting([this](const QString &path) {
        m_opened << path;
        return true;
    });
}

void TestDocuments::cleanup()
{
    m_fixture.reset();
    DocumentLauncher::setOpenerForTesting({});
    removeCacheCopies();
}

void TestDocuments::doubleClickOpensAFreshCopy_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QRect>("iconBox"); // 1920, 960, 1215, 855 and 1680, 960, 1215, 735 twips
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("told");
    const QRect format(112, 64, 81, 49);
    QTest::newRow("methodology") << u"metodologia"_s << QRect(128, 64, 81, 57) << QString() << QString();
    QTest::newRow("format") << u"formato"_s << format << QString() << QString();
    QTest::newRow("no program to open documents")
        << u"formato"_s << format << u"no program"_s << u"No se encontró ningún programa para abrir"_s;
    QTest::newRow("the grade files' folder takes no copy: the cache's folder does")
        << u"formato"_s << format << u"cache"_s << QString();
    QTest::newRow("neither folder takes a copy")
        << u"formato"_s << format << u"folder"_s << u"No se pudo preparar el documento formato.rtf"_s;
}

void TestDocuments::doubleClickOpensAFreshCopy()
{
    QFETCH(QString, form);
    QFETCH(QRect, iconBox);
    QFETCH(QString, failure);
    QFETCH(QString, told);
    // Beside the grade files, where the teacher finds them and saves a filled-in format.
    const QString besideGrades = m_fixture->path(u"documentos"_s);
    if (failure == u"folder" || failure == u"cache")
        blockFolder(besideGrades);
    if (failure == u"folder")
        blockFolder(cacheFolder());
    else if (failure == u"no program")
        DocumentLauncher::setOpenerForTesting([](const QString &) { return false; });
    const QString copiesFolder = failure == u"cache" ? cacheFolder() : besideGrades;
    DocumentIcon *icon = iconOf(form == u"formato" ? Screen::Format : Screen::Methodology);
    QCOMPARE(icon->geometry(), iconBox);
    QCOMPARE(icon->grab().toImage().pixelColor(0, 0), QColor(255, 192, 128)); // on light orange
    QTest::mouseClick(icon, Qt::LeftButton);
    QTest::mouseDClick(icon, Qt::LeftButton);
    const QString copy = copiesFolder + u'/' + form + u".rtf"_s;
    const QByteArray original = fileBytes(icon->resourcePath());
    QVERIFY(!original.isEmpty());
    if (!told.isEmpty()) { // the teacher is told what failed and where the copy is, or would be
        const QString message = onlyMessage();
        QVERIFY2(message.contains(told) &&
                     message.contains(u'\n' +
                                      QDir::toNativeSeparators(failure == u"folder" ? besideGrades : copy) +
                                      u'\n'),
                 qPrintable(message));
        QCOMPARE(m_opened, QStringList());
        QCOMPARE(fileBytes(copy), failure == u"folder" ? QByteArray() : original);
        QVERIFY(icon->isVisible() && !m_fixture->screens().ended());
        return;
    }
    QTRY_COMPARE(m_opened, QStringList{copy}); // the single click before it opened nothing
    QCOMPARE(fileBytes(copy), original);

    // Read-only, so that a word processor asks for another name when the teacher saves; opened again
    // unchanged, the same copy serves.
    QVERIFY(!(QFile::permissions(copy) & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther)));
    QTest::mouseDClick(icon, Qt::LeftButton);
    QTRY_COMPARE(m_opened, QStringList({copy, copy}));

    // The teacher made it writable, filled it in and saved it: that work is kept, and the next copy is
    // fresh under another name.
    QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
    QFile changed(copy);
    QVERIFY(changed.open(QIODevice::WriteOnly | QIODevice::Truncate));
    changed.write("{\\rtf1 Grupo 1A: Ana 12}");
    changed.close();
    QTest::mouseDClick(icon, Qt::LeftButton);
    const QString second = copiesFolder + u'/' + form + u" (2).rtf"_s;
    QTRY_COMPARE(m_opened, QStringList({copy, copy, second}));
    QCOMPARE(fileBytes(copy), "{\\rtf1 Grupo 1A: Ana 12}"_ba);
    QCOMPARE(fileBytes(second), original);
}

void TestDocuments::asPrinted_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("inOrder");
    QTest::newRow("methodology")
        << u"metodologia"_s
        << u"METODOLOGÍA|CAPACIDADES FÍSICAS|PRUEBA DE RESISTENCIA|PRUEBA DE VELOCIDAD|"
           u"PRUEBAS DE FUERZA|LAGARTIJAS|ABDOMINALES:|SENTADILLAS:|20 segundos"_s.split(u'|');
    QTest::newRow("format, on one page") << u"formato"_s
                                         << u"FORMATO MERLOX 2 SECUNDARIA|NOMBRE DE ESCUELA|GRUPO|NOMBRE "
                                            u"EDAD RESIST VELOC LAGART ABDOM SENTAD|"
                                            u"PROF. EDUCACIÓN FÍSICA"_s.split(u'|');
}

// Converted by LibreOffice as a teacher's word processor would, then read back with poppler's tools.
void TestDocuments::asPrinted()
{
    QFETCH(QString, name);
    QFETCH(QStringList, inOrder);
#ifdef Q_OS_WIN
    // The documents are the same bytes on both systems; Linux's suites lay them out.
    QSKIP("the documents' layout is checked by the Linux build, with LibreOffice and poppler");
#endif
    QString office = QStandardPaths::findExecutable(u"soffice"_s);
    if (office.isEmpty())
        office = QStandardPaths::findExecutable(u"libreoffice"_s);
    for (const QString &tool :
         {office, QStandardPaths::findExecutable(u"pdfinfo"_s),
          QStandardPaths::findExecutable(u"pdftotext"_s), QStandardPaths::findExecutable(u"pdftoppm"_s)}) {
        if (tool.isEmpty())
            MERLOX2_SKIP_OR_FAIL(u"LibreOffice (soffice) or poppler-utils is missing: the documents' layout "
                                 u"can't be checked"_s);
    }
    QTemporaryDir work;
    const QString rtf = work.filePath(name + u".rtf"_s);
    const QString pdf = work.filePath(name + u".pdf"_s);
    QVERIFY(QFile::copy(u":/documents/%1.rtf"_s.arg(name), rtf));
    // A profile of its own, so that a running LibreOffice of the user's does not take the job.
    const ToolRun converted =
        runTool(office, {u"-env:UserInstallation="_s + QUrl::fromLocalFile(work.filePath(u"p"_s)).toString(),
                         u"--headless"_s, u"--convert-to"_s, u"pdf"_s, u"--outdir"_s, work.path(), rtf});
    QVERIFY2(converted.exitCode == 0 && QFile::exists(pdf), qPrintable(converted.output));

    const QString info = runTool(u"pdfinfo"_s, {pdf}).output;
    QVERIFY2(info.contains(QRegularExpression(u"Page size:\\s+612 x 792 pts"_s)), qPrintable(info)); // letter
    const QString layout = runTool(u"pdftotext"_s, {u"-layout"_s, pdf, u"-"_s}).output;
    const QString text = layout.simplified();
    qsizetype from = 0;
    for (const QString &item : inOrder) {
        from = text.indexOf(item, from);
        QVERIFY2(from >= 0, qPrintable(u"«%1» missing or out of order in: %2"_s.arg(item, text)));
    }
    if (name == u"formato") { // one page, the seven headings on one line
        QVERIFY(info.contains(QRegularExpression(u"Pages:\\s+1\\n"_s)));
        QVERIFY2(layout.contains(QRegularExpression(
                     u"(?m)^\\s*NOMBRE\\s+EDAD\\s+RESIST\\s+VELOC\\s+LAGART\\s+ABDOM\\s+SENTAD\\s*$"_s)),
                 qPrintable(layout));
    }

    // Rendered at two pixels to a point: no ink in the 3 cm (85 point) margins, and for the format 40 rows
    // with the heading row, so 41 rulings across the table, far longer than any run of text or underscores.
    QCOMPARE(runTool(u"pdftoppm"_s, {u"-r"_s, u"144"_s, u"-gray"_s, u"-png"_s, pdf, work.filePath(u"page"_s)})
                 .exitCode,
             0);
    int rules = 0;
    for (const QFileInfo &file : QDir(work.path()).entryInfoList({u"page*.png"_s})) {
        const QImage page(file.filePath());
        QCOMPARE(page.width(), 1224);
        QPoint inMargin(-1, -1);
        bool inRule = false;
        for (int y = 0; y < page.height(); ++y) {
            int run = 0;
            int longest = 0;
            for (int x = 0; x < page.width(); ++x) {
                const bool ink = qGray(page.pixel(x, y)) < 160;
                if (ink && (x < 170 || x > 1054))
                    inMargin = QPoint(x, y);
                run = ink ? run + 1 : 0;
                longest = qMax(longest, run);
            }
            rules += longest > 700 && !inRule;
            inRule = longest > 700;
        }
        QVERIFY2(inMargin.x() < 0, qPrintable(u"ink in the margin of %1 at %2, %3"_s.arg(file.fileName())
                                                  .arg(inMargin.x())
                                                  .arg(inMargin.y())));
    }
    QCOMPARE(rules, name == u"formato" ? 41 : 0);
}

} // namespace merlox2::test

QTEST_MAIN(merlox2::test::TestDocuments)
#include "TestDocuments.moc"
