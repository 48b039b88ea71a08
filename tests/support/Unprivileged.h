#pragma once

// Root passes every permission check, so the cases that need the system to refuse (a read-only folder)
// run with the effective ids of "nobody". Header only: the core tests use it without the screens.

#include "support/SkipOrFail.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>
#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#else
struct passwd;
#endif

// Skips a case that needs root's powers (another user's files, a device) where they are missing. CI runs
// as root, so there the case must run: a skip fails it. Windows has no such user, and there it is skipped.
#ifdef Q_OS_UNIX
#define MERLOX2_SKIP_UNPRIVILEGED(reason) MERLOX2_SKIP_OR_FAIL(reason)
#else
#define MERLOX2_SKIP_UNPRIVILEGED(reason) QSKIP(reason)
#endif

namespace merlox2::test {

#ifdef Q_OS_UNIX

// The user to run as where we are root; none where we are not, or where the system has no "nobody".
inline const passwd *nobodyIfRoot() { return geteuid() == 0 ? getpwnam("nobody") : nullptr; }

// Whether the system refuses this process what it refuses an ordinary user, or can be made to.
inline bool canRunAsNobody() { return geteuid() != 0 || nobodyIfRoot(); }

// Root's effective ids exchanged for nobody's for the object's lifetime (where we are root and `on`).
class AsNobody {
public:
    explicit AsNobody(bool on = true)
    {
        if (const passwd *nobody = on ? nobodyIfRoot() : nullptr)
            m_switched = setegid(nobody->pw_gid) == 0 && seteuid(nobody->pw_uid) == 0;
    }
    ~AsNobody()
    {
        if (m_switched && (seteuid(0) != 0 || setegid(0) != 0))
            qFatal("could not return to root");
    }
    AsNobody(const AsNobody &) = delete;
    AsNobody &operator=(const AsNobody &) = delete;

private:
    bool m_switched = false;
};

// A process started after this runs as "nobody" (where we are root).
inline void startsAsNobody(QProcess &process)
{
    if (const passwd *nobody = nobodyIfRoot()) {
        process.setChildProcessModifier([uid = nobody->pw_uid, gid = nobody->pw_gid] {
            if (::setgid(gid) != 0 || ::setuid(uid) != 0)
                ::_exit(1);
        });
    }
}
#else
// Windows has no root to step down from: the cases that need another user run on Unix, and the others
// as the user who runs them.
inline const passwd *nobodyIfRoot() { return nullptr; }
inline bool canRunAsNobody() { return false; }
class AsNobody {
public:
    explicit AsNobody(bool = true) {}
};
inline void startsAsNobody(QProcess &) {}
#endif

// A file's or folder's mode, set for a case. On Windows, only the read-only attribute of a file.
inline void setMode(const QString &path, int mode)
{
#ifdef Q_OS_UNIX
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode_t(mode)), 0);
#else
    if (QFileInfo(path).isDir())
        return;
    QVERIFY(
        QFile::setPermissions(path, (mode & 0200) ? QFile::ReadOwner | QFile::WriteOwner : QFile::ReadOwner));
#endif
}

} // namespace merlox2::test
