#pragma once

#include <sys/stat.h>
#include <sys/types.h>

namespace merlox2::filesystem {

// Every POSIX call that the grade file's loads and stores make goes through this table, so that a test
// can make any single one of them fail the way a disk or the kernel would, even when it runs as root.
struct SystemCalls {
    int (*open)(const char *path, int flags, mode_t mode);
    int (*close)(int fd);
    int (*fstat)(int fd, struct stat *status);
    int (*lstat)(const char *path, struct stat *status);
    ssize_t (*readlink)(const char *path, char *buffer, size_t size);
    ssize_t (*read)(int fd, void *buffer, size_t size);
    ssize_t (*write)(int fd, const void *buffer, size_t size);
    int (*fsync)(int fd);
    int (*fchmod)(int fd, mode_t mode);
    int (*fchown)(int fd, uid_t owner, gid_t group);
    int (*rename)(const char *from, const char *to);
    int (*unlink)(const char *path);
    int (*faccessat)(int folder, const char *path, int mode, int flags);
};

// The table in use. Tests replace entries and put realSystemCalls() back when they are done.
SystemCalls &systemCalls();
const SystemCalls &realSystemCalls();

} // namespace merlox2::filesystem
