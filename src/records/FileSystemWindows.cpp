#include "records/FileSystem.h"

#include <QDir>
#include <QFileInfo>

#include <utility>

#include <windows.h>

namespace merlox2::filesystem {

namespace {

// ERROR_DISK_QUOTA_EXCEEDED, which MinGW's headers lack.
constexpr DWORD DiskQuotaExceeded = 1295;

// The one place where Windows' error numbers become causes, as FileSystemPosix.cpp does with errno.
Cause causeOf(DWORD code)
{
    switch (code) {
    case ERROR_FILE_NOT_FOUND: // read() tells a missing file apart; elsewhere it is the folder
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME: return Cause::MissingFolder;
    case ERROR_DIRECTORY: return Cause::NotAFolder;
    case ERROR_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD: return Cause::PermissionDenied;
    // Another program holds the file: a spreadsheet, a backup or an antivirus program.
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE: return Cause::InUse;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return Cause::AlreadyExists;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case DiskQuotaExceeded:
    case ERROR_FILE_TOO_LARGE: return Cause::DiskFull;
    case ERROR_WRITE_PROTECT: return Cause::ReadOnlyDisk;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY: return Cause::OutOfMemory;
    case ERROR_TOO_MANY_OPEN_FILES: return Cause::TooManyOpenFiles;
    case ERROR_FILENAME_EXCED_RANGE: return Cause::NameTooLong;
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE:
    case ERROR_IO_DEVICE: return Cause::IoError;
    default: return Cause::Other;
    }
}

Status failure(DWORD code) { return SystemFailure{causeOf(code), int(code)}; }

// GetLastError() as a failing call left it; a call that failed without saying why still counts.
Status lastFailure()
{
    const DWORD code = ::GetLastError();
    return failure(code != ERROR_SUCCESS ? code : ERROR_GEN_FAILURE);
}

std::wstring native(const QString &path) { return QDir::toNativeSeparators(path).toStdWString(); }

bool isFolder(const QString &path)
{
    const DWORD attributes = ::GetFileAttributesW(native(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Whether the nearest part of the path that exists is a file: Windows says only that the path was not found.
bool fileOnThePath(const QString &path)
{
    for (QFileInfo part(QFileInfo(path).absolutePath());; part = QFileInfo(part.absolutePath())) {
        if (part.exists())
            return !part.isDir();
        if (part.isRoot() || part.absolutePath() == part.absoluteFilePath())
            return false;
    }
}

// Opening a folder as a file is refused as access denied: that is a folder in the file's place.
Status openFailure(const QString &path)
{
    const Status failed = lastFailure();
    if (failed->systemCode == ERROR_ACCESS_DENIED && isFolder(path))
        return SystemFailure{Cause::FolderInPlace, failed->systemCode};
    if (failed->systemCode == ERROR_PATH_NOT_FOUND && fileOnThePath(path))
        return SystemFailure{Cause::NotAFolder, failed->systemCode};
    return failed;
}

HANDLE open(const QString &path, DWORD access, DWORD sharing, DWORD disposition,
            DWORD flags = FILE_ATTRIBUTE_NORMAL)
{
    return ::CreateFileW(native(path).c_str(), access, sharing, nullptr, disposition, flags, nullptr);
}

// Only a file on a disk holds a grade: a pipe or a device (a link can lead to either) may keep a read
// waiting for ever.
Status fileOnDisk(HANDLE handle)
{
    ::SetLastError(ERROR_SUCCESS);
    const DWORD type = ::GetFileType(handle);
    if (type == FILE_TYPE_DISK)
        return {};
    if (type == FILE_TYPE_UNKNOWN && ::GetLastError() != ERROR_SUCCESS)
        return lastFailure();
    return SystemFailure{Cause::NotARegularFile, 0};
}

// Closes a handle that was only read, or is given up after a failure that is reported instead.
struct Handle {
    HANDLE handle;
    ~Handle()
    {
        if (handle != INVALID_HANDLE_VALUE)
            ::CloseHandle(handle);
    }
};

Status writeAll(HANDLE handle, const QByteArray &content)
{
    qsizetype done = 0;
    while (done < content.size()) {
        const DWORD wanted = DWORD(std::min<qsizetype>(content.size() - done, 1 << 30));
        DWORD written = 0;
        ::SetLastError(ERROR_SUCCESS);
        if (!::WriteFile(handle, content.constData() + done, wanted, &written, nullptr))
            return lastFailure();
        if (written == 0)
            return failure(ERROR_DISK_FULL); // nothing written and no reason: the disk took no more
        done += written;
    }
    return {};
}

// The attributes a replacement keeps; the others (archive, compressed...) are the system's to set.
constexpr DWORD KeptAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

} // namespace

// Links are rare on Windows and a shortcut is a file of its own; a symbolic link is followed as on POSIX.
Status resolveLinks(const QString &path, QString &target)
{
    const QFileInfo info(path);
    target = info.isSymbolicLink() ? info.symLinkTarget() : path;
    if (info.isSymbolicLink() && !info.exists()) // exists() follows the link
        return SystemFailure{Cause::DanglingLink, int(ERROR_FILE_NOT_FOUND), target};
    return {};
}

Status read(const QString &path, qint64 limit, QByteArray &content, Attributes &attributes, bool &missing)
{
    content.clear();
    missing = false;
    // Others may read meanwhile; a program that has the file open for writing makes this a sharing
    // violation, which is better reported than a half-written file read.
    ::SetLastError(ERROR_SUCCESS);
    const Handle file{open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING)};
    if (file.handle == INVALID_HANDLE_VALUE) {
        // A missing folder is found when the file is created, as on POSIX.
        const DWORD code = ::GetLastError();
        if (code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND)
            return openFailure(path);
        // Unless the name is a link to a missing file, which is reported, not followed to create that file.
        QString target;
        if (Status failed = resolveLinks(path, target))
            return failed;
        missing = true;
        return {};
    }
    if (Status failed = fileOnDisk(file.handle))
        return failed;
    BY_HANDLE_FILE_INFORMATION information{};
    ::SetLastError(ERROR_SUCCESS);
    if (!::GetFileInformationByHandle(file.handle, &information))
        return lastFailure();
    attributes = {quint32(information.dwFileAttributes & KeptAttributes), 0, 0};

    constexpr qint64 Chunk = 64 * 1024;
    while (limit < 0 || content.size() < limit) {
        const qint64 wanted = limit < 0 ? Chunk : std::min(Chunk, limit - content.size());
        const qsizetype before = content.size();
        content.resize(before + wanted);
        DWORD n = 0;
        ::SetLastError(ERROR_SUCCESS);
        const bool ok = ::ReadFile(file.handle, content.data() + before, DWORD(wanted), &n, nullptr);
        content.resize(before + (ok ? qsizetype(n) : 0));
        if (!ok)
            return lastFailure();
        if (n == 0)
            break;
    }
    return {};
}

Status createEmpty(const QString &path)
{
    ::SetLastError(ERROR_SUCCESS);
    // A link in the file's place is the file already there, never followed to create its target.
    const HANDLE file =
        open(path, GENERIC_WRITE, 0, CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT);
    if (file == INVALID_HANDLE_VALUE)
        return openFailure(path);
    ::CloseHandle(file); // nothing was written that closing could lose
    return {};
}

// The read-only attribute, and what the file's permissions say to this user: opened for writing as a
// store would, with others free to read, so a program that has it open for writing shows too.
Status checkWritable(const QString &path)
{
    const DWORD attributes = ::GetFileAttributesW(native(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return {}; // a folder's read-only attribute does not stop new files in it
    // Said outright, for the administrator too (and for root under Wine, which maps it to the mode).
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return failure(ERROR_ACCESS_DENIED);
    ::SetLastError(ERROR_SUCCESS);
    const Handle file{
        open(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING)};
    if (file.handle == INVALID_HANDLE_VALUE)
        return openFailure(path);
    return {};
}

Status writeOver(const QString &path, const QByteArray &content)
{
    ::SetLastError(ERROR_SUCCESS);
    Handle file{open(path, GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING)};
    if (file.handle == INVALID_HANDLE_VALUE)
        return openFailure(path);
    if (Status failed = fileOnDisk(file.handle))
        return failed;
    if (Status failed = writeAll(file.handle, content))
        return failed;
    ::SetLastError(ERROR_SUCCESS);
    if (!::FlushFileBuffers(file.handle))
        return lastFailure();
    ::SetLastError(ERROR_SUCCESS);
    if (!::CloseHandle(std::exchange(file.handle, INVALID_HANDLE_VALUE)))
        return lastFailure();
    return {};
}

Replacement::~Replacement() { discard(); }

void Replacement::discard()
{
    if (m_handle)
        ::CloseHandle(std::exchange(m_handle, nullptr));
    if (!m_temporary.isEmpty()) {
        const std::wstring temporary = native(std::exchange(m_temporary, QString()));
        ::SetFileAttributesW(temporary.c_str(), FILE_ATTRIBUTE_NORMAL); // a read-only file is not deleted
        ::DeleteFileW(temporary.c_str());
    }
}

// No permissions to narrow on Windows: the new file inherits the folder's, as the old one did.
Status Replacement::create(bool)
{
    discard();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString candidate = temporaryName(m_path);
        ::SetLastError(ERROR_SUCCESS);
        const HANDLE file = open(candidate, GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW);
        if (file != INVALID_HANDLE_VALUE) {
            m_handle = file;
            m_temporary = candidate;
            m_attributes = 0;
            return {};
        }
        const DWORD code = ::GetLastError();
        if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS)
            return openFailure(candidate);
    }
    return failure(ERROR_FILE_EXISTS);
}

// Given to the file once it is closed, at commit, so that a read-only attribute can't stand in the way of
// writing and flushing it.
Status Replacement::keep(const Attributes &attributes)
{
    m_attributes = attributes.permissions & KeptAttributes;
    return {};
}

Status Replacement::write(const QByteArray &content) { return writeAll(HANDLE(m_handle), content); }

Status Replacement::commit(bool &renamed)
{
    renamed = false;
    const auto failedAfter = [this] {
        const Status failed = lastFailure();
        discard();
        return failed;
    };
    ::SetLastError(ERROR_SUCCESS);
    if (!::FlushFileBuffers(HANDLE(m_handle)))
        return failedAfter();
    ::SetLastError(ERROR_SUCCESS);
    if (!::CloseHandle(std::exchange(m_handle, nullptr)))
        return failedAfter();
    ::SetLastError(ERROR_SUCCESS);
    if (m_attributes != 0 && !::SetFileAttributesW(native(m_temporary).c_str(), m_attributes))
        return failedAfter();
    // No pipe or device stands in a Windows disk's folder, and a link to one was refused when the file was
    // read. Write-through: the move is on disk when it returns, so there is no folder to flush afterwards.
    // A program that has the old file open without letting it be deleted makes this a sharing
    // violation, and the old file stays.
    ::SetLastError(ERROR_SUCCESS);
    if (!::MoveFileExW(native(m_temporary).c_str(), native(m_path).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return failedAfter();
    m_temporary.clear();
    renamed = true;
    return {};
}

Status makeFolder(const QString &path)
{
    const DWORD attributes = ::GetFileAttributesW(native(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? Status() : failure(ERROR_DIRECTORY);
    const DWORD code = ::GetLastError();
    if (code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND)
        return failure(code);
    const QString parent = QFileInfo(path).path();
    if (parent != path) {
        if (Status above = makeFolder(parent))
            return above;
    }
    if (::CreateDirectoryW(native(path).c_str(), nullptr))
        return {};
    const DWORD made = ::GetLastError();
    if (made != ERROR_ALREADY_EXISTS)
        return failure(made);
    // Made meanwhile by someone else, or a file has the name.
    return isFolder(path) ? Status() : failure(ERROR_DIRECTORY);
}

Status renameFolder(const QString &from, const QString &to)
{
    // Without MOVEFILE_REPLACE_EXISTING: a name already there gives ERROR_ALREADY_EXISTS.
    if (!::MoveFileExW(native(from).c_str(), native(to).c_str(), MOVEFILE_WRITE_THROUGH))
        return lastFailure();
    return {};
}

void removeFile(const QString &path) { ::DeleteFileW(native(path).c_str()); }

} // namespace merlox2::filesystem
