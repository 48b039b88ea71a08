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

} // namespace merlox2
