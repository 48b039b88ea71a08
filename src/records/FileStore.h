#pragma once

#include "common/Result.h"
#include "records/FileSystem.h"

#include <QByteArray>
#include <QString>

// The store that replaces a whole file at once (temporary file, flush, rename), shared by the grade files
// and the small files kept beside them, so that both fail alike and are worded alike.
//
// Why not QSaveFile, which does the same in outline: it gives the new file the process's owner and group
// and the umask's permissions, where a grade file shared in a group's folder must keep its own; it never
// flushes the folder, so a power cut just after the rename can lose the new name; it can't write in place
// where the folder refuses a temporary file; and it reports one error string where the teacher's message
// needs a cause per failure (disk full, another program has the file, a read-only file, a folder in its
// place). Keep this, or give QSaveFile all four first.
namespace merlox2::filestore {

// Which part of an action failed: reading the file (a store reads it first), or writing it or its folder.
enum class Step { Read, Write };

// The failure as the file layer gave it, with what only the store knows: whether a refusal was to read or
// to write, and whether a folder stands where the file goes (whatever the system made of that).
Error failure(Action action, const QString &path, const filesystem::SystemFailure &failed, Step step);

// The file a store replaces: its whole present content, tail included, so that the store can write it
// back around what it changes, and what the new file must keep of the old one.
struct Current {
    QString target; // symbolic links followed
    QByteArray content;
    filesystem::Attributes attributes;
    bool exists = false;
};

// save: the action a failure is reported under.
Result<Current> readCurrent(const QString &path, Action save);

// finish: the action of a failure after the new content took the file's place.
struct Actions {
    Action save;
    Action finish;
};

// Allowed only where the new content is never shorter than the old: writing in place never truncates.
enum class InPlace { Allowed, Refused };

// All or nothing: the new content goes to a temporary file beside the file, which then takes its place
// with the old file's permissions, owner and group. Where the folder refuses the temporary file, or the
// temporary file can't be given what the old one had, the file is written in place instead if inPlace
// allows it. A successful store removes the temporary files that killed stores left behind.
Result<void> replaceContent(const Current &current, const QByteArray &content, Actions actions,
                            InPlace inPlace);

} // namespace merlox2::filestore
