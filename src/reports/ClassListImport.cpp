#include "reports/ClassListImport.h"

#include "records/SexFile.h"
#include "records/Windows1252.h"

#include <QHash>
#include <QStringDecoder>

#include <algorithm>
#include <array>

using namespace Qt::StringLiterals;

namespace merlox2 {

namespace {

struct RawLine {
    int line = 0;
    QStringList cells{};
    int columns = 0; // counted beyond MaxColumns, where cells stop
    int filled = 0;  // up to the last value that is not blank: Excel pads every line to the widest one
};

struct RawTable {
    QList<RawLine> lines;
    int unclosedQuoteLine = 0;
};

bool isBlank(const RawLine &line)
{
    return std::all_of(line.cells.begin(), line.cells.end(),
                       [](const QString &cell) { return cell.trimmed().isEmpty(); });
}

// RFC 4180, leniently: a quote opens a quoted value only at the start of a value; "" inside it is one
// quote; anything after the closing quote is kept as it is. CR LF, LF and a lone CR end a line.
RawTable split(QStringView text, QChar delimiter)
{
    RawTable table;
    int line = 1;
    RawLine current{.line = 1};
    QString cell;
    bool cellStarted = false;
    bool quoted = false;
    int quoteLine = 0;
    const auto endCell = [&] {
        if (++current.columns <= classlist::MaxColumns)
            current.cells << cell;
        if (!cell.trimmed().isEmpty())
            current.filled = current.columns;
        cell.clear();
        cellStarted = false;
    };
    const auto endLine = [&] {
        endCell();
        if (!isBlank(current))
            table.lines << current;
        current = RawLine{.line = line};
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < text.size() && text[i + 1] == u'"') {
                    cell += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == u'\n' || (c == u'\r' && (i + 1 >= text.size() || text[i + 1] != u'\n')))
                    ++line;
                cell += c;
            }
        } else if (c == u'"' && !cellStarted) {
            quoted = true;
            cellStarted = true;
            quoteLine = line;
        } else if (c == delimiter) {
            endCell();
        } else if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            ++line;
            endLine();
        } else {
            cell += c;
            cellStarted = true;
        }
    }
    if (quoted)
        table.unclosedQuoteLine = quoteLine; // the line it opened on, and all after it, are not taken
    else
        endLine();
    return table;
}

// The delimiter Excel used: the one met most often outside quotes. Semicolon where the list separator
// is the comma's (Mexico's Excel in some set-ups), comma otherwise; a tab-separated text file too.
QChar guessDelimiter(QStringView text)
{
    std::array<qsizetype, 3> counts{};
    constexpr std::array<char16_t, 3> candidates{u';', u',', u'\t'};
    bool quoted = false;
    const qsizetype end = std::min<qsizetype>(text.size(), qsizetype{64} * 1024);
    for (qsizetype i = 0; i < end; ++i) {
        const QChar c = text[i];
        if (c == u'"')
            quoted = !quoted;
        else if (!quoted)
            for (std::size_t k = 0; k < candidates.size(); ++k)
                counts[k] += c == candidates[k] ? 1 : 0;
    }
    const auto most = std::size_t(std::max_element(counts.begin(), counts.end()) - counts.begin());
    return counts[most] == 0 ? QChar(u',') : QChar(candidates[most]);
}

// A header's text as compared: without accents, in lower case, with single blanks.
QString headerKey(const QString &text)
{
    QString key;
    for (const QChar c : text.normalized(QString::NormalizationForm_D))
        if (c.category() != QChar::Mark_NonSpacing)
            key += c;
    return key.toLower().simplified();
}

enum class Column { None, Name, Surname, Age, Sex };

Column headerColumn(const QString &text)
{
    const QString key = headerKey(text);
    if (key.startsWith(u"nombre"_s) || key.startsWith(u"alumn"_s) || key == u"estudiante"_s)
        return Column::Name;
    // School lists give the surnames apart: «Primer apellido», «Apellido materno», «Apellidos».
    if (key.startsWith(u"apellido"_s) || key.startsWith(u"primer apellido"_s) ||
        key.startsWith(u"segundo apellido"_s))
        return Column::Surname;
    if (key.startsWith(u"edad"_s) || key == u"anos"_s)
        return Column::Age;
    if (key.startsWith(u"sexo"_s) || key.startsWith(u"genero"_s))
        return Column::Sex;
    return Column::None;
}

std::optional<Sex> sexOf(const QString &text, bool &known)
{
    const QString key = headerKey(text);
    known = true;
    if (key.isEmpty())
        return std::nullopt;
    if (key == u"h"_s || key == u"hombre"_s)
        return Sex::Hombre;
    if (key == u"m"_s || key == u"mujer"_s)
        return Sex::Mujer;
    known = false;
    return std::nullopt;
}

// The first character of a name that the grade file can't hold, or that would garble its record (a line
// break or another control character).
std::optional<QString> unstorableCharacter(const QString &name)
{
    for (const char32_t c : name.toUcs4()) {
        if (c < 0x20 || (c >= 0x7F && c < 0xA0) || !Windows1252::canEncode(c))
            return QString::fromUcs4(&c, 1);
    }
    return std::nullopt;
}

bool isAge(const QString &text)
{
    return text.size() <= 3 &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit() && c.unicode() < 128; });
}

ClassList parseText(QStringView text, QChar delimiter, ClassList list)
{
    list.delimiter = delimiter;
    const RawTable table = split(text, delimiter);
    QList<int> nameColumns{0}; // joined in their order: the surnames and the names, as the list has them
    int ageColumn = -1;
    int sexColumn = -1;
    qsizetype first = 0;
    if (!table.lines.isEmpty()) {
        const QStringList &cells = table.lines.first().cells;
        for (int column = 0; column < cells.size(); ++column) {
            const Column kind = headerColumn(cells.at(column));
            list.header = list.header || kind != Column::None;
            if (kind == Column::Name || kind == Column::Surname)
                nameColumns << column;
            if (kind == Column::Age && ageColumn < 0)
                ageColumn = column;
            if (kind == Column::Sex && sexColumn < 0)
                sexColumn = column;
        }
        if (list.header) {
            first = 1;
            const auto isName = [](const QString &cell) { return headerColumn(cell) == Column::Name; };
            if (std::none_of(cells.begin(), cells.end(), isName)) {
                list.failure = ClassListFailure::NoNameColumn;
                return list;
            }
            nameColumns.removeFirst();
        }
    }
    const auto cellAt = [](const RawLine &line, int column) {
        return column >= 0 && column < line.cells.size() ? line.cells.at(column).trimmed() : QString();
    };
    for (qsizetype i = first; i < table.lines.size(); ++i) {
        const RawLine &line = table.lines.at(i);
        const auto problem = [&](ClassLineFault fault, const QString &detail = {}) {
            list.problems << ClassLineProblem{.line = line.line, .fault = fault, .detail = detail};
        };
        if (line.filled > classlist::MaxColumns) {
            problem(ClassLineFault::TooManyColumns, QString::number(line.filled));
            continue;
        }
        QStringList nameParts;
        for (const int column : std::as_const(nameColumns))
            if (const QString part = cellAt(line, column); !part.isEmpty())
                nameParts << part;
        ImportedStudent student{
            .line = line.line, .name = nameParts.join(u' '), .age = cellAt(line, ageColumn)};
        const QString sex = cellAt(line, sexColumn);
        const qsizetype before = list.problems.size();
        if (student.name.isEmpty()) {
            if (!student.age.isEmpty() || !sex.isEmpty())
                problem(ClassLineFault::MissingName);
            else
                continue; // a line with nothing of a student: a number column, a note
        } else if (const std::optional<QString> character = unstorableCharacter(student.name)) {
            problem(ClassLineFault::Unstorable, *character);
        }
        if (!isAge(student.age))
            problem(ClassLineFault::AgeNotANumber, student.age);
        bool known = false;
        student.sex = sexOf(sex, known);
        if (!known)
            problem(ClassLineFault::UnknownSex, sex);
        if (list.problems.size() > before)
            continue;
        // Offered cut: the line stays, the dialog says so.
        if (student.name.size() > StudentRecord::width(StudentRecord::Nombre))
            problem(ClassLineFault::NameTooLong, student.name);
        list.students << student;
    }
    if (table.unclosedQuoteLine > 0)
        list.problems << ClassLineProblem{.line = table.unclosedQuoteLine,
                                          .fault = ClassLineFault::UnclosedQuote};
    if (list.students.isEmpty() && list.problems.isEmpty())
        list.failure = ClassListFailure::Empty;
    return list;
}

// UTF-16 ("Texto Unicode" in Excel): a byte order mark, or the NUL of every other byte of Latin text.
bool looksUtf16(QByteArrayView bytes)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        return true;
    const QByteArrayView head = bytes.first(std::min<qsizetype>(bytes.size(), 512));
    return !head.isEmpty() && head.count('\0') * 4 >= head.size();
}

} // namespace

namespace classlist {

ClassList parseFile(QByteArrayView bytes)
{
    ClassList list;
    if (looksUtf16(bytes)) {
        list.failure = ClassListFailure::Utf16;
        return list;
    }
    if (bytes.size() > MaxBytes) {
        list.failure = ClassListFailure::TooLarge;
        return list;
    }
    QString text;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        list.encoding = TextEncoding::Utf8WithBom;
        text = QString::fromUtf8(bytes.sliced(3));
    } else {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        text = utf8(bytes);
        list.encoding = TextEncoding::Utf8;
        if (utf8.hasError()) {
            list.encoding = TextEncoding::Windows1252;
            text = Windows1252::decode(bytes);
        }
    }
    return parseText(text, guessDelimiter(text), list);
}

ClassList parseClipboard(QStringView text)
{
    ClassList list;
    list.encoding = TextEncoding::Clipboard;
    if (text.size() > MaxBytes) {
        list.failure = ClassListFailure::TooLarge;
        return list;
    }
    return parseText(text, u'\t', list);
}

} // namespace classlist

namespace {

// Names compared as the teacher reads them: case, blanks and the part cut at 30 characters aside.
QString nameMatchKey(QStringView name)
{
    return SexFile::nameKey(
               name.first(std::min<qsizetype>(name.size(), StudentRecord::width(StudentRecord::Nombre))))
        .simplified()
        .toCaseFolded();
}

} // namespace

Placement placeStudents(const Roster &roster, const QList<ImportedStudent> &students, PlacementMode mode)
{
    Placement placement;
    // Each name's slots in order: two students of one name are two students, on the list as in the grade.
    QHash<QString, QList<int>> present;
    std::array<bool, Roster::LastSlot + 1> taken{}; // slot 0 unused
    for (int slot = Roster::FirstSlot; slot <= Roster::LastSlot; ++slot) {
        const QString key = nameMatchKey(roster[slot].field(StudentRecord::Nombre));
        taken.at(std::size_t(slot)) = mode == PlacementMode::EmptySlotsOnly && !key.isEmpty();
        if (!key.isEmpty())
            present[key] << slot;
    }
    // A student already in the grade keeps the slot, and with it the results: left alone, or updated when
    // replacing. The n-th of a name on the list is the n-th of that name in the grade; those beyond are new.
    QList<qsizetype> newcomers;
    for (qsizetype i = 0; i < students.size(); ++i) {
        const auto found = present.find(nameMatchKey(students.at(i).name));
        if (found == present.end() || found->isEmpty()) {
            newcomers << i;
            continue;
        }
        const int slot = found->takeFirst();
        if (mode == PlacementMode::EmptySlotsOnly) {
            placement.alreadyThere << PlacedStudent{.slot = slot, .student = i};
        } else {
            taken.at(std::size_t(slot)) = true;
            placement.placed << PlacedStudent{.slot = slot, .student = i};
        }
    }
    // The others, in the list's order, into the free slots in theirs: the empty ones, and when replacing
    // also those of the students who are not on the list.
    int slot = Roster::FirstSlot;
    for (const qsizetype i : std::as_const(newcomers)) {
        while (slot <= Roster::LastSlot && taken.at(std::size_t(slot)))
            ++slot;
        if (slot > Roster::LastSlot) {
            placement.notFitting << i;
            continue;
        }
        taken.at(std::size_t(slot)) = true;
        placement.placed << PlacedStudent{.slot = slot, .student = i};
    }
    std::sort(placement.placed.begin(), placement.placed.end(),
              [](const PlacedStudent &a, const PlacedStudent &b) { return a.slot < b.slot; });
    return placement;
}

} // namespace merlox2
