// IMPRIMIR when the print system fails, and what one print costs in memory. The tests talk only to the
// CUPS server named by CUPS_SERVER (a private one that scripts/test.sh starts), or to a fake server of
// their own that never answers; the machine's own CUPS is never touched.

#include "WorksheetDriver.h"

#include "forms/MessageBox.h"
#include "platform/Modules.h"
#include "platform/Printing.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <netinet/in.h>
#include <poll.h>
#include <signal.h> // NOLINT(modernize-deprecated-headers): kill(), SIGSTOP and SIGCONT are POSIX, not in <csignal>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <optional>
#include <thread>
#include <vector>

using namespace Qt::StringLiterals;

namespace merlox2::test {

namespace {

// The longest a click may hold the screen still: the print server's limit, and room for drawing and
// sending the page on a machine that is busy with other work (a sanitizer build, a compile beside the
// tests). What it catches is a wait without a limit (libcups' own is a minute), not a slow machine.
constexpr qint64 SlowMachineMs = 2500;
constexpr qint64 ClickBudgetMs = PrintServerAnswerWithinMs + SlowMachineMs;

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

// The socket calls take every kind of address as a sockaddr, the POSIX way.
template <typename Address>
sockaddr *asSockaddr(Address *address)
{
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast): what every socket call is given
    return reinterpret_cast<sockaddr *>(address);
}

int listenOnSocketFile(const QByteArray &path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), qMin<size_t>(path.size(), sizeof address.sun_path - 1));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd >= 0 && ::bind(fd, asSockaddr(&address), sizeof address) == 0 && ::listen(fd, 16) == 0)
        return fd;
    if (fd >= 0)
        ::close(fd);
    return -1;
}

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
            m_fd = listenOnSocketFile(path);
            if (m_fd >= 0)
                m_address = path;
        } else {
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            socklen_t length = sizeof address;
            m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
            if (m_fd >= 0 && ::bind(m_fd, asSockaddr(&address), sizeof address) == 0 &&
                ::listen(m_fd, 16) == 0 && ::getsockname(m_fd, asSockaddr(&address), &length) == 0)
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

// Whether a client's bytes hold a Send-Document request: an IPP body (version 1 or 2, operation 6) right
// after the HTTP headers, or after the first chunk's size line when the body comes in chunks.
bool holdsSendDocument(const QByteArray &stream)
{
    for (qsizetype end = stream.indexOf("\r\n\r\n"); end >= 0; end = stream.indexOf("\r\n\r\n", end + 1)) {
        const qsizetype chunkLine = stream.indexOf("\r\n", end + 4);
        for (qsizetype body : {end + 4, chunkLine >= 0 && chunkLine - end <= 12 ? chunkLine + 2 : end + 4}) {
            const QByteArray ipp = stream.mid(body, 4);
            if (ipp.size() == 4 && (ipp[0] == 1 || ipp[0] == 2) && ipp[2] == 0 && ipp[3] == 6)
                return true;
        }
    }
    return false;
}

// Passes everything between the program and the private CUPS server, and stops the server (SIGSTOP) when a
// Send-Document request comes: the server falls silent just after it created the job, as a stuck one does,
// and the connection that brought the request is no longer read. The server runs again on thaw(), or when
// the relay ends.
class FreezingRelay {
public:
    FreezingRelay(const QString &dir, const QString &server, pid_t serverPid)
        : m_address(QFile::encodeName(dir + u"/relay.sock"_s)), m_server(QFile::encodeName(server)),
          m_serverPid(serverPid), m_listener(listenOnSocketFile(m_address))
    {
        if (m_listener >= 0)
            m_thread = std::thread([this] { run(); });
    }
    ~FreezingRelay()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        for (const Link &link : m_links) {
            ::close(link.client);
            ::close(link.server);
        }
        if (m_listener >= 0)
            ::close(m_listener);
        thaw();
    }
    FreezingRelay(const FreezingRelay &) = delete;
    FreezingRelay &operator=(const FreezingRelay &) = delete;

    QByteArray address() const { return m_listener >= 0 ? m_address : QByteArray(); }
    bool froze() const { return m_froze; }
    qint64 msSinceFreeze() const
    {
        using namespace std::chrono;
        return m_froze ? duration_cast<milliseconds>(steady_clock::now() - m_frozeAt).count() : -1;
    }
    void thaw()
    {
        if (m_froze.exchange(false))
            ::kill(m_serverPid, SIGCONT);
    }

private:
    struct Link {
        int client;
        int server;
        QByteArray sent;
        bool held = false;
    };

    void run()
    {
        while (!m_stop) {
            std::vector<pollfd> fds{{m_listener, POLLIN, 0}};
            for (const Link &link : m_links) {
                fds.push_back(
                    {link.client, short(link.held ? 0 : POLLIN), 0}); // a held one: its hang-up only
                fds.push_back({link.server, POLLIN, 0});
            }
            if (::poll(fds.data(), fds.size(), 50) <= 0)
                continue;
            for (std::size_t i = m_links.size(); i-- > 0;) {
                Link &link = m_links[i];
                const short fromClient = fds[1 + 2 * i].revents;
                const short fromServer = fds[2 + 2 * i].revents;
                const bool open = (!fromClient || (!link.held && pass(link.client, link.server, &link))) &&
                                  (!fromServer || pass(link.server, link.client, nullptr));
                if (!open) {
                    ::close(link.client); // the server sees the client go, as it would without us
                    ::close(link.server);
                    m_links.erase(m_links.begin() + qsizetype(i));
                }
            }
            if (fds[0].revents & POLLIN)
                accept();
        }
    }

    void accept()
    {
        const int client = ::accept(m_listener, nullptr, nullptr);
        const int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, m_server.constData(),
                    qMin<size_t>(m_server.size(), sizeof address.sun_path - 1));
        if (client >= 0 && server >= 0 && ::connect(server, asSockaddr(&address), sizeof address) == 0) {
            m_links.push_back({client, server, {}, false});
            return;
        }
        ::close(client);
        ::close(server);
    }

    bool pass(int from, int to, Link *watched)
    {
        char buffer[65536];
        const ssize_t got = ::recv(from, buffer, sizeof buffer, 0);
        if (got <= 0)
            return false;
        if (watched) {
            watched->sent.append(buffer, got);
            if (holdsSendDocument(watched->sent)) {
                if (!m_froze) {
                    m_frozeAt = std::chrono::steady_clock::now();
                    ::kill(m_serverPid, SIGSTOP);
                    m_froze = true;
                }
                watched->held = true;
            }
        }
        return ::send(to, buffer, size_t(got), MSG_NOSIGNAL) == got;
    }

    QByteArray m_address;
    QByteArray m_server;
    pid_t m_serverPid;
    int m_listener;
    std::vector<Link> m_links;
    std::chrono::steady_clock::time_point m_frozeAt; // set before m_froze
    std::atomic<bool> m_froze = false;
    std::atomic<bool> m_stop = false;
    std::thread m_thread;
};

// The private CUPS server of the test run, or why there is none.
QString privateCups(QString *server)
{
    *server = qEnvironmentVariable("CUPS_SERVER");
    if (server->isEmpty())
        return u"CUPS_SERVER is not set (scripts/test.sh starts a private CUPS server and sets it)"_s;
    for (const QString &tool :
         {u"lpstat"_s, u"lpadmin"_s, u"cupsreject"_s, u"cupsdisable"_s, u"cupsenable"_s}) {
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

// Whether the queue holds no job that has yet to end, waiting up to a minute for it.
bool queueEmptiesWithinAMinute(const QString &server, const QString &queue)
{
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        const ToolRun jobs = runTool(u"lpstat"_s, {u"-h"_s, server, u"-o"_s, queue});
        if (jobs.exitCode == 0 && jobs.output.trimmed().isEmpty())
            return true;
        if (waited.elapsed() > 60000)
            return false;
        QTest::qWait(250);
    }
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
    void printServerFallsSilentAfterCreatingTheJob();
    void stoppedPrinterKeepsTheSheetInItsQueue();
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

void TestPrintFailures::printServerFallsSilentAfterCreatingTheJob()
{
    QString server;
    if (const QString why = privateCups(&server); !why.isEmpty())
        MERLOX2_SKIP_OR_FAIL(why);
    const pid_t cupsd = qEnvironmentVariableIntValue("MERLOX2_TEST_CUPS_PID");
    const QString queue = defaultQueue(server);
    const QString output = qEnvironmentVariable("MERLOX2_TEST_PRINT_OUTPUT");
    if (cupsd <= 0 || queue.isEmpty() || output.isEmpty())
        MERLOX2_SKIP_OR_FAIL(u"no private CUPS daemon to stop (scripts/private-cups.sh starts one)"_s);
    QVERIFY2(queueEmptiesWithinAMinute(server, queue), "the queue still holds earlier jobs");
    QFile::remove(output);
    QTemporaryDir dir;
    FreezingRelay relay(dir.path(), server, cupsd);
    QVERIFY2(!relay.address().isEmpty(), "could not listen");
    const ScopedEnv cupsServer("CUPS_SERVER", relay.address());

    ProgramFixture fixture;
    Worksheet *sheet = fixture.openWorksheet(1);
    QVERIFY(sheet);
    typeRecord(Ana);
    click(sheet->controls().Command2);
    const qint64 heldMs = relay.msSinceFreeze();

    QVERIFY2(relay.froze(), "the program never sent the page");
    const QString message = onlyMessage();
    QVERIFY2(message.contains(u"el servidor de impresión no responde"_s), qPrintable(message));
    // Once the server is silent: what is left of the wait for the page, then the cancel's own short wait.
    const qint64 budgetMs = PrintServerAnswerWithinMs + PrintServerFollowUpWithinMs + SlowMachineMs;
    QVERIFY2(heldMs <= budgetMs,
             qPrintable(u"the click held the screen for %1 ms after the server fell silent"_s.arg(heldMs)));
    checkRestored(sheet);
    QCOMPARE(boxesOf(sheet), Ana);

    // Back again, the server carries out the cancel it was sent while silent: no job is left waiting for
    // a page, and no sheet comes out after the teacher was told it failed.
    relay.thaw();
    QVERIFY2(queueEmptiesWithinAMinute(server, queue),
             qPrintable(runTool(u"lpstat"_s, {u"-h"_s, server, u"-l"_s, u"-o"_s, queue}).output));
    QVERIFY2(!QFileInfo::exists(output), "the sheet printed after all");
}

void TestPrintFailures::stoppedPrinterKeepsTheSheetInItsQueue()
{
    QString server;
    if (const QString why = privateCups(&server); !why.isEmpty())
        MERLOX2_SKIP_OR_FAIL(why);
    const QString queue = defaultQueue(server);
    const QString output = qEnvironmentVariable("MERLOX2_TEST_PRINT_OUTPUT");
    if (queue.isEmpty() || output.isEmpty())
        MERLOX2_SKIP_OR_FAIL(u"no private CUPS daemon with a queue (scripts/private-cups.sh starts one)"_s);
    QVERIFY2(queueEmptiesWithinAMinute(server, queue), "the queue still holds earlier jobs");
    QFile::remove(output);
    const ToolRun stopped = runTool(u"cupsdisable"_s, {u"-h"_s, server, queue});
    const auto resume = qScopeGuard([&] { runTool(u"cupsenable"_s, {u"-h"_s, server, queue}); });
    QVERIFY2(stopped.exitCode == 0, qPrintable(stopped.output));

    ProgramFixture fixture;
    Worksheet *sheet = fixture.openWorksheet(1);
    QVERIFY(sheet);
    typeRecord(Ana);
    click(sheet->controls().Command2);

    // Not a failure: the sheet is in the queue, and printing it again would give two.
    const QString message = onlyMessage();
    QVERIFY2(message.contains(queue) && message.contains(u"está detenida"_s) &&
                 message.contains(u"espera en su cola"_s) && !message.contains(u"No se pudo"_s),
             qPrintable(message));
    checkRestored(sheet);
    QVERIFY2(!runTool(u"lpstat"_s, {u"-h"_s, server, u"-o"_s, queue}).output.trimmed().isEmpty(),
             "the sheet is not in the queue");
    QVERIFY(!QFileInfo::exists(output));

    // Resumed, the printer prints the sheet that waited.
    QCOMPARE(runTool(u"cupsenable"_s, {u"-h"_s, server, queue}).exitCode, 0);
    QVERIFY2(queueEmptiesWithinAMinute(server, queue),
             "the sheet did not print once the printer was resumed");
    QVERIFY2(QFileInfo(output).size() > 0, qPrintable(u"the queue wrote nothing to "_s + output));
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
    setModuleFolders({folder.path()});
    const auto restore = qScopeGuard([&built] { setModuleFolders({built.absolutePath()}); });

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
