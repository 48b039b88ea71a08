#include "evaluation/EvaluationRule.h"

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

} // namespace

void TestEvaluationRule::outputs_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("results"); // endurance, speed, push-ups, sit-ups, squats
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<Stop>("stop");
    const auto row = [](const char *name, const QStringList &results, const QStringList &expected,
                        Stop stop = Stop::None, const QString &locale = u"C"_s) {
        QTest::newRow(name) << locale << results << expected << stop;
    };
    const auto counts = [](const QString &pushUps, const QString &sitUps, const QString &squats) {
        return QStringList{u"1.9"_s, u"7.5"_s, pushUps, sitUps, squats};
    };
    const QStringList worked{u"50"_s, u"III"_s, u"75"_s, u"II"_s, u"50"_s, u"58"_s, u"III"_s, u"III"_s};
    const QStringList timesOnly = worked.first(4);
    // Times of the worked example with strength in band 4 (average 50) or band 5 (average 47).
    const QStringList strengthBand4{u"50"_s, u"III"_s, u"75"_s, u"II"_s, u"25"_s, u"50"_s, u"IV"_s, u"III"_s};
    const QStringList strengthBand5{u"50"_s, u"III"_s, u"75"_s, u"II"_s, u"15"_s, u"47"_s, u"SN"_s, u"IV"_s};

    row("worked example", counts(u"22"_s, u"25"_s, u"20"_s), worked);
    row("trailing blanks of stored fields change nothing",
        {u"1.9       "_s, u"7.5       "_s, u"22        "_s, u"25        "_s, u"20        "_s}, worked);
    row("comma locale", {u"1,9"_s, u"7,5"_s, u"22"_s, u"25"_s, u"20"_s}, worked, Stop::None, u"de_DE"_s);
    row("dot typed in a comma locale", counts(u"22"_s, u"25"_s, u"20"_s), worked, Stop::None, u"es_ES"_s);

    // Early stops keep what came before and nothing after.
    row("endurance nan: no output whatever follows", {u"nan"_s, u"7.5"_s, u"22"_s, u"25"_s, u"20"_s}, {},
        Stop::EnduranceNotANumber);
    row("speed inf: endurance outputs only", {u"1.9"_s, u"inf"_s, u"22"_s, u"25"_s, u"20"_s}, worked.first(2),
        Stop::SpeedNotANumber);
    row("empty squats: time outputs only", counts(u"22"_s, u"25"_s, QString()), timesOnly,
        Stop::CountNotANumber);
    row("push-ups beyond 16 bits: time outputs only", counts(u"40000"_s, u"1"_s, u"1"_s), timesOnly,
        Stop::CountOverflow);
    row("push-ups are read before sit-ups", counts(u"veinte"_s, u"40000"_s, u"1"_s), timesOnly,
        Stop::CountNotANumber);

    // The strength sum is added in 16 bits: sit-ups plus push-ups, then plus squats.
    row("push-ups 20000 and sit-ups 20000 overflow the first addition",
        counts(u"20000"_s, u"20000"_s, u"1"_s), timesOnly, Stop::SumOverflow);
    row("squats overflow the second addition", counts(u"16000"_s, u"16000"_s, u"1000"_s), timesOnly,
        Stop::SumOverflow);
    row("a sum that would come back in range still overflows", counts(u"20000"_s, u"20000"_s, u"-20000"_s),
        timesOnly, Stop::SumOverflow);
    row("partial sum at the smallest 16-bit number", counts(u"-20000"_s, u"-12768"_s, u"0"_s), strengthBand5);
    row("partial sum one under the smallest", counts(u"-20000"_s, u"-12769"_s, u"0"_s), timesOnly,
        Stop::SumOverflow);

    // Strength average: the sum over 3, rounded; counts rounded half to even before adding.
    row("counts 15 15 14 average 15 on F4", counts(u"15"_s, u"15"_s, u"14"_s), strengthBand4);
    row("counts 14 14 15 average 14 below F4", counts(u"14"_s, u"14"_s, u"15"_s), strengthBand5);
    row("12.5 counts 12", counts(u"12.5"_s, u"15"_s, u"16"_s), strengthBand5);
    row("13.5 counts 14", counts(u"13.5"_s, u"15"_s, u"15"_s), strengthBand4);
    row("negative counts lower the sum", counts(u"-10"_s, u"40"_s, u"40"_s), worked);
}

void TestEvaluationRule::outputs()
{
    QFETCH(QString, locale);
    QFETCH(QStringList, results);
    QFETCH(QStringList, expected);
    QFETCH(Stop, stop);

    const Evaluation evaluation = evaluateGradeOneHombre(results, QLocale(locale));
    QCOMPARE(QStringList(evaluation.outputs.begin(), evaluation.outputs.end()), expected);
    QCOMPARE(int(evaluation.stop), int(stop));
}

void TestEvaluationRule::averagePercentage_data()
{
    QTest::addColumn<int>("enduranceBand");
    QTest::addColumn<int>("speedBand");
    QTest::addColumn<int>("strengthBand");
    QTest::addColumn<QString>("average");
    QTest::addColumn<QString>("level");

    // Every value the average can take, from the bands of endurance, speed and strength.
    const struct {
        int e, s, f, average;
        const char *level;
    } rows[] = {
        {5, 5, 5, 15, "SN"},  {4, 5, 5, 18, "SN"},  {4, 4, 5, 22, "SN"},  {4, 4, 4, 25, "IV"},
        {3, 5, 5, 27, "IV"},  {3, 4, 5, 30, "IV"},  {3, 4, 4, 33, "IV"},  {2, 5, 5, 35, "IV"},
        {2, 4, 5, 38, "IV"},  {2, 4, 4, 42, "IV"},  {1, 5, 5, 43, "IV"},  {1, 4, 5, 47, "IV"},
        {3, 3, 3, 50, "III"}, {1, 3, 5, 55, "III"}, {3, 2, 3, 58, "III"}, {1, 2, 5, 63, "III"},
        {1, 3, 3, 67, "III"}, {1, 1, 5, 72, "III"}, {1, 2, 3, 75, "II"},  {1, 2, 2, 83, "II"},
        {1, 1, 2, 92, "II"},  {1, 1, 1, 100, "I"},
    };
    static const int percent[] = {0, 100, 75, 50, 25, 15};
    for (const auto &[e, s, f, average, level] : rows) {
        QTest::addRow("%d from %d %d %d is %s", average, percent[e], percent[s], percent[f], level)
            << e << s << f << QString::number(average) << QString::fromLatin1(level);
    }
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

} // namespace merlox2

QTEST_APPLESS_MAIN(merlox2::TestEvaluationRule)
#include "TestEvaluationRule.moc"
