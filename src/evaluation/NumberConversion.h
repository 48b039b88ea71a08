#pragma once

#include <QLocale>
#include <QStringView>

#include <cstdint>
#include <optional>

namespace merlox2 {

// The locale-aware conversions of typed results. Blanks around the number are ignored, a sign is
// optional, and the comma and the point are both a decimal separator in every locale, as is the
// locale's own where it is another sign (so "1,000" is 1 everywhere). Digit grouping is never accepted
// (a time typed "1.4" must not read as 14), and a text that gives no finite number ("nan", "inf", an
// empty text) fails.

std::optional<double> toTime(QStringView text, const QLocale &locale = QLocale());

enum class CountFailure { NotANumber, Overflow };

struct CountResult {
    std::optional<std::int16_t> value;
    CountFailure failure = CountFailure::NotANumber; // meaningful only without a value
};

// Rounded half to even into -32768..32767; outside that range the conversion overflows.
CountResult toCount(QStringView text, const QLocale &locale = QLocale());

} // namespace merlox2
