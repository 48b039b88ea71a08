#pragma once

#include "common/Result.h"
#include "records/Roster.h"

#include <QList>
#include <QString>

namespace merlox2 {

// The file of one grade: fixed-length records of 130 bytes, record n at (n - 1) * 130, no header.
// Each operation opens the file, does its transfers and closes it; nothing stays open.
// Stores replace the whole file at once (temporary file, flush, rename), so a crash or a full
// disk leaves either the old file or the new one, never a mixture; the file keeps its permissions,
// owner and group. A successful store removes the temporary files that killed stores left behind.
class GradeFile {
public:
    static constexpr int LongitudReg = StudentRecord::Size;
    static constexpr qint64 FullSize = qint64(Roster::LastSlot) * LongitudReg; // 3,900

    // path: usually just the file name, so the file lies in the working directory.
    explicit GradeFile(QString path) : m_path(std::move(path)) {}

    // "secundaria1.dat" to "secundaria3.dat".
    static QString fileNameForGrade(int grade);

    const QString &path() const { return m_path; }

    // A missing file is created empty; an empty file leaves the roster as it was; otherwise
    // records 1 to 30 are read, the missing part of a short file as NUL. On failure no slot changes.
    Result<void> loadRoster(Roster &roster) const;

    // Writes slot n as record n; every other byte of the file stays as it was (a gap before the
    // record is zero-filled). On failure the file is left as it was.
    Result<void> storeRecord(const Roster &roster, int n) const;

    // Writes the given slots as their records at once; every other byte of the file stays as it was (a gap
    // before a record is zero-filled). On failure the file is left as it was.
    Result<void> storeRecords(const Roster &roster, const QList<int> &slots) const;

    // Writes slots 1 to 30 as records 1 to 30; bytes beyond 3,900 stay as they were.
    Result<void> storeRoster(const Roster &roster) const;

private:
    QString m_path;
};

} // namespace merlox2
