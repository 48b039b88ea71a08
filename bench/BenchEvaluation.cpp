// One student evaluated against its floor, the five conversions of its results alone: the rule on
// top of them should cost little. Both report students per second.

#include "evaluation/EvaluationRule.h"
#include "evaluation/NumberConversion.h"

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {

// As shown from a stored record: each result carries the blanks of its fixed-width field.
const QString Resistencia = u"1.9       "_s;
const QString Velocidad = u"7.5       "_s;
const QString Lagartijas = u"22        "_s;
const QString Abdominales = u"25        "_s;
const QString Sentadillas = u"20        "_s;

const QLocale &spanishMexico()
{
    static const QLocale locale(QLocale::Spanish, QLocale::Mexico);
    return locale;
}

void BM_EvaluateStudent(benchmark::State &state)
{
    const merlox2::TestResults results{Resistencia, Velocidad, Lagartijas, Abdominales, Sentadillas};
    const QLocale &locale = spanishMexico();
    for (auto _ : state) {
        merlox2::Evaluation evaluation = merlox2::evaluate(1, merlox2::Sex::Hombre, results, locale);
        benchmark::DoNotOptimize(evaluation);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EvaluateStudent);

void BM_FiveConversions(benchmark::State &state)
{
    const QLocale &locale = spanishMexico();
    for (auto _ : state) {
        benchmark::DoNotOptimize(merlox2::toTime(Resistencia, locale));
        benchmark::DoNotOptimize(merlox2::toTime(Velocidad, locale));
        benchmark::DoNotOptimize(merlox2::toCount(Lagartijas, locale));
        benchmark::DoNotOptimize(merlox2::toCount(Abdominales, locale));
        benchmark::DoNotOptimize(merlox2::toCount(Sentadillas, locale));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FiveConversions);

} // namespace
