#include "reports/PeriodComparison.h"

#include "evaluation/NumberConversion.h"
#include "reports/GradeExport.h"
#include "reports/GradeTableModel.h"

#include <QHash>
#include <QRegularExpression>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace merlox2 {

namespace {

constexpr std::array<StudentRecord::Field, ResultCount> ResultFields{
    StudentRecord::Resistencia, StudentRecord::Velocidad, StudentRecord::Lagartijas,
    StudentRecord::Abdominales, StudentRecord::Sentadillas};

bool isTime(int result) { return result < 2; }

QString trimmedField(const StudentRecord &record, StudentRecord::Field field)
{
    return SexFile::nameKey(record.field(field)).trimmed();
}

std::optional<double> valueOf(int result, const QString &text)
{
    if (isTime(result))
        return toTime(text, resultLocale());
    if (const std::optional<std::int16_t> count = toCount(text, resultLocale()).value)
        return double(*count);
    return std::nullopt;
}

int decimalsOf(const QString &text)
{
    const qsizetype separator = std::max(text.lastIndexOf(u'.'), text.lastIndexOf(u','));
    return separator < 0 ? 0 : int(std::min<qsizetype>(text.size() - separator - 1, 3));
}

QString number(double value, int decimals) { return QString::number(value, 'f', decimals); }

struct Side {
    QHash<QString, QList<int>> slots; // by matching key, in slot order
    QList<QString> order;             // the keys in slot order
};

Side sideOf(const GradeStudents &grade)
{
    Side side;
    for (int slot = Roster::FirstSlot; slot <= Roster::LastSlot; ++slot) {
        const QString key = matchingKey(trimmedField(grade.roster[slot], StudentRecord::Nombre));
        if (key.isEmpty())
            continue;
        if (!side.slots.contains(key))
            side.order << key;
        side.slots[key] << slot;
    }
    return side;
}

StudentMarks marksAt(const GradeStudents &grade, int slot)
{
    const StudentRecord &record = grade.roster[slot];
    return marksOf(grade.grade, record, grade.sexes.sexOf(slot, record.field(StudentRecord::Nombre)));
}

} // namespace

QString matchingKey(QStringView name)
{
    const QString decomposed = name.toString().normalized(QString::NormalizationForm_D);
    QString key;
    key.reserve(decomposed.size());
    bool blank = false;
    for (const QChar c : decomposed) {
        if (c.category() == QChar::Mark_NonSpacing || c.category() == QChar::Mark_SpacingCombining ||
            c.category() == QChar::Mark_Enclosing)
            continue;
        if (c.isSpace() || c.unicode() == 0) {
            blank = !key.isEmpty();
            continue;
        }
        if (blank)
            key += u' ';
        blank = false;
        key += c;
    }
    return key.toCaseFolded();
}

QString resultTitle(int result)
{
    static const std::array<QString, ResultCount> Titles{u"Resistencia"_s, u"Velocidad"_s, u"Lagartijas"_s,
                                                         u"Abdominales"_s, u"Sentadillas"_s};
    return Titles.at(std::size_t(result));
}

QString directionWord(Direction direction)
{
    switch (direction) {
    case Direction::Better: return u"mejor"_s;
    case Direction::Same: return u"igual"_s;
    case Direction::Worse: return u"peor"_s;
    case Direction::Unknown: break;
    }
    return {};
}

Direction StudentChange::levelDirection(Capacity capacity) const
{
    const std::optional<Mark> &then = marksThen[capacity];
    const std::optional<Mark> &now = marksNow[capacity];
    if (!then || !now)
        return Direction::Unknown;
    if (now->level == then->level)
        return Direction::Same;
    return now->level < then->level ? Direction::Better : Direction::Worse; // I is the best
}

GradeComparison compareGrade(const GradeStudents &then, const GradeStudents &now)
{
    GradeComparison comparison;
    comparison.grade = now.grade;
    comparison.then = summarize(then.grade, then.roster, then.sexes);
    comparison.now = summarize(now.grade, now.roster, now.sexes);
    const Side before = sideOf(then);
    const Side after = sideOf(now);
    const auto nameAt = [](const GradeStudents &grade, int slot) {
        return trimmedField(grade.roster[slot], StudentRecord::Nombre);
    };

    QList<UnmatchedStudent> repeated;
    QList<UnmatchedStudent> left;
    QList<UnmatchedStudent> joined;
    for (const QString &key : after.order) {
        const QList<int> &slotsNow = after.slots.value(key);
        const QList<int> slotsThen = before.slots.value(key);
        const QString name = nameAt(now, slotsNow.first());
        if (slotsNow.size() > 1 || slotsThen.size() > 1) {
            const auto why = slotsNow.size() > 1 ? UnmatchedStudent::Why::RepeatedNow
                                                 : UnmatchedStudent::Why::RepeatedThen;
            repeated << UnmatchedStudent{name, why, slotsThen, slotsNow};
            continue;
        }
        if (slotsThen.isEmpty()) {
            joined << UnmatchedStudent{name, UnmatchedStudent::Why::Joined, {}, slotsNow};
            continue;
        }
        StudentChange student;
        student.name = name;
        student.slotThen = slotsThen.first();
        student.slotNow = slotsNow.first();
        for (int r = 0; r < ResultCount; ++r) {
            ResultChange &change = student.results.at(std::size_t(r));
            const auto field = ResultFields.at(std::size_t(r));
            change.then = trimmedField(then.roster[student.slotThen], field);
            change.now = trimmedField(now.roster[student.slotNow], field);
            change.thenValue = valueOf(r, change.then);
            change.nowValue = valueOf(r, change.now);
            if (change.thenValue && change.nowValue) {
                change.difference = *change.nowValue - *change.thenValue;
                const double gain = isTime(r) ? -*change.difference : *change.difference;
                change.direction = gain > 0   ? Direction::Better
                                   : gain < 0 ? Direction::Worse
                                              : Direction::Same;
            }
        }
        student.marksThen = marksAt(then, student.slotThen);
        student.marksNow = marksAt(now, student.slotNow);
        comparison.students << student;
    }
    for (const QString &key : before.order) {
        if (after.slots.contains(key))
            continue;
        const QList<int> &slotsThen = before.slots.value(key);
        const QString name = nameAt(then, slotsThen.first());
        if (slotsThen.size() > 1)
            repeated << UnmatchedStudent{name, UnmatchedStudent::Why::RepeatedThen, slotsThen, {}};
        else
            left << UnmatchedStudent{name, UnmatchedStudent::Why::Left, slotsThen, {}};
    }
    comparison.unmatched = repeated + left + joined;
    return comparison;
}

QString resultChangeText(const ResultChange &change)
{
    const QString then = change.then.isEmpty() ? u"—"_s : change.then;
    const QString now = change.now.isEmpty() ? u"—"_s : change.now;
    QString text = then + u" → "_s + now;
    if (change.difference) {
        const int decimals = std::max(decimalsOf(change.then), decimalsOf(change.now));
        const double difference = *change.difference;
        const QString signed_ = difference > 0   ? u"+"_s + number(difference, decimals)
                                : difference < 0 ? u"−"_s + number(-difference, decimals)
                                                 : number(0, decimals);
        text += u" (%1, %2)"_s.arg(signed_, directionWord(change.direction));
    }
    return text;
}

QString levelChangeText(const StudentChange &student, Capacity capacity)
{
    const std::optional<Mark> &then = student.marksThen[capacity];
    const std::optional<Mark> &now = student.marksNow[capacity];
    QString text =
        (then ? levelName(then->level) : u"—"_s) + u" → "_s + (now ? levelName(now->level) : u"—"_s);
    const Direction direction = student.levelDirection(capacity);
    if (direction != Direction::Unknown)
        text += u" (%1)"_s.arg(directionWord(direction));
    return text;
}

QString unmatchedReason(const UnmatchedStudent &student, const QString &thenLabel, const QString &nowLabel)
{
    const auto slots = [](const QList<int> &list) {
        QStringList numbers;
        for (const int slot : list)
            numbers << QString::number(slot);
        if (numbers.size() == 1)
            return u"registro "_s + numbers.first();
        return u"registros "_s + numbers.mid(0, numbers.size() - 1).join(u", "_s) + u" y "_s + numbers.last();
    };
    switch (student.why) {
    case UnmatchedStudent::Why::Left:
        return u"solo está en %1 (%2)"_s.arg(thenLabel, slots(student.slotsThen));
    case UnmatchedStudent::Why::Joined:
        return u"solo está en %1 (%2)"_s.arg(nowLabel, slots(student.slotsNow));
    case UnmatchedStudent::Why::RepeatedThen:
        return u"el nombre está más de una vez en %1 (%2); no se compara hasta que cada alumno tenga un "
               "nombre distinto"_s.arg(thenLabel, slots(student.slotsThen));
    case UnmatchedStudent::Why::RepeatedNow:
        return u"el nombre está más de una vez en %1 (%2); no se compara hasta que cada alumno tenga un "
               "nombre distinto"_s.arg(nowLabel, slots(student.slotsNow));
    }
    return {};
}

QStringList comparisonSheetHeaders()
{
    QStringList headers{u"Grado"_s, u"Nombre"_s, u"No. antes"_s, u"No. ahora"_s};
    for (int r = 0; r < ResultCount; ++r)
        headers << resultTitle(r) + u" antes"_s << resultTitle(r) + u" ahora"_s
                << resultTitle(r) + u" cambio"_s << resultTitle(r) + u" avance"_s;
    for (int c = 0; c < CapacityCount; ++c)
        headers << u"Nivel de %1 antes"_s.arg(capacityName(Capacity(c)).toLower())
                << u"Nivel de %1 ahora"_s.arg(capacityName(Capacity(c)).toLower())
                << u"Nivel de %1 avance"_s.arg(capacityName(Capacity(c)).toLower());
    return headers;
}

QList<QList<QVariant>> comparisonSheetRows(const QList<GradeComparison> &grades)
{
    const auto valueOrText = [](const std::optional<double> &value, const QString &text) {
        return value ? QVariant(*value) : text.isEmpty() ? QVariant() : QVariant(text);
    };
    const auto textOrNothing = [](const QString &text) {
        return text.isEmpty() ? QVariant() : QVariant(text);
    };
    QList<QList<QVariant>> rows;
    for (const GradeComparison &grade : grades) {
        for (const StudentChange &student : grade.students) {
            QList<QVariant> row{gradeSheetName(grade.grade), student.name, student.slotThen, student.slotNow};
            for (const ResultChange &change : student.results) {
                row << valueOrText(change.thenValue, change.then) << valueOrText(change.nowValue, change.now)
                    << (change.difference ? QVariant(*change.difference) : QVariant())
                    << textOrNothing(directionWord(change.direction));
            }
            for (int c = 0; c < CapacityCount; ++c) {
                const auto capacity = Capacity(c);
                const std::optional<Mark> &then = student.marksThen[capacity];
                const std::optional<Mark> &now = student.marksNow[capacity];
                row << (then ? QVariant(levelName(then->level)) : QVariant())
                    << (now ? QVariant(levelName(now->level)) : QVariant())
                    << textOrNothing(directionWord(student.levelDirection(capacity)));
            }
            rows << row;
        }
    }
    return rows;
}

QStringList distributionSheetHeaders()
{
    QStringList headers{u"Grado"_s, u"Capacidad"_s, u"Nivel"_s};
    for (int s = 0; s < SexColumnCount; ++s)
        headers << sexColumnName(SexColumn(s)) + u" antes"_s << sexColumnName(SexColumn(s)) + u" ahora"_s;
    return headers;
}

QList<QList<QVariant>> distributionSheetRows(const QList<GradeComparison> &grades)
{
    QList<QList<QVariant>> rows;
    for (const GradeComparison &grade : grades) {
        for (int c = 0; c < CapacityCount; ++c) {
            for (int l = 0; l < LevelCount; ++l) {
                QList<QVariant> row{gradeSheetName(grade.grade), capacityName(Capacity(c)),
                                    levelName(Level(l))};
                for (int s = 0; s < SexColumnCount; ++s)
                    row << grade.then.count(Capacity(c), Level(l), SexColumn(s))
                        << grade.now.count(Capacity(c), Level(l), SexColumn(s));
                rows << row;
            }
        }
    }
    return rows;
}

QStringList unmatchedSheetHeaders() { return {u"Grado"_s, u"Nombre"_s, u"Por qué no se compara"_s}; }

QList<QList<QVariant>> unmatchedSheetRows(const QList<GradeComparison> &grades, const QString &thenLabel,
                                          const QString &nowLabel)
{
    QList<QList<QVariant>> rows;
    for (const GradeComparison &grade : grades) {
        for (const UnmatchedStudent &student : grade.unmatched)
            rows << QList<QVariant>{gradeSheetName(grade.grade), student.name,
                                    unmatchedReason(student, thenLabel, nowLabel)};
    }
    return rows;
}

} // namespace merlox2
