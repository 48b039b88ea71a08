#include "support/System.h"

#include <QSysInfo>

#include <csignal>

#include <sys/resource.h>

#if defined(__SANITIZE_ADDRESS__)
#define MERLOX2_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MERLOX2_ASAN 1
#endif
#endif
#ifdef MERLOX2_ASAN
// The sanitizer's runtime has it; GCC ships no header that declares it.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

using namespace Qt::StringLiterals;

namespace merlox2::test {

std::size_t heapInUse()
{
#ifdef MERLOX2_ASAN
    // The address sanitizer keeps freed blocks aside for a while, so its own count of live bytes stands in
    // for the C library's.
    return __sanitizer_get_current_allocated_bytes();
#else
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
#endif
}

QString lockMachineName() { return QSysInfo::machineHostName(); }

void startLastingProgram(QProcess &process) { process.start(u"sleep"_s, {u"30"_s}); }

void startEndingProgram(QProcess &process) { process.start(u"true"_s, {}); }

FileSizeLimit::FileSizeLimit(qint64 bytes)
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_FSIZE, &limit) != 0)
        return;
    m_previous = limit.rlim_cur;
    m_previousHandler = std::signal(SIGXFSZ, SIG_IGN); // else the kernel ends the process
    limit.rlim_cur = rlim_t(bytes);
    m_active = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    if (!m_active)
        std::signal(SIGXFSZ, m_previousHandler);
}

FileSizeLimit::~FileSizeLimit()
{
    if (!m_active)
        return;
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = rlim_t(m_previous);
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, m_previousHandler);
}

} // namespace merlox2::test
