#pragma once

#include "evaluation/EvaluationRule.h"
#include "evaluation/NormSets.h"

#include <QLocale>
#include <QString>

#include <optional>

namespace merlox2 {

// What a capacity below level I takes to reach the next level up, worked out by the evaluation rule itself.
struct Target {
    int band = 1;    // the next level's band (1 for level I ... 4 for level IV)
    QString level{}; // its name: "I" ... "IV"
    // Endurance and speed: the next band's bound, which a time equal to it reaches, written as the worksheet
    // shows a time ("1.8", "7.0").
    double time = 0;
    QString timeText{};
    // Strength: the smallest total of the three counts whose rounded average reaches the next band, and how
    // many repetitions that is beyond the student's total.
    int total = 0;
    int missing = 0;
};

// Per capacity, from the band the rule gives: none at level I. band is 1 to 5; total the sum of the counts.
std::optional<Target> enduranceTarget(const NormSet &norms, int band);
std::optional<Target> speedTarget(const NormSet &norms, int band);
std::optional<Target> strengthTarget(const NormSet &norms, int band, int total);

// The three capacities of one student: none at level I or where the evaluation stopped before the capacity.
struct StudentTargets {
    std::optional<Target> endurance;
    std::optional<Target> speed;
    std::optional<Target> strength;
    bool any() const { return endurance || speed || strength; }
};
StudentTargets targetsFor(int grade, Sex sex, const TestResults &results, const QLocale &locale = QLocale());

// A time as the worksheet shows one: the decimal point, one or two decimals ("7.0", "1.35").
QString timeText(double time);

} // namespace merlox2
