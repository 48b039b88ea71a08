#pragma once

#include "evaluation/NormSets.h"

#include <QLocale>
#include <QString>
#include <QStringView>

#include <vector>

namespace merlox2 {

struct TestResults {
    QStringView resistencia; // 600 m time
    QStringView velocidad;   // 60 m time
    QStringView lagartijas;  // push-ups
    QStringView abdominales; // sit-ups
    QStringView sentadillas; // squats
};

// The eight outputs in the rule's order (the order the result panel is written in).
enum class Output {
    EndurancePercentage,
    EnduranceLevel,
    SpeedPercentage,
    SpeedLevel,
    StrengthPercentage,
    AveragePercentage,
    StrengthLevel,
    AverageLevel,
};
inline constexpr int OutputCount = 8;

enum class Stop { None, EnduranceNotANumber, SpeedNotANumber, CountNotANumber, CountOverflow, SumOverflow };

struct Evaluation {
    std::vector<QString> outputs; // outputs[i] is Output(i); fewer than 8 when the rule stopped
    Stop stop = Stop::None;
    bool complete() const { return stop == Stop::None; }
};

Evaluation evaluate(int grade, Sex sex, const TestResults &results, const QLocale &locale = QLocale());

// The rule's own steps, for what is worked out from it (the next level's targets). Bands run from 1 (level I)
// to 5 (SN).
// The band of a time: a time equal to a bound takes the better band.
int timeBand(double time, const std::array<double, 4> &upperBounds);
// The band of a whole number against inclusive lower thresholds (the strength average, the average level).
int thresholdBand(int value, const std::array<int, 4> &lowerThresholds);
// The average of three: a whole sum divided by 3, rounded to the nearest whole number.
int roundedThird(int sum);
// "I", "II", "III", "IV", "SN".
QString levelText(int band);

} // namespace merlox2
