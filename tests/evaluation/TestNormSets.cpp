#include "evaluation/NormSets.h"

#include "evaluation/EvaluationRule.h"

#include <QTest>

#include <tuple>

using namespace Qt::StringLiterals;

namespace merlox2 {

class TestNormSets : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void bands_data();
    void bands();
    void twinSets();
};

namespace {

enum class Capacity { Endurance, Speed, Strength };

// The norm tables as the teacher would type their figures.
struct Figures {
    int grade{};
    Sex sex{};
    std::array<QStringView, 4> endurance;
    std::array<QStringView, 4> speed;
    std::array<int, 4> strength{};
};

constexpr std::array<Figures, 6> Tables{{
    {1, Sex::Hombre, {u"1.4", u"1.8", u"2.1", u"2.5"}, {u"7.0", u"7.5", u"8.0", u"9.5"}, {30, 25, 20, 15}},
    {1, Sex::Mujer, {u"1.6", u"2.2", u"2.4", u"2.8"}, {u"7.5", u"8.0", u"8.9", u"10.5"}, {27, 22, 19, 15}},
    {2, Sex::Hombre, {u"1.35", u"1.6", u"2.0", u"2.3"}, {u"7.0", u"7.4", u"7.8", u"8.5"}, {32, 27, 22, 17}},
    {2, Sex::Mujer, {u"1.4", u"1.8", u"2.1", u"2.5"}, {u"7.0", u"7.5", u"8.0", u"9.5"}, {30, 25, 20, 15}},
    {3, Sex::Hombre, {u"1.3", u"1.4", u"1.8", u"2.0"}, {u"6.5", u"7.0", u"7.5", u"8.0"}, {35, 30, 25, 20}},
    {3, Sex::Mujer, {u"1.35", u"1.6", u"2.0", u"2.3"}, {u"7.0", u"7.4", u"7.8", u"8.5"}, {32, 27, 22, 17}},
}};

void addBandRow(int grade, Sex sex, Capacity capacity, const QString &what, const QString &text, int band)
{
    static const char *const capacities[] = {"endurance", "speed", "strength"};
    QTest::addRow("grade %d %s %s %s %s", grade, sex == Sex::Hombre ? "Hombre" : "Mujer",
                  capacities[int(capacity)], qPrintable(what), qPrintable(text))
        << grade << sex << capacity << text << band;
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

    const auto beyond = [](QStringView figure) { return QString::number(figure.toDouble() + 0.01, 'f', 2); };
    for (const Figures &set : Tables) {
        for (std::size_t i = 0; i < 4; ++i) {
            const std::tuple<Capacity, QString, QString, QString> bounds[] = {
                {Capacity::Endurance, u"E"_s, set.endurance[i].toString(), beyond(set.endurance[i])},
                {Capacity::Speed, u"S"_s, set.speed[i].toString(), beyond(set.speed[i])},
                {Capacity::Strength, u"F"_s, QString::number(set.strength[i]),
                 QString::number(set.strength[i] - 1)},
            };
            const int band = int(i) + 1;
            for (const auto &[capacity, name, on, past] : bounds) {
                addBandRow(set.grade, set.sex, capacity, u"on %1%2"_s.arg(name).arg(band), on, band);
                addBandRow(set.grade, set.sex, capacity, u"just beyond %1%2"_s.arg(name).arg(band), past,
                           band + 1);
            }
        }
    }

    addBandRow(1, Sex::Hombre, Capacity::Endurance, u"time"_s, u"0"_s, 1);
    addBandRow(3, Sex::Hombre, Capacity::Endurance, u"far beyond E4"_s, u"9"_s, 5);
    addBandRow(1, Sex::Hombre, Capacity::Strength, u"average"_s, u"0"_s, 5);
}

void TestNormSets::bands()
{
    QFETCH(int, grade);
    QFETCH(Sex, sex);
    QFETCH(Capacity, capacity);
    QFETCH(QString, text);
    QFETCH(int, band);

    QStringList typed{u"2.0"_s, u"8.0"_s, u"20"_s, u"20"_s, u"20"_s};
    if (capacity == Capacity::Strength)
        typed[2] = typed[3] = typed[4] = text;
    else
        typed[int(capacity)] = text;
    const TestResults results{typed[0], typed[1], typed[2], typed[3], typed[4]};
    // Where each capacity's percentage and level lie among the outputs.
    static constexpr std::pair<Output, Output> Outputs[] = {
        {Output::EndurancePercentage, Output::EnduranceLevel},
        {Output::SpeedPercentage, Output::SpeedLevel},
        {Output::StrengthPercentage, Output::StrengthLevel},
    };
    const auto [percentage, level] = Outputs[int(capacity)];

    const Evaluation evaluation = evaluate(grade, sex, results, QLocale::c());
    QVERIFY(evaluation.complete());
    static const QStringList percentages{u"100"_s, u"75"_s, u"50"_s, u"25"_s, u"15"_s};
    static const QStringList levels{u"I"_s, u"II"_s, u"III"_s, u"IV"_s, u"SN"_s};
    QCOMPARE(evaluation.outputs[std::size_t(percentage)], percentages[band - 1]);
    QCOMPARE(evaluation.outputs[std::size_t(level)], levels[band - 1]);
}

// Grade 2 Mujer shares grade 1 Hombre's norms, and grade 3 Mujer grade 2 Hombre's.
void TestNormSets::twinSets()
{
    QVERIFY(normSet(2, Sex::Mujer) == normSet(1, Sex::Hombre));
    QVERIFY(normSet(3, Sex::Mujer) == normSet(2, Sex::Hombre));
}

} // namespace merlox2

QTEST_APPLESS_MAIN(merlox2::TestNormSets)
#include "TestNormSets.moc"
