#pragma once

#include "evaluation/NormSets.h"
#include "records/Roster.h"
#include "records/SexFile.h"

#include <array>
#include <optional>

namespace merlox2 {

class GradeTableModel;

// The three capacities the worksheet evaluates and its average, in the worksheet's order.
enum class Capacity { Resistencia, Velocidad, Fuerza, Promedio };
inline constexpr int CapacityCount = 4;

// The worksheet's levels, I the best; SN: "sin nivel", below IV.
enum class Level { I, II, III, IV, SN };
inline constexpr int LevelCount = 5;

// The columns of a summary by sex: hombres, mujeres, and both together.
enum class SexColumn { Hombres, Mujeres, Todos };
inline constexpr int SexColumnCount = 3;

// A capacity's result for one student: its level and its percentage (for Promedio, the rounded average).
struct Mark {
    Level level = Level::SN;
    int percentage = 0;

    friend bool operator==(const Mark &, const Mark &) = default;
};

// What the worksheet gives a student for each capacity: none where the student has no sex or where the
// evaluation stopped before that capacity (a result missing or not a number).
struct StudentMarks {
    std::array<std::optional<Mark>, CapacityCount> marks{};
    bool complete = false; // every capacity has its mark

    const std::optional<Mark> &operator[](Capacity capacity) const { return marks.at(std::size_t(capacity)); }
};

// grade 1 to 3; the results read as the reports window reads them, the same on every computer.
StudentMarks marksOf(int grade, const StudentRecord &student, std::optional<Sex> sex);

// The numbers of one grade as a whole. A student is a slot with a name. A capacity counts every student
// whose evaluation reached it, so a student who lacks only the squats still counts in Resistencia and
// Velocidad; such a student is also counted as incomplete.
struct ClassSummary {
    template <typename T>
    using BySex = std::array<T, SexColumnCount>;

    int grade = 1;
    BySex<int> students{};   // with a name and a sex (Todos: both sexes, not those without sex)
    int withoutSex = 0;      // with a name but no sex: not evaluated
    BySex<int> incomplete{}; // with a sex whose evaluation stopped before the average
    // counts[capacity][level][sex]: how many students have that level.
    std::array<std::array<BySex<int>, LevelCount>, CapacityCount> counts{};
    // How many students have a mark for the capacity, and their mean percentage (none where nobody has).
    std::array<BySex<int>, CapacityCount> evaluated{};
    std::array<BySex<std::optional<double>>, CapacityCount> meanPercentage{};

    int count(Capacity capacity, Level level, SexColumn sex) const
    {
        return counts.at(std::size_t(capacity)).at(std::size_t(level)).at(std::size_t(sex));
    }
    std::optional<double> mean(Capacity capacity, SexColumn sex) const
    {
        return meanPercentage.at(std::size_t(capacity)).at(std::size_t(sex));
    }
    int studentCount() const { return students[std::size_t(SexColumn::Todos)] + withoutSex; }
};

ClassSummary summarize(int grade, const Roster &roster, const SexTable &sexes);
// What the model shows now, its files as last read.
ClassSummary summarize(const GradeTableModel &model);

// "I", "II", "III", "IV", "SN"; "Resistencia", "Velocidad", "Fuerza", "Promedio"; "Hombres", "Mujeres",
// "Todos": the words of the tables that show these numbers.
QString levelName(Level level);
QString capacityName(Capacity capacity);
QString sexColumnName(SexColumn sex);

} // namespace merlox2
