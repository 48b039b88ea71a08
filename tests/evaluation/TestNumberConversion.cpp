#include "evaluation/NumberConversion.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace merlox2 {

class TestNumberConversion : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void toTime_data();
    void toTime();
    void toCount_data();
    void toCount();
};

namespace {

enum class Expect { Value, NotANumber, Overflow };

const QString C = u"C"_s;

} // namespace

void TestNumberConversion::toTime_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("converts");
    QTest::addColumn<double>("expected");
    const auto value = [](const QByteArray &name, const QString &text, double expected,
                          const QString &locale = C) {
        QTest::newRow(name.constData()) << locale << text << true << expected;
    };
    const auto fails = [](const QByteArray &name, const QString &text, const QString &locale = C) {
        QTest::newRow(name.constData()) << locale << text << false << 0.0;
    };

    // A typed figure must give the double nearest to it, the same double as the literal.
    value("figure equals the literal 8.9", u"8.9"_s, 8.9);
    value("just past a tie goes up", u"9007199254740993.000000001"_s, 9007199254740994.0);
    value("largest double written out", u"17976931348623157"_s + QString(292, u'0'), 1.7976931348623157e308);
    value("no digits before the point", u".5"_s, 0.5);
    value("trailing blanks of a stored field", u"1.4       "_s, 1.4);
    value("leading blanks and tabs", u" \t1.4\t"_s, 1.4);
    value("plus sign", u"+1.4"_s, 1.4);
    value("minus sign", u"-1.4"_s, -1.4);

    value("comma locale: comma separator", u"1,4"_s, 1.4, u"de_DE"_s);
    value("comma locale: dot read as decimal point", u"1.4"_s, 1.4, u"de_DE"_s);
    value("comma locale: 1.400 is no thousands", u"1.400"_s, 1.4, u"de_DE"_s);
    fails("comma locale: grouped thousands fail", u"1.400,5"_s, u"de_DE"_s);
    // Both separators in every locale, so "1,000" and "1.000" are 1 wherever they are typed.
    for (const QString &locale : {u"es_MX"_s, u"en_US"_s, u"es_ES"_s}) {
        const QByteArray in = locale.toLatin1();
        value(in + ": comma separator", u"1,9"_s, 1.9, locale);
        value(in + ": dot separator", u"1.9"_s, 1.9, locale);
        value(in + ": 1,000 is one", u"1,000"_s, 1.0, locale);
        value(in + ": 1.000 is one", u"1.000"_s, 1.0, locale);
        fails(in + ": two commas", u"1,5,0"_s, locale);
        fails(in + ": comma and point", u"1,5.0"_s, locale);
        fails(in + ": blank grouping", u"1 000"_s, locale);
    }
    value("locale minus sign", u"\u22121,5"_s, -1.5, u"sv_SE"_s);
    value("locale digits and separator", u"\u0661\u066b\u0665"_s, 1.5, u"ar_EG"_s);

    fails("empty", QString());
    fails("blanks only", u"          "_s);
    fails("trailing letter", u"1.4s"_s);
    fails("blank inside", u"1 4"_s);
    fails("two points", u"1.2.3"_s);
    fails("sign alone", u"-"_s);
    fails("exponent", u"1e3"_s);
    fails("nan", u"nan"_s);
    fails("inf", u"inf"_s);
    fails("beyond the largest double", u"1"_s + QString(309, u'0'));
    fails("longer than any double's plain form", u"0."_s + QString(400, u'0'));
}

void TestNumberConversion::toTime()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(bool, converts);
    QFETCH(double, expected);

    const std::optional<double> value = merlox2::toTime(text, QLocale(locale));
    QCOMPARE(value.has_value(), converts);
    // Exact: QCOMPARE would compare doubles fuzzily.
    if (converts)
        QVERIFY2(*value == expected, qPrintable(QString::number(*value, 'g', 17)));
}

void TestNumberConversion::toCount_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<Expect>("expect");
    QTest::addColumn<int>("expected");
    const auto row = [](const char *name, const QString &text, Expect expect, int expected = 0,
                        const QString &locale = C) {
        QTest::newRow(name) << locale << text << expect << expected;
    };

    row("blanks around", u"  22        "_s, Expect::Value, 22);
    row("negative", u"-7"_s, Expect::Value, -7);
    row("12.5 halves to even 12", u"12.5"_s, Expect::Value, 12);
    row("13.5 halves to even 14", u"13.5"_s, Expect::Value, 14);
    row("-13.5 halves to even -14", u"-13.5"_s, Expect::Value, -14);
    row("comma locale 12,5 halves to even", u"12,5"_s, Expect::Value, 12, u"de_DE"_s);
    row("dot locale 12,5 halves to even", u"12,5"_s, Expect::Value, 12, u"en_US"_s);
    row("dot locale 1,000 is one, not a thousand", u"1,000"_s, Expect::Value, 1, u"es_MX"_s);

    row("largest", u"32767"_s, Expect::Value, 32767);
    row("32767.5 rounds to 32768 and overflows", u"32767.5"_s, Expect::Overflow);
    row("smallest", u"-32768"_s, Expect::Value, -32768);
    row("-32768.5 rounds to even -32768", u"-32768.5"_s, Expect::Value, -32768);
    row("one under the smallest", u"-32769"_s, Expect::Overflow);

    row("empty", QString(), Expect::NotANumber);
    row("letters", u"veinte"_s, Expect::NotANumber);
    row("nan", u"nan"_s, Expect::NotANumber);
    row("inf is no number, not an overflow", u"inf"_s, Expect::NotANumber);
}

void TestNumberConversion::toCount()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(Expect, expect);
    QFETCH(int, expected);

    const CountResult result = merlox2::toCount(text, QLocale(locale));
    QCOMPARE(result.value.has_value(), expect == Expect::Value);
    if (result.value)
        QCOMPARE(int(*result.value), expected);
    else
        QCOMPARE(result.failure == CountFailure::Overflow, expect == Expect::Overflow);
}

} // namespace merlox2

QTEST_APPLESS_MAIN(merlox2::TestNumberConversion)
#include "TestNumberConversion.moc"
