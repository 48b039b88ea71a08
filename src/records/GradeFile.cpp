#include "records/GradeFile.h"

#include "records/FileSystem.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace merlox2 {

namespace {

// Which part of an action failed: reading the file (a store reads it first), or writing it or its folder.
enum class Step { Read, Write };

// The failure as the file layer gave it, with what only the grade file knows: whether a refusal was to
// read or to write, and whether a folder stands where the file goes (whatever the system made of that).
Error failure(Action action, const QString &path, const filesystem::SystemFailure &failed, Step step)
{
    Cause cause = failed.cause;
    if (cause == Cause::FolderInPlace || QFileInfo(path).isDir())
        cause = Cause::FolderInPlace;
    else if (cause == Cause::PermissionDenied && step == Step::Read)
        cause = Cause::ReadDenied;
    else if (cause == Cause::PermissionDenied)
        // Checked with the effective ids, the ones the kernel uses when the file is opened.
        cause = QFileInfo::exists(path) && filesystem::checkWritable(path) ? Cause::WriteProtected
                                                                           : Cause::FolderWriteDenied;
    // A link's missing file named in full, as the teacher would look for it.
    const QString place =
        failed.target.isEmpty() ? QString() : QDir::cleanPath(QFileInfo(failed.target).absoluteFilePath());
    return Error{
        .action = action, .cause = cause, .subject = path, .place = place, .systemCode = failed.systemCode};
}

Error failure(Action action, const QString &path, const filesystem::SystemFailure &failed)
{
    return failure(action, path, failed, action == Action::ReadGradeFile ? Step::Read : Step::Write);
}

// The file a store replaces: its whole present content, tail included, so that the store can write it
// back around its records, and what the new file must keep of the old one.
struct Current {
    QString target; // symbolic links followed
    QByteArray content;
    filesystem::Attributes attributes;
    bool exists = false;
};

Result<Current> readCurrent(const QString &path)
{
    Current current;
    if (const filesystem::Status failed = filesystem::resolveLinks(path, current.target))
        return failure(Action::SaveGradeFile, path, *failed, Step::Read);
    bool missing = false;
    if (const filesystem::Status failed =
            filesystem::read(current.target, -1, current.content, current.attributes, missing))
        return failure(Action::SaveGradeFile, current.target, *failed, Step::Read);
    current.exists = !missing;
    return current;
}

void putRecord(QByteArray &content, int n, const StudentRecord &record)
{
    const qsizetype offset = qsizetype(n - 1) * StudentRecord::Size;
    if (content.size() < offset + StudentRecord::Size)
        content.resize(offset + StudentRecord::Size, '\0'); // a gap before the record reads as NUL
    std::copy_n(record.data(), StudentRecord::Size, content.begin() + offset);
}

// The new content goes over the old in place. It never truncates: the new content is the old one with
// some records replaced or added, so a failure part way leaves every other record as it was.
Result<void> writeInPlace(const QString &path, const QByteArray &content)
{
    if (const filesystem::Status failed = filesystem::writeOver(path, content))
        return failure(Action::SaveGradeFile, path, *failed);
    return {};
}

// All or nothing: the new content goes to a temporary file beside the grade file, which then takes its
// place with the old file's permissions, owner and group. Where the folder refuses the temporary file,
// or the temporary file can't be given what the old one had, the file is written in place instead.
Result<void> replaceContent(const Current &current, const QByteArray &content)
{
    const QString &path = current.target;
    // A write-protected file is not replaced behind its protection.
    if (current.exists) {
        if (const filesystem::Status failed = filesystem::checkWritable(path))
            return failure(Action::SaveGradeFile, path, *failed);
    }
    bool inPlace = false;
    {
        filesystem::Replacement replacement(path);
        if (const filesystem::Status failed = replacement.create(current.exists)) {
            if (!current.exists || failed->cause != Cause::PermissionDenied)
                return failure(Action::SaveGradeFile, path, *failed);
            inPlace = true; // the folder refuses new files; the file itself may be written
        } else if (current.exists && replacement.keep(current.attributes)) {
            inPlace = true; // another owner, or a mode we may not set: the temporary file goes
        } else {
            if (const filesystem::Status failed = replacement.write(content))
                return failure(Action::SaveGradeFile, path, *failed);
            bool renamed = false;
            if (const filesystem::Status failed = replacement.commit(renamed))
                return failure(renamed ? Action::FinishSavingGradeFile : Action::SaveGradeFile, path,
                               *failed);
        }
    }
    if (inPlace) {
        if (Result<void> written = writeInPlace(path, content); !written)
            return written;
    }
    filesystem::removeLeftovers(path);
    return {};
}

} // namespace

QString GradeFile::fileNameForGrade(int grade)
{
    Q_ASSERT(grade >= 1 && grade <= 3);
    return u"secundaria%1.dat"_s.arg(grade);
}

Result<void> GradeFile::loadRoster(Roster &roster) const
{
    QByteArray content;
    for (int attempt = 0;; ++attempt) {
        filesystem::Attributes attributes;
        bool missing = false;
        if (const filesystem::Status failed =
                filesystem::read(m_path, FullSize, content, attributes, missing))
            return failure(Action::ReadGradeFile, m_path, *failed);
        if (!missing)
            break;
        // A missing file is created empty. One that appeared meanwhile is read after all.
        const filesystem::Status failed = filesystem::createEmpty(m_path);
        if (failed && failed->cause == Cause::AlreadyExists && attempt == 0)
            continue;
        if (failed)
            return failure(Action::CreateGradeFile, m_path, *failed);
        return {};
    }
    if (content.isEmpty())
        return {};

    // Everything is read before the first slot changes, so a failed load leaves the roster whole.
    const QByteArrayView bytes(content);
    for (int X = Roster::FirstSlot; X <= Roster::LastSlot; ++X) {
        const qsizetype offset = std::min<qsizetype>(qsizetype(X - 1) * LongitudReg, bytes.size());
        const qsizetype length = std::min<qsizetype>(LongitudReg, bytes.size() - offset);
        roster[X] = StudentRecord::fromBytes(bytes.sliced(offset, length));
    }
    return {};
}

Result<void> GradeFile::storeRecord(const Roster &roster, int n) const
{
    if (n < Roster::FirstSlot || n > Roster::LastSlot)
        return Error{
            .action = Action::SaveGradeFile, .cause = Cause::NoSuchRecord, .subject = m_path, .record = n};
    const Result<Current> current = readCurrent(m_path);
    if (!current)
        return current.error();
    QByteArray content = current.value().content;
    putRecord(content, n, roster[n]);
    return replaceContent(current.value(), content);
}

Result<void> GradeFile::storeRoster(const Roster &roster) const
{
    const Result<Current> current = readCurrent(m_path);
    if (!current)
        return current.error();
    QByteArray content = current.value().content;
    for (int X = Roster::FirstSlot; X <= Roster::LastSlot; ++X)
        putRecord(content, X, roster[X]);
    return replaceContent(current.value(), content);
}

} // namespace merlox2
