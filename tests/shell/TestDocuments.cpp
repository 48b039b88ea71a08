#include "platform/Controls.h"
#include "platform/DocumentLauncher.h"
#include "platform/FormBuilder.h"
#include "support/GuiTest.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <memory>

using namespace Qt::StringLiterals;

namespace merlox2 {

namespace {

// A file's or a resource's bytes; empty when it can't be read.
QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString copiesFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + u"/documentos"_s;
}

// What a word processor makes of a document: its pages as the PDF export lays them out.
struct Word {
    int page;
    QRectF box; // points, from the page's top-left corner
    QString text;
};

struct Pdf {
    int pages = 0;
    QString pageSize;  // as pdfinfo reports it
    QList<Word> words; // in the export's own order
    QString text;      // every word in reading order, separated by single blanks
    QImage firstPage;  // rendered at 144 dpi: two pixels to a point
};

// Runs a tool to its end; the error names the tool and what went wrong.
bool run(const QString &program, const QStringList &arguments, QByteArray *output, QString *error)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(240000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        *error = program + u" failed: "_s + process.errorString() + u' ' +
                 QString::fromLocal8Bit(process.readAllStandardError());
        return false;
    }
    if (output)
        *output = process.readAllStandardOutput();
    return true;
}

QString pageSizeOf(const QByteArray &info, int *pages)
{
    const QString text = QString::fromUtf8(info);
    *pages = QRegularExpression(u"Pages:\\s+(\\d+)"_s).match(text).captured(1).toInt();
    return QRegularExpression(u"Page size:\\s+([^\\n]*)"_s).match(text).captured(1).trimmed();
}

QList<Word> wordsOf(const QByteArray &bboxHtml)
{
    static const QRegularExpression token(
        u"<page |<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"_s);
    QList<Word> words;
    int page = 0;
    const QString html = QString::fromUtf8(bboxHtml);
    for (QRegularExpressionMatchIterator it = token.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured(0).startsWith(u"<page")) {
            ++page;
            continue;
        }
        const QPointF topLeft(m.captured(1).toDouble(), m.captured(2).toDouble());
        const QPointF bottomRight(m.captured(3).toDouble(), m.captured(4).toDouble());
        QString text = m.captured(5);
        text.replace(u"&amp;"_s, u"&"_s).replace(u"&lt;"_s, u"<"_s).replace(u"&gt;"_s, u">"_s);
        words.append({page, QRectF(topLeft, bottomRight), text});
    }
    return words;
}

QString officeProgram()
{
    const QString office = QStandardPaths::findExecutable(u"soffice"_s);
    return office.isEmpty() ? QStandardPaths::findExecutable(u"libreoffice"_s) : office;
}

// What the layout checks need and this machine lacks; empty when all is there.
QString missingTools()
{
    QStringList missing;
    if (officeProgram().isEmpty())
        missing.append(u"LibreOffice (soffice)"_s);
    for (const QString &tool : {u"pdfinfo"_s, u"pdftotext"_s, u"pdftoppm"_s}) {
        if (QStandardPaths::findExecutable(tool).isEmpty())
            missing.append(tool + u" (poppler-utils)"_s);
    }
    if (missing.isEmpty())
        return {};
    return u"Cannot check how a word processor lays out the documents: missing "_s + missing.join(u", ");
}

// The words line by line, top to bottom and left to right: the export writes table cells and text
// beside them in an order of its own.
QString readingOrder(QList<Word> words)
{
    std::sort(words.begin(), words.end(), [](const Word &a, const Word &b) {
        return a.page != b.page ? a.page < b.page : a.box.top() < b.box.top();
    });
    QStringList lines;
    for (qsizetype start = 0; start < words.size();) {
        qsizetype end = start + 1;
        while (end < words.size() && words[end].page == words[start].page &&
               words[end].box.top() - words[start].box.top() < 3.0)
            ++end;
        std::sort(words.begin() + start, words.begin() + end,
                  [](const Word &a, const Word &b) { return a.box.left() < b.box.left(); });
        QStringList line;
        for (qsizetype i = start; i < end; ++i)
            line.append(words[i].text);
        lines.append(line.join(u' '));
        start = end;
    }
    return lines.join(u' ');
}

// The texts in this order in the document, each maybe spread over several words.
QString firstMissingInOrder(const QString &text, const QStringList &expected)
{
    qsizetype from = 0;
    for (const QString &item : expected) {
        const qsizetype at = text.indexOf(item, from);
        if (at < 0)
            return item;
        from = at + item.size();
    }
    return {};
}

const QStringList MethodologyHeadings{
    u"METODOLOGÍA"_s,         u"CAPACIDADES FÍSICAS"_s, u"PRUEBA DE RESISTENCIA"_s,
    u"PRUEBA DE VELOCIDAD"_s, u"PRUEBAS DE FUERZA"_s,   u"LAGARTIJAS"_s,
    u"ABDOMINALES:"_s,        u"SENTADILLAS:"_s,        u"20 segundos"_s};

const QStringList FormatColumns{u"NOMBRE"_s, u"EDAD"_s,  u"RESIST"_s, u"VELOC"_s,
                                u"LAGART"_s, u"ABDOM"_s, u"SENTAD"_s};

} // namespace

class TestDocuments : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void documentScreen_data();
    void documentScreen();
    void freshCopyOnEveryDoubleClick();
    void noProgramToOpenDocuments();
    void copyFolderCannotBeMade();

    void asPrinted_data();
    void asPrinted();
    void formatTable();

private:
    Form *openDocumentScreen(const QString &form);
    // The document converted by LibreOffice, once per run; nullptr with the reason in *error.
    const Pdf *converted(const QString &resource, QString *error);

    std::unique_ptr<test::ProgramFixture> m_fixture;
    QTemporaryDir m_conversions;
    QHash<QString, Pdf> m_pdfs;
};

// Where a tool the check needs is missing, the test is skipped locally but fails on the build server.
#define REQUIRE_TOOLS()                                                                                      \
    do {                                                                                                     \
        if (const QString missing = missingTools(); !missing.isEmpty()) {                                    \
            if (qEnvironmentVariableIsSet("CI"))                                                             \
                QFAIL(qPrintable(missing));                                                                  \
            QSKIP(qPrintable(missing));                                                                      \
        }                                                                                                    \
    } while (false)

void TestDocuments::initTestCase()
{
    // The copies go to a cache folder of the test's own, not to the user's.
    QStandardPaths::setTestModeEnabled(true);
    test::initializeGuiTests();
    QVERIFY(m_conversions.isValid());
}

void TestDocuments::init()
{
    QFile::remove(copiesFolder());
    QDir(copiesFolder()).removeRecursively();
    m_fixture = std::make_unique<test::ProgramFixture>();
}

void TestDocuments::cleanup()
{
    m_fixture.reset();
    DocumentLauncher::setOpenerForTesting({});
    QFile::remove(copiesFolder());
    QDir(copiesFolder()).removeRecursively();
}

Form *TestDocuments::openDocumentScreen(const QString &form)
{
    auto *screen = qobject_cast<Form *>(m_fixture->open(form));
    if (screen)
        QApplication::setActiveWindow(screen);
    return screen;
}

void TestDocuments::documentScreen_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QRect>("iconBox");
    QTest::addColumn<QString>("fileName");

    // 1920, 960, 1215, 855 and 1680, 960, 1215, 735 twips.
    QTest::newRow("methodology") << u"metodologia"_s << QRect(128, 64, 81, 57) << u"metodologia.rtf"_s;
    QTest::newRow("format") << u"formato"_s << QRect(112, 64, 81, 49) << u"formato.rtf"_s;
}

void TestDocuments::documentScreen()
{
    QFETCH(QString, form);
    QFETCH(QRect, iconBox);
    QFETCH(QString, fileName);

    QStringList opened;
    DocumentLauncher::setOpenerForTesting([&opened](const QString &path) {
        opened.append(path);
        return true;
    });

    Form *screen = openDocumentScreen(form);
    QVERIFY(screen);
    auto *icon = screen->control<DocumentIcon>(u"OLE1");
    QVERIFY(icon);
    QCOMPARE(icon->geometry(), iconBox);
    const QImage drawn = icon->grab().toImage();
    QCOMPARE(drawn.pixelColor(0, 0), QColor(255, 192, 128)); // the icon on light orange

    // A single click opens nothing.
    QTest::mouseClick(icon, Qt::LeftButton);
    test::settle();
    QCOMPARE(opened, QStringList());

    QTest::mouseDClick(icon, Qt::LeftButton);
    test::settle();
    const QString copy = copiesFolder() + u'/' + fileName;
    QCOMPARE(opened, QStringList{copy});
    QCOMPARE(fileBytes(copy), fileBytes(icon->resourcePath()));
    QVERIFY(!fileBytes(copy).isEmpty());
    QCOMPARE(test::ProgramFixture::messages(), QStringList());
    QVERIFY(screen->isVisible());
}

void TestDocuments::freshCopyOnEveryDoubleClick()
{
    QStringList opened;
    DocumentLauncher::setOpenerForTesting([&opened](const QString &path) {
        opened.append(path);
        return true;
    });
    Form *screen = openDocumentScreen(u"formato"_s);
    auto *icon = screen->control<DocumentIcon>(u"OLE1");
    const QByteArray original = fileBytes(icon->resourcePath());
    QTest::mouseDClick(icon, Qt::LeftButton);
    test::settle();
    QCOMPARE(opened.size(), 1);
    const QString copy = opened.constFirst();

    // The teacher filled in the copy in the word processor and saved it, then left it read-only.
    {
        QFile changed(copy);
        QVERIFY(changed.open(QIODevice::WriteOnly | QIODevice::Truncate));
        changed.write("{\\rtf1 Grupo 1A: Ana 12}");
    }
    QFile::setPermissions(copy, QFile::ReadOwner);

    QTest::mouseDClick(icon, Qt::LeftButton);
    test::settle();
    QCOMPARE(opened, QStringList({copy, copy}));
    QCOMPARE(fileBytes(copy), original);
    QCOMPARE(test::ProgramFixture::messages(), QStringList());
}

void TestDocuments::noProgramToOpenDocuments()
{
    DocumentLauncher::setOpenerForTesting([](const QString &) { return false; });
    Form *screen = openDocumentScreen(u"metodologia"_s);
    auto *icon = screen->control<DocumentIcon>(u"OLE1");
    QTest::mouseDClick(icon, Qt::LeftButton);
    test::settle();

    const QString copy = copiesFolder() + u"/metodologia.rtf"_s;
    const QStringList messages = test::ProgramFixture::messages();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.constFirst().contains(u"No se encontró ningún programa para abrir"_s),
             qPrintable(messages.constFirst()));
    QVERIFY2(messages.constFirst().contains(QDir::toNativeSeparators(copy)),
             qPrintable(messages.constFirst()));
    // The copy is there for the teacher to open by hand.
    QCOMPARE(fileBytes(copy), fileBytes(icon->resourcePath()));
    QVERIFY(screen->isVisible());
    QVERIFY(!m_fixture->screens().ended());
}

void TestDocuments::copyFolderCannotBeMade()
{
    bool asked = false;
    DocumentLauncher::setOpenerForTesting([&asked](const QString &) { return asked = true; });
    // A file stands where the folder of the copies should be.
    QDir().mkpath(QFileInfo(copiesFolder()).path());
    {
        QFile blocker(copiesFolder());
        QVERIFY(blocker.open(QIODevice::WriteOnly));
    }
    Form *screen = openDocumentScreen(u"formato"_s);
    QTest::mouseDClick(screen->control<DocumentIcon>(u"OLE1"), Qt::LeftButton);
    test::settle();

    QVERIFY(!asked);
    const QStringList messages = test::ProgramFixture::messages();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.constFirst().contains(u"No se pudo preparar el documento formato.rtf"_s),
             qPrintable(messages.constFirst()));
    QVERIFY2(messages.constFirst().contains(QDir::toNativeSeparators(copiesFolder())),
             qPrintable(messages.constFirst()));
}

const Pdf *TestDocuments::converted(const QString &resource, QString *error)
{
    if (const auto it = m_pdfs.constFind(resource); it != m_pdfs.constEnd())
        return &*it;

    const QString name = QFileInfo(resource).fileName();
    const QString source = m_conversions.filePath(name);
    {
        QFile file(source);
        if (!file.open(QIODevice::WriteOnly) || file.write(fileBytes(resource)) <= 0) {
            *error = u"Cannot write "_s + source;
            return nullptr;
        }
    }
    // A profile of its own, so that a running LibreOffice of the user's does not take the job.
    const QString profile = QUrl::fromLocalFile(m_conversions.filePath(u"perfil"_s)).toString();
    if (!run(officeProgram(),
             {u"-env:UserInstallation="_s + profile, u"--headless"_s, u"--norestore"_s, u"--convert-to"_s,
              u"pdf"_s, u"--outdir"_s, m_conversions.path(), source},
             nullptr, error))
        return nullptr;
    const QString pdfPath = m_conversions.filePath(QFileInfo(name).completeBaseName() + u".pdf"_s);
    if (!QFile::exists(pdfPath)) {
        *error = u"LibreOffice wrote no "_s + pdfPath;
        return nullptr;
    }

    Pdf pdf;
    QByteArray output;
    if (!run(u"pdfinfo"_s, {pdfPath}, &output, error))
        return nullptr;
    pdf.pageSize = pageSizeOf(output, &pdf.pages);
    if (!run(u"pdftotext"_s, {u"-bbox-layout"_s, pdfPath, u"-"_s}, &output, error))
        return nullptr;
    pdf.words = wordsOf(output);
    pdf.text = readingOrder(pdf.words);
    const QString image = m_conversions.filePath(QFileInfo(name).completeBaseName());
    if (!run(u"pdftoppm"_s, {u"-r"_s, u"144"_s, u"-gray"_s, u"-png"_s, u"-singlefile"_s, pdfPath, image},
             nullptr, error))
        return nullptr;
    pdf.firstPage = QImage(image + u".png"_s);
    return &*m_pdfs.insert(resource, pdf);
}

void TestDocuments::asPrinted_data()
{
    QTest::addColumn<QString>("resource");
    QTest::addColumn<int>("pages");
    QTest::addColumn<QStringList>("inOrder");

    QTest::newRow("methodology") << u":/documents/metodologia.rtf"_s << 0 << MethodologyHeadings;
    QTest::newRow("format, on one page")
        << u":/documents/formato.rtf"_s << 1
        << QStringList{u"FORMATO MERLOX 2 SECUNDARIA"_s, u"NOMBRE DE ESCUELA"_s, u"GRUPO"_s,
                       FormatColumns.join(u' '), u"PROF. EDUCACIÓN FÍSICA"_s};
}

void TestDocuments::asPrinted()
{
    QFETCH(QString, resource);
    QFETCH(int, pages);
    QFETCH(QStringList, inOrder);

    REQUIRE_TOOLS();
    QString error;
    const Pdf *pdf = converted(resource, &error);
    QVERIFY2(pdf, qPrintable(error));

    // Letter paper, portrait.
    QVERIFY2(pdf->pageSize.startsWith(u"612 x 792 pts"_s), qPrintable(pdf->pageSize));
    if (pages > 0)
        QCOMPARE(pdf->pages, pages);
    QVERIFY(pdf->pages >= 1);

    // 3 cm (85 points) left and right: every word lies between the margins.
    QVERIFY(!pdf->words.isEmpty());
    for (const Word &word : pdf->words) {
        QVERIFY2(word.box.left() >= 85.0 && word.box.right() <= 527.0,
                 qPrintable(u"«%1» on page %2 from %3 to %4 pt"_s.arg(word.text)
                                .arg(word.page)
                                .arg(word.box.left())
                                .arg(word.box.right())));
    }

    const QString missing = firstMissingInOrder(pdf->text, inOrder);
    QVERIFY2(missing.isEmpty(), qPrintable(u"«%1» missing or out of order in: %2"_s.arg(missing, pdf->text)));
}

void TestDocuments::formatTable()
{
    REQUIRE_TOOLS();
    QString error;
    const Pdf *pdf = converted(u":/documents/formato.rtf"_s, &error);
    QVERIFY2(pdf, qPrintable(error));

    // The seven headings on one line, left to right.
    QList<const Word *> headings;
    for (const Word &word : pdf->words) {
        if (word.text == u"EDAD")
            headings.append(&word);
    }
    QCOMPARE(headings.size(), 1);
    const qreal headingTop = headings.constFirst()->box.top();
    headings.clear();
    for (const Word &word : pdf->words) {
        if (qAbs(word.box.top() - headingTop) < 1.0)
            headings.append(&word);
    }
    std::sort(headings.begin(), headings.end(),
              [](const Word *a, const Word *b) { return a->box.left() < b->box.left(); });
    QStringList columns;
    for (const Word *word : headings)
        columns.append(word->text);
    QCOMPARE(columns, FormatColumns);

    // 40 rows, the heading row included: 41 rules cross the name column between the heading row and
    // the teacher's line.
    const Word *teacher = nullptr;
    for (const Word &word : pdf->words) {
        if (word.text == u"PROF.")
            teacher = &word;
    }
    QVERIFY(teacher);
    const QImage &page = pdf->firstPage;
    QCOMPARE(page.width(), 1224);                                            // 8.5 inches at 144 dpi
    const qreal nameColumn = (85.0 + headings.constFirst()->box.left()) / 2; // left of the NOMBRE heading
    const int x = int(nameColumn * 2);
    int rules = 0;
    bool inRule = false;
    for (int y = int((headingTop - 4) * 2); y < int((teacher->box.top() - 2) * 2); ++y) {
        const bool dark = qGray(page.pixel(x, y)) < 160;
        rules += dark && !inRule ? 1 : 0;
        inRule = dark;
    }
    QCOMPARE(rules, 41);
}

} // namespace merlox2

QTEST_MAIN(merlox2::TestDocuments)
#include "TestDocuments.moc"
