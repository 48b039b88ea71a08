#pragma once

// What the GUI tests ask of the system beneath Qt, written once per system (SystemPosix.cpp,
// SystemWindows.cpp), so that every suite that does not test one system's own service builds and runs on
// both.

#include <QProcess>
#include <QString>
#include <QtGlobal>

#include <cstddef>

namespace merlox2::test {

// The bytes the process holds on its heap now.
std::size_t heapInUse();

// The machine's name as QLockFile writes it into a lock file.
QString lockMachineName();

// A program that runs until it is killed: another copy of ours, as far as a lock file can tell.
void startLastingProgram(QProcess &process);
// A program that ends at once, so that its process number belongs to no running process.
void startEndingProgram(QProcess &process);

// While it lives, no file this process writes may grow beyond the given size, as on a full disk, even for
// root. Only where the system limits a process's files (Unix): elsewhere active() is false.
class FileSizeLimit {
public:
    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

    bool active() const { return m_active; }

private:
    bool m_active = false;
    quint64 m_previous = 0;
    void (*m_previousHandler)(int) = nullptr;
};

} // namespace merlox2::test
