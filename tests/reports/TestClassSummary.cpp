// The numbers of a grade as a whole: levels by capacity and sex, who is left out and why, and the mean
// percentages; checked by hand on a small class and against what the grade table shows row by row.

#include "reports/ClassSummary.h"

#include "records/GradeFile.h"
#include "reports/GradeTableModel.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace merlox2 {

namespace {

StudentRecord record(const QString &fields)
{
    StudentRecord student;
    const QStringList values = fields.split(u'|');
    for (qsizetype i = 0; i < values.size(); ++i)
        (void)student.setField(StudentRecord::Field(i), values.at(i));
    return student;
}

struct Class {
    Roster roster;
    SexTable sexes;

    void add(int slot, const QString &fields, std::optional<Sex> sex)
    {
        roster[slot] = record(fields);
        sexes.entries[std::size_t(slot)] = {sex, SexFile::nameKey(roster[slot].field(StudentRecord::Nombre))};
    }
};

constexpr auto H = SexColumn::Hombres;
constexpr auto M = SexColumn::Mujeres;
constexpr auto T = SexColumn::Todos;

} // namespace

class TestClassSummary : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void smallClassByHand();
    void agreesWithTheTable();
};

void TestClassSummary::smallClassByHand()
{
    Class group;
    group.add(1, u"Ana|12|1.9|7.5|22|25|20"_s, Sex::Hombre); // III 50, II 75, III 50, average III 58
    group.add(2, u"Beto|12|1.9|7.5|22|25"_s, Sex::Hombre);   // squats missing: endurance and speed only
    group.add(3, u"Carla|12|1.9|7.5|22|25|20"_s, std::nullopt);
    group.add(4, u"   |12|1.9"_s, Sex::Mujer); // a blank name is no student
    group.add(6, u"Dora|12|1.9|7.5|22|25|20"_s, Sex::Hombre);
    group.sexes.entries[6].name = u"Otra"_s; // the sex was given to another student in that slot

    const ClassSummary summary = summarize(2, group.roster, group.sexes);
    QCOMPARE(summary.grade, 2);
    QCOMPARE(summary.students, (ClassSummary::BySex<int>{2, 0, 2}));
    QCOMPARE(summary.withoutSex, 2);
    QCOMPARE(summary.studentCount(), 4);
    QCOMPARE(summary.incomplete, (ClassSummary::BySex<int>{1, 0, 1}));

    const StudentMarks ana = marksOf(1, group.roster[1], Sex::Hombre);
    QVERIFY(ana.complete);
    QCOMPARE(ana[Capacity::Promedio], (Mark{Level::III, 58}));
    QVERIFY(!marksOf(1, group.roster[1], std::nullopt)[Capacity::Resistencia]);

    const ClassSummary first = summarize(1, group.roster, group.sexes);
    QCOMPARE(first.count(Capacity::Resistencia, Level::III, H), 2);
    QCOMPARE(first.count(Capacity::Velocidad, Level::II, T), 2);
    QCOMPARE(first.count(Capacity::Fuerza, Level::III, T), 1);
    QCOMPARE(first.count(Capacity::Promedio, Level::III, T), 1);
    QCOMPARE(first.count(Capacity::Promedio, Level::III, M), 0);
    QCOMPARE(first.evaluated[std::size_t(Capacity::Velocidad)], (ClassSummary::BySex<int>{2, 0, 2}));
    QCOMPARE(first.evaluated[std::size_t(Capacity::Fuerza)], (ClassSummary::BySex<int>{1, 0, 1}));
    QCOMPARE(first.mean(Capacity::Promedio, T), 58.0);
    QVERIFY(!first.mean(Capacity::Promedio, M));

    QCOMPARE(summarize(1, Roster(), SexTable()).studentCount(), 0);
}

// Every level in the table counted once, and the average level's percentages averaged, for a grade read
// from its files through the model the reports window shows.
void TestClassSummary::agreesWithTheTable()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(GradeFile::fileNameForGrade(3));
    Roster roster;
    const QStringList students{u"Ana|14|2.5|8.1|30|35|40"_s, u"Beto|15|1,7|7.0|50|60|55"_s,
                               u"Caro|14|3.9|11|5|8|10"_s,   u"Dani|15|2.2|9.4|18|22|19"_s,
                               u"Eva|14|1.5|6.8|45|48|50"_s, u"Fer|15|4.2|12.5|2|3|1"_s,
                               u"Gil|14|2.9|x|10|12|14"_s};
    for (qsizetype i = 0; i < students.size(); ++i)
        roster[int(i) + 1] = record(students.at(i));
    QVERIFY(GradeFile(path).storeRoster(roster));
    GradeTableModel model(3, path);
    for (int row = 0; row < students.size(); ++row)
        QVERIFY(model.setData(model.index(row, GradeTableModel::Sexo), row % 2 ? u"M"_s : u"H"_s));

    const ClassSummary summary = summarize(model);
    for (int c = 0; c < CapacityCount; ++c) {
        std::array<std::array<int, SexColumnCount>, LevelCount> seen{};
        double sum = 0;
        int marked = 0;
        for (int row = 0; row < model.rowCount(); ++row) {
            const QVariant percent =
                model.index(row, GradeTableModel::NivelResistencia + c).data(GradeTableModel::SortRole);
            if (!percent.isValid())
                continue;
            const QString level =
                model.index(row, GradeTableModel::NivelResistencia + c).data().toString().section(u' ', 0, 0);
            const bool man = model.index(row, GradeTableModel::Sexo).data().toString() == u"H"_s;
            for (int l = 0; l < LevelCount; ++l) {
                if (level == levelName(Level(l))) {
                    ++seen[std::size_t(l)][std::size_t(man ? H : M)];
                    ++seen[std::size_t(l)][std::size_t(T)];
                }
            }
            sum += percent.toInt();
            ++marked;
        }
        QCOMPARE(summary.counts[std::size_t(c)], seen);
        QCOMPARE(summary.evaluated[std::size_t(c)][std::size_t(T)], marked);
        QCOMPARE(summary.mean(Capacity(c), T).value_or(-1), sum / marked);
    }
    QCOMPARE(summary.incomplete[std::size_t(T)], 1);
}

} // namespace merlox2

QTEST_GUILESS_MAIN(merlox2::TestClassSummary)
#include "TestClassSummary.moc"
