#include "records/GradeFile.h"

#include "records/FileStore.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace merlox2 {

namespace {

Error failure(Action action, const QString &path, const filesystem::SystemFailure &failed)
{
    return filestore::failure(action, path, failed,
                              action == Action::ReadGradeFile ? filestore::Step::Read
                                                              : filestore::Step::Write);
}

void putRecord(QByteArray &content, int n, const StudentRecord &record)
{
    const qsizetype offset = qsizetype(n - 1) * StudentRecord::Size;
    if (content.size() < offset + StudentRecord::Size)
        content.resize(offset + StudentRecord::Size, '\0'); // a gap before the record reads as NUL
    std::copy_n(record.data(), StudentRecord::Size, content.begin() + offset);
}

// Records are only ever replaced or added, so the content never shrinks and may be written in place.
Result<void> replaceContent(const filestore::Current &current, const QByteArray &content)
{
    return filestore::replaceContent(current, content, {Action::SaveGradeFile, Action::FinishSavingGradeFile},
                                     filestore::InPlace::Allowed);
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
    const Result<filestore::Current> current = filestore::readCurrent(m_path, Action::SaveGradeFile);
    if (!current)
        return current.error();
    QByteArray content = current.value().content;
    putRecord(content, n, roster[n]);
    return replaceContent(current.value(), content);
}

Result<void> GradeFile::storeRecords(const Roster &roster, const QList<int> &slots) const
{
    for (const int n : slots)
        if (n < Roster::FirstSlot || n > Roster::LastSlot)
            return Error{.action = Action::SaveGradeFile,
                         .cause = Cause::NoSuchRecord,
                         .subject = m_path,
                         .record = n};
    const Result<filestore::Current> current = filestore::readCurrent(m_path, Action::SaveGradeFile);
    if (!current)
        return current.error();
    QByteArray content = current.value().content;
    for (const int n : slots)
        putRecord(content, n, roster[n]);
    return replaceContent(current.value(), content);
}

Result<void> GradeFile::storeRoster(const Roster &roster) const
{
    const Result<filestore::Current> current = filestore::readCurrent(m_path, Action::SaveGradeFile);
    if (!current)
        return current.error();
    QByteArray content = current.value().content;
    for (int X = Roster::FirstSlot; X <= Roster::LastSlot; ++X)
        putRecord(content, X, roster[X]);
    return replaceContent(current.value(), content);
}

} // namespace merlox2
