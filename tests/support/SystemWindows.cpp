#include "support/System.h"

#include <malloc.h>

using namespace Qt::StringLiterals;

namespace merlox2::test {

std::size_t heapInUse()
{
    // The C runtime's heap, block by block: what malloc and operator new hand out.
    std::size_t used = 0;
    _HEAPINFO entry{};
    while (_heapwalk(&entry) == _HEAPOK) {
        if (entry._useflag == _USEDENTRY)
            used += entry._size;
    }
    return used;
}

QString lockMachineName() { return qEnvironmentVariable("COMPUTERNAME"); }

// cmd's pause waits for a key on its input, which stays open and silent until the process is killed.
void startLastingProgram(QProcess &process) { process.start(u"cmd.exe"_s, {u"/c"_s, u"pause"_s}); }

void startEndingProgram(QProcess &process) { process.start(u"cmd.exe"_s, {u"/c"_s, u"exit"_s, u"0"_s}); }

// Windows sets no limit on the size of a process's files.
FileSizeLimit::FileSizeLimit(qint64) {}
FileSizeLimit::~FileSizeLimit() = default;

} // namespace merlox2::test
