#include "evaluation/NormSets.h"

#include "evaluation/EvaluationRule.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace merlox2 {

class TestNormSets : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void bands_data();
    void bands();
    void onlyTheTwinSetsAreEqual();
    void twinSetsEvaluateAlike_data();
    void twinSetsEvaluateAlike();
};

namespace {

enum class Capacity { Endurance, Speed, Strength };

// The norm tables as the teacher would type their figures.
struct Figures {
    int grade;
    Sex sex;
    std::array<QStringView, 4> endurance;
    std::array<QStringView, 4> speed;
    std::array<int, 4> strength;
};

constexpr std::array<Figures, 6> Tables{{
    {1, Sex::Hombre, {u"1.4", u"1.8", u"2.1", u"2.5"}, {u"7.0", u"7.5", u"8.0", u"9.5"}, {30, 25, 20, 15}},
    {1, Sex::Mujer, {u"1.6", u"2.2", u"2.4", u"2.8"}, {u"7.5", u"8.0", u"8.9", u"10.5"}, {27, 22, 19, 15}},
    {2, Sex::Hombre, {u"1.35", u"1.6", u"2.0", u"2.3"}, {u"7.0", u"7.4", u"7.8", u"8.5"}, {32, 27, 22, 17}},
    {2, Sex::Mujer, {u"1.4", u"1.8", u"2.1", u"2.5"}, {u"7.0", u"7.5", u"8.0", u"9.5"}, {30, 25, 20, 15}},
    {3, Sex::Hombre, {u"1.3", u"1.4", u"1.8", u"2.0"}, {u"6.5", u"7.0", u"7.5", u"8.0"}, {35, 30, 25, 20}},
    {3, Sex::Mujer, {u"1.35", u"1.6", u"2.0", u"2.3"}, {u"7.0", u"7.4", u"7.8", u"8.5"}, {32, 27, 22, 17}},
}};

QString setName(int grade, Sex sex)
{
    return u"grade %1 %2"_s.arg(grade).arg(sex == Sex::Hombre ? u"Hombre"_s : u"Mujer"_s);
}

void addBandRow(int grade, Sex sex, Capacity capacity, const QString &what, const QString &text, int band)
{
    static const std::array<QString, 3> capacities{u"endurance"_s, u"speed"_s, u"strength"_s};
    const QString name =
        u"%1 %2 %3 %4"_s.arg(setName(grade, sex), capacities[std::size_t(capacity)], what, text);
    QTest::newRow(qPrintable(name)) << grade << sex << capacity << text << band;
}

} // namespace

// Every bound and threshold of every set, and the value just beyond it, through the rule itself:
// a typed bound compares equal to the stored one and takes the better band.
void TestNormSets::bands_data()
{
    QTest::addColumn<int>("grade");
    QTest::addColumn<Sex>("sex");
    QTest::addColumn<Capacity>("capacity");
    QTest::addColumn<QString>("text"); // a time, or each of the three counts
    QTest::addColumn<int>("band");

    for (const Figures &set : Tables) {
        for (int i = 0; i < 4; ++i) {
            const auto bound = std::size_t(i);
            const QString e = u"E%1"_s.arg(i + 1);
            const QString s = u"S%1"_s.arg(i + 1);
            const QString f = u"F%1"_s.arg(i + 1);
            const auto beyond = [](QStringView figure) {
                return QString::number(figure.toDouble() + 0.01, 'f', 2);
            };
            addBandRow(set.grade, set.sex, Capacity::Endurance, u"on "_s + e, set.endurance[bound].toString(),
                       i + 1);
            addBandRow(set.grade, set.sex, Capacity::Endurance, u"just beyond "_s + e,
                       beyond(set.endurance[bound]), i + 2);
            addBandRow(set.grade, set.sex, Capacity::Speed, u"on "_s + s, set.speed[bound].toString(), i + 1);
            addBandRow(set.grade, set.sex, Capacity::Speed, u"just beyond "_s + s, beyond(set.speed[bound]),
                       i + 2);
            addBandRow(set.grade, set.sex, Capacity::Strength, u"average on "_s + f,
                       QString::number(set.strength[bound]), i + 1);
            addBandRow(set.grade, set.sex, Capacity::Strength, u"average one below "_s + f,
                       QString::number(set.strength[bound] - 1), i + 2);
        }
    }

    addBandRow(1, Sex::Mujer, Capacity::Speed, u"between S3 and S4"_s, u"8.95"_s, 4);
    addBandRow(3, Sex::Hombre, Capacity::Speed, u"beyond S4"_s, u"8.05"_s, 5);
    addBandRow(3, Sex::Hombre, Capacity::Endurance, u"beyond E4"_s, u"2.05"_s, 5);
    addBandRow(3, Sex::Hombre, Capacity::Endurance, u"far beyond E4"_s, u"9"_s, 5);
    addBandRow(1, Sex::Hombre, Capacity::Endurance, u"time"_s, u"0"_s, 1);
    addBandRow(1, Sex::Mujer, Capacity::Speed, u"negative time"_s, u"-3.5"_s, 1);
    addBandRow(1, Sex::Hombre, Capacity::Strength, u"average far above F1"_s, u"300"_s, 1);
    addBandRow(1, Sex::Hombre, Capacity::Strength, u"average"_s, u"0"_s, 5);
}

void TestNormSets::bands()
{
    QFETCH(int, grade);
    QFETCH(Sex, sex);
    QFETCH(Capacity, capacity);
    QFETCH(QString, text);
    QFETCH(int, band);

    TestResults results{u"2.0", u"8.0", u"20", u"20", u"20"};
    std::size_t percentage = 0;
    std::size_t level = 0;
    switch (capacity) {
    case Capacity::Endurance:
        results.resistencia = text;
        percentage = std::size_t(Output::EndurancePercentage);
        level = std::size_t(Output::EnduranceLevel);
        break;
    case Capacity::Speed:
        results.velocidad = text;
        percentage = std::size_t(Output::SpeedPercentage);
        level = std::size_t(Output::SpeedLevel);
        break;
    case Capacity::Strength:
        results.lagartijas = results.abdominales = results.sentadillas = text;
        percentage = std::size_t(Output::StrengthPercentage);
        level = std::size_t(Output::StrengthLevel);
        break;
    }

    const Evaluation evaluation = evaluate(grade, sex, results, QLocale::c());
    QVERIFY(evaluation.complete());
    static const QStringList percentages{u"100"_s, u"75"_s, u"50"_s, u"25"_s, u"15"_s};
    static const QStringList levels{u"I"_s, u"II"_s, u"III"_s, u"IV"_s, u"SN"_s};
    QCOMPARE(evaluation.outputs[percentage], percentages[band - 1]);
    QCOMPARE(evaluation.outputs[level], levels[band - 1]);
}

// Grade 2 Mujer shares grade 1 Hombre's norms and grade 3 Mujer grade 2 Hombre's; any other
// equality would be a set copied into the wrong place.
void TestNormSets::onlyTheTwinSetsAreEqual()
{
    const auto sharesWith = [](const Figures &mujer, const Figures &hombre) {
        return mujer.sex == Sex::Mujer && hombre.sex == Sex::Hombre && mujer.grade == hombre.grade + 1;
    };
    for (const Figures &a : Tables) {
        for (const Figures &b : Tables) {
            if (&a == &b)
                continue;
            const bool equal = normSet(a.grade, a.sex) == normSet(b.grade, b.sex);
            QVERIFY2(equal == (sharesWith(a, b) || sharesWith(b, a)),
                     qPrintable(setName(a.grade, a.sex) + u" and "_s + setName(b.grade, b.sex)));
        }
    }
}

void TestNormSets::twinSetsEvaluateAlike_data()
{
    QTest::addColumn<int>("grade");
    QTest::addColumn<QStringList>("results");

    const QList<std::pair<const char *, QStringList>> cases{
        {"worked example", {u"1.9"_s, u"7.5"_s, u"22"_s, u"25"_s, u"20"_s}},
        {"first bounds", {u"1.4"_s, u"7.0"_s, u"30"_s, u"30"_s, u"30"_s}},
        {"beyond the last bounds", {u"2.9"_s, u"10.6"_s, u"10"_s, u"10"_s, u"10"_s}},
        {"between bounds", {u"1.65"_s, u"7.55"_s, u"20"_s, u"26"_s, u"24"_s}},
    };
    for (int grade : {2, 3}) {
        for (const auto &[what, results] : cases) {
            const QString name = u"grade %1 Mujer like grade %2 Hombre, %3"_s.arg(grade).arg(grade - 1).arg(
                QLatin1StringView(what));
            QTest::newRow(qPrintable(name)) << grade << results;
        }
    }
}

void TestNormSets::twinSetsEvaluateAlike()
{
    QFETCH(int, grade);
    QFETCH(QStringList, results);

    const TestResults typed{results[0], results[1], results[2], results[3], results[4]};
    const Evaluation mujer = evaluate(grade, Sex::Mujer, typed, QLocale::c());
    const Evaluation hombre = evaluate(grade - 1, Sex::Hombre, typed, QLocale::c());
    QVERIFY(mujer.complete());
    QCOMPARE(QStringList(mujer.outputs.begin(), mujer.outputs.end()),
             QStringList(hombre.outputs.begin(), hombre.outputs.end()));
}

} // namespace merlox2

QTEST_APPLESS_MAIN(merlox2::TestNormSets)
#include "TestNormSets.moc"
