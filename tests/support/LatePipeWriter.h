#pragma once

// Should a test's open or read of a named pipe wait after all, a writer comes to the pipe after a while, so
// that the test fails on what it finds instead of hanging until its time runs out. Header only: the core
// tests use it without the screens. Unix only.

#include <QByteArray>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stop_token>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

namespace merlox2::test {

class LatePipeWriter {
public:
    explicit LatePipeWriter(QByteArray path, std::chrono::milliseconds after = std::chrono::seconds(2))
        : m_thread([path = std::move(path), after](const std::stop_token &stop) {
              std::mutex mutex;
              std::condition_variable_any wake;
              std::unique_lock lock(mutex);
              wake.wait_for(lock, stop, after, [] { return false; });
              // Opening and closing the pipe ends a reader's wait in open(), then in read() with the end.
              while (!stop.stop_requested()) {
                  if (const int fd = ::open(path.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC); fd >= 0)
                      ::close(fd);
                  std::this_thread::sleep_for(std::chrono::milliseconds(20));
              }
          })
    {
    }

private:
    std::jthread m_thread; // stopped and joined when the object goes
};

} // namespace merlox2::test
