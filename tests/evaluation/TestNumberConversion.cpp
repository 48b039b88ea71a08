#include "evaluation/NumberConversion.h"

#include <QTest>

#include <cmath>

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

QString digits(qsizetype count) { return u"1"_s + QString(count - 1, u'0'); }

} // namespace

void TestNumberConversion::toTime_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("converts");
    QTest::addColumn<double>("expected");

    // A typed figure must give the double nearest to it, the same double as the literal.
    QTest::newRow("figure equals the literal 1.4") << u"C"_s << u"1.4"_s << true << 1.4;
    QTest::newRow("figure equals the literal 8.9") << u"C"_s << u"8.9"_s << true << 8.9;
    QTest::newRow("figure equals the literal 0.1") << u"C"_s << u"0.1"_s << true << 0.1;
    QTest::newRow("tie between doubles goes to even")
        << u"C"_s << u"9007199254740993"_s << true << 9007199254740992.0;
    QTest::newRow("just past a tie goes up")
        << u"C"_s << u"9007199254740993.000000001"_s << true << 9007199254740994.0;
    QTest::newRow("whole number") << u"C"_s << u"7"_s << true << 7.0;
    QTest::newRow("no digits before the point") << u"C"_s << u".5"_s << true << 0.5;
    QTest::newRow("no digits after the point") << u"C"_s << u"2."_s << true << 2.0;
    QTest::newRow("largest double written out") << u"C"_s
                                                << (u"1797693134862315708145274237317043567980705675258449965"
                                                    u"98917476803157260780028538760589558632766878"
                                                    "17154045895351438246423432132688946418276846754670353751"
                                                    "698604991057655128207624549009038932894407586"
                                                    "85084551339423045832369032229481658085593321233482747978"
                                                    "262041447231687381771809192998812504040261841"
                                                    "24858368"_s)
                                                << true << 1.7976931348623157e308;

    QTest::newRow("trailing blanks of a stored field") << u"C"_s << u"1.4       "_s << true << 1.4;
    QTest::newRow("leading blanks") << u"C"_s << u"   1.4"_s << true << 1.4;
    QTest::newRow("tabs around") << u"C"_s << u"\t1.4\t"_s << true << 1.4;
    QTest::newRow("plus sign") << u"C"_s << u"+1.4"_s << true << 1.4;
    QTest::newRow("minus sign") << u"C"_s << u"-1.4"_s << true << -1.4;

    QTest::newRow("comma locale: comma separator") << u"de_DE"_s << u"1,4"_s << true << 1.4;
    QTest::newRow("comma locale: dot read as decimal point") << u"de_DE"_s << u"1.4"_s << true << 1.4;
    QTest::newRow("comma locale: dot grouping is not thousands") << u"de_DE"_s << u"1.400"_s << true << 1.4;
    QTest::newRow("comma locale: blanks and sign") << u"es_ES"_s << u" -2,05   "_s << true << -2.05;
    QTest::newRow("comma locale: grouped thousands fail") << u"de_DE"_s << u"1.400,5"_s << false << 0.0;
    QTest::newRow("comma locale: two separators fail") << u"es_ES"_s << u"1,4,0"_s << false << 0.0;
    QTest::newRow("dot locale: dot separator") << u"es_MX"_s << u"1.4"_s << true << 1.4;
    QTest::newRow("dot locale: comma grouping fails") << u"es_MX"_s << u"1,400"_s << false << 0.0;
    QTest::newRow("dot locale: comma separator fails") << u"es_MX"_s << u"1,4"_s << false << 0.0;
    QTest::newRow("C locale: comma grouping fails") << u"C"_s << u"1,400"_s << false << 0.0;
    QTest::newRow("locale minus sign") << u"sv_SE"_s << u"\u22121,5"_s << true << -1.5;
    QTest::newRow("locale digits and separator") << u"ar_EG"_s << u"\u0661\u066b\u0665"_s << true << 1.5;

    QTest::newRow("empty") << u"C"_s << QString() << false << 0.0;
    QTest::newRow("blanks only") << u"C"_s << u"          "_s << false << 0.0;
    QTest::newRow("letters") << u"C"_s << u"abc"_s << false << 0.0;
    QTest::newRow("trailing letter") << u"C"_s << u"1.4s"_s << false << 0.0;
    QTest::newRow("blank inside") << u"C"_s << u"1 4"_s << false << 0.0;
    QTest::newRow("blank after the sign") << u"C"_s << u"- 1.4"_s << false << 0.0;
    QTest::newRow("two signs") << u"C"_s << u"+-1"_s << false << 0.0;
    QTest::newRow("two points") << u"C"_s << u"1.2.3"_s << false << 0.0;
    QTest::newRow("point alone") << u"C"_s << u"."_s << false << 0.0;
    QTest::newRow("sign alone") << u"C"_s << u"-"_s << false << 0.0;
    QTest::newRow("exponent") << u"C"_s << u"1e3"_s << false << 0.0;
    QTest::newRow("hexadecimal") << u"C"_s << u"0x1A"_s << false << 0.0;
    QTest::newRow("nan") << u"C"_s << u"nan"_s << false << 0.0;
    QTest::newRow("NaN in a comma locale") << u"de_DE"_s << u"NaN"_s << false << 0.0;
    QTest::newRow("inf") << u"C"_s << u"inf"_s << false << 0.0;
    QTest::newRow("minus infinity") << u"C"_s << u"-infinity"_s << false << 0.0;
    QTest::newRow("beyond the largest double") << u"C"_s << digits(310) << false << 0.0;
    QTest::newRow("longer than any double's plain form")
        << u"C"_s << u"0."_s + QString(400, u'0') << false << 0.0;
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

    QTest::newRow("plain count") << u"C"_s << u"22"_s << Expect::Value << 22;
    QTest::newRow("blanks around") << u"C"_s << u"  22        "_s << Expect::Value << 22;
    QTest::newRow("negative") << u"C"_s << u"-7"_s << Expect::Value << -7;
    QTest::newRow("12.5 halves to even 12") << u"C"_s << u"12.5"_s << Expect::Value << 12;
    QTest::newRow("13.5 halves to even 14") << u"C"_s << u"13.5"_s << Expect::Value << 14;
    QTest::newRow("12.6 rounds up to 13") << u"C"_s << u"12.6"_s << Expect::Value << 13;
    QTest::newRow("12.4 rounds down to 12") << u"C"_s << u"12.4"_s << Expect::Value << 12;
    QTest::newRow("0.5 halves to even 0") << u"C"_s << u"0.5"_s << Expect::Value << 0;
    QTest::newRow("-12.5 halves to even -12") << u"C"_s << u"-12.5"_s << Expect::Value << -12;
    QTest::newRow("-13.5 halves to even -14") << u"C"_s << u"-13.5"_s << Expect::Value << -14;
    QTest::newRow("comma locale 12,5 halves to even") << u"de_DE"_s << u"12,5"_s << Expect::Value << 12;
    QTest::newRow("comma locale 1.400 is not thousands") << u"de_DE"_s << u"1.400"_s << Expect::Value << 1;

    QTest::newRow("largest") << u"C"_s << u"32767"_s << Expect::Value << 32767;
    QTest::newRow("below a half over the largest") << u"C"_s << u"32767.49"_s << Expect::Value << 32767;
    QTest::newRow("32767.5 rounds to 32768 and overflows") << u"C"_s << u"32767.5"_s << Expect::Overflow << 0;
    QTest::newRow("one over the largest") << u"C"_s << u"32768"_s << Expect::Overflow << 0;
    QTest::newRow("smallest") << u"C"_s << u"-32768"_s << Expect::Value << -32768;
    QTest::newRow("-32768.5 rounds to even -32768") << u"C"_s << u"-32768.5"_s << Expect::Value << -32768;
    QTest::newRow("-32768.51 rounds to -32769 and overflows")
        << u"C"_s << u"-32768.51"_s << Expect::Overflow << 0;
    QTest::newRow("one under the smallest") << u"C"_s << u"-32769"_s << Expect::Overflow << 0;
    QTest::newRow("far beyond 16 bits") << u"C"_s << digits(30) << Expect::Overflow << 0;

    QTest::newRow("empty") << u"C"_s << QString() << Expect::NotANumber << 0;
    QTest::newRow("blanks only") << u"C"_s << u"   "_s << Expect::NotANumber << 0;
    QTest::newRow("letters") << u"C"_s << u"veinte"_s << Expect::NotANumber << 0;
    QTest::newRow("nan") << u"C"_s << u"nan"_s << Expect::NotANumber << 0;
    QTest::newRow("inf is no number, not an overflow") << u"C"_s << u"inf"_s << Expect::NotANumber << 0;
    QTest::newRow("exponent") << u"C"_s << u"1e3"_s << Expect::NotANumber << 0;
    QTest::newRow("dot locale: comma grouping") << u"es_MX"_s << u"1,400"_s << Expect::NotANumber << 0;
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
