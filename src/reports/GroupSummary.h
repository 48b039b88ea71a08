#pragma once

#include "common/Result.h"
#include "evaluation/NormSets.h"
#include "records/Roster.h"
#include "records/SexFile.h"
#include "reports/ClassSummary.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

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

// The students of a grade with a name, evaluated as the worksheet evaluates them: those with a sex and all
// five results get a sheet; the others are left out, and why.
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

// «12 (40 %)»: a count and its share of total.
QString countAndShare(int count, int total);

// The stacked bars: one per capacity, its levels stacked as shares of the students evaluated, with a key.
// The same drawing on screen and on the page.
void paintSummaryChart(QPainter &painter, const QRectF &area, const ClassSummary &summary);

// The whole printed page of the summary within area: header (grade, folder, date), the table of counts and
// shares, those counted apart, the group's mean percentage, and the chart.
void paintSummaryPage(QPainter &painter, const QRectF &area, const ClassSummary &summary,
                      const QString &folderName, QDate date);

// The sentences under the table, on screen and on the page: who was evaluated, who is counted apart, and the
// group's mean percentage.
QStringList summarySentences(const ClassSummary &summary);
// The table's header and its row for a capacity and sex: count and share at each level, and the students
// the capacity has a mark for.
QStringList summaryHeaders();
QStringList summaryRow(const ClassSummary &summary, Capacity capacity, SexColumn sex);

} // namespace merlox2
