#include "reports/ClassSummary.h"

#include "evaluation/EvaluationRule.h"
#include "reports/GradeTableModel.h"

#include <QLocale>

using namespace Qt::StringLiterals;

namespace merlox2 {

namespace {

std::optional<Level> levelOf(const QString &text)
{
    static const std::array<QString, LevelCount> Names{u"I"_s, u"II"_s, u"III"_s, u"IV"_s, u"SN"_s};
    for (std::size_t i = 0; i < Names.size(); ++i) {
        if (text == Names[i])
            return Level(i);
    }
    return std::nullopt;
}

} // namespace

StudentMarks marksOf(int grade, const StudentRecord &student, std::optional<Sex> sex)
{
    StudentMarks result;
    if (!sex)
        return result;
    const QString fields[] = {
        student.field(StudentRecord::Resistencia), student.field(StudentRecord::Velocidad),
        student.field(StudentRecord::Lagartijas), student.field(StudentRecord::Abdominales),
        student.field(StudentRecord::Sentadillas)};
    const Evaluation evaluation =
        evaluate(grade, *sex, {fields[0], fields[1], fields[2], fields[3], fields[4]}, resultLocale());
    struct Place {
        Output level;
        Output percentage;
    };
    static constexpr std::array<Place, CapacityCount> Places{{
        {Output::EnduranceLevel, Output::EndurancePercentage},
        {Output::SpeedLevel, Output::SpeedPercentage},
        {Output::StrengthLevel, Output::StrengthPercentage},
        {Output::AverageLevel, Output::AveragePercentage},
    }};
    for (std::size_t i = 0; i < Places.size(); ++i) {
        const auto level = std::size_t(Places[i].level);
        const auto percentage = std::size_t(Places[i].percentage);
        if (std::max(level, percentage) >= evaluation.outputs.size())
            continue;
        bool isNumber = false;
        const int percent = evaluation.outputs[percentage].toInt(&isNumber);
        if (const std::optional<Level> found = levelOf(evaluation.outputs[level]); found && isNumber)
            result.marks[i] = Mark{*found, percent};
    }
    result.complete = evaluation.complete();
    return result;
}

ClassSummary summarize(int grade, const Roster &roster, const SexTable &sexes)
{
    ClassSummary summary;
    summary.grade = grade;
    std::array<ClassSummary::BySex<long long>, CapacityCount> sums{};
    constexpr auto Todos = std::size_t(SexColumn::Todos);
    for (int slot = Roster::FirstSlot; slot <= Roster::LastSlot; ++slot) {
        const QString name = roster[slot].field(StudentRecord::Nombre);
        if (SexFile::nameKey(name).trimmed().isEmpty())
            continue;
        const std::optional<Sex> sex = sexes.sexOf(slot, name);
        if (!sex) {
            ++summary.withoutSex;
            continue;
        }
        const auto column = std::size_t(*sex == Sex::Hombre ? SexColumn::Hombres : SexColumn::Mujeres);
        const StudentMarks marks = marksOf(grade, roster[slot], sex);
        for (const std::size_t s : {column, Todos}) {
            ++summary.students[s];
            if (!marks.complete)
                ++summary.incomplete[s];
            for (std::size_t c = 0; c < std::size_t(CapacityCount); ++c) {
                if (const std::optional<Mark> &mark = marks.marks[c]) {
                    ++summary.counts[c][std::size_t(mark->level)][s];
                    ++summary.evaluated[c][s];
                    sums[c][s] += mark->percentage;
                }
            }
        }
    }
    for (std::size_t c = 0; c < std::size_t(CapacityCount); ++c) {
        for (std::size_t s = 0; s < std::size_t(SexColumnCount); ++s) {
            if (summary.evaluated[c][s] > 0)
                summary.meanPercentage[c][s] = double(sums[c][s]) / summary.evaluated[c][s];
        }
    }
    return summary;
}

ClassSummary summarize(const GradeTableModel &model)
{
    return summarize(model.grade(), model.roster(), model.sexes());
}

QString levelName(Level level)
{
    switch (level) {
    case Level::I: return u"I"_s;
    case Level::II: return u"II"_s;
    case Level::III: return u"III"_s;
    case Level::IV: return u"IV"_s;
    case Level::SN: break;
    }
    return u"SN"_s;
}

QString capacityName(Capacity capacity)
{
    switch (capacity) {
    case Capacity::Resistencia: return u"Resistencia"_s;
    case Capacity::Velocidad: return u"Velocidad"_s;
    case Capacity::Fuerza: return u"Fuerza"_s;
    case Capacity::Promedio: break;
    }
    return u"Promedio"_s;
}

QString sexColumnName(SexColumn sex)
{
    switch (sex) {
    case SexColumn::Hombres: return u"Hombres"_s;
    case SexColumn::Mujeres: return u"Mujeres"_s;
    case SexColumn::Todos: break;
    }
    return u"Todos"_s;
}

} // namespace merlox2
