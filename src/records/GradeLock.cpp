#include "records/GradeLock.h"

#include "records/FileSystem.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>
#include <QSysInfo>

#include <chrono>
#include <thread>
#include <utility>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace merlox2 {

namespace {

// The machine's name as QLockFile writes it.
QString machineName()
{
#ifdef Q_OS_WIN
    return qEnvironmentVariable("COMPUTERNAME");
#else
    return QSysInfo::machineHostName();
#endif
}

// since: when the lock file was written. A process that started later can't be the one that wrote it.
bool processRunning(qint64 pid, const QString &program, const QDateTime &since)
{
#ifdef Q_OS_WIN
    Q_UNUSED(program);
    const HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
    if (!process)
        return ::GetLastError() == ERROR_ACCESS_DENIED; // another user's process
    DWORD exitCode = 0;
    bool running = ::GetExitCodeProcess(process, &exitCode) && exitCode == STILL_ACTIVE;
    // Windows hands a number out again soon after its process ends, to this very copy too once the
    // machine restarts: a lock left by a copy that died would then look held for good.
    FILETIME created{}, exited{}, kernel{}, user{};
    if (running && since.isValid() && ::GetProcessTimes(process, &created, &exited, &kernel, &user)) {
        // 100 ns units since 1601-01-01 UTC.
        const qint64 ticks = (qint64(created.dwHighDateTime) << 32) | created.dwLowDateTime;
        const QDateTime epoch(QDate(1601, 1, 1), QTime(0, 0), Qt::UTC);
        running = epoch.addMSecs(ticks / 10000) <= since;
    }
    ::CloseHandle(process);
    return running;
#else
    Q_UNUSED(since);
    if (::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
        return false;
#ifdef Q_OS_LINUX
    // The number may have gone to another program since the holder ended. Another user's process
    // can't be looked at: it counts as the holder.
    QString running = QFileInfo(u"/proc/%1/exe"_s.arg(pid)).symLinkTarget();
    if (running.endsWith(u" (deleted)"))
        running.chop(10);
    if (!running.isEmpty() && QFileInfo(running).fileName() != QFileInfo(program).fileName())
        return false; // NOLINT(readability-simplify-boolean-expr): other systems return at the #else
#else
    Q_UNUSED(program);
#endif
    return true;
#endif
}

// Where this machine's lock goes when no shared folder can take it: the user's runtime folder; on Windows,
// where that is the home folder itself, the user's temporary folder.
QString localFolder()
{
#ifdef Q_OS_WIN
    return QDir::tempPath();
#else
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
#endif
}

enum class Holder { None, Unreadable, Running, Ended, OtherMachine };

struct Seen {
    Holder holder = Holder::None;
    QString machine;
    QDateTime since; // when the lock file was last written: when the lock was taken
};

// Judged as QLockFile judges it, where QLockFile stops short: it never takes a file it can't read as
// stale, and it can't take over one it can't delete.
Seen readLockFile(const QLockFile &lock)
{
    const QString path = lock.fileName();
    if (!QFile::exists(path))
        return {};
    Seen seen{Holder::Unreadable, {}, QFileInfo(path).lastModified()};
    qint64 pid = 0;
    QString program;
    if (!lock.getLockInfo(&pid, &seen.machine, &program) || pid <= 0)
        return seen;

    bool sameMachine = seen.machine.isEmpty() || seen.machine == machineName();
    // Machines may share a name (a school's computers set up from one copy): QLockFile tells them apart by
    // the machine's id, and a restart by the boot's id, which it writes after the three lines that
    // getLockInfo() gives but does not give back.
    QFile file(path);
    const QList<QByteArray> lines =
        file.open(QIODevice::ReadOnly) ? file.read(4096).split('\n') : QList<QByteArray>();
    if (const QByteArray id = lines.value(3).trimmed();
        !id.isEmpty() && !QSysInfo::machineUniqueId().isEmpty())
        sameMachine = id == QSysInfo::machineUniqueId();
    if (!sameMachine) {
        seen.holder = Holder::OtherMachine;
        return seen;
    }
    const QByteArray bootId = lines.value(4).trimmed();
    const bool restarted = !bootId.isEmpty() && bootId != QSysInfo::bootUniqueId();
    seen.holder = restarted || !processRunning(pid, program, seen.since) ? Holder::Ended : Holder::Running;
    return seen;
}

Seen inspect(const QLockFile &lock)
{
    Seen seen = readLockFile(lock);
    if (seen.holder == Holder::Unreadable) {
        // A copy taking the lock right now makes the file first and writes it a moment later.
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        seen = readLockFile(lock);
    }
    return seen;
}

enum class Taken { Yes, NoFile, LeftBehind, Running, OtherMachine };

struct Attempt {
    Taken taken = Taken::NoFile;
    Seen seen;
};

Attempt take(QLockFile &lock, bool replaceOtherMachine)
{
    Seen seen;
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (lock.tryLock(0))
            return {Taken::Yes, {}};
        if (lock.error() != QLockFile::LockFailedError)
            return {Taken::NoFile, {}}; // the folder takes no file: read-only, or the disk is full
        seen = inspect(lock);
        switch (seen.holder) {
        case Holder::None: continue; // released meanwhile
        case Holder::Running: return {Taken::Running, seen};
        case Holder::OtherMachine:
            if (!replaceOtherMachine)
                return {Taken::OtherMachine, seen};
            break;
        case Holder::Unreadable:
        case Holder::Ended: break;
        }
        if (!QFile::remove(lock.fileName()) && QFile::exists(lock.fileName()))
            return {Taken::LeftBehind, seen};
    }
    return {Taken::Running, seen}; // taken again each time it was freed
}

// The grade file as every copy of this machine names it, whichever path it was reached by: the folder the
// file really is in, by device and inode (volume and file index on Windows), and the file's name there.
// Not the file's own inode: each save puts a new file in its place.
QString gradeIdentity(const QString &gradePath)
{
    const QString absolute = QFileInfo(gradePath).absoluteFilePath();
    // Where the links can't all be followed (one leads to a file not saved yet), as far as they lead.
    QString target;
    if (filesystem::resolveLinks(absolute, target) && target.isEmpty())
        target = absolute;
    const QFileInfo file(target);
#ifdef Q_OS_WIN
    const QString name = file.fileName().toCaseFolded();
    const HANDLE folder = ::CreateFileW(
        reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(file.absolutePath()).utf16()), 0,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder != INVALID_HANDLE_VALUE) {
        BY_HANDLE_FILE_INFORMATION info{};
        const bool known = ::GetFileInformationByHandle(folder, &info);
        ::CloseHandle(folder);
        if (known)
            return u"%1:%2:%3/%4"_s.arg(info.dwVolumeSerialNumber)
                .arg((quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow)
                .arg(name);
    }
    const QString path = file.absolutePath().toCaseFolded();
#else
    const QString name = file.fileName();
    struct stat folder {};
    if (::stat(QFile::encodeName(file.absolutePath()).constData(), &folder) == 0)
        return u"%1:%2/%3"_s.arg(quint64(folder.st_dev)).arg(quint64(folder.st_ino)).arg(name);
    const QString path = file.absolutePath();
#endif
    return path + u'/' + name; // a folder that isn't there: nothing can be saved in it either
}

// Another account's folder could be emptied of our locks by its owner, or made to lead elsewhere: only a
// folder of the system's is judged the same way by every account.
bool usableSharedFolder(const QString &folder)
{
#ifdef Q_OS_WIN
    // %ProgramData% lets every user create files in a folder made in it and read the others' files.
    if (!QDir().mkpath(folder))
        return false;
    // No junction or link on the way, up to %ProgramData% itself.
    const QString top = QDir::fromNativeSeparators(qEnvironmentVariable("ProgramData"));
    for (QFileInfo level(folder); !level.isRoot(); level = QFileInfo(level.absolutePath())) {
        const DWORD attributes = ::GetFileAttributesW(
            reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(level.absoluteFilePath()).utf16()));
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            return false;
        if (level.absoluteFilePath().compare(top, Qt::CaseInsensitive) == 0)
            break;
    }
    return true;
#else
    // Owned by root, writable by all, and sticky, so that only a file's owner removes it.
    struct stat status {};
    return ::lstat(QFile::encodeName(folder).constData(), &status) == 0 && S_ISDIR(status.st_mode) &&
           status.st_uid == 0 && (status.st_mode & S_ISVTX) && (status.st_mode & S_IWOTH) &&
           (status.st_mode & S_IXOTH);
#endif
}

// Who holds the lock, for whoever looks: the process number and the program.
QByteArray holderText()
{
    return QByteArray::number(QCoreApplication::applicationPid()) + '\n' +
           QCoreApplication::applicationName().toUtf8() + '\n';
}

} // namespace

// A lock file of this machine, held through the system's file lock (flock, LockFileEx) rather than by
// its being there: the system lets go when the holder ends, however it ends, and a file of another
// account's that can't be deleted locks as well as a new one.
class MachineLock {
public:
    enum class Taken { Yes, Busy, Unusable };

    explicit MachineLock(QString path) : m_path(std::move(path)) {}
    ~MachineLock() { unlock(); }
    MachineLock(const MachineLock &) = delete;
    MachineLock &operator=(const MachineLock &) = delete;

    const QString &fileName() const { return m_path; }
    Taken tryLock();
    void unlock();

private:
    QString m_path;
#ifdef Q_OS_WIN
    HANDLE m_handle = INVALID_HANDLE_VALUE;
#else
    int m_fd = -1;
#endif
};

#ifdef Q_OS_WIN

MachineLock::Taken MachineLock::tryLock()
{
    unlock();
    const QString native = QDir::toNativeSeparators(m_path);
    const auto path = reinterpret_cast<const wchar_t *>(native.utf16());
    // Readers and other lockers may open it meanwhile; a deleter may not, so that it stays while it is open.
    constexpr DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    constexpr DWORD flags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT;
    bool writable = true;
    HANDLE handle =
        ::CreateFileW(path, GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_ALWAYS, flags, nullptr);
    if (handle == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_ACCESS_DENIED) {
        // Another user's file: it can be locked, not written.
        writable = false;
        handle = ::CreateFileW(path, GENERIC_READ, share, nullptr, OPEN_EXISTING, flags, nullptr);
    }
    if (handle == INVALID_HANDLE_VALUE)
        return Taken::Unusable;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
        ::CloseHandle(handle);
        return Taken::Unusable;
    }
    // One byte far beyond the text locked, so that the text stays readable to others.
    OVERLAPPED at{};
    at.OffsetHigh = 1;
    if (!::LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
        const DWORD error = ::GetLastError();
        ::CloseHandle(handle);
        return error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING ? Taken::Busy : Taken::Unusable;
    }
    if (writable) {
        const QByteArray text = holderText();
        DWORD written = 0;
        ::SetEndOfFile(handle); // at its start, where it was opened
        ::WriteFile(handle, text.constData(), DWORD(text.size()), &written, nullptr);
    }
    m_handle = handle;
    return Taken::Yes;
}

void MachineLock::unlock()
{
    if (m_handle == INVALID_HANDLE_VALUE)
        return;
    ::CloseHandle(m_handle);
    m_handle = INVALID_HANDLE_VALUE;
    // Fails, and the file stays, where another copy has it open by now or it is another user's.
    ::DeleteFileW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(m_path).utf16()));
}

#else

MachineLock::Taken MachineLock::tryLock()
{
    unlock();
    const QByteArray path = QFile::encodeName(m_path);
    // No link followed, no wait on a pipe put in its place, and not kept open by the programs this one
    // starts.
    constexpr int flags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;
    bool unreadable = false;
    for (int attempt = 0; attempt < 5; ++attempt) {
        bool writable = true;
        unreadable = false;
        // Opened and created apart: where the system protects sticky folders, creating may not open
        // another account's file.
        int fd = ::open(path.constData(), O_RDWR | flags);
        if (fd < 0 && errno == EACCES) {
            writable = false; // another account's file: it can be locked, not written
            fd = ::open(path.constData(), O_RDONLY | flags);
        }
        if (fd < 0 && errno == EACCES) {
            // Another account's copy may be between creating the file and making it readable.
            unreadable = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            continue;
        }
        if (fd < 0 && errno == ENOENT) {
            writable = true;
            fd = ::open(path.constData(), O_RDWR | O_CREAT | O_EXCL | flags, 0644);
            if (fd < 0 && errno == EEXIST)
                continue;
            // Readable by every account whatever this one's umask, so that the others can lock it too.
            if (fd >= 0 && ::fchmod(fd, 0644) != 0) {
                ::unlink(path.constData());
                ::close(fd);
                return Taken::Unusable;
            }
        }
        if (fd < 0)
            return Taken::Unusable;
        struct stat opened {};
        if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
            ::close(fd);
            return Taken::Unusable;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::close(fd);
            return error == EWOULDBLOCK ? Taken::Busy : Taken::Unusable;
        }
        // The holder removes the file as it lets go: the lock of a file no longer there locks nothing.
        struct stat named {};
        if (::lstat(path.constData(), &named) != 0 || named.st_dev != opened.st_dev ||
            named.st_ino != opened.st_ino) {
            ::close(fd);
            continue;
        }
        if (writable) {
            // Only for whoever looks; the lock holds without it.
            const QByteArray text = holderText();
            const bool written = ::ftruncate(fd, 0) == 0 &&
                                 ::pwrite(fd, text.constData(), size_t(text.size()), 0) == text.size();
            Q_UNUSED(written);
        }
        m_fd = fd;
        return Taken::Yes;
    }
    return unreadable ? Taken::Unusable : Taken::Busy; // else taken again each time it was freed
}

void MachineLock::unlock()
{
    if (m_fd < 0)
        return;
    // Removed while still held, so that nobody takes the lock of a file that is about to go; in a sticky
    // folder only its owner can, and another account's file stays.
    const QByteArray path = QFile::encodeName(m_path);
    struct stat opened {};
    struct stat named {};
    if (::fstat(m_fd, &opened) == 0 && ::lstat(path.constData(), &named) == 0 &&
        named.st_dev == opened.st_dev && named.st_ino == opened.st_ino)
        ::unlink(path.constData());
    ::close(m_fd);
    m_fd = -1;
}

#endif

GradeLock::GradeLock(const QString &gradePath, const QStringList &sharedFolders)
{
    const QFileInfo grade(gradePath);
    m_beside = std::make_unique<QLockFile>(grade.absoluteFilePath() + u".lock"_s);
    m_beside->setStaleLockTime(0); // held for hours: only a holder that has ended makes it stale

    const QByteArray hash =
        QCryptographicHash::hash(gradeIdentity(gradePath).toUtf8(), QCryptographicHash::Sha1).toHex();
    m_localName = u"merlox2-%1.lock"_s.arg(QLatin1StringView(hash));
    for (const QString &folder : sharedFolders) {
        if (usableSharedFolder(folder)) {
            m_shared = std::make_unique<MachineLock>(QDir(folder).filePath(m_localName));
            break;
        }
    }
}

MachineLock *GradeLock::runtimeLock()
{
    if (!m_runtime) {
        if (const QString folder = localFolder(); !folder.isEmpty())
            m_runtime = std::make_unique<MachineLock>(QDir(folder).filePath(m_localName));
    }
    return m_runtime.get();
}

GradeLock::~GradeLock() = default;

QStringList GradeLock::systemSharedFolders()
{
#ifdef Q_OS_WIN
    const QString data = qEnvironmentVariable("ProgramData");
    return data.isEmpty() ? QStringList() : QStringList{QDir(data).filePath(u"MERLOX2/locks"_s)};
#else
    return {u"/run/lock"_s, u"/tmp"_s};
#endif
}

QString GradeLock::lockFileName() const { return m_beside->fileName(); }

QString GradeLock::localLockFileName() const
{
    if (m_localHeld)
        return m_localHeld->fileName();
    if (m_shared)
        return m_shared->fileName();
    const QString folder = localFolder();
    return folder.isEmpty() ? QString() : QDir(folder).filePath(m_localName);
}

GradeLock::Outcome GradeLock::acquire(OtherMachine otherMachine)
{
    release();
    m_refusedBy.clear();
    m_otherMachine.clear();
    m_lockedSince = {};

    const Attempt beside = take(*m_beside, otherMachine == OtherMachine::Replace);
    switch (beside.taken) {
    case Taken::Running: m_refusedBy = lockFileName(); return Outcome::OpenHere;
    case Taken::OtherMachine:
        m_otherMachine = beside.seen.machine;
        m_lockedSince = beside.seen.since;
        return Outcome::OpenElsewhere;
    case Taken::Yes:
    case Taken::NoFile:
    case Taken::LeftBehind: break;
    }
    // Taken as well where the grade's folder has a lock file: a copy that opened the grade while
    // the folder took none holds only this one. The runtime folder's only where the shared one's
    // file can't be opened at all.
    MachineLock *lock = m_shared.get();
    MachineLock::Taken taken = lock ? lock->tryLock() : MachineLock::Taken::Unusable;
    if (taken == MachineLock::Taken::Unusable && (lock = runtimeLock()))
        taken = lock->tryLock();
    if (taken == MachineLock::Taken::Busy) {
        m_beside->unlock();
        m_refusedBy = lock->fileName();
        return Outcome::OpenHere;
    }
    m_localHeld = taken == MachineLock::Taken::Yes ? lock : nullptr;
    return beside.taken == Taken::LeftBehind ? Outcome::AcquiredLeftBehind : Outcome::Acquired;
}

void GradeLock::release()
{
    m_beside->unlock();
    if (m_localHeld)
        m_localHeld->unlock();
    m_localHeld = nullptr;
}

} // namespace merlox2
