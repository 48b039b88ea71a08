#include "evaluation/EvaluationRule.h"

#include <QMap>
#include <QTest>

using namespace Qt::StringLiterals;

namespace merlox2 {

class TestEvaluationRule : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void outputs_data();
    void outputs();
    void averagePercentage_data();
    void averagePercentage();
    void averageTakesOnlyTwentyTwoValues();
};

namespace {

// Grade 1 Hombre: endurance 1.4 1.8 2.1 2.5, speed 7.0 7.5 8.0 9.5, strength 30 25 20 15.
// Results that put each capacity in band 1 to 5.
const QStringList enduranceInBand{u"1.4"_s, u"1.8"_s, u"2.1"_s, u"2.5"_s, u"2.6"_s};
const QStringList speedInBand{u"7.0"_s, u"7.5"_s, u"8.0"_s, u"9.5"_s, u"9.6"_s};
const QStringList countInBand{u"30"_s, u"25"_s, u"20"_s, u"15"_s, u"14"_s};

Evaluation evaluateGradeOneHombre(const QStringList &results, const QLocale &locale = QLocale::c())
{
    return evaluate(1, Sex::Hombre, {results[0], results[1], results[2], results[3], results[4]}, locale);
}

QStringList outputList(const Evaluation &evaluation)
{
    return QStringList(evaluation.outputs.begin(), evaluation.outputs.end());
}

} // namespace

void TestEvaluationRule::outputs_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("results"); // endurance, speed, push-ups, sit-ups, squats
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<Stop>("stop");

    const QStringList worked{u"50"_s, u"III"_s, u"75"_s, u"II"_s, u"50"_s, u"58"_s, u"III"_s, u"III"_s};
    const QStringList timesOnly = worked.first(4);
    // Times of the worked example with strength in band 4 (average 50) or band 5 (average 47).
    const QStringList strengthBand4{u"50"_s, u"III"_s, u"75"_s, u"II"_s, u"25"_s, u"50"_s, u"IV"_s, u"III"_s};
    const QStringList strengthBand5{u"50"_s, u"III"_s, u"75"_s, u"II"_s, u"15"_s, u"47"_s, u"SN"_s, u"IV"_s};
    const auto withCounts = [](const QString &pushUps, const QString &sitUps, const QString &squats) {
        return QStringList{u"1.9"_s, u"7.5"_s, pushUps, sitUps, squats};
    };
    const QString C = u"C"_s;

    QTest::newRow("worked example") << C << withCounts(u"22"_s, u"25"_s, u"20"_s) << worked << Stop::None;
    QTest::newRow("trailing blanks of stored fields change nothing")
        << C
        << QStringList{u"1.9       "_s, u"7.5       "_s, u"22        "_s, u"25        "_s, u"20        "_s}
        << worked << Stop::None;
    QTest::newRow("comma locale") << u"de_DE"_s << QStringList{u"1,9"_s, u"7,5"_s, u"22"_s, u"25"_s, u"20"_s}
                                  << worked << Stop::None;
    QTest::newRow("dot typed in a comma locale")
        << u"es_ES"_s << QStringList{u"1.9"_s, u"7.5"_s, u"22"_s, u"25"_s, u"20"_s} << worked << Stop::None;
    QTest::newRow("time 0 takes band 1")
        << C << QStringList{u"0"_s, u"7.5"_s, u"22"_s, u"25"_s, u"20"_s}
        << QStringList{u"100"_s, u"I"_s, u"75"_s, u"II"_s, u"50"_s, u"75"_s, u"III"_s, u"II"_s} << Stop::None;

    // Early stops keep what came before and nothing after.
    QTest::newRow("empty endurance: no output whatever follows")
        << C << QStringList{QString(), u"7.5"_s, u"22"_s, u"25"_s, u"20"_s} << QStringList()
        << Stop::EnduranceNotANumber;
    QTest::newRow("endurance nan: no output")
        << C << QStringList{u"nan"_s, u"7.5"_s, u"22"_s, u"25"_s, u"20"_s} << QStringList()
        << Stop::EnduranceNotANumber;
    QTest::newRow("comma in a dot locale: no output")
        << u"es_MX"_s << QStringList{u"1,9"_s, u"7,5"_s, u"22"_s, u"25"_s, u"20"_s} << QStringList()
        << Stop::EnduranceNotANumber;
    QTest::newRow("speed not a number: endurance outputs only")
        << C << QStringList{u"1.9"_s, u"rápido"_s, u"22"_s, u"25"_s, u"20"_s} << worked.first(2)
        << Stop::SpeedNotANumber;
    QTest::newRow("speed inf: endurance outputs only")
        << C << QStringList{u"1.9"_s, u"inf"_s, u"22"_s, u"25"_s, u"20"_s} << worked.first(2)
        << Stop::SpeedNotANumber;
    QTest::newRow("empty squats: time outputs only")
        << C << withCounts(u"22"_s, u"25"_s, QString()) << timesOnly << Stop::CountNotANumber;
    QTest::newRow("push-ups beyond 16 bits: time outputs only")
        << C << withCounts(u"40000"_s, u"1"_s, u"1"_s) << timesOnly << Stop::CountOverflow;
    QTest::newRow("push-ups are read before sit-ups")
        << C << withCounts(u"veinte"_s, u"40000"_s, u"1"_s) << timesOnly << Stop::CountNotANumber;

    // The strength sum is added in 16 bits: sit-ups plus push-ups, then plus squats.
    QTest::newRow("push-ups 20000 and sit-ups 20000 overflow the first addition")
        << C << withCounts(u"20000"_s, u"20000"_s, u"1"_s) << timesOnly << Stop::SumOverflow;
    QTest::newRow("squats overflow the second addition")
        << C << withCounts(u"16000"_s, u"16000"_s, u"1000"_s) << timesOnly << Stop::SumOverflow;
    QTest::newRow("a sum that would come back in range still overflows")
        << C << withCounts(u"20000"_s, u"20000"_s, u"-20000"_s) << timesOnly << Stop::SumOverflow;
    QTest::newRow("partial sum at the smallest 16-bit number")
        << C << withCounts(u"-20000"_s, u"-12768"_s, u"0"_s) << strengthBand5 << Stop::None;
    QTest::newRow("partial sum one under the smallest")
        << C << withCounts(u"-20000"_s, u"-12769"_s, u"0"_s) << timesOnly << Stop::SumOverflow;

    // Strength average: the sum over 3, rounded; counts rounded half to even before adding.
    QTest::newRow("counts 30 30 30 on F1")
        << C << withCounts(u"30"_s, u"30"_s, u"30"_s)
        << QStringList{u"50"_s, u"III"_s, u"75"_s, u"II"_s, u"100"_s, u"75"_s, u"I"_s, u"II"_s} << Stop::None;
    QTest::newRow("counts 15 15 14 average 15 on F4")
        << C << withCounts(u"15"_s, u"15"_s, u"14"_s) << strengthBand4 << Stop::None;
    QTest::newRow("counts 14 14 15 average 14 below F4")
        << C << withCounts(u"14"_s, u"14"_s, u"15"_s) << strengthBand5 << Stop::None;
    QTest::newRow("12.5 counts 12") << C << withCounts(u"12.5"_s, u"15"_s, u"16"_s) << strengthBand5
                                    << Stop::None;
    QTest::newRow("13.5 counts 14") << C << withCounts(u"13.5"_s, u"15"_s, u"15"_s) << strengthBand4
                                    << Stop::None;
    QTest::newRow("12.6 counts 13") << C << withCounts(u"12.6"_s, u"15"_s, u"16"_s) << strengthBand4
                                    << Stop::None;
    QTest::newRow("negative counts lower the sum")
        << C << withCounts(u"-10"_s, u"40"_s, u"40"_s) << worked << Stop::None;
}

void TestEvaluationRule::outputs()
{
    QFETCH(QString, locale);
    QFETCH(QStringList, results);
    QFETCH(QStringList, expected);
    QFETCH(Stop, stop);

    const Evaluation evaluation = evaluateGradeOneHombre(results, QLocale(locale));
    QCOMPARE(outputList(evaluation), expected);
    QCOMPARE(int(evaluation.stop), int(stop));
}

void TestEvaluationRule::averagePercentage_data()
{
    QTest::addColumn<int>("enduranceBand");
    QTest::addColumn<int>("speedBand");
    QTest::addColumn<int>("strengthBand");
    QTest::addColumn<QString>("average");
    QTest::addColumn<QString>("level");

    const auto row = [](const char *percentages, int e, int s, int f, const QString &average,
                        const QString &level) {
        const QString name = u"%1 from %2 is %3"_s.arg(average, QLatin1StringView(percentages), level);
        QTest::newRow(qPrintable(name)) << e << s << f << average << level;
    };
    row("15 15 15", 5, 5, 5, u"15"_s, u"SN"_s);
    row("25 15 15", 4, 5, 5, u"18"_s, u"SN"_s);
    row("25 25 15", 4, 4, 5, u"22"_s, u"SN"_s);
    row("25 25 25", 4, 4, 4, u"25"_s, u"IV"_s);
    row("50 15 15", 3, 5, 5, u"27"_s, u"IV"_s);
    row("50 25 15", 3, 4, 5, u"30"_s, u"IV"_s);
    row("50 25 25", 3, 4, 4, u"33"_s, u"IV"_s);
    row("75 15 15", 2, 5, 5, u"35"_s, u"IV"_s);
    row("75 25 15", 2, 4, 5, u"38"_s, u"IV"_s);
    row("75 25 25", 2, 4, 4, u"42"_s, u"IV"_s);
    row("100 15 15", 1, 5, 5, u"43"_s, u"IV"_s);
    row("100 25 15", 1, 4, 5, u"47"_s, u"IV"_s);
    row("50 50 50", 3, 3, 3, u"50"_s, u"III"_s);
    row("100 50 15", 1, 3, 5, u"55"_s, u"III"_s);
    row("50 75 50", 3, 2, 3, u"58"_s, u"III"_s);
    row("100 75 15", 1, 2, 5, u"63"_s, u"III"_s);
    row("100 50 50", 1, 3, 3, u"67"_s, u"III"_s);
    row("100 100 15", 1, 1, 5, u"72"_s, u"III"_s);
    row("100 75 50", 1, 2, 3, u"75"_s, u"II"_s);
    row("100 75 75", 1, 2, 2, u"83"_s, u"II"_s);
    row("100 100 75", 1, 1, 2, u"92"_s, u"II"_s);
    row("100 100 100", 1, 1, 1, u"100"_s, u"I"_s);
}

void TestEvaluationRule::averagePercentage()
{
    QFETCH(int, enduranceBand);
    QFETCH(int, speedBand);
    QFETCH(int, strengthBand);
    QFETCH(QString, average);
    QFETCH(QString, level);

    const QString &count = countInBand[strengthBand - 1];
    const Evaluation evaluation = evaluateGradeOneHombre(
        {enduranceInBand[enduranceBand - 1], speedInBand[speedBand - 1], count, count, count});
    QVERIFY(evaluation.complete());
    QCOMPARE(evaluation.outputs[std::size_t(Output::AveragePercentage)], average);
    QCOMPARE(evaluation.outputs[std::size_t(Output::AverageLevel)], level);
}

// Over all 125 combinations of bands the average takes exactly 22 values, "I" only with 100 and "SN"
// only with 15, 18 and 22.
void TestEvaluationRule::averageTakesOnlyTwentyTwoValues()
{
    QMap<int, QString> seen;
    for (const QString &endurance : enduranceInBand) {
        for (const QString &speed : speedInBand) {
            for (const QString &count : countInBand) {
                const Evaluation evaluation = evaluateGradeOneHombre({endurance, speed, count, count, count});
                QVERIFY(evaluation.complete());
                const int average = evaluation.outputs[std::size_t(Output::AveragePercentage)].toInt();
                const QString level = evaluation.outputs[std::size_t(Output::AverageLevel)];
                QVERIFY(!seen.contains(average) || seen.value(average) == level);
                seen.insert(average, level);
            }
        }
    }
    const QMap<int, QString> expected{
        {15, u"SN"_s},  {18, u"SN"_s},  {22, u"SN"_s},  {25, u"IV"_s},  {27, u"IV"_s},  {30, u"IV"_s},
        {33, u"IV"_s},  {35, u"IV"_s},  {38, u"IV"_s},  {42, u"IV"_s},  {43, u"IV"_s},  {47, u"IV"_s},
        {50, u"III"_s}, {55, u"III"_s}, {58, u"III"_s}, {63, u"III"_s}, {67, u"III"_s}, {72, u"III"_s},
        {75, u"II"_s},  {83, u"II"_s},  {92, u"II"_s},  {100, u"I"_s},
    };
    QCOMPARE(seen, expected);
}

} // namespace merlox2

QTEST_APPLESS_MAIN(merlox2::TestEvaluationRule)
#include "TestEvaluationRule.moc"
