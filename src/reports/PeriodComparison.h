#pragma once

#include "reports/ClassSummary.h"
#include "reports/GroupSummary.h"

#include <QList>
#include <QString>
#include <QStringView>
#include <QVariant>

#include <array>
#include <optional>

namespace merlox2 {

// A name as two periods are matched by: letters without their accents, case folded, blanks collapsed, so that
// «José  Pérez» and «JOSE PEREZ» are one student.
QString matchingKey(QStringView name);

// The five results of a record, in the worksheet's order.
inline constexpr int ResultCount = 5;
QString resultTitle(int result); // «Resistencia», «Velocidad», «Lagartijas», «Abdominales», «Sentadillas»

// Whether a change is for the better: a faster time, more repetitions, a level nearer I.
enum class Direction { Better, Same, Worse, Unknown };
QString directionWord(Direction direction); // «mejor», «igual», «peor», empty

struct ResultChange {
    QString then; // as typed, blanks trimmed
    QString now;
    std::optional<double> thenValue;
    std::optional<double> nowValue;
    std::optional<double> difference; // now - then, where both are numbers
    Direction direction = Direction::Unknown;
};

struct StudentChange {
    QString name; // as today's side writes it
    int slotThen = 0;
    int slotNow = 0;
    std::array<ResultChange, ResultCount> results{};
    StudentMarks marksThen{};
    StudentMarks marksNow{};

    Direction levelDirection(Capacity capacity) const;
};

// A student who is not compared, and why: never guessed.
struct UnmatchedStudent {
    enum class Why { Left, Joined, RepeatedThen, RepeatedNow };
    QString name;
    Why why = Why::Left;
    QList<int> slotsThen;
    QList<int> slotsNow;
};

struct GradeComparison {
    int grade = 1;
    QList<StudentChange> students;     // in today's slot order
    QList<UnmatchedStudent> unmatched; // repeated names first, then who left and who joined
    ClassSummary then;
    ClassSummary now;
};

GradeComparison compareGrade(const GradeStudents &then, const GradeStudents &now);

// The texts the table, the page and the workbook share.
QString resultChangeText(const ResultChange &change); // «2.50 → 2.31 (−0.19, mejor)»
QString levelChangeText(const StudentChange &student, Capacity capacity); // «III → II (mejor)»
// Why a student is not compared: «solo está en «Inicio 2026-2027» (registro 4)»; the labels name the periods.
QString unmatchedReason(const UnmatchedStudent &student, const QString &thenLabel, const QString &nowLabel);

// The workbook's «Comparación» sheet: a row per student compared, each result then, now and the change as
// numbers, each capacity's level then and now; and «Sin comparar» and the levels by sex in sheets of their
// own.
QStringList comparisonSheetHeaders();
QList<QList<QVariant>> comparisonSheetRows(const QList<GradeComparison> &grades);
QStringList distributionSheetHeaders();
QList<QList<QVariant>> distributionSheetRows(const QList<GradeComparison> &grades);
QStringList unmatchedSheetHeaders();
QList<QList<QVariant>> unmatchedSheetRows(const QList<GradeComparison> &grades, const QString &thenLabel,
                                          const QString &nowLabel);

} // namespace merlox2
