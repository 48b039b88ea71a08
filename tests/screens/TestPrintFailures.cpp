// IMPRIMIR when the print system fails, and what one print costs in memory. The tests talk only to the
// CUPS server named by CUPS_SERVER (a private one that scripts/test.sh starts), or to a fake server of
// their own that never answers; the machine's own CUPS is never touched.

#include "WorksheetDriver.h"

#include "forms/MessageBox.h"
#include "platform/Printing.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <optional>

using namespace Qt::StringLiterals;

namespace merlox2::test {

namespace {

// The longest a click may hold the screen still.
constexpr qint64 ClickBudgetMs = 2000;

// An environment variable set for the length of a test, then as it was.
class ScopedEnv {
public:
    ScopedEnv(const char *name, const QByteArray &value)
        : m_name(name), m_was(qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt)
    {
        qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (m_was)
            qputenv(m_name, *m_was);
        else
            qunsetenv(m_name);
    }
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

private:
    const char *m_name;
    std::optional<QByteArray> m_was;
};

// A print server that takes connections and never says a word: the kernel completes each connection
// from the listen queue, and nothing ever reads the request.
class SilentServer {
public:
    // On a socket file in `dir`, or on a TCP port of 127.0.0.1 when `dir` is empty. address() is what
    // CUPS_SERVER is set to.
    explicit SilentServer(const QString &dir)
    {
        if (!dir.isEmpty()) {
            const QByteArray path = QFile::encodeName(dir + u"/cups.sock"_s);
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            std::memcpy(address.sun_path, path.constData(),
                        qMin<size_t>(path.size(), sizeof address.sun_path - 1));
            m_fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            if (m_fd >= 0 && ::bind(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 &&
                ::listen(m_fd, 16) == 0)
                m_address = path;
        } else {
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            socklen_t length = sizeof address;
            m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
            if (m_fd >= 0 && ::bind(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 &&
                ::listen(m_fd, 16) == 0 &&
                ::getsockname(m_fd, reinterpret_cast<sockaddr *>(&address), &length) == 0)
                m_address = "127.0.0.1:" + QByteArray::number(ntohs(address.sin_port));
        }
    }
    ~SilentServer()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    SilentServer(const SilentServer &) = delete;
    SilentServer &operator=(const SilentServer &) = delete;

    QByteArray address() const { return m_address; }

private:
    int m_fd = -1;
    QByteArray m_address;
};

// The private CUPS server of the test run, or why there is none.
QString privateCups(QString *server)
{
    *server = qEnvironmentVariable("CUPS_SERVER");
    if (server->isEmpty())
        return u"CUPS_SERVER is not set (scripts/test.sh starts a private CUPS server and sets it)"_s;
    for (const QString &tool : {u"lpstat"_s, u"lpadmin"_s, u"cupsreject"_s}) {
        if (QStandardPaths::findExecutable(tool).isEmpty())
            return u"%1 is not installed (packages cups-client, cups-bsd)"_s.arg(tool);
    }
    if (!runTool(u"lpstat"_s, {u"-h"_s, *server, u"-r"_s}).output.contains(u"scheduler is running"_s))
        return u"no CUPS scheduler answers on %1"_s.arg(*server);
    return {};
}

QString defaultQueue(const QString &server)
{
    return QRegularExpression(u"system default destination: (\\S+)"_s)
        .match(runTool(u"lpstat"_s, {u"-h"_s, server, u"-d"_s}).output)
        .captured(1);
}

// A queue on the private server that turns every job away; removed again at the end of the test.
class RejectingQueue {
public:
    RejectingQueue(const QString &server, const QString &name) : m_server(server), m_name(name)
    {
        // The device is never used; the default queue's is one this server allows.
        QString device = u"file:///dev/null"_s;
        if (const QString queue = defaultQueue(server); !queue.isEmpty()) {
            const QString uri = QRegularExpression(u"device for \\S+: (\\S+)"_s)
                                    .match(runTool(u"lpstat"_s, {u"-h"_s, server, u"-v"_s, queue}).output)
                                    .captured(1);
            if (!uri.isEmpty())
                device = uri;
        }
        const ToolRun added =
            runTool(u"lpadmin"_s, {u"-h"_s, server, u"-p"_s, name, u"-v"_s, device, u"-E"_s});
        const ToolRun rejecting = runTool(u"cupsreject"_s, {u"-h"_s, server, name});
        if (added.exitCode != 0 || rejecting.exitCode != 0)
            m_error = added.output + rejecting.output;
    }
    ~RejectingQueue() { runTool(u"lpadmin"_s, {u"-h"_s, m_server, u"-x"_s, m_name}); }
    RejectingQueue(const RejectingQueue &) = delete;
    RejectingQueue &operator=(const RejectingQueue &) = delete;

    QString error() const { return m_error; }

private:
    QString m_server;
    QString m_name;
    QString m_error;
};

// The worksheet as it was before IMPRIMIR: every control shown, the grade's grey everywhere.
void checkRestored(const Worksheet *sheet)
{
    for (QWidget *child : sheet->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        QVERIFY2(child->isVisible(), qPrintable(child->objectName() + u" is still hidden"_s));
    const QColor grey(192, 192, 192);
    QCOMPARE(sheet->background(), grey);
    for (const OptionButton *option : {sheet->controls().Option1, sheet->controls().Option2})
        QCOMPARE(option->background(), grey);
}

qint64 statusKb(const QByteArray &field)
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

} // namespace

class TestPrintFailures : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { initializeGuiTests(); }
    void defaultPrinterRejectsJobs();
    void printServerNeverAnswers_data();
    void printServerNeverAnswers();
    void printingKeepsMemoryNearWhatItWas();
    void printModuleMissing_data();
    void printModuleMissing();
};

void TestPrintFailures::defaultPrinterRejectsJobs()
{
    QString server;
    if (const QString why = privateCups(&server); !why.isEmpty())
        MERLOX2_SKIP_OR_FAIL(why);
    const QString queue = u"MERLOX2_Rechaza"_s;
    const RejectingQueue rejecting(server, queue);
    QVERIFY2(rejecting.error().isEmpty(), qPrintable(rejecting.error()));
    // The program's default printer for this process only (LPDEST would win over PRINTER).
    const ScopedEnv lpdest("LPDEST", queue.toLocal8Bit());
    const ScopedEnv printer("PRINTER", queue.toLocal8Bit());

    ProgramFixture fixture;
    Worksheet *sheet = fixture.openWorksheet(1);
    QVERIFY(sheet);
    typeRecord(Ana);
    click(sheet->controls().Command2);

    const QString message = onlyMessage();
    QVERIFY2(message.contains(u"No se pudo imprimir la hoja"_s) && message.contains(queue) &&
                 message.contains(u"no acepta trabajos"_s),
             qPrintable(message));
    QVERIFY(!fixture.screens().ended());
    checkRestored(sheet);
    QCOMPARE(boxesOf(sheet), Ana);
}

void TestPrintFailures::printServerNeverAnswers_data()
{
    QTest::addColumn<bool>("socketFile");
    QTest::newRow("socket file") << true;
    QTest::newRow("TCP port on 127.0.0.1") << false;
}

void TestPrintFailures::printServerNeverAnswers()
{
    QFETCH(bool, socketFile);
    QTemporaryDir dir;
    const SilentServer silent(socketFile ? dir.path() : QString());
    QVERIFY2(!silent.address().isEmpty(), "could not listen");
    const ScopedEnv cupsServer("CUPS_SERVER", silent.address());

    ProgramFixture fixture;
    Worksheet *sheet = fixture.openWorksheet(1);
    QVERIFY(sheet);
    QElapsedTimer held;
    held.start();
    click(sheet->controls().Command2);
    const qint64 heldMs = held.elapsed();

    const QString message = onlyMessage();
    QVERIFY2(message.contains(u"el servidor de impresión no responde"_s) &&
                 message.contains(QString::fromLocal8Bit(silent.address())),
             qPrintable(message));
    QVERIFY2(heldMs <= ClickBudgetMs, qPrintable(u"the click held the screen for %1 ms"_s.arg(heldMs)));
    QVERIFY(!fixture.screens().ended());
    checkRestored(sheet);
}

void TestPrintFailures::printingKeepsMemoryNearWhatItWas()
{
    QString server;
    if (const QString why = privateCups(&server); !why.isEmpty())
        MERLOX2_SKIP_OR_FAIL(why);
    if (defaultQueue(server).isEmpty())
        MERLOX2_SKIP_OR_FAIL(u"the CUPS server on %1 has no default printer"_s.arg(server));

    ProgramFixture fixture;
    Worksheet *sheet = fixture.openWorksheet(1);
    QVERIFY(sheet);
    typeRecord(Ana);
    click(sheet->controls().Option1);
    click(sheet->controls().Command3);

    // The peak is reset to what the process holds now, so what the print adds shows alone.
    QFile clearRefs(u"/proc/self/clear_refs"_s);
    QVERIFY2(clearRefs.open(QIODevice::WriteOnly) && clearRefs.write("5") == 1, "cannot reset the peak");
    clearRefs.close();
    const qint64 before = statusKb("VmRSS");
    QVERIFY(before > 0);
    click(sheet->controls().Command2);
    const qint64 peak = statusKb("VmHWM");

    QVERIFY2(MessageBox::takeShownTexts().isEmpty(), "the print failed");
    checkRestored(sheet);
    QVERIFY2(peak * 2 <= before * 3,
             qPrintable(u"memory went from %1 MB to a peak of %2 MB"_s.arg(before / 1024).arg(peak / 1024)));
}

void TestPrintFailures::printModuleMissing_data()
{
    QTest::addColumn<QByteArray>("inPlace");
    QTest::addColumn<QString>("said");
    QTest::newRow("no module") << QByteArray() << u"falta el archivo"_s;
    QTest::newRow("a file that is no module")
        << QByteArray("no es un módulo") << u"el sistema no pudo cargar el archivo"_s;
}

void TestPrintFailures::printModuleMissing()
{
    QFETCH(QByteArray, inPlace);
    QFETCH(QString, said);
    const QFileInfo built(QStringLiteral(MERLOX2_TEST_PRINT_MODULE));
    QTemporaryDir folder;
    const QString module = folder.filePath(built.fileName());
    if (!inPlace.isEmpty()) {
        QFile file(module);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(inPlace) == inPlace.size());
    }
    setPrintModuleFolders({folder.path()});
    const auto restore = qScopeGuard([&built] { setPrintModuleFolders({built.absolutePath()}); });

    ProgramFixture fixture;
    Worksheet *sheet = fixture.openWorksheet(1);
    QVERIFY(sheet);
    typeRecord(Ana);
    click(sheet->controls().Command2);
    QString message = onlyMessage();
    QVERIFY2(message.startsWith(u"No se pudo imprimir la hoja: "_s + said) &&
                 message.contains(built.fileName()) && message.contains(u"Vuelva a instalar MERLOX2"_s),
             qPrintable(message));
    QVERIFY(!fixture.screens().ended());
    checkRestored(sheet);
    QCOMPARE(boxesOf(sheet), Ana);

    // Once the module is in its place, the next print goes through it, here to a print server that is not
    // there.
    QFile::remove(module);
    QVERIFY(QFile::copy(built.filePath(), module));
    const ScopedEnv cupsServer("CUPS_SERVER", QFile::encodeName(folder.filePath(u"no-cups.sock"_s)));
    click(sheet->controls().Command2);
    message = onlyMessage();
    QVERIFY2(message.contains(u"no hay conexión con el servidor de impresión"_s), qPrintable(message));
    checkRestored(sheet);
}

} // namespace merlox2::test

QTEST_MAIN(merlox2::test::TestPrintFailures)
#include "TestPrintFailures.moc"
