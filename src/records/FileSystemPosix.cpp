#include "records/FileSystem.h"
#include "records/SystemCalls.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

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

// errno as a failing call left it; a call that failed without saying why still counts as a failure.
int lastError() { return errno != 0 ? errno : EIO; }

QByteArray encoded(const QString &path) { return QFile::encodeName(path); }

// Closes a descriptor that was only read, or is given up after a failure that is reported instead.
struct Descriptor {
    int fd;
    ~Descriptor()
    {
        if (fd >= 0)
            g_calls.close(fd);
    }
};

int writeAll(int fd, const QByteArray &content)
{
    qsizetype done = 0;
    while (done < content.size()) {
        errno = 0;
        const ssize_t n = g_calls.write(fd, content.constData() + done, size_t(content.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n == 0 ? ENOSPC : lastError(); // nothing written and no reason: the disk took no more
        done += n;
    }
    return 0;
}

// Between the grade file's name and six random letters or digits. A name no teacher gives a backup
// copy ("secundaria1.dat.backup" is one), since leftovers of this form are deleted unasked.
constexpr QLatin1StringView TemporaryInfix(".guardando-");

QString randomSuffix()
{
    static constexpr char Characters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString suffix;
    for (int i = 0; i < 6; ++i)
        suffix += QLatin1Char(Characters[QRandomGenerator::global()->bounded(int(sizeof Characters) - 1)]);
    return suffix;
}

// The rename lives in the folder: flushing it too keeps a power cut from bringing back the old file.
int syncFolder(const QString &path)
{
    errno = 0;
    const int folder = g_calls.open(encoded(QFileInfo(path).absolutePath()).constData(),
                                    O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (folder < 0)
        return errno == EACCES ? 0 : lastError(); // a folder we may not read is one we can't flush
    const Descriptor guard{folder};
    errno = 0;
    if (g_calls.fsync(folder) != 0)
        return errno == EINVAL || errno == EOPNOTSUPP ? 0 : lastError(); // file systems that can't do it
    return 0;
}

} // namespace

SystemCalls &systemCalls() { return g_calls; }

const SystemCalls &realSystemCalls() { return RealCalls; }

int resolveLinks(const QString &path, QString &target)
{
    target = path;
    for (int depth = 0; depth < 40; ++depth) {
        struct stat status {};
        errno = 0;
        if (g_calls.lstat(encoded(target).constData(), &status) != 0)
            return errno == ENOENT || errno == ENOTDIR ? 0 : lastError();
        if (!S_ISLNK(status.st_mode))
            return 0;
        QByteArray link(PATH_MAX, Qt::Uninitialized);
        errno = 0;
        const ssize_t size = g_calls.readlink(encoded(target).constData(), link.data(), size_t(link.size()));
        if (size < 0)
            return lastError();
        if (size >= link.size())
            return ENAMETOOLONG;
        link.truncate(size);
        target = QDir(QFileInfo(target).path()).filePath(QFile::decodeName(link));
    }
    return ELOOP;
}

int read(const QString &path, qint64 limit, QByteArray &content, Attributes &attributes, bool &missing)
{
    content.clear();
    missing = false;
    errno = 0;
    const int fd = g_calls.open(encoded(path).constData(), O_RDONLY | O_CLOEXEC, 0);
    if (fd < 0) {
        // Only these say that no file has that name; anything else is a file we could not read.
        missing = errno == ENOENT || errno == ENOTDIR;
        return missing ? 0 : lastError();
    }
    // Whatever closing a file that was only read reports, what was read is complete.
    const Descriptor guard{fd};
    struct stat status {};
    errno = 0;
    if (g_calls.fstat(fd, &status) != 0)
        return lastError();
    if (S_ISDIR(status.st_mode))
        return EISDIR;
    attributes = {quint32(status.st_mode & 07777), quint32(status.st_uid), quint32(status.st_gid)};

    constexpr qint64 Chunk = 64 * 1024;
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
            return lastError();
        if (n == 0)
            break;
    }
    return 0;
}

int createEmpty(const QString &path)
{
    errno = 0;
    const int fd = g_calls.open(encoded(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return lastError();
    g_calls.close(fd); // nothing was written that closing could lose
    return 0;
}

int checkWritable(const QString &path)
{
    errno = 0;
    return g_calls.faccessat(AT_FDCWD, encoded(path).constData(), W_OK, AT_EACCESS) == 0 ? 0 : lastError();
}

int writeOver(const QString &path, const QByteArray &content)
{
    errno = 0;
    int fd = g_calls.open(encoded(path).constData(), O_WRONLY | O_CLOEXEC, 0);
    if (fd < 0)
        return lastError();
    Descriptor guard{fd};
    if (const int error = writeAll(fd, content))
        return error;
    errno = 0;
    if (g_calls.fsync(fd) != 0)
        return lastError();
    guard.fd = -1;
    errno = 0;
    return g_calls.close(fd) == 0 ? 0 : lastError(); // some file systems report a failed write only here
}

Replacement::~Replacement() { discard(); }

void Replacement::discard()
{
    if (m_fd >= 0)
        g_calls.close(std::exchange(m_fd, -1));
    if (!m_temporary.isEmpty())
        g_calls.unlink(encoded(std::exchange(m_temporary, QString())).constData());
}

int Replacement::create(bool privateFile)
{
    discard();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString candidate = m_path + TemporaryInfix + randomSuffix();
        errno = 0;
        const int fd = g_calls.open(encoded(candidate).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC,
                                    privateFile ? 0600 : 0666);
        if (fd >= 0) {
            m_fd = fd;
            m_temporary = candidate;
            return 0;
        }
        if (errno != EEXIST)
            return lastError();
    }
    return EEXIST;
}

int Replacement::keep(const Attributes &attributes)
{
    struct stat status {};
    errno = 0;
    if (g_calls.fstat(m_fd, &status) != 0)
        return lastError();
    // Owner and group first: changing them may clear permission bits.
    errno = 0;
    if ((status.st_uid != attributes.owner || status.st_gid != attributes.group) &&
        g_calls.fchown(m_fd, uid_t(attributes.owner), gid_t(attributes.group)) != 0)
        return lastError();
    errno = 0;
    if (g_calls.fchmod(m_fd, mode_t(attributes.permissions)) != 0)
        return lastError();
    return 0;
}

int Replacement::write(const QByteArray &content) { return writeAll(m_fd, content); }

int Replacement::commit(bool &renamed)
{
    renamed = false;
    errno = 0;
    if (g_calls.fsync(m_fd) != 0) {
        const int error = lastError();
        discard();
        return error;
    }
    errno = 0;
    if (g_calls.close(std::exchange(m_fd, -1)) != 0) {
        const int error = lastError();
        discard();
        return error;
    }
    errno = 0;
    if (g_calls.rename(encoded(m_temporary).constData(), encoded(m_path).constData()) != 0) {
        const int error = lastError();
        discard();
        return error;
    }
    m_temporary.clear();
    renamed = true;
    return syncFolder(m_path);
}

bool isLeftoverName(const QString &gradeFileName, const QString &name)
{
    const qsizetype prefix = gradeFileName.size() + TemporaryInfix.size();
    if (name.size() != prefix + 6 || !name.startsWith(gradeFileName) ||
        QStringView(name).sliced(gradeFileName.size(), TemporaryInfix.size()) != TemporaryInfix)
        return false;
    for (const QChar c : QStringView(name).sliced(prefix)) {
        const char16_t u = c.unicode();
        if (!((u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z')))
            return false;
    }
    return true;
}

void removeLeftovers(const QString &path)
{
    const QFileInfo info(path);
    const QDir folder = info.absoluteDir();
    const QStringList names = folder.entryList(QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QString &name : names) {
        if (isLeftoverName(info.fileName(), name))
            g_calls.unlink(encoded(folder.filePath(name)).constData());
    }
}

} // namespace merlox2::filesystem
