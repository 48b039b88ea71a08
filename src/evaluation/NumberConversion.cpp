#include "evaluation/NumberConversion.h"

#include <QString>

#include <charconv>
#include <cmath>
#include <system_error>

namespace merlox2 {
namespace {

// Room for the plain decimal form of every normal double: the longest, the smallest normal number
// with its sign, takes 327 characters. Longer texts fail rather than being cut.
constexpr qsizetype MaxLength = 400;

bool startsWithNonEmpty(QStringView text, const QString &prefix)
{
    return !prefix.isEmpty() && text.startsWith(prefix);
}

// Reads [sign] digits [separator digits] into a plain ASCII decimal and lets the standard library
// round it, so that a typed figure gives the double nearest to it. No grouping, no exponent, no
// "nan" or "inf": the teacher types plain decimals, and anything else is more likely a slip.
// Since grouping is never read, the comma and the point are both the decimal separator in every
// locale: a teacher types "1,9" or "1.9" whatever the system's language, and means 1.9 by both.
std::optional<double> toFiniteDouble(QStringView text, const QLocale &locale)
{
    text = text.trimmed();
    if (text.isEmpty() || text.size() > MaxLength)
        return std::nullopt;

    char buffer[MaxLength + 1];
    qsizetype length = 0;

    const QString negativeSign = locale.negativeSign();
    const QString positiveSign = locale.positiveSign();
    if (startsWithNonEmpty(text, negativeSign)) {
        buffer[length++] = '-';
        text = text.sliced(negativeSign.size());
    } else if (text.front() == u'-') {
        buffer[length++] = '-';
        text = text.sliced(1);
    } else if (startsWithNonEmpty(text, positiveSign)) {
        text = text.sliced(positiveSign.size());
    } else if (text.front() == u'+') {
        text = text.sliced(1);
    }

    const QString decimalPoint = locale.decimalPoint();
    // Locales that write other digits (Arabic-Indic, ...) take them besides the ASCII ones.
    const QString zeroDigit = locale.zeroDigit();
    const char16_t localZero = zeroDigit.size() == 1 ? zeroDigit.front().unicode() : u'0';

    bool separatorSeen = false;
    bool digitSeen = false;
    qsizetype i = 0;
    while (i < text.size()) {
        const char16_t c = text[i].unicode();
        if (c >= u'0' && c <= u'9') {
            buffer[length++] = static_cast<char>(c);
            digitSeen = true;
            ++i;
        } else if (c >= localZero && c <= localZero + 9) {
            buffer[length++] = static_cast<char>('0' + (c - localZero));
            digitSeen = true;
            ++i;
        } else if (!separatorSeen && (c == u'.' || c == u',')) {
            buffer[length++] = '.';
            separatorSeen = true;
            ++i;
        } else if (!separatorSeen && startsWithNonEmpty(text.sliced(i), decimalPoint)) {
            buffer[length++] = '.';
            separatorSeen = true;
            i += decimalPoint.size();
        } else {
            return std::nullopt;
        }
    }
    if (!digitSeen)
        return std::nullopt;

    double value = 0;
    const auto [end, error] = std::from_chars(buffer, buffer + length, value, std::chars_format::fixed);
    if (error != std::errc{} || end != buffer + length || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace

std::optional<double> toTime(QStringView text, const QLocale &locale) { return toFiniteDouble(text, locale); }

CountResult toCount(QStringView text, const QLocale &locale)
{
    const std::optional<double> value = toFiniteDouble(text, locale);
    if (!value)
        return {std::nullopt, CountFailure::NotANumber};
    // The program never changes the rounding mode, so this rounds to nearest, halves to even.
    const double whole = std::nearbyint(*value);
    if (whole < -32768.0 || whole > 32767.0)
        return {std::nullopt, CountFailure::Overflow};
    return {static_cast<std::int16_t>(whole), CountFailure::NotANumber};
}

} // namespace merlox2
