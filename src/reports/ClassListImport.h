#pragma once

#include "evaluation/NormSets.h"
#include "records/Roster.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

namespace merlox2 {

// Why a whole class list was refused: nothing of it is taken.
enum class ClassListFailure {
    Utf16,        // saved as UTF-16 ("Texto Unicode"): the teacher saves it again as CSV
    Empty,        // no line with anything in it
    TooLarge,     // more than MaxBytes: no class list is that long, so it is not one
    NoNameColumn, // a header row without a name column
};

// Why one line of the list was not taken (or, for NameTooLong, is taken only once cut).
enum class ClassLineFault {
    NameTooLong,    // over 30 characters: detail is the name
    Unstorable,     // a character the grade file can't hold: detail is that character
    MissingName,    // the line has other values but no name
    AgeNotANumber,  // detail is the value
    UnknownSex,     // not H, M, Hombre or Mujer: detail is the value
    TooManyColumns, // more than MaxColumns: detail is how many
    UnclosedQuote,  // a quote opened on this line never closes: nothing from here on is taken
};

struct ClassLineProblem {
    int line = 0; // counted from 1, in the file (or the pasted cells)
    ClassLineFault fault = ClassLineFault::MissingName;
    QString detail{};

    friend bool operator==(const ClassLineProblem &, const ClassLineProblem &) = default;
};

struct ImportedStudent {
    int line = 0;
    QString name; // as given; may be longer than the field (then a NameTooLong problem names the line)
    QString age;  // digits, or empty
    std::optional<Sex> sex{};

    friend bool operator==(const ImportedStudent &, const ImportedStudent &) = default;
};

enum class TextEncoding { Utf8, Utf8WithBom, Windows1252, Clipboard };

// What a class list holds: the students in their order, and the lines that were not taken.
struct ClassList {
    std::optional<ClassListFailure> failure{};
    QList<ImportedStudent> students{};
    QList<ClassLineProblem> problems{};
    TextEncoding encoding = TextEncoding::Utf8;
    QChar delimiter = u',';
    bool header = false;
};

// A list of students from a spreadsheet: a CSV file as Excel saves it (comma or semicolon, UTF-8 with or
// without BOM, or Windows-1252), or the cells of a spreadsheet copied to the clipboard (tab-separated).
// Columns are found by a header row of Spanish names (any case, with or without accents); without one
// the first column is the name. Quotes as RFC 4180 has them, so a quoted value may hold the delimiter or
// a line break.
namespace classlist {

// A class list is at most a few hundred lines; a file this large is something else, and is refused before
// it is read whole. 10,000 short lines still fit, and are read in a moment.
constexpr qsizetype MaxBytes = qsizetype{1024} * 1024;
// A class list has a few columns; a line with more is not a student (or the delimiter is not the one
// found), and is reported rather than guessed at.
constexpr int MaxColumns = 50;

ClassList parseFile(QByteArrayView bytes);
ClassList parseClipboard(QStringView text);

} // namespace classlist

// Which slot gets which student.
struct PlacedStudent {
    int slot = 0;
    qsizetype student = 0; // index into ClassList::students

    friend bool operator==(const PlacedStudent &, const PlacedStudent &) = default;
};

struct Placement {
    QList<PlacedStudent> placed{};       // in slot order
    QList<qsizetype> notFitting{};       // students left without a slot
    QList<PlacedStudent> alreadyThere{}; // only empty slots filled: students whose name a slot already holds

    friend bool operator==(const Placement &, const Placement &) = default;
};

enum class PlacementMode {
    EmptySlotsOnly, // the students go into the empty slots in order; a student already in the grade stays
    Replace,        // a student already in the grade is updated in the slot; the others take the empty slots
                    // and those of students not on the list, from slot 1; slots not needed stay as they are
};

// students: only the names are read, compared without case, blanks and what lies beyond 30 characters. A
// slot is empty when its name is blank.
Placement placeStudents(const Roster &roster, const QList<ImportedStudent> &students, PlacementMode mode);

} // namespace merlox2
