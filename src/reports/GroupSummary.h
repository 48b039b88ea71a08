#pragma once

#include "common/Result.h"
#include "evaluation/NormSets.h"
#include "records/Roster.h"
#include "records/SexFile.h"

#include <QDate>
#include <QList>
#include <QString>

#include <array>

class QPainter;
class QRectF;

namespace merlox2 {

// A grade's students as its files hold them now.
struct GradeStudents {
    int grade = 1;
    Roster roster{};
    SexTable sexes{};
};

// Reads the grade file and the sex file beside it. A missing grade file is a grade without students, and is
// not created.
Result<GradeStudents> readGradeStudents(int grade, const QString &gradeFilePath);

// A student with a name that the sheets and the counts leave out, and why.
struct LeftOutStudent {
    int slot = 0;
    QString name{};
    QString reason{}; // «sin sexo», or the result that is missing or is not a number
};

// The students of a grade with a name, evaluated as the worksheet evaluates them.
struct EvaluatedGrade {
    struct Student {
        int slot = 0;
        QString name{};
        Sex sex = Sex::Hombre;
        std::array<int, 4> levels{};      // per capacity: 0 to 4 for I, II, III, IV, SN
        std::array<int, 4> percentages{}; // per capacity
    };
    QList<Student> students{}; // complete, in slot order
    QList<LeftOutStudent> leftOut{};
};
EvaluatedGrade evaluateGrade(const GradeStudents &grade);

// The counts of the class summary: for each capacity and the average, the students at each level, by sex and
// together, over the students evaluated whole.
struct GroupSummary {
    static constexpr int CapacityCount = 4; // resistencia, velocidad, fuerza, promedio
    static constexpr int LevelCount = 5;    // I, II, III, IV, SN
    using Levels = std::array<int, LevelCount>;
    struct Capacity {
        Levels hombres{};
        Levels mujeres{};
        Levels together() const;
    };
    int grade = 1;
    std::array<Capacity, CapacityCount> capacities{};
    int hombres = 0;
    int mujeres = 0;
    int withoutSex = 0;
    int incomplete = 0;
    double meanPercentage = 0; // of the average, over the students evaluated; 0 where there is none

    int evaluated() const { return hombres + mujeres; }
    static QString capacityName(int capacity);
    static QString levelName(int level);
};
GroupSummary summarize(const EvaluatedGrade &grade, int gradeNumber);

// «12 (40 %)»: a count and its share of total.
QString countAndShare(int count, int total);

// The stacked bars: one per capacity, its levels stacked as shares of the students evaluated, with a key.
// The same drawing on screen and on the page.
void paintSummaryChart(QPainter &painter, const QRectF &area, const GroupSummary &summary);

// The whole printed page of the summary within area: header (grade, folder, date), the table of counts and
// shares, those counted apart, the group's mean percentage, and the chart.
void paintSummaryPage(QPainter &painter, const QRectF &area, const GroupSummary &summary,
                      const QString &folderName, QDate date);

} // namespace merlox2
