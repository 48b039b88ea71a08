#include "records/GradeFile.h"
#include "support/Files.h"
#include "support/Unprivileged.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <optional>

// The system's calls fail on demand only through the POSIX file layer's table; the cases that need it, or
// another user, or a process killed part way, run on Unix. The others run on Windows too.
#ifdef Q_OS_UNIX
#include "records/SystemCalls.h"
#include "support/LatePipeWriter.h"

#include <QElapsedTimer>

#include <csignal>

#include <fcntl.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include <windows.h>
#endif

using namespace Qt::StringLiterals;
using merlox2::test::AsNobody;
using merlox2::test::contentOf;
using merlox2::test::setMode;
using merlox2::test::writeFile;

namespace merlox2 {

class TestGradeFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fileNameForGrade();
    void load_data();
    void load();
    void store_data();
    void store();
    void storeRecordsWritesOnlyThose();
    void reservedBytesRoundTrip();
    void failures_data();
    void failures();
#ifdef Q_OS_UNIX
    void failingCalls_data();
    void failingCalls();
    void systemCauses_data();
    void systemCauses();
#endif
    void recordOutsideTheRoster();
#ifdef Q_OS_UNIX
    void notARegularFile_data();
    void notARegularFile();
    void pipeAppearingDuringAStore();
    void storesThroughALink();
    void keepsOwnerAndPermissions_data();
    void keepsOwnerAndPermissions();
    void killedStore_data();
    void killedStore();
#endif
    void removesOnlyLeftovers();
#ifdef Q_OS_WIN
    void inUse_data();
    void inUse();
#endif
};

namespace {

enum class Operation { Load, StoreRecord5, StoreRoster };
enum class As { Root, FullDisk, Nobody };

// Slot 0 is filled too, so that a write of it would show in the file.
Roster filledRoster()
{
    Roster roster;
    for (int n = 0; n <= Roster::LastSlot; ++n) {
        // Text the file can hold: the fields take it.
        (void)roster[n].setField(StudentRecord::Nombre, u"Alumno número %1"_s.arg(n));
        (void)roster[n].setField(StudentRecord::Edad, u"1%1"_s.arg(n % 10));
    }
    return roster;
}

QByteArray pattern(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char(i * 7 + 3);
    return bytes;
}

// What in-place writes of slots first to last give over content, a gap before them zero-filled.
QByteArray written(const Roster &roster, int first, int last, QByteArray content = {})
{
    content.resize(std::max<qsizetype>(content.size(), qsizetype{last} * 130), '\0');
    for (int n = first; n <= last; ++n)
        content.replace(qsizetype{n - 1} * 130, 130, roster[n].bytes());
    return content;
}

// Owned by "nobody" where we are root, so that the unprivileged cases meet the mode as given.
void placeFile(const QString &path, const QByteArray &bytes, int mode = 0644)
{
    writeFile(path, bytes, mode);
    if (QTest::currentTestFailed())
        return;
#ifdef Q_OS_UNIX
    if (const passwd *nobody = getpwnam("nobody"); nobody && geteuid() == 0)
        QCOMPARE(::chown(QFile::encodeName(path).constData(), nobody->pw_uid, nobody->pw_gid), 0);
#endif
}

#ifdef Q_OS_UNIX
int modeOf(const QString &path)
{
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? int(status.st_mode & 07777) : -1;
}
#endif

// Every entry below the folder with its content: shows what changed and any temporary file left behind.
// Links and special files (pipes, sockets, devices) are shown, never opened.
QMap<QString, QByteArray> snapshot(const QTemporaryDir &dir)
{
    QMap<QString, QByteArray> entries;
    QDirIterator it(dir.path(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        const QByteArray content =
            info.isSymbolicLink()
                ? "<link to " + QDir(dir.path()).relativeFilePath(info.symLinkTarget()).toUtf8() + '>'
            : info.isDir()   ? "<folder>"_ba
            : !info.isFile() ? "<special>"_ba
                             : contentOf(path);
        entries.insert(path.mid(dir.path().size() + 1), content);
    }
    return entries;
}

// Nothing where "nobody" can't be taken on or can't reach the file's folder.
std::optional<Result<void>> perform(Operation operation, const QString &path, Roster &roster,
                                    As as = As::Root)
{
#ifdef Q_OS_UNIX
    // A lowered file-size limit fails writes with EFBIG even for root, as a full disk would.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto restoreLimit = qScopeGuard([saved, handler = std::signal(SIGXFSZ, SIG_IGN)] {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, handler);
    });
    rlimit lowered = saved;
    lowered.rlim_cur = as == As::FullDisk ? 1000 : saved.rlim_cur;
    setrlimit(RLIMIT_FSIZE, &lowered);

    const AsNobody nobody(as == As::Nobody);
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    if (as == As::Nobody &&
        (geteuid() == 0 || faccessat(AT_FDCWD, folder.constData(), X_OK, AT_EACCESS) != 0))
        return std::nullopt;
#else
    // No file-size limit to lower. The read-only attribute holds for every user, so no other is needed.
    if (as == As::FullDisk)
        return std::nullopt;
#endif

    const GradeFile file(path);
    switch (operation) {
    case Operation::Load: return file.loadRoster(roster);
    case Operation::StoreRecord5: return file.storeRecord(roster, 5);
    case Operation::StoreRoster: return file.storeRoster(roster);
    }
    return std::nullopt;
}

// Says why in the test's log when it did not.
bool succeeded(const Result<void> &result)
{
    if (!result.ok())
        qWarning("action %d, cause %d, system error %d: %s", int(result.error().action),
                 int(result.error().cause), result.error().systemCode, qPrintable(result.error().subject));
    return result.ok();
}

#ifdef Q_OS_UNIX
// A system call of the file layer that fails: its occurrence-th call (from 0) fails with errnum, or the
// process dies there when errnum is Kill.
struct Fault {
    const char *call;
    int occurrence;
    int errnum;
};
constexpr int Kill = -1;

QList<Fault> g_faults;
QHash<QByteArray, int> g_calls; // calls made so far, by name
QStringList g_trace;            // the calls, failed ones marked, for the log of a failed test
int g_injected = 0;

bool injected(const char *call)
{
    const int seen = g_calls[call]++;
    for (const Fault &fault : std::as_const(g_faults)) {
        if (qstrcmp(fault.call, call) != 0 || fault.occurrence != seen)
            continue;
        if (fault.errnum == Kill)
            ::kill(::getpid(), SIGKILL);
        g_trace << u"%1#%2 fails"_s.arg(QLatin1StringView(call)).arg(seen);
        ++g_injected;
        errno = fault.errnum;
        return true;
    }
    g_trace << u"%1#%2"_s.arg(QLatin1StringView(call)).arg(seen);
    return false;
}

// The real calls, each of which fails where g_faults says so; the real table comes back at scope end.
[[nodiscard]] auto injectFaults(QList<Fault> faults)
{
    using filesystem::realSystemCalls;
    g_faults = std::move(faults);
    g_calls.clear();
    g_trace.clear();
    g_injected = 0;
    filesystem::SystemCalls &calls = filesystem::systemCalls();
    calls.open = [](const char *path, int flags, mode_t mode) {
        return injected("open") ? -1 : realSystemCalls().open(path, flags, mode);
    };
    calls.close = [](int fd) {
        if (injected("close")) {
            realSystemCalls().close(fd); // a failed close still releases the descriptor
            return -1;
        }
        return realSystemCalls().close(fd);
    };
    calls.fstat = [](int fd, struct stat *status) {
        return injected("fstat") ? -1 : realSystemCalls().fstat(fd, status);
    };
    calls.lstat = [](const char *path, struct stat *status) {
        return injected("lstat") ? -1 : realSystemCalls().lstat(path, status);
    };
    calls.readlink = [](const char *path, char *buffer, size_t size) {
        return injected("readlink") ? ssize_t(-1) : realSystemCalls().readlink(path, buffer, size);
    };
    calls.read = [](int fd, void *buffer, size_t size) {
        return injected("read") ? ssize_t(-1) : realSystemCalls().read(fd, buffer, size);
    };
    calls.write = [](int fd, const void *buffer, size_t size) {
        return injected("write") ? ssize_t(-1) : realSystemCalls().write(fd, buffer, size);
    };
    calls.fsync = [](int fd) { return injected("fsync") ? -1 : realSystemCalls().fsync(fd); };
    calls.fchmod = [](int fd, mode_t mode) {
        return injected("fchmod") ? -1 : realSystemCalls().fchmod(fd, mode);
    };
    calls.fchown = [](int fd, uid_t owner, gid_t group) {
        return injected("fchown") ? -1 : realSystemCalls().fchown(fd, owner, group);
    };
    calls.rename = [](const char *from, const char *to) {
        return injected("rename") ? -1 : realSystemCalls().rename(from, to);
    };
    calls.unlink = [](const char *path) { return injected("unlink") ? -1 : realSystemCalls().unlink(path); };
    calls.faccessat = [](int folder, const char *path, int mode, int flags) {
        return injected("faccessat") ? -1 : realSystemCalls().faccessat(folder, path, mode, flags);
    };
    return qScopeGuard([] {
        filesystem::systemCalls() = filesystem::realSystemCalls();
        g_faults.clear();
    });
}

struct Owner {
    uid_t user;
    gid_t group;
    friend bool operator==(const Owner &, const Owner &) = default;
};

Owner ownerOf(const QString &path)
{
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return {uid_t(-1), gid_t(-1)};
    return {status.st_uid, status.st_gid};
}

char *toString(const Owner &owner) { return QTest::toString(u"%1:%2"_s.arg(owner.user).arg(owner.group)); }
#endif

} // namespace

// Numbers in a failed comparison's log, where the enums have no names.
char *toString(Cause cause) { return QTest::toString(int(cause)); }
char *toString(Action action) { return QTest::toString(int(action)); }

namespace {

const QString FileName = GradeFile::fileNameForGrade(1);

const std::pair<const char *, Operation> Operations[] = {
    {"roster load", Operation::Load},
    {"record store", Operation::StoreRecord5},
    {"roster store", Operation::StoreRoster},
};

} // namespace

void TestGradeFile::fileNameForGrade()
{
    QCOMPARE(GradeFile::fileNameForGrade(1), u"secundaria1.dat"_s);
    QCOMPARE(GradeFile::fileNameForGrade(3), u"secundaria3.dat"_s);
}

void TestGradeFile::load_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("first use: missing file created empty, roster untouched") << false << QByteArray();
    QTest::newRow("empty file leaves the roster untouched") << true << QByteArray();
    QTest::newRow("bytes beyond 3,900 are not read") << true << pattern(3900) + QByteArray(500, 'T');
    QTest::newRow("short file reads the missing part as NUL") << true << pattern(200);
}

void TestGradeFile::load()
{
    QFETCH(bool, exists);
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    const QString path = dir.filePath(FileName);
    if (exists)
        placeFile(path, content);

    Roster roster = filledRoster();
    QVERIFY(succeeded(GradeFile(path).loadRoster(roster)));

    QByteArray expected = content.isEmpty() ? written(filledRoster(), 1, 30) : content.left(3900);
    expected.resize(3900, '\0');
    QCOMPARE(written(roster, 1, 30), expected);
    QCOMPARE(roster[0], filledRoster()[0]);
    QCOMPARE(contentOf(path), content);
}

void TestGradeFile::store_data()
{
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("loaded");
    QTest::addColumn<bool>("inPlace"); // the folder refuses a temporary file; the grade file is writable
    QTest::addColumn<int>("size");

    QTest::newRow("record 5 into an empty file: gap zero-filled")
        << Operation::StoreRecord5 << true << QByteArray() << true << false << 650;
    QTest::newRow("record 5 of a long file: the rest kept")
        << Operation::StoreRecord5 << true << pattern(4100) << true << false << 4100;
    QTest::newRow("never-loaded roster into a missing file: 3,900 zero bytes")
        << Operation::StoreRoster << false << QByteArray() << false << false << 3900;
    QTest::newRow("roster into a short file")
        << Operation::StoreRoster << true << pattern(500) << true << false << 3900;
    QTest::newRow("roster keeps the bytes beyond 3,900")
        << Operation::StoreRoster << true << pattern(4321) << true << false << 4321;
#ifdef Q_OS_UNIX
    QTest::newRow("read-only folder: record 5 written in place")
        << Operation::StoreRecord5 << true << pattern(4000) << true << true << 4000;
    QTest::newRow("read-only folder: roster written in place")
        << Operation::StoreRoster << true << pattern(4000) << true << true << 4000;
#endif
}

// An import writes the slots it fills in one store: the others, the tail beyond 3,900 included, stay; a slot
// outside 1 to 30 refuses the whole store.
void TestGradeFile::storeRecordsWritesOnlyThose()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(FileName);
    const QByteArray content = pattern(4321);
    placeFile(path, content);
    const Roster roster = filledRoster();
    QVERIFY(GradeFile(path).storeRecords(roster, {2, 29}));
    QCOMPARE(contentOf(path), written(roster, 29, 29, written(roster, 2, 2, content)));
    const Result<void> refused = GradeFile(path).storeRecords(Roster(), {3, 31});
    QVERIFY(!refused);
    QCOMPARE(refused.error().cause, Cause::NoSuchRecord);
    QCOMPARE(contentOf(path), written(roster, 29, 29, written(roster, 2, 2, content)));
}

void TestGradeFile::store()
{
    QFETCH(Operation, operation);
    QFETCH(bool, exists);
    QFETCH(QByteArray, content);
    QFETCH(bool, loaded);
    QFETCH(bool, inPlace);
    QFETCH(int, size);
    QTemporaryDir dir;
    const QString path = dir.filePath(FileName);
    if (exists)
        placeFile(path, content, 0640);
    const auto restore = qScopeGuard([&] { setMode(dir.path(), 0700); });
    setMode(dir.path(), inPlace ? 0555 : 0700);

    Roster roster = loaded ? filledRoster() : Roster();
    QVERIFY(roster[0].setField(StudentRecord::Nombre, u"nunca se escribe"_s));
    const auto result = perform(operation, path, roster, inPlace ? As::Nobody : As::Root);
    if (!result)
        MERLOX2_SKIP_UNPRIVILEGED("no user 'nobody' who can reach the temporary folder");
    QVERIFY(succeeded(*result));

    const bool one = operation == Operation::StoreRecord5;
    const QByteArray expected = written(roster, one ? 5 : 1, one ? 5 : 30, content);
    QCOMPARE(expected.size(), size);
    QCOMPARE(snapshot(dir), (QMap<QString, QByteArray>{{FileName, expected}}));
    QVERIFY(loaded || expected == QByteArray(3900, '\0'));
#ifdef Q_OS_UNIX
    if (exists)
        QCOMPARE(modeOf(path), 0640); // the new content keeps the old file's permissions
#endif
}

// Bytes 90-129 of the records hold every byte value; the teacher edits every name.
void TestGradeFile::reservedBytesRoundTrip()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(FileName);
    QByteArray content = pattern(3900) + "tail"_ba;
    for (int i = 0; i < 30 * 40; ++i)
        content[(i / 40) * 130 + 90 + i % 40] = char(i);
    placeFile(path, content);
    const GradeFile file(path);

    Roster roster;
    QVERIFY(succeeded(file.loadRoster(roster)));
    for (int n = 1; n <= 30; ++n)
        QVERIFY(roster[n].setField(StudentRecord::Nombre, u"Ñandú Pérez %1"_s.arg(n)));
    QVERIFY(succeeded(file.storeRoster(roster)));

    for (int n = 1; n <= 30; ++n)
        content.replace(qsizetype{n - 1} * 130, 30, roster[n].bytes().left(30));
    QCOMPARE(contentOf(path), content);
}

// Failures that hold for root too; each leaves every file, and the roster, as they were.
void TestGradeFile::failures_data()
{
    QTest::addColumn<QString>("place");
    QTest::addColumn<As>("as");
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<Action>("action");
    QTest::addColumn<Cause>("cause");

    const struct {
        const char *name;
        QString place;
        As as;
        Cause cause;
        std::optional<Action> load; // none where a load succeeds
    } causes[] = {
        {"folder in place of the file", u"carpeta/"_s + FileName, As::Root, Cause::FolderInPlace,
         Action::ReadGradeFile},
        {"path below a regular file", FileName + u'/' + FileName, As::Root, Cause::NotAFolder,
         Action::CreateGradeFile},
        {"missing folder", u"nofolder/"_s + FileName, As::Root, Cause::MissingFolder,
         Action::CreateGradeFile},
#ifdef Q_OS_UNIX
        {"full disk", FileName, As::FullDisk, Cause::DiskFull, std::nullopt},
        {"read-only folder, missing file", u"vacia/"_s + FileName, As::Nobody, Cause::FolderWriteDenied,
         Action::CreateGradeFile},
        {"read-only folder, write-protected file", u"protegido/"_s + FileName, As::Nobody,
         Cause::WriteProtected, std::nullopt},
        {"unreadable file", u"ilegible/"_s + FileName, As::Nobody, Cause::ReadDenied, Action::ReadGradeFile},
#else
        {"read-only file", u"protegido/"_s + FileName, As::Root, Cause::WriteProtected, std::nullopt},
#endif
    };
    for (const auto &cause : causes) {
        for (const auto &[name, operation] : Operations) {
            const bool load = operation == Operation::Load;
            if (load && !cause.load)
                continue;
            QTest::addRow("%s, %s", cause.name, name)
                << cause.place << cause.as << operation << (load ? *cause.load : Action::SaveGradeFile)
                << cause.cause;
        }
    }
}

void TestGradeFile::failures()
{
    QFETCH(QString, place);
    QFETCH(As, as);
    QFETCH(Operation, operation);
    QFETCH(Action, action);
    QFETCH(Cause, cause);
    QTemporaryDir dir;
    const QDir folder(dir.path());
    QVERIFY(folder.mkpath(u"carpeta/"_s + FileName) && folder.mkdir(u"vacia"_s) &&
            folder.mkdir(u"protegido"_s) && folder.mkdir(u"ilegible"_s));
    placeFile(dir.filePath(FileName), pattern(3900));
    placeFile(dir.filePath(u"protegido/"_s + FileName), pattern(3900), 0400);
    placeFile(dir.filePath(u"ilegible/"_s + FileName), pattern(3900), 0200);
    const auto restore = qScopeGuard([&] {
        setMode(dir.filePath(u"vacia"_s), 0700);
        setMode(dir.filePath(u"protegido"_s), 0700);
    });
    setMode(dir.path(), 0755); // "nobody" passes through it
    setMode(dir.filePath(u"vacia"_s), 0555);
    setMode(dir.filePath(u"protegido"_s), 0555);
    const QMap<QString, QByteArray> before = snapshot(dir);

    Roster roster = filledRoster();
    const auto result = perform(operation, dir.filePath(place), roster, as);
    if (!result)
        MERLOX2_SKIP_UNPRIVILEGED("no user 'nobody' who can reach the temporary folder");

    QVERIFY(!result->ok());
    QCOMPARE(result->error().action, action);
    QCOMPARE(result->error().cause, cause);
    QCOMPARE(result->error().subject, dir.filePath(place));
    QCOMPARE(roster, filledRoster());
    QCOMPARE(snapshot(dir), before);
}

#ifdef Q_OS_UNIX
// What became of a store or load whose system call failed.
enum class Outcome {
    Refused,     // reported; every file, and the roster, as they were
    Stored,      // the new content, with the file's permissions, owner and group
    InPlace,     // the same, written over the old file because the new one could not take its attributes
    Unconfirmed, // reported, though the new content is already in place
};

// Every system call of load and store, failing alone: only "no such file" may be taken for a missing file,
// and no failure passes for a good store.
void TestGradeFile::failingCalls_data()
{
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QList<Fault>>("faults");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<Action>("action");
    QTest::addColumn<Cause>("cause");

    const auto row = [](const char *name, Operation operation, const QList<Fault> &faults, Outcome outcome,
                        Action action = {}, Cause cause = {}, bool exists = true) {
        QTest::newRow(name) << operation << exists << faults << outcome << action << cause;
    };
    const auto Save = Action::SaveGradeFile;
    const auto Read = Action::ReadGradeFile;
    const auto Record = Operation::StoreRecord5;

    // Store, in the order the calls are made. Before the first of them fails, the store reads the file.
    row("existence check: I/O error", Record, {{"lstat", 0, EIO}}, Outcome::Refused, Save, Cause::IoError);
    row("existence check: no memory", Record, {{"lstat", 0, ENOMEM}}, Outcome::Refused, Save,
        Cause::OutOfMemory);
    row("existence check, roster store: I/O error", Operation::StoreRoster, {{"lstat", 0, EIO}},
        Outcome::Refused, Save, Cause::IoError);
    row("opening to read: I/O error", Record, {{"open", 0, EIO}}, Outcome::Refused, Save, Cause::IoError);
    row("opening to read: no memory", Operation::StoreRoster, {{"open", 0, ENOMEM}}, Outcome::Refused, Save,
        Cause::OutOfMemory);
    row("opening to read: refused", Record, {{"open", 0, EACCES}}, Outcome::Refused, Save, Cause::ReadDenied);
    row("attributes of the file", Record, {{"fstat", 0, EIO}}, Outcome::Refused, Save, Cause::IoError);
    row("reading", Record, {{"read", 0, EIO}}, Outcome::Refused, Save, Cause::IoError);
    row("reading to the end", Operation::StoreRoster, {{"read", 1, EIO}}, Outcome::Refused, Save,
        Cause::IoError);
    row("whether the file may be written", Record, {{"faccessat", 0, EIO}}, Outcome::Refused, Save,
        Cause::IoError);
    row("creating the temporary file", Record, {{"open", 1, EIO}}, Outcome::Refused, Save, Cause::IoError);
    row("owner of the temporary file unknown", Record, {{"fstat", 1, EIO}}, Outcome::InPlace);
    row("owner and group not given", Record, {{"fchown", 0, EPERM}}, Outcome::InPlace);
    row("permissions not given", Record, {{"fchmod", 0, EPERM}}, Outcome::InPlace);
    row("permissions not given, roster store", Operation::StoreRoster, {{"fchmod", 0, EIO}},
        Outcome::InPlace);
    row("writing: disk full", Record, {{"write", 0, ENOSPC}}, Outcome::Refused, Save, Cause::DiskFull);
    row("flushing the data to disk", Record, {{"fsync", 0, EIO}}, Outcome::Refused, Save, Cause::IoError);
    row("flushing the data to disk, roster store", Operation::StoreRoster, {{"fsync", 0, EIO}},
        Outcome::Refused, Save, Cause::IoError);
    row("closing the temporary file", Record, {{"close", 1, EIO}}, Outcome::Refused, Save, Cause::IoError);
    row("what stands in the file's place", Record, {{"lstat", 1, EIO}}, Outcome::Refused, Save,
        Cause::IoError);
    row("putting the new file in place", Record, {{"rename", 0, EIO}}, Outcome::Refused, Save,
        Cause::IoError);
    row("opening the folder to flush it", Record, {{"open", 2, EIO}}, Outcome::Unconfirmed,
        Action::FinishSavingGradeFile, Cause::IoError);
    row("flushing the folder", Record, {{"fsync", 1, EIO}}, Outcome::Unconfirmed,
        Action::FinishSavingGradeFile, Cause::IoError);
    row("a folder that can't be flushed", Record, {{"fsync", 1, EINVAL}}, Outcome::Stored);
    // In place, after the temporary file could not take the file's permissions.
    row("in place: opening", Record, {{"fchmod", 0, EPERM}, {"open", 2, EIO}}, Outcome::Refused, Save,
        Cause::IoError);
    row("in place: writing", Record, {{"fchmod", 0, EPERM}, {"write", 0, ENOSPC}}, Outcome::Refused, Save,
        Cause::DiskFull);
    row("in place: flushing", Record, {{"fchmod", 0, EPERM}, {"fsync", 0, EIO}}, Outcome::Unconfirmed, Save,
        Cause::IoError);

    // Load.
    row("load: opening, I/O error", Operation::Load, {{"open", 0, EIO}}, Outcome::Refused, Read,
        Cause::IoError);
    row("load: opening, no memory", Operation::Load, {{"open", 0, ENOMEM}}, Outcome::Refused, Read,
        Cause::OutOfMemory);
    row("load: attributes", Operation::Load, {{"fstat", 0, EIO}}, Outcome::Refused, Read, Cause::IoError);
    row("load: reading", Operation::Load, {{"read", 0, EIO}}, Outcome::Refused, Read, Cause::IoError);
    row("load of a missing file: creating it", Operation::Load, {{"open", 1, EIO}}, Outcome::Refused,
        Action::CreateGradeFile, Cause::IoError, false);
}

void TestGradeFile::failingCalls()
{
    QFETCH(Operation, operation);
    QFETCH(bool, exists);
    QFETCH(QList<Fault>, faults);
    QFETCH(Outcome, outcome);
    QFETCH(Action, action);
    QFETCH(Cause, cause);
    const bool owned = std::any_of(faults.begin(), faults.end(),
                                   [](const Fault &fault) { return qstrcmp(fault.call, "fchown") == 0; });
    if (owned && geteuid() != 0)
        MERLOX2_SKIP_UNPRIVILEGED("the file belongs to another user only where the test runs as root");

    QTemporaryDir dir;
    const QString path = dir.filePath(FileName);
    // The tail shows that a roster store keeps it.
    const QByteArray old = pattern(3900) + "tail"_ba;
    if (exists)
        placeFile(path, old, 0644);
    const Owner owner = ownerOf(path);
    const QMap<QString, QByteArray> before = snapshot(dir);

    Roster roster = filledRoster();
    std::optional<Result<void>> result;
    {
        const auto realCalls = injectFaults(faults);
        result = perform(operation, path, roster, As::Root);
    }
    QVERIFY2(g_injected == faults.size(), qPrintable(g_trace.join(u' ')));

    const bool load = operation == Operation::Load;
    const bool one = operation == Operation::StoreRecord5;
    const QByteArray stored = written(filledRoster(), one ? 5 : 1, one ? 5 : 30, old);
    switch (outcome) {
    case Outcome::Refused:
    case Outcome::Unconfirmed:
        QVERIFY(!result->ok());
        QCOMPARE(result->error().action, action);
        QCOMPARE(result->error().cause, cause);
        QCOMPARE(result->error().subject, path);
        QCOMPARE(result->error().systemCode, faults.last().errnum); // the failure reported is the last
        break;
    case Outcome::Stored:
    case Outcome::InPlace: QVERIFY(succeeded(*result)); break;
    }
    QCOMPARE(roster, filledRoster());
    if (outcome == Outcome::Refused || load) {
        QCOMPARE(snapshot(dir), before);
        return;
    }
    QCOMPARE(snapshot(dir), (QMap<QString, QByteArray>{{FileName, stored}}));
    QCOMPARE(modeOf(path), 0644);
    QCOMPARE(ownerOf(path), owner);
}

// The system's error numbers as the causes they stand for, whichever call meets them: a refused or missing
// file, one in use, a full or read-only disk, a lack of memory, and a number without a cause of its own.
void TestGradeFile::systemCauses_data()
{
    QTest::addColumn<bool>("exists"); // else the load creates the file, and that fails
    QTest::addColumn<int>("errnum");
    QTest::addColumn<Action>("action");
    QTest::addColumn<Cause>("cause");

    const auto opening = [](const char *name, int errnum, Cause cause) {
        QTest::newRow(name) << true << errnum << Action::ReadGradeFile << cause;
    };
    const auto creating = [](const char *name, int errnum, Cause cause) {
        QTest::newRow(name) << false << errnum << Action::CreateGradeFile << cause;
    };
    opening("refused", EACCES, Cause::ReadDenied);
    opening("not permitted", EPERM, Cause::ReadDenied);
    opening("a folder", EISDIR, Cause::FolderInPlace);
    opening("busy", EBUSY, Cause::InUse);
    opening("being run", ETXTBSY, Cause::InUse);
    opening("locked by another program", EAGAIN, Cause::InUse);
    opening("disk full", ENOSPC, Cause::DiskFull);
    opening("quota", EDQUOT, Cause::DiskFull);
    opening("file-size limit", EFBIG, Cause::DiskFull);
    opening("read-only disk", EROFS, Cause::ReadOnlyDisk);
    opening("no memory", ENOMEM, Cause::OutOfMemory);
    opening("too many files of the process", EMFILE, Cause::TooManyOpenFiles);
    opening("too many files of the system", ENFILE, Cause::TooManyOpenFiles);
    opening("name too long", ENAMETOOLONG, Cause::NameTooLong);
    opening("I/O error", EIO, Cause::IoError);
    opening("a number without a cause of its own", ELOOP, Cause::Other);
    creating("folder missing", ENOENT, Cause::MissingFolder);
    creating("a part of the path a file", ENOTDIR, Cause::NotAFolder);
    creating("folder refused", EACCES, Cause::FolderWriteDenied);
    creating("made by another program meanwhile, twice", EEXIST, Cause::AlreadyExists);
}

void TestGradeFile::systemCauses()
{
    QFETCH(bool, exists);
    QFETCH(int, errnum);
    QFETCH(Action, action);
    QFETCH(Cause, cause);
    QTemporaryDir dir;
    const QString path = dir.filePath(FileName);
    if (exists)
        placeFile(path, pattern(3900));

    Roster roster = filledRoster();
    std::optional<Result<void>> result;
    {
        // A missing file is looked for, then created; a file that appeared meanwhile is looked for again.
        const QList<Fault> faults = exists ? QList<Fault>{{"open", 0, errnum}}
                                           : QList<Fault>{{"open", 1, errnum}, {"open", 3, errnum}};
        const auto realCalls = injectFaults(faults);
        result = perform(Operation::Load, path, roster);
    }
    QVERIFY(!result->ok());
    QCOMPARE(result->error().action, action);
    QCOMPARE(result->error().cause, cause);
    QCOMPARE(result->error().subject, path);
    QCOMPARE(result->error().systemCode, errnum);
    QCOMPARE(roster, filledRoster());
}

#endif

// A fault of the program, reported like a failure of the file: nothing is written.
void TestGradeFile::recordOutsideTheRoster()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(FileName);
    placeFile(path, pattern(3900));
    const Result<void> stored = GradeFile(path).storeRecord(filledRoster(), 31);
    QVERIFY(!stored.ok());
    QCOMPARE(stored.error().cause, Cause::NoSuchRecord);
    QCOMPARE(stored.error().record, 31);
    QCOMPARE(contentOf(path), pattern(3900));
}

#ifdef Q_OS_UNIX
namespace {

// What has the grade file's name, where no regular file does.
enum class InPlace { Pipe, Socket, Device, LinkToPipe, LinkToDevNull, LinkToMissingFile };

} // namespace

// Each is refused at once, with a cause the teacher can act on, and left as it was: nothing is read from a
// pipe or device, nothing put in its place, and no file created through a link.
void TestGradeFile::notARegularFile_data()
{
    QTest::addColumn<InPlace>("inPlace");
    QTest::addColumn<Operation>("operation");
    const std::pair<const char *, InPlace> kinds[] = {
        {"a named pipe without a writer", InPlace::Pipe},
        {"a socket", InPlace::Socket},
        {"a device", InPlace::Device},
        {"a link to a named pipe", InPlace::LinkToPipe},
        {"a link to /dev/null", InPlace::LinkToDevNull},
        {"a link to a missing file", InPlace::LinkToMissingFile},
    };
    for (const auto &[kind, inPlace] : kinds) {
        for (const auto &[name, operation] : Operations) {
            // Should the store regress, it must not be the machine's /dev/null that it replaces.
            if (inPlace != InPlace::LinkToDevNull || operation == Operation::Load)
                QTest::addRow("%s, %s", kind, name) << inPlace << operation;
        }
    }
}

void TestGradeFile::notARegularFile()
{
    QFETCH(InPlace, inPlace);
    QFETCH(Operation, operation);
    const Cause cause = inPlace == InPlace::LinkToMissingFile ? Cause::DanglingLink : Cause::NotARegularFile;
    QTemporaryDir dir;
    const QString path = dir.filePath(FileName);
    const QByteArray name = QFile::encodeName(path);
    const QByteArray pipe =
        QFile::encodeName(inPlace == InPlace::LinkToPipe ? dir.filePath(u"tuberia"_s) : path);
    switch (inPlace) {
    case InPlace::Pipe: QCOMPARE(::mkfifo(pipe.constData(), 0666), 0); break;
    case InPlace::Socket: {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        QVERIFY(size_t(name.size()) < sizeof address.sun_path);
        qstrncpy(address.sun_path, name.constData(), sizeof address.sun_path);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QVERIFY(fd >= 0);
        // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast): bind() takes any address as a sockaddr
        const int bound = ::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address);
        ::close(fd); // the socket's file stays
        QCOMPARE(bound, 0);
        break;
    }
    case InPlace::Device:
        // One of our own, like /dev/null, so that a store that regressed can't harm the machine's.
        if (::mknod(name.constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
            MERLOX2_SKIP_UNPRIVILEGED("only root may make a device");
        break;
    case InPlace::LinkToPipe:
        QCOMPARE(::mkfifo(pipe.constData(), 0666), 0);
        QCOMPARE(::symlink("tuberia", name.constData()), 0);
        break;
    case InPlace::LinkToDevNull: QCOMPARE(::symlink("/dev/null", name.constData()), 0); break;
    case InPlace::LinkToMissingFile: QCOMPARE(::symlink("viejo.dat", name.constData()), 0); break;
    }
    const QMap<QString, QByteArray> before = snapshot(dir);

    Roster roster = filledRoster();
    std::optional<Result<void>> result;
    QElapsedTimer timer;
    {
        const test::LatePipeWriter writer(pipe);
        timer.start();
        result = perform(operation, path, roster);
    }
    QVERIFY2(timer.elapsed() < 1000, qPrintable(u"%1 ms"_s.arg(timer.elapsed())));
    QVERIFY(!result->ok());
    QCOMPARE(result->error().action,
             operation == Operation::Load ? Action::ReadGradeFile : Action::SaveGradeFile);
    QCOMPARE(result->error().cause, cause);
    if (cause == Cause::DanglingLink)
        QCOMPARE(result->error().place, dir.filePath(u"viejo.dat"_s)); // the file the teacher looks for
    QCOMPARE(roster, filledRoster());
    QCOMPARE(snapshot(dir), before);
}

// A pipe that takes the file's place while a store writes its temporary file is not replaced by it.
void TestGradeFile::pipeAppearingDuringAStore()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(FileName);
    placeFile(path, pattern(3900));
    static QByteArray name;
    static int looks;
    name = QFile::encodeName(path);
    looks = 0;
    // The store looks at the file twice: for links, then just before the rename.
    filesystem::systemCalls().lstat = [](const char *file, struct stat *status) {
        if (qstrcmp(file, name.constData()) == 0 && looks++ == 1 &&
            (::unlink(file) != 0 || ::mkfifo(file, 0666) != 0))
            return -1;
        return filesystem::realSystemCalls().lstat(file, status);
    };
    const auto realCalls = qScopeGuard([] { filesystem::systemCalls() = filesystem::realSystemCalls(); });

    const Result<void> stored = GradeFile(path).storeRecord(filledRoster(), 5);
    QCOMPARE(looks, 2);
    QVERIFY(!stored.ok());
    QCOMPARE(stored.error().cause, Cause::NotARegularFile);
    QCOMPARE(snapshot(dir), (QMap<QString, QByteArray>{{FileName, "<special>"_ba}}));
}

// A grade file that is a link to one elsewhere (in a shared folder, say) is read and stored through the
// link, which stays.
void TestGradeFile::storesThroughALink()
{
    QTemporaryDir dir;
    const QString target = u"compartida/"_s + FileName;
    QVERIFY(QDir(dir.path()).mkdir(u"compartida"_s));
    placeFile(dir.filePath(target), pattern(3900), 0640);
    QCOMPARE(::symlink(QFile::encodeName(target).constData(),
                       QFile::encodeName(dir.filePath(FileName)).constData()),
             0);
    const GradeFile file(dir.filePath(FileName));

    Roster roster;
    QVERIFY(succeeded(file.loadRoster(roster)));
    QCOMPARE(written(roster, 1, 30), pattern(3900));
    roster[5] = filledRoster()[5];
    QVERIFY(succeeded(file.storeRecord(roster, 5)));
    QCOMPARE(snapshot(dir), (QMap<QString, QByteArray>{{u"compartida"_s, "<folder>"_ba},
                                                       {target, written(roster, 5, 5, pattern(3900))},
                                                       {FileName, "<link to " + target.toUtf8() + '>'}}));
    QCOMPARE(modeOf(dir.filePath(target)), 0640);
}

// Root, or anyone who stores a file of another owner or group, gives the new file what the old one had,
// or writes over the old one where it can't.
void TestGradeFile::keepsOwnerAndPermissions_data()
{
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<As>("as");
    QTest::addColumn<bool>("nobodysFile"); // else root's
    QTest::addColumn<int>("group");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("inPlace");

    const int nogroup = int(getpwnam("nobody") ? getpwnam("nobody")->pw_gid : 65534);
    QTest::newRow("root stores another user's write-protected file")
        << Operation::StoreRecord5 << As::Root << true << nogroup << 0444 << false;
    QTest::newRow("root stores another user's file, roster store")
        << Operation::StoreRoster << As::Root << true << nogroup << 0604 << false;
    QTest::newRow("root's file stored by another user in a shared folder")
        << Operation::StoreRecord5 << As::Nobody << false << 0 << 0666 << true;
    QTest::newRow("root's file stored by another user in a shared folder, roster store")
        << Operation::StoreRoster << As::Nobody << false << 0 << 0666 << true;
    QTest::newRow("own file of a group the user is not in")
        << Operation::StoreRecord5 << As::Nobody << true << 0 << 0664 << true;
}

void TestGradeFile::keepsOwnerAndPermissions()
{
    QFETCH(Operation, operation);
    QFETCH(As, as);
    QFETCH(bool, nobodysFile);
    QFETCH(int, group);
    QFETCH(int, mode);
    QFETCH(bool, inPlace);
    const passwd *nobody = getpwnam("nobody");
    if (geteuid() != 0 || !nobody)
        MERLOX2_SKIP_UNPRIVILEGED(
            "files of other users can be made only by root, and there must be a user 'nobody'");

    QTemporaryDir dir;
    const QString path = dir.filePath(FileName);
    const QByteArray old = pattern(4000);
    placeFile(path, old, mode);
    const Owner owner{nobodysFile ? nobody->pw_uid : 0, gid_t(group)};
    QCOMPARE(::chown(QFile::encodeName(path).constData(), owner.user, owner.group), 0);
    setMode(dir.path(), 0777);
    struct stat status {};
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &status), 0);
    const ino_t oldFile = status.st_ino;

    Roster roster = filledRoster();
    const auto result = perform(operation, path, roster, as);
    if (!result)
        MERLOX2_SKIP_UNPRIVILEGED("no user 'nobody' who can reach the temporary folder");
    QVERIFY(succeeded(*result));

    const bool one = operation == Operation::StoreRecord5;
    QCOMPARE(snapshot(dir),
             (QMap<QString, QByteArray>{{FileName, written(roster, one ? 5 : 1, one ? 5 : 30, old)}}));
    QCOMPARE(modeOf(path), mode);
    QCOMPARE(ownerOf(path), owner);
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &status), 0);
    // Replaced where it could be, so that a crash leaves either file whole.
    QCOMPARE(status.st_ino == oldFile, inPlace);
}

// A store killed at each step leaves the old content or the new, byte for byte, and at most its own temporary
// file, which the next store removes.
void TestGradeFile::killedStore_data()
{
    QTest::addColumn<QList<Fault>>("faults");
    QTest::addColumn<bool>("newContent");
    QTest::addColumn<bool>("leftover");

    QTest::newRow("before reading") << QList<Fault>{{"open", 0, Kill}} << false << false;
    QTest::newRow("before writing the temporary file") << QList<Fault>{{"write", 0, Kill}} << false << true;
    QTest::newRow("before flushing it") << QList<Fault>{{"fsync", 0, Kill}} << false << true;
    QTest::newRow("before the rename") << QList<Fault>{{"rename", 0, Kill}} << false << true;
    QTest::newRow("before flushing the folder") << QList<Fault>{{"fsync", 1, Kill}} << true << false;
    QTest::newRow("in place, before writing")
        << QList<Fault>{{"fchmod", 0, EPERM}, {"write", 0, Kill}} << false << false;
}

void TestGradeFile::killedStore()
{
    QFETCH(QList<Fault>, faults);
    QFETCH(bool, newContent);
    QFETCH(bool, leftover);
    QTemporaryDir dir;
    const QString path = dir.filePath(FileName);
    const QByteArray old = pattern(3900) + "tail"_ba;
    placeFile(path, old);
    Roster roster = filledRoster();

    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        const auto realCalls = injectFaults(faults);
        const bool stored = GradeFile(path).storeRoster(roster).ok();
        ::_exit(stored ? 0 : 1); // only reached where the store was not killed
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);

    const QByteArray stored = written(roster, 1, 30, old);
    QMap<QString, QByteArray> entries = snapshot(dir);
    QCOMPARE(entries.take(FileName), newContent ? stored : old);
    QCOMPARE(entries.size(), leftover ? 1 : 0);
    if (leftover)
        QVERIFY(entries.firstKey().startsWith(FileName + u'.'));

    QVERIFY(roster[7].setField(StudentRecord::Nombre, u"Otro alumno"_s));
    QVERIFY(succeeded(GradeFile(path).storeRecord(roster, 7)));
    QCOMPARE(snapshot(dir),
             (QMap<QString, QByteArray>{{FileName, written(roster, 7, 7, newContent ? stored : old)}}));
}

#endif

// Only names of the form of the store's own temporary files go, and only its own grade's.
void TestGradeFile::removesOnlyLeftovers()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(FileName);
    placeFile(path, pattern(3900));
    const QString tmp = FileName + u".guardando-"_s;
    const QStringList leftovers{tmp + u"Ab3xYz"_s, tmp + u"QWERTY"_s, tmp + u"000000"_s};
    // A teacher's own copies among them: six letters after the name are no sign of a leftover.
    const QStringList others{
        FileName + u".lock"_s,      FileName + u".bak"_s,
        FileName + u".backup"_s,    FileName + u".Ab3xYz"_s,
        tmp + u"Ab3xYz.txt"_s,      tmp + u"Ab3xYzW"_s,
        tmp + u"Ab3x_z"_s,          tmp + u"Ab3xYñ"_s,
        tmp + u"Ab3xY"_s,           u"secundaria2.dat.guardando-Ab3xYz"_s,
        u"x"_s + tmp + u"Ab3xYz"_s, FileName + u"guardando-Ab3xYz"_s,
    };
    for (const QString &name : leftovers + others)
        placeFile(dir.filePath(name), "copia"_ba);
    QVERIFY(QDir(dir.path()).mkdir(FileName + u".Folder"_s));
    Roster roster = filledRoster();

    // A failed store leaves them all.
    setMode(path, 0400);
    const auto refused = perform(Operation::StoreRecord5, path, roster, As::Nobody);
    setMode(path, 0644);
    if (refused)
        QVERIFY(!refused->ok());

    QMap<QString, QByteArray> expected = snapshot(dir);
    QVERIFY(succeeded(GradeFile(path).storeRecord(roster, 5)));
    for (const QString &name : leftovers)
        QVERIFY2(expected.remove(name) == 1, qPrintable(name));
    expected[FileName] = written(roster, 5, 5, pattern(3900));
    QCOMPARE(snapshot(dir), expected);
}

#ifdef Q_OS_WIN
// Another program has the grade file open (a spreadsheet, say) and shares it less than the load or store
// needs: the teacher is told so, and nothing changes.
void TestGradeFile::inUse_data()
{
    QTest::addColumn<quint32>("access");
    QTest::addColumn<quint32>("sharing");
    QTest::addColumn<bool>("loads");

    const quint32 readWrite = GENERIC_READ | GENERIC_WRITE;
    QTest::newRow("open for itself alone") << readWrite << quint32(0) << false;
    QTest::newRow("being written, others may read") << readWrite << quint32(FILE_SHARE_READ) << false;
    QTest::newRow("being read, nobody may write")
        << quint32(GENERIC_READ) << quint32(FILE_SHARE_READ) << true;
}

void TestGradeFile::inUse()
{
    QFETCH(quint32, access);
    QFETCH(quint32, sharing);
    QFETCH(bool, loads);
    QTemporaryDir dir;
    const QString path = dir.filePath(FileName);
    placeFile(path, pattern(3900));
    const HANDLE other =
        ::CreateFileW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(path).utf16()), access,
                      sharing, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    QVERIFY(other != INVALID_HANDLE_VALUE);
    const auto closeOther = qScopeGuard([other] { ::CloseHandle(other); });
    const QMap<QString, QByteArray> before = snapshot(dir);

    const std::pair<Operation, Action> operations[] = {{Operation::Load, Action::ReadGradeFile},
                                                       {Operation::StoreRecord5, Action::SaveGradeFile},
                                                       {Operation::StoreRoster, Action::SaveGradeFile}};
    for (const auto &[operation, action] : operations) {
        Roster roster = filledRoster();
        const auto result = perform(operation, path, roster);
        QVERIFY(result);
        if (operation == Operation::Load && loads) {
            QVERIFY(succeeded(*result));
            continue;
        }
        QVERIFY(!result->ok());
        QCOMPARE(result->error().action, action);
        QCOMPARE(result->error().cause, Cause::InUse);
        QCOMPARE(result->error().subject, path);
        QCOMPARE(roster, filledRoster());
        QCOMPARE(snapshot(dir), before);
    }
}
#endif

} // namespace merlox2

QTEST_APPLESS_MAIN(merlox2::TestGradeFile)
#include "TestGradeFile.moc"
