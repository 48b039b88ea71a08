#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <memory>

class QLockFile;

namespace merlox2 {

class MachineLock;

// Keeps a second copy of the program off a grade that one copy has open: on leaving, each would
// write its roster over the other's. Two locks:
// - a lock file beside the grade file ("secundaria1.dat.lock"), in Qt's format ("pid\nprogram\nmachine\n
//   ..."), seen by every machine that reaches the folder. One nobody holds any more never blocks: one that
//   is empty or can't be read, or that names a process of this machine that has ended. Where it can't be
//   deleted, it is left and reported.
// - this machine's lock, which still works where the grade's folder takes no file (read-only, full disk):
//   a file in a folder every account of the machine shares, named after the grade file itself, so that
//   copies under other accounts and copies that reach the file through links see it too. The system's
//   own file lock holds it and ends with its process, so a copy that crashed holds nothing, though its
//   file stays where another account can't delete it. Where no shared folder is safe to use, the lock
//   goes to this account's runtime folder and protects against this account's copies only.
class GradeLock {
public:
    enum class Outcome {
        Acquired,           // this copy alone has the grade
        AcquiredLeftBehind, // acquired, but a lock file nobody holds stays beside the grade file:
                            // its folder doesn't let it be deleted
        OpenHere,           // another copy on this machine has the grade; refusedBy() names its lock file
        OpenElsewhere,      // the lock file names another machine: otherMachine(), lockedSince()
    };
    // What acquire() does with a lock taken on another machine, which can't be checked from here.
    enum class OtherMachine {
        Respect,
        Replace, // the teacher has confirmed that the program is not open there
    };

    // sharedFolders: where this machine's lock may go, the first safe one taken; tests give their own.
    explicit GradeLock(const QString &gradePath, const QStringList &sharedFolders = systemSharedFolders());
    ~GradeLock();
    GradeLock(const GradeLock &) = delete;
    GradeLock &operator=(const GradeLock &) = delete;

    // Releases any lock held first. On a refusal, nothing is held.
    Outcome acquire(OtherMachine otherMachine = OtherMachine::Respect);
    void release();

    QString lockFileName() const;      // beside the grade file
    QString localLockFileName() const; // this machine's: the one held, else the one tried first
    const QString &refusedBy() const { return m_refusedBy; }
    const QString &otherMachine() const { return m_otherMachine; }
    const QDateTime &lockedSince() const { return m_lockedSince; }

    // The folders that every account of this machine shares, in the order they are tried.
    static QStringList systemSharedFolders();

private:
    MachineLock *runtimeLock();

    std::unique_ptr<QLockFile> m_beside;
    QString m_localName;                    // of this machine's lock file, in whichever folder
    std::unique_ptr<MachineLock> m_shared;  // none where no shared folder is safe
    std::unique_ptr<MachineLock> m_runtime; // made where the shared one can't be used
    MachineLock *m_localHeld = nullptr;
    QString m_refusedBy;
    QString m_otherMachine;
    QDateTime m_lockedSince;
};

} // namespace merlox2
