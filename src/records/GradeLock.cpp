#include "records/GradeLock.h"

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

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <csignal>
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
        return false;
#else
    Q_UNUSED(program);
#endif
    return true;
#endif
}

// Where this machine's lock lives: the user's runtime folder; on Windows, where that is the home folder
// itself, the user's temporary folder.
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
Seen readLockFile(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        return {};
    Seen seen{Holder::Unreadable, {}, QFileInfo(path).lastModified()};
    if (!file.open(QIODevice::ReadOnly))
        return seen;
    // Process number, program and machine, each on a line of its own; machine and boot ids may follow.
    const QList<QByteArray> lines = file.read(4096).split('\n');
    if (lines.size() < 4)
        return seen;
    bool number = false;
    const qint64 pid = lines[0].trimmed().toLongLong(&number);
    if (!number || pid <= 0)
        return seen;

    seen.machine = QString::fromUtf8(lines[2].trimmed());
    bool sameMachine = seen.machine.isEmpty() || seen.machine == machineName();
    // Machines may share a name; the machine id tells them apart where both ids are known.
    if (const QByteArray id = lines.value(3).trimmed();
        !id.isEmpty() && !QSysInfo::machineUniqueId().isEmpty())
        sameMachine = id == QSysInfo::machineUniqueId();
    if (!sameMachine) {
        seen.holder = Holder::OtherMachine;
        return seen;
    }
    const QByteArray bootId = lines.value(4).trimmed();
    const bool restarted = !bootId.isEmpty() && bootId != QSysInfo::bootUniqueId();
    seen.holder = restarted || !processRunning(pid, QString::fromUtf8(lines[1].trimmed()), seen.since)
                      ? Holder::Ended
                      : Holder::Running;
    return seen;
}

Seen inspect(const QString &path)
{
    Seen seen = readLockFile(path);
    if (seen.holder == Holder::Unreadable) {
        // A copy taking the lock right now makes the file first and writes it a moment later.
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        seen = readLockFile(path);
    }
    return seen;
}

enum class Taken { Yes, NoFile, LeftBehind, Running, OtherMachine };

struct Attempt {
    Taken taken;
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
        seen = inspect(lock.fileName());
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

} // namespace

GradeLock::GradeLock(const QString &gradePath)
{
    const QFileInfo grade(gradePath);
    m_beside = std::make_unique<QLockFile>(grade.absoluteFilePath() + u".lock"_s);
    m_beside->setStaleLockTime(0); // held for hours: only a holder that has ended makes it stale
    const QString folder = localFolder();
    if (folder.isEmpty())
        return; // no runtime folder: the lock beside the grade file is all there is
    // The same file reached through a link is the same grade.
    QString key = QFileInfo(grade.absolutePath()).canonicalFilePath();
    if (key.isEmpty())
        key = grade.absolutePath();
    key += u'/' + grade.fileName();
#ifdef Q_OS_WIN
    key = key.toCaseFolded();
#endif
    const QByteArray hash = QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex();
    m_local =
        std::make_unique<QLockFile>(QDir(folder).filePath(u"merlox2-%1.lock"_s.arg(QLatin1StringView(hash))));
    m_local->setStaleLockTime(0);
}

GradeLock::~GradeLock() = default;

QString GradeLock::lockFileName() const { return m_beside->fileName(); }

QString GradeLock::localLockFileName() const { return m_local ? m_local->fileName() : QString(); }

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
    // the folder took none holds only this one. A lock file here naming another machine is this
    // machine's under an earlier name.
    if (m_local && take(*m_local, true).taken == Taken::Running) {
        m_beside->unlock();
        m_refusedBy = localLockFileName();
        return Outcome::OpenHere;
    }
    return beside.taken == Taken::LeftBehind ? Outcome::AcquiredLeftBehind : Outcome::Acquired;
}

void GradeLock::release()
{
    m_beside->unlock();
    if (m_local)
        m_local->unlock();
}

} // namespace merlox2
