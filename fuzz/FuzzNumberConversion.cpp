// Any text, read as UTF-8 and as Latin-1, under a dot locale, a comma locale and the teacher's own:
// the conversions must not crash, must give finite numbers only, must agree with each other and
// must read back what their own locale writes for the number they gave.

#include "evaluation/NumberConversion.h"

#include <QString>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {

[[noreturn]] void fail(const char *what, QStringView text, const QLocale &locale)
{
    std::fprintf(stderr, "%s: \"%s\" in %s\n", what, qUtf8Printable(text.toString()),
                 qUtf8Printable(locale.name()));
    std::abort();
}

struct Locale {
    QLocale reader;
    QLocale writer; // the same locale, writing numbers without grouping
};

const std::array<Locale, 3> &locales()
{
    static const std::array<Locale, 3> all = [] {
        std::array<Locale, 3> result{{{QLocale::c(), QLocale::c()},
                                      {QLocale(QLocale::German, QLocale::Germany), {}},
                                      {QLocale(QLocale::Spanish, QLocale::Mexico), {}}}};
        for (Locale &locale : result) {
            locale.writer = locale.reader;
            locale.writer.setNumberOptions(QLocale::OmitGroupSeparator);
        }
        return result;
    }();
    return all;
}

bool sameCount(const merlox2::CountResult &a, const merlox2::CountResult &b)
{
    return a.value == b.value && (a.value || a.failure == b.failure);
}

void readsBack(const QString &written, double value, const Locale &locale)
{
    const std::optional<double> again = merlox2::toTime(written, locale.reader);
    if (!again || *again != value)
        fail("a time does not read back from its own text", written, locale.reader);
}

void check(QStringView text, const Locale &locale)
{
    const std::optional<double> time = merlox2::toTime(text, locale.reader);
    const merlox2::CountResult count = merlox2::toCount(text, locale.reader);

    if (time) {
        if (!std::isfinite(*time))
            fail("a time that is no finite number", text, locale.reader);
        readsBack(locale.writer.toString(*time, 'f', QLocale::FloatingPointShortest), *time, locale);
        const QString general = locale.writer.toString(*time, 'g', 17);
        if (!general.contains(u'e', Qt::CaseInsensitive)) // exponents are not taken
            readsBack(general, *time, locale);

        const double whole = std::nearbyint(*time);
        const bool fits = whole >= -32768.0 && whole <= 32767.0;
        if (fits ? !count.value || *count.value != whole
                 : count.value || count.failure != merlox2::CountFailure::Overflow)
            fail("a count disagrees with the time of the same text", text, locale.reader);
    } else if (count.value || count.failure != merlox2::CountFailure::NotANumber) {
        fail("a count converts where the time does not", text, locale.reader);
    }

    if (count.value) {
        const QString written = locale.writer.toString(int(*count.value));
        if (!sameCount(merlox2::toCount(written, locale.reader), count))
            fail("a count does not read back from its own text", written, locale.reader);
    }

    // The blanks of a fixed-width field change nothing.
    const QString padded = text.toString() + u"     "_s;
    if (merlox2::toTime(padded, locale.reader) != time ||
        !sameCount(merlox2::toCount(padded, locale.reader), count))
        fail("trailing blanks change the result", text, locale.reader);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const auto *bytes = reinterpret_cast<const char *>(data);
    const qsizetype length = qsizetype(size);
    const std::array<QString, 2> texts{QString::fromUtf8(bytes, length), QString::fromLatin1(bytes, length)};
    for (const QString &text : texts) {
        for (const Locale &locale : locales())
            check(text, locale);
    }
    return 0;
}
