#include "records/FileStore.h"

#include <QDir>
#include <QFileInfo>

namespace merlox2::filestore {

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

Result<Current> readCurrent(const QString &path, Action save)
{
    Current current;
    if (const filesystem::Status failed = filesystem::resolveLinks(path, current.target))
        return failure(save, path, *failed, Step::Read);
    bool missing = false;
    if (const filesystem::Status failed =
            filesystem::read(current.target, -1, current.content, current.attributes, missing))
        return failure(save, current.target, *failed, Step::Read);
    current.exists = !missing;
    return current;
}

namespace {

// The new content goes over the old in place. It never truncates: for the grade file the new content is
// the old one with some records replaced or added, so a failure part way leaves every other record as it was.
Result<void> writeInPlace(const QString &path, const QByteArray &content, Action save)
{
    if (const filesystem::Status failed = filesystem::writeOver(path, content))
        return failure(save, path, *failed, Step::Write);
    return {};
}

} // namespace

Result<void> replaceContent(const Current &current, const QByteArray &content, Actions actions,
                            InPlace inPlace)
{
    const QString &path = current.target;
    // A write-protected file is not replaced behind its protection.
    if (current.exists) {
        if (const filesystem::Status failed = filesystem::checkWritable(path))
            return failure(actions.save, path, *failed, Step::Write);
    }
    bool writeInPlaceInstead = false;
    {
        filesystem::Replacement replacement(path);
        if (const filesystem::Status failed = replacement.create(current.exists)) {
            if (!current.exists || failed->cause != Cause::PermissionDenied || inPlace == InPlace::Refused)
                return failure(actions.save, path, *failed, Step::Write);
            writeInPlaceInstead = true; // the folder refuses new files; the file itself may be written
        } else if (current.exists) {
            if (const filesystem::Status notKept = replacement.keep(current.attributes)) {
                if (inPlace == InPlace::Refused)
                    return failure(actions.save, path, *notKept, Step::Write);
                // another owner, or a mode we may not set: the temporary file goes
                writeInPlaceInstead = true;
            }
        }
        if (!writeInPlaceInstead) {
            if (const filesystem::Status failed = replacement.write(content))
                return failure(actions.save, path, *failed, Step::Write);
            bool renamed = false;
            if (const filesystem::Status failed = replacement.commit(renamed))
                return failure(renamed ? actions.finish : actions.save, path, *failed, Step::Write);
        }
    }
    if (writeInPlaceInstead) {
        if (Result<void> written = writeInPlace(path, content, actions.save); !written)
            return written;
    }
    filesystem::removeLeftovers(path);
    return {};
}

} // namespace merlox2::filestore
