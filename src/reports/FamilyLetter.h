#pragma once

#include "evaluation/Targets.h"
#include "reports/ClassSummary.h"
#include "reports/GroupSummary.h"

#include <QDate>
#include <QList>
#include <QString>

#include <array>
#include <functional>

class QPagedPaintDevice;
class QPainter;
class QRectF;

namespace merlox2 {

// What heads every letter: the school's and the teacher's names (settings of the reports window; a blank
// line to write on where one is not given) and the date it is made.
struct LetterHeading {
    QString school{};
    QString teacher{};
    QDate date{};
};

// One student's letter: the five results as stored, each capacity's level and percentage, the next levels.
struct FamilyLetter {
    int grade = 1;
    int slot = 0;
    QString name{};
    std::array<QString, 5> results{}; // Resistencia, Velocidad, Lagartijas, Abdominales, Sentadillas
    std::array<Mark, CapacityCount> marks{};
    StudentTargets targets{};
};

// The letter of a student evaluated whole (EvaluatedGrade::students).
FamilyLetter familyLetter(const GradeStudents &grade, const EvaluatedGrade::Student &student);

// What a level means, in one plain sentence for the family.
QString levelMeaning(Level level);

// The whole page of one letter, within margins of its own inside page (the printable area).
void paintFamilyLetter(QPainter &painter, const QRectF &page, const FamilyLetter &letter,
                       const LetterHeading &heading);

// The letters one a page, in order. progress(n) after the nth; where it answers false the drawing stops and
// this returns false.
bool drawFamilyLetters(QPagedPaintDevice &pages, const QList<FamilyLetter> &letters,
                       const LetterHeading &heading, const std::function<bool(int done)> &progress = {});

} // namespace merlox2
