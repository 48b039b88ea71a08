// The next level's targets, with the evaluation rule as the oracle: for every grade, sex, capacity and level
// below I, the target evaluates to the next level up and one step short of it does not.

#include "evaluation/Targets.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace merlox2 {

namespace {

enum Capacity { Endurance, Speed, Strength };

// Results that put the capacity in the band and the other two at level I.
QStringList resultsInBand(const NormSet &norms, Capacity capacity, int band)
{
    const auto time = [band](const std::array<double, 4> &bounds) {
        return band <= 4 ? timeText(bounds.at(std::size_t(band - 1))) : timeText(bounds.back() + 1);
    };
    const int average = band <= 4 ? norms.strength.at(std::size_t(band - 1)) : 0;
    QStringList results{timeText(norms.endurance.front()), timeText(norms.speed.front()),
                        QString::number(norms.strength.front()), QString::number(norms.strength.front()),
                        QString::number(norms.strength.front())};
    if (capacity == Endurance)
        results[0] = time(norms.endurance);
    else if (capacity == Speed)
        results[1] = time(norms.speed);
    else
        results[2] = results[3] = results[4] = QString::number(average);
    return results;
}

// The three counts of a total, as even as it goes.
void setTotal(QStringList &results, int total)
{
    results[2] = QString::number(total / 3);
    results[3] = QString::number(total / 3);
    results[4] = QString::number(total - 2 * (total / 3));
}

QString levelOf(int grade, Sex sex, const QStringList &results, Capacity capacity)
{
    const Evaluation evaluation =
        evaluate(grade, sex, {results[0], results[1], results[2], results[3], results[4]}, QLocale::c());
    const Output level[] = {Output::EnduranceLevel, Output::SpeedLevel, Output::StrengthLevel};
    return evaluation.complete() ? evaluation.outputs.at(std::size_t(level[capacity])) : u"(stopped)"_s;
}

std::optional<Target> targetOf(int grade, Sex sex, const QStringList &results, Capacity capacity)
{
    const StudentTargets targets =
        targetsFor(grade, sex, {results[0], results[1], results[2], results[3], results[4]}, QLocale::c());
    return capacity == Endurance ? targets.endurance : capacity == Speed ? targets.speed : targets.strength;
}

} // namespace

class TestTargets : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyNormSet();
    void levelOneAndStops();
};

void TestTargets::everyNormSet()
{
    const QStringList levels{u"I"_s, u"II"_s, u"III"_s, u"IV"_s, u"SN"_s};
    for (int grade = 1; grade <= 3; ++grade) {
        for (const Sex sex : {Sex::Hombre, Sex::Mujer}) {
            const NormSet &norms = normSet(grade, sex);
            for (const Capacity capacity : {Endurance, Speed, Strength}) {
                for (int band = 2; band <= 5; ++band) {
                    const QString where = u"grade %1 %2 capacity %3 band %4"_s.arg(grade)
                                              .arg(sex == Sex::Hombre ? u"Hombre"_s : u"Mujer"_s)
                                              .arg(capacity)
                                              .arg(band);
                    QStringList results = resultsInBand(norms, capacity, band);
                    QCOMPARE(levelOf(grade, sex, results, capacity), levels.at(band - 1));
                    const std::optional<Target> target = targetOf(grade, sex, results, capacity);
                    QVERIFY2(target, qPrintable(where));
                    QCOMPARE(target->level, levels.at(band - 2));

                    QStringList reached = results;
                    QStringList short_ = results;
                    if (capacity == Strength) {
                        const int total = 3 * (band <= 4 ? norms.strength.at(std::size_t(band - 1)) : 0);
                        QCOMPARE(target->missing, target->total - total);
                        QVERIFY2(target->missing > 0, qPrintable(where));
                        setTotal(reached, target->total);
                        setTotal(short_, target->total - 1);
                    } else {
                        const int field = capacity == Endurance ? 0 : 1;
                        reached[field] = target->timeText;
                        short_[field] = QString::number(target->time + 0.01, 'f', 2);
                    }
                    QVERIFY2(levelOf(grade, sex, reached, capacity) == target->level,
                             qPrintable(where + u" reached: "_s + reached.join(u' ')));
                    QVERIFY2(levelOf(grade, sex, short_, capacity) != target->level,
                             qPrintable(where + u" short: "_s + short_.join(u' ')));
                }
            }
        }
    }
}

void TestTargets::levelOneAndStops()
{
    // Grade 1 Hombre: 1.4, 7.0 and an average of 30 are level I: no target.
    const QStringList best{u"1.4"_s, u"7.0"_s, u"30"_s, u"30"_s, u"30"_s};
    QVERIFY(!targetsFor(1, Sex::Hombre, {best[0], best[1], best[2], best[3], best[4]}).any());
    // Strength is counted from the student's own total: 22 + 25 + 20 = 67, level II from 74 (average 24.67
    // rounds to 25), so 7 are missing.
    const StudentTargets worked =
        targetsFor(1, Sex::Hombre, {u"1.9", u"7.5", u"22", u"25", u"20"}, QLocale::c());
    QCOMPARE(worked.endurance->timeText, u"1.8"_s);
    QCOMPARE(worked.speed->timeText, u"7.0"_s);
    QCOMPARE(worked.strength->total, 74);
    QCOMPARE(worked.strength->missing, 7);
    // A missing count: the times keep their targets, strength has none.
    const StudentTargets stopped = targetsFor(1, Sex::Hombre, {u"1.9", u"7.5", u"", u"25", u"20"});
    QVERIFY(stopped.endurance && stopped.speed && !stopped.strength);
    QCOMPARE(timeText(1.35), u"1.35"_s);
}

} // namespace merlox2

QTEST_MAIN(merlox2::TestTargets)
#include "TestTargets.moc"
