#include "evaluation/Targets.h"

#include "evaluation/NumberConversion.h"

#include <cmath>

namespace merlox2 {

namespace {

std::optional<Target> timeTarget(const std::array<double, 4> &bounds, int band)
{
    if (band <= 1 || band > 5)
        return std::nullopt;
    Target target;
    target.band = band - 1;
    target.level = levelText(target.band);
    target.time = bounds.at(std::size_t(target.band - 1));
    target.timeText = timeText(target.time);
    return target;
}

} // namespace

QString timeText(double time)
{
    const QString two = QString::number(time, 'f', 2);
    return two.endsWith(u'0') ? QString::number(time, 'f', 1) : two;
}

std::optional<Target> enduranceTarget(const NormSet &norms, int band)
{
    return timeTarget(norms.endurance, band);
}

std::optional<Target> speedTarget(const NormSet &norms, int band) { return timeTarget(norms.speed, band); }

std::optional<Target> strengthTarget(const NormSet &norms, int band, int total)
{
    if (band <= 1 || band > 5)
        return std::nullopt;
    Target target;
    target.band = band - 1;
    target.level = levelText(target.band);
    // The rule rounds the average: the smallest total it rounds up to the threshold lies a little below
    // three times it. Searched with the rule's own rounding rather than worked out beside it.
    const int threshold = norms.strength.at(std::size_t(target.band - 1));
    int smallest = 3 * threshold;
    while (thresholdBand(roundedThird(smallest - 1), norms.strength) <= target.band)
        --smallest;
    target.total = smallest;
    target.missing = smallest - total;
    return target;
}

StudentTargets targetsFor(int grade, Sex sex, const TestResults &results, const QLocale &locale)
{
    const NormSet &norms = normSet(grade, sex);
    const Evaluation evaluation = evaluate(grade, sex, results, locale);
    StudentTargets targets;
    const auto reached = [&evaluation](Output output) {
        return evaluation.outputs.size() > std::size_t(output);
    };
    if (reached(Output::EnduranceLevel))
        targets.endurance =
            enduranceTarget(norms, timeBand(*toTime(results.resistencia, locale), norms.endurance));
    if (reached(Output::SpeedLevel))
        targets.speed = speedTarget(norms, timeBand(*toTime(results.velocidad, locale), norms.speed));
    if (evaluation.complete()) {
        int total = 0;
        for (const QStringView count : {results.lagartijas, results.abdominales, results.sentadillas})
            total += *toCount(count, locale).value;
        targets.strength = strengthTarget(norms, thresholdBand(roundedThird(total), norms.strength), total);
    }
    return targets;
}

} // namespace merlox2
