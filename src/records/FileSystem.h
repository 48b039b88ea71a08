#pragma once

#include "common/Error.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The file-system steps of the grade file, kept apart so that the system's calls live in one small place
// per system (FileSystemPosix.cpp, FileSystemWindows.cpp). Each step returns nothing where it succeeded,
// else its failure: the system's error number and the cause it stands for. The file layer alone turns
// error numbers into causes; the grade file words nothing and tells causes apart only by Cause.
namespace merlox2::filesystem {

// cause is one of the file causes; PermissionDenied is given as the system said it, and the grade file
// tells reading from writing. systemCode is errno here, GetLastError() where the calls are Windows'.
struct SystemFailure {
    Cause cause = Cause::Unexplained;
    int systemCode = 0;
    QString target{}; // for DanglingLink: the missing file that the link points to
};
using Status = std::optional<SystemFailure>;

// What a file that takes another's place must keep of it. On Windows, permissions holds the file's
// attributes (read-only, hidden, system); owner and group don't apply there.
struct Attributes {
    quint32 permissions = 0;
    quint32 owner = 0;
    quint32 group = 0;
};

// The file that path names once symbolic links are followed: a store replaces that file, not the link.
// A link to a file that does not exist gives DanglingLink: nothing may be created through it.
[[nodiscard]] Status resolveLinks(const QString &path, QString &target);

// Reads at most limit bytes (everything when limit < 0) and the file's attributes. missing becomes true,
// with success returned, only when there is no file of that name; any other failure is returned as it
// is. A folder of that name gives FolderInPlace, a link to a missing file DanglingLink, and anything else
// but a regular file (a pipe, a socket, a device) NotARegularFile, at once and without reading from it.
[[nodiscard]] Status read(const QString &path, qint64 limit, QByteArray &content, Attributes &attributes,
                          bool &missing);

// Creates the file empty; AlreadyExists where it appeared meanwhile.
[[nodiscard]] Status createEmpty(const QString &path);

// Success where the effective user may write to the file or folder.
[[nodiscard]] Status checkWritable(const QString &path);

// Writes content over the file from its first byte without ever truncating it, and flushes it to disk.
// path is a regular file with links already followed; anything else is refused as read() refuses it.
[[nodiscard]] Status writeOver(const QString &path, const QByteArray &content);

// A temporary file beside the file it is to replace, named as leftoverName() recognises.
class Replacement {
public:
    explicit Replacement(QString path) : m_path(std::move(path)) {}
    ~Replacement(); // removes the temporary file unless it took the file's place
    Replacement(const Replacement &) = delete;
    Replacement &operator=(const Replacement &) = delete;

    // private: readable and writable by the owner only, until keep() gives it the old file's permissions.
    // PermissionDenied where the folder takes no new file; AlreadyExists where no free name was found.
    [[nodiscard]] Status create(bool privateFile);
    [[nodiscard]] Status keep(const Attributes &attributes);
    [[nodiscard]] Status write(const QByteArray &content);
    // Flushes the content to disk, puts the file in place and flushes the folder, which holds the rename.
    // renamed tells whether the file took its place before a failure. What stands in the file's place
    // must be a regular file (or nothing): a pipe or device that appeared there is refused, not replaced.
    [[nodiscard]] Status commit(bool &renamed);

private:
    void discard();

    QString m_path;
    QString m_temporary;
#ifdef Q_OS_WIN
    void *m_handle = nullptr; // a HANDLE, without windows.h in every includer
    quint32 m_attributes = 0; // what the temporary file gets when it is closed
#else
    int m_fd = -1;
#endif
};

// A fresh name for the temporary file of a store of path, one that isLeftoverName() recognises.
QString temporaryName(const QString &path);

// Whether name (without folder) is one that a store of gradeFileName makes for its temporary file:
// the grade file's name, ".guardando-" and six ASCII letters or digits.
bool isLeftoverName(const QString &gradeFileName, const QString &name);

// Removes the temporary files that killed stores of path left beside it. Best effort: what can't be
// removed stays for the next store.
void removeLeftovers(const QString &path);

// Makes the folder, and the folders above it that are missing; success where it is there already (also
// through a link). path is absolute. A file in its place or on its path gives NotAFolder.
[[nodiscard]] Status makeFolder(const QString &path);

// Gives a folder another name beside it, where nothing has that name yet (AlreadyExists where something
// has: never merged into another folder), and flushes the folder that holds both names.
[[nodiscard]] Status renameFolder(const QString &from, const QString &to);

// Deletes one file, in the system's own way (each system's file); best effort.
void removeFile(const QString &path);

} // namespace merlox2::filesystem
