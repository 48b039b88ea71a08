#include "evaluation/EvaluationRule.h"

#include "evaluation/NumberConversion.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

using namespace Qt::StringLiterals;

namespace merlox2 {
namespace {

constexpr std::array<int, 5> BandPercentages{100, 75, 50, 25, 15};

// Made once from the bands' percentages: copies share the text, so handing them out allocates nothing.
QString percentageText(int band)
{
    static const std::array<QString, 5> texts = [] {
        std::array<QString, 5> made;
        for (std::size_t i = 0; i < made.size(); ++i)
            made[i] = QString::number(BandPercentages[i]);
        return made;
    }();
    return texts[std::size_t(std::clamp(band, 1, 5) - 1)];
}

bool fitsInt16(int value)
{
    return value >= std::numeric_limits<std::int16_t>::min() &&
           value <= std::numeric_limits<std::int16_t>::max();
}

} // namespace

// Band 1 to 5 of a time: a time equal to a bound takes the better band.
int timeBand(double time, const std::array<double, 4> &upperBounds)
{
    for (std::size_t i = 0; i < upperBounds.size(); ++i) {
        if (time <= upperBounds[i])
            return int(i) + 1;
    }
    return 5;
}

// Band 1 to 5 of a whole number against inclusive lower thresholds.
int thresholdBand(int value, const std::array<int, 4> &lowerThresholds)
{
    for (std::size_t i = 0; i < lowerThresholds.size(); ++i) {
        if (value >= lowerThresholds[i])
            return int(i) + 1;
    }
    return 5;
}

QString levelText(int band)
{
    switch (band) {
    case 1: return u"I"_s;
    case 2: return u"II"_s;
    case 3: return u"III"_s;
    case 4: return u"IV"_s;
    default: return u"SN"_s;
    }
}

// A whole sum divided by 3 is whole or a third off, so rounding never meets a half.
int roundedThird(int sum) { return int(std::lround(sum / 3.0)); }

Evaluation evaluate(int grade, Sex sex, const TestResults &results, const QLocale &locale)
{
    const NormSet &norms = normSet(grade, sex);
    Evaluation evaluation;
    std::vector<QString> &outputs = evaluation.outputs;

    const std::optional<double> endurance = toTime(results.resistencia, locale);
    if (!endurance) {
        evaluation.stop = Stop::EnduranceNotANumber;
        return evaluation;
    }
    outputs.reserve(OutputCount);
    const int enduranceBand = timeBand(*endurance, norms.endurance);
    outputs.push_back(percentageText(enduranceBand));
    outputs.push_back(levelText(enduranceBand));

    const std::optional<double> speed = toTime(results.velocidad, locale);
    if (!speed) {
        evaluation.stop = Stop::SpeedNotANumber;
        return evaluation;
    }
    const int speedBand = timeBand(*speed, norms.speed);
    outputs.push_back(percentageText(speedBand));
    outputs.push_back(levelText(speedBand));

    std::array<std::int16_t, 3> counts{};
    const std::array<QStringView, 3> countTexts{results.lagartijas, results.abdominales, results.sentadillas};
    for (std::size_t i = 0; i < counts.size(); ++i) {
        const CountResult count = toCount(countTexts[i], locale);
        if (!count.value) {
            evaluation.stop =
                count.failure == CountFailure::Overflow ? Stop::CountOverflow : Stop::CountNotANumber;
            return evaluation;
        }
        counts[i] = *count.value;
    }
    const auto [pushUps, sitUps, squats] = counts;

    // Added in 16 bits, sit-ups and push-ups first: either partial sum may overflow.
    int sum = sitUps + pushUps;
    if (!fitsInt16(sum)) {
        evaluation.stop = Stop::SumOverflow;
        return evaluation;
    }
    sum += squats;
    if (!fitsInt16(sum)) {
        evaluation.stop = Stop::SumOverflow;
        return evaluation;
    }
    const int strengthBand = thresholdBand(roundedThird(sum), norms.strength);

    const int average = roundedThird(BandPercentages[std::size_t(enduranceBand - 1)] +
                                     BandPercentages[std::size_t(speedBand - 1)] +
                                     BandPercentages[std::size_t(strengthBand - 1)]);
    outputs.push_back(percentageText(strengthBand));
    outputs.push_back(QString::number(average));
    outputs.push_back(levelText(strengthBand));
    outputs.push_back(levelText(thresholdBand(average, AverageLevelThresholds)));
    return evaluation;
}

} // namespace merlox2
