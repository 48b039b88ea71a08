#pragma once

#include <QDateTime>
#include <QString>

#include <memory>

class QLockFile;

namespace merlox2 {

// Keeps a second copy of the program off a grade that one copy has open: on leaving, each would
// write its roster over the other's. Two lock files, in Qt's format ("pid\nprogram\nmachine\n..."):
// - beside the grade file ("secundaria1.dat.lock"), seen by every machine that reaches the folder;
// - in this user's runtime folder, named after the grade file's absolute path, which still works
//   where the grade's folder takes no file (read-only, full disk).
// A lock file nobody holds any more never blocks: one that is empty or can't be read, or that names
// a process of this machine that has ended. Where it can't be deleted, it is left and reported.
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

    explicit GradeLock(const QString &gradePath);
    ~GradeLock();
    GradeLock(const GradeLock &) = delete;
    GradeLock &operator=(const GradeLock &) = delete;

    // Releases any lock held first. On a refusal, nothing is held.
    Outcome acquire(OtherMachine otherMachine = OtherMachine::Respect);
    void release();

    QString lockFileName() const;      // beside the grade file
    QString localLockFileName() const; // in the runtime folder
    const QString &refusedBy() const { return m_refusedBy; }
    const QString &otherMachine() const { return m_otherMachine; }
    const QDateTime &lockedSince() const { return m_lockedSince; }

private:
    std::unique_ptr<QLockFile> m_beside;
    std::unique_ptr<QLockFile> m_local;
    QString m_refusedBy;
    QString m_otherMachine;
    QDateTime m_lockedSince;
};

} // namespace merlox2
