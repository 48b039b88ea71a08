#pragma once

#include "common/Result.h"
#include "evaluation/NormSets.h"
#include "records/Roster.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

#include <array>
#include <optional>

namespace merlox2 {

// Why a line of a sex file was not taken. Its slot's sex stays unknown until it is given again.
enum class SexLineFault {
    NotASexFile,   // line 1 does not say that the file keeps the sex of a grade's students
    OtherGrade,    // line 1 names another grade file: none of its lines is taken
    NotText,       // not UTF-8 text
    Malformed,     // not "slot;sex;name"
    WrongSlot,     // the slot it names is not the one of its line (line n + 1 is slot n)
    UnknownSex,    // neither H, M nor empty
    FileEndsEarly, // the file ends before slot 30; the line is the first one missing
    ExtraLine,     // the first line after slot 30 that is not blank
};

struct SexLineProblem {
    int line = 0; // counted from 1, line 1 being the one that names the grade file
    SexLineFault fault = SexLineFault::Malformed;

    friend bool operator==(const SexLineProblem &, const SexLineProblem &) = default;
};

struct SexEntry {
    std::optional<Sex> sex;
    QString name; // the name the sex was given for, as SexFile::nameKey() keeps it

    friend bool operator==(const SexEntry &, const SexEntry &) = default;
};

// What a sex file holds: one entry per slot, and the lines that could not be read.
struct SexTable {
    std::array<SexEntry, Roster::LastSlot + 1> entries{}; // slot n at n; 0 is not used
    QList<SexLineProblem> problems;
    bool missing = false; // there is no file yet: every sex is unknown, and that is no problem

    // The sex of the student now in the slot: known only while the grade file holds the name it was given
    // for. Another name there is another student.
    std::optional<Sex> sexOf(int slot, QStringView currentName) const;

    // gradeFileName: the grade file's name without folder, which line 1 must name.
    static SexTable parse(QByteArrayView content, const QString &gradeFileName);
    QByteArray serialise(const QString &gradeFileName) const;
};

// The sex of each student of a grade, kept beside the grade file and never in it, since the grade file's
// format has no room for it: "secundaria1.sexo" beside "secundaria1.dat". UTF-8 text, so that the teacher
// can read it: a first line naming the grade file, then one line per slot, "slot;H|M|empty;name".
// Stores go through the grade file's own store (temporary file, flush, rename), under a short lock of
// their own ("secundaria1.sexo.lock") held only while writing: each store re-reads the file under it and
// changes its own slot only, so a worksheet and the reports window may both give sexes. A store writes
// the file whole again, whatever lines of it could not be read.
class SexFile {
public:
    // How long a store waits for another one to finish. A lock left by a store that never finished (its
    // program ended) is taken over: at once where its process is seen to have ended, else once it is
    // StaleLockMs old and no process holds it open.
    static constexpr int LockWaitMs = 4000;
    static constexpr int StaleLockMs = 3000;

    static SexFile forGradeFile(const QString &gradeFilePath);

    const QString &path() const { return m_path; }
    const QString &gradeFileName() const { return m_gradeFileName; }

    // A missing file gives a table with every sex unknown.
    Result<SexTable> read() const;

    // Gives the student in the slot, whose name in the grade file is name, the sex (none: unknown).
    Result<void> setSex(int slot, std::optional<Sex> sex, QStringView name) const;

    // A name as the sex file keeps and compares it: control characters as blanks (a line break would
    // end the line), trailing blanks removed; a slot never used (NUL) gives an empty name.
    static QString nameKey(QStringView name);

private:
    SexFile(QString path, QString gradeFileName)
        : m_path(std::move(path)), m_gradeFileName(std::move(gradeFileName))
    {
    }

    QString m_path;
    QString m_gradeFileName;
};

} // namespace merlox2
