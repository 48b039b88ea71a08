#include "records/FileSystem.h"
#include "records/SystemCalls.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <climits>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

namespace merlox2::filesystem {

namespace {

const SystemCalls RealCalls{
    [](const char *path, int flags, mode_t mode) { return ::open(path, flags, mode); },
    ::close,
    ::fstat,
    ::lstat,
    ::readlink,
    ::read,
    ::write,
    ::fsync,
    ::fchmod,
    ::fchown,
    ::rename,
    ::unlink,
    ::faccessat,
};

SystemCalls g_calls = RealCalls;

// The one place where errno values become causes; a Windows file layer does the same with its own numbers.
Cause causeOf(int errnum)
{
    switch (errnum) {
    case ENOENT: return Cause::MissingFolder; // read() tells a missing file apart; elsewhere it is the folder
    case ENOTDIR: return Cause::NotAFolder;
    case EISDIR: return Cause::FolderInPlace;
    case ENXIO: return Cause::NotARegularFile; // a socket, or a device without its driver
    case EACCES:
    case EPERM: return Cause::PermissionDenied;
    case EBUSY:
    case ETXTBSY:
    case EAGAIN: return Cause::InUse;
    case EEXIST: return Cause::AlreadyExists;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return Cause::DiskFull;
    case EROFS: return Cause::ReadOnlyDisk;
    case ENOMEM: return Cause::OutOfMemory;
    case EMFILE:
    case ENFILE: return Cause::TooManyOpenFiles;
    case ENAMETOOLONG: return Cause::NameTooLong;
    case EIO: return Cause::IoError;
    default: return Cause::Other;
    }
}

Status failure(int errnum) { return SystemFailure{causeOf(errnum), errnum}; }

// errno as a failing call left it; a call that failed without saying why still counts as a failure.
int lastError() { return errno != 0 ? errno : EIO; }

Status lastFailure() { return failure(lastError()); }

QByteArray encoded(const QString &path) { return QFile::encodeName(path); }

// Opened without waiting: a pipe with no writer would keep open() waiting for ever, and a terminal must
// not become the program's own.
constexpr int NoWaiting = O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

// Only a regular file holds a grade: reading a pipe or a device may wait for ever or never end.
Status regularFile(const struct stat &status)
{
    if (S_ISREG(status.st_mode))
        return {};
    if (S_ISDIR(status.st_mode))
        return failure(EISDIR);
    return SystemFailure{Cause::NotARegularFile, 0};
}

Status regularFile(int fd)
{
    struct stat status {};
    errno = 0;
    if (g_calls.fstat(fd, &status) != 0)
        return lastFailure();
    return regularFile(status);
}

// Closes a descriptor that was only read, or is given up after a failure that is reported instead.
struct Descriptor {
    int fd;
    ~Descriptor()
    {
        if (fd >= 0)
            g_calls.close(fd);
    }
};

Status writeAll(int fd, const QByteArray &content)
{
    qsizetype done = 0;
    while (done < content.size()) {
        errno = 0;
        const ssize_t n = g_calls.write(fd, content.constData() + done, size_t(content.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0)
            return failure(ENOSPC); // nothing written and no reason: the disk took no more
        if (n < 0)
            return lastFailure();
        done += n;
    }
    return {};
}

// The rename lives in the folder: flushing it too keeps a power cut from bringing back the old file.
Status syncFolder(const QString &path)
{
    errno = 0;
    const int folder = g_calls.open(encoded(QFileInfo(path).absolutePath()).constData(),
                                    O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (folder < 0)
        return errno == EACCES ? Status() : lastFailure(); // a folder we may not read is one we can't flush
    const Descriptor guard{folder};
    errno = 0;
    if (g_calls.fsync(folder) != 0)
        return errno == EINVAL || errno == EOPNOTSUPP ? Status() : lastFailure(); // a file system that can't
    return {};
}

} // namespace

SystemCalls &systemCalls() { return g_calls; }

const SystemCalls &realSystemCalls() { return RealCalls; }

Status resolveLinks(const QString &path, QString &target)
{
    target = path;
    for (int depth = 0; depth < 40; ++depth) {
        struct stat status {};
        errno = 0;
        if (g_calls.lstat(encoded(target).constData(), &status) != 0) {
            const int errnum = lastError();
            if (errnum != ENOENT && errnum != ENOTDIR)
                return failure(errnum);
            if (depth == 0)
                return {}; // no file of that name
            return SystemFailure{Cause::DanglingLink, errnum, target};
        }
        if (!S_ISLNK(status.st_mode))
            return {};
        QByteArray link(PATH_MAX, Qt::Uninitialized);
        errno = 0;
        const ssize_t size = g_calls.readlink(encoded(target).constData(), link.data(), size_t(link.size()));
        if (size < 0)
            return lastFailure();
        if (size >= link.size())
            return failure(ENAMETOOLONG);
        link.truncate(size);
        target = QDir(QFileInfo(target).path()).filePath(QFile::decodeName(link));
    }
    return failure(ELOOP);
}

Status read(const QString &path, qint64 limit, QByteArray &content, Attributes &attributes, bool &missing)
{
    content.clear();
    missing = false;
    errno = 0;
    const int fd = g_calls.open(encoded(path).constData(), O_RDONLY | NoWaiting, 0);
    if (fd < 0) {
        // Only these say that no file has that name; anything else is a file we could not read.
        const int errnum = lastError();
        if (errnum != ENOENT && errnum != ENOTDIR)
            return failure(errnum);
        // Unless the name is a link to a missing file, which is reported, not followed to create that file.
        QString target;
        if (Status failed = resolveLinks(path, target))
            return failed;
        missing = true;
        return {};
    }
    // Whatever closing a file that was only read reports, what was read is complete.
    const Descriptor guard{fd};
    struct stat status {};
    errno = 0;
    if (g_calls.fstat(fd, &status) != 0)
        return lastFailure();
    if (Status failed = regularFile(status))
        return failed;
    // O_NONBLOCK may stay: it changes nothing in how a regular file is read.
    attributes = {quint32(status.st_mode & 07777), quint32(status.st_uid), quint32(status.st_gid)};

    constexpr qint64 Chunk = qint64{64} * 1024;
    while (limit < 0 || content.size() < limit) {
        const qint64 wanted = limit < 0 ? Chunk : std::min(Chunk, limit - content.size());
        const qsizetype before = content.size();
        content.resize(before + wanted);
        errno = 0;
        const ssize_t n = g_calls.read(fd, content.data() + before, size_t(wanted));
        content.resize(before + std::max<ssize_t>(n, 0));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return lastFailure();
        if (n == 0)
            break;
    }
    return {};
}

Status createEmpty(const QString &path)
{
    errno = 0;
    const int fd = g_calls.open(encoded(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return lastFailure();
    g_calls.close(fd); // nothing was written that closing could lose
    return {};
}

Status checkWritable(const QString &path)
{
    errno = 0;
    if (g_calls.faccessat(AT_FDCWD, encoded(path).constData(), W_OK, AT_EACCESS) != 0)
        return lastFailure();
    return {};
}

Status writeOver(const QString &path, const QByteArray &content)
{
    errno = 0;
    int fd = g_calls.open(encoded(path).constData(), O_WRONLY | O_NOFOLLOW | NoWaiting, 0);
    if (fd < 0)
        return lastFailure();
    Descriptor guard{fd};
    if (Status failed = regularFile(fd))
        return failed;
    if (Status failed = writeAll(fd, content))
        return failed;
    errno = 0;
    if (g_calls.fsync(fd) != 0)
        return lastFailure();
    guard.fd = -1;
    errno = 0;
    if (g_calls.close(fd) != 0)
        return lastFailure(); // some file systems report a failed write only here
    return {};
}

Replacement::~Replacement() { discard(); }

void Replacement::discard()
{
    if (m_fd >= 0)
        g_calls.close(std::exchange(m_fd, -1));
    if (!m_temporary.isEmpty())
        g_calls.unlink(encoded(std::exchange(m_temporary, QString())).constData());
}

Status Replacement::create(bool privateFile)
{
    discard();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString candidate = temporaryName(m_path);
        errno = 0;
        const int fd = g_calls.open(encoded(candidate).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC,
                                    privateFile ? 0600 : 0666);
        if (fd >= 0) {
            m_fd = fd;
            m_temporary = candidate;
            return {};
        }
        if (errno != EEXIST)
            return lastFailure();
    }
    return failure(EEXIST);
}

Status Replacement::keep(const Attributes &attributes)
{
    struct stat status {};
    errno = 0;
    if (g_calls.fstat(m_fd, &status) != 0)
        return lastFailure();
    // Owner and group first: changing them may clear permission bits.
    errno = 0;
    if ((status.st_uid != attributes.owner || status.st_gid != attributes.group) &&
        g_calls.fchown(m_fd, uid_t(attributes.owner), gid_t(attributes.group)) != 0)
        return lastFailure();
    errno = 0;
    if (g_calls.fchmod(m_fd, mode_t(attributes.permissions)) != 0)
        return lastFailure();
    return {};
}

Status Replacement::write(const QByteArray &content) { return writeAll(m_fd, content); }

Status Replacement::commit(bool &renamed)
{
    renamed = false;
    errno = 0;
    if (g_calls.fsync(m_fd) != 0) {
        Status failed = lastFailure();
        discard();
        return failed;
    }
    errno = 0;
    if (g_calls.close(std::exchange(m_fd, -1)) != 0) {
        Status failed = lastFailure();
        discard();
        return failed;
    }
    // rename() would put the file in the place of a pipe or device just as well. Links were followed before.
    struct stat status {};
    errno = 0;
    const bool found = g_calls.lstat(encoded(m_path).constData(), &status) == 0;
    Status inTheWay = found ? (S_ISLNK(status.st_mode) ? Status() : regularFile(status))
                            : (errno == ENOENT ? Status() : lastFailure());
    if (inTheWay) {
        discard();
        return inTheWay;
    }
    errno = 0;
    if (g_calls.rename(encoded(m_temporary).constData(), encoded(m_path).constData()) != 0) {
        Status failed = lastFailure();
        discard();
        return failed;
    }
    m_temporary.clear();
    renamed = true;
    return syncFolder(m_path);
}

Status makeFolder(const QString &path)
{
    const QByteArray name = encoded(path);
    struct stat status {};
    errno = 0;
    if (::stat(name.constData(), &status) == 0)
        return S_ISDIR(status.st_mode) ? Status() : failure(ENOTDIR);
    if (errno != ENOENT)
        return lastFailure(); // a file on the path, or a folder above that may not be passed
    const QString parent = QFileInfo(path).path();
    if (parent != path) {
        if (Status above = makeFolder(parent))
            return above;
    }
    errno = 0;
    if (::mkdir(name.constData(), 0777) == 0)
        return {};
    if (errno != EEXIST)
        return lastFailure();
    // Made meanwhile by someone else, or something else (a file, a link to nothing) has the name.
    return ::stat(name.constData(), &status) == 0 && S_ISDIR(status.st_mode) ? Status() : failure(ENOTDIR);
}

Status renameFolder(const QString &from, const QString &to)
{
    // rename() would put a folder in the place of an empty one: what has the name already is refused.
    struct stat status {};
    errno = 0;
    if (g_calls.lstat(encoded(to).constData(), &status) == 0)
        return failure(EEXIST);
    if (errno != ENOENT)
        return lastFailure();
    errno = 0;
    if (g_calls.rename(encoded(from).constData(), encoded(to).constData()) != 0)
        return lastFailure();
    return syncFolder(to);
}

void removeFile(const QString &path) { g_calls.unlink(encoded(path).constData()); }

} // namespace merlox2::filesystem
