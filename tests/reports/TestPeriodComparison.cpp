// Two periods compared: students matched by name whatever its accents, case and blanks, a repeated or
// unmatched name listed and never guessed, each change's direction, and the levels counted then and now.

#include "reports/PeriodComparison.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace merlox2::test {

class TestPeriodComparison : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void namesMatchWithoutAccentsCaseOrBlanks();
    void repeatedJoinedAndLeftAreListed();
    void changesHaveTheirDirection();
};

namespace {

struct Row {
    int slot;
    QString name;
    QStringList results; // resistencia, velocidad, lagartijas, abdominales, sentadillas
    std::optional<Sex> sex = Sex::Hombre;
};

// Names and results the record can hold: a setField() that fails shows as a failed comparison below.
GradeStudents gradeOf(const QList<Row> &rows)
{
    GradeStudents grade;
    grade.grade = 2;
    for (const Row &row : rows) {
        StudentRecord &record = grade.roster[row.slot];
        (void)record.setField(StudentRecord::Nombre, row.name);
        for (int r = 0; r < int(row.results.size()); ++r)
            (void)record.setField(StudentRecord::Field(StudentRecord::Resistencia + r), row.results.at(r));
        grade.sexes.entries.at(std::size_t(row.slot)) = {
            row.sex, SexFile::nameKey(record.field(StudentRecord::Nombre))};
    }
    return grade;
}

} // namespace

void TestPeriodComparison::namesMatchWithoutAccentsCaseOrBlanks()
{
    QCOMPARE(matchingKey(u"  José   María\tPÉREZ "_s), matchingKey(u"jose maria perez"_s));
    QCOMPARE(matchingKey(u"Nuñez"_s), matchingKey(u"NUNEZ"_s));
    QVERIFY(matchingKey(u"Ana Luisa"_s) != matchingKey(u"AnaLuisa"_s));
    // Decomposed accents (as some systems type them) match the composed ones.
    QCOMPARE(matchingKey(u"Jose\u0301"_s), matchingKey(u"JOSÉ"_s));

    const GradeComparison compared =
        compareGrade(gradeOf({{4, u"JOSÉ  PÉREZ"_s, {}}}), gradeOf({{9, u"Jose Perez"_s, {}}}));
    QCOMPARE(compared.students.size(), 1);
    QCOMPARE(compared.students.first().name, u"Jose Perez"_s);
    QCOMPARE(compared.students.first().slotThen, 4);
    QCOMPARE(compared.students.first().slotNow, 9);
    QVERIFY(compared.unmatched.isEmpty());
}

void TestPeriodComparison::repeatedJoinedAndLeftAreListed()
{
    const GradeStudents then = gradeOf({{1, u"ANA LÓPEZ"_s, {}},
                                        {2, u"LUIS GÓMEZ"_s, {}},
                                        {3, u"ana lopez"_s, {}},
                                        {5, u"PEDRO RUIZ"_s, {}},
                                        {6, u"MARTA DÍAZ"_s, {}}});
    const GradeStudents now = gradeOf({{1, u"ANA LOPEZ"_s, {}},
                                       {2, u"LUIS GOMEZ"_s, {}},
                                       {3, u"SOFÍA VEGA"_s, {}},
                                       {4, u"MARTA DIAZ"_s, {}},
                                       {7, u"marta díaz"_s, {}}});
    const GradeComparison compared = compareGrade(then, now);
    QCOMPARE(compared.students.size(), 1);
    QCOMPARE(compared.students.first().name, u"LUIS GOMEZ"_s);
    QStringList listed;
    for (const UnmatchedStudent &student : compared.unmatched)
        listed << student.name + u": "_s + unmatchedReason(student, u"«Inicio»"_s, u"hoy"_s);
    QCOMPARE(
        listed,
        (QStringList{
            u"ANA LOPEZ: el nombre está más de una vez en «Inicio» (registros 1 y 3); no se compara hasta "
            u"que "
            "cada alumno tenga un nombre distinto"_s,
            u"MARTA DIAZ: el nombre está más de una vez en hoy (registros 4 y 7); no se compara hasta que "
            "cada alumno tenga un nombre distinto"_s,
            u"PEDRO RUIZ: solo está en «Inicio» (registro 5)"_s,
            u"SOFÍA VEGA: solo está en hoy (registro 3)"_s}));
    QCOMPARE(unmatchedSheetRows({compared}, u"«Inicio»"_s, u"hoy"_s).size(), 4);
}

void TestPeriodComparison::changesHaveTheirDirection()
{
    // A second-grade boy: slower at 600 m, faster at 60 m, more push-ups, as many sit-ups, fewer squats.
    const GradeStudents then =
        gradeOf({{1, u"LUIS GÓMEZ"_s, {u"3.10"_s, u"9.8"_s, u"20"_s, u"30"_s, u"40"_s}},
                 {2, u"RAÚL SOTO"_s, {u"2.50"_s, u"8.5"_s, u"30"_s, u"40"_s, u"50"_s}, std::nullopt}});
    const GradeStudents now = gradeOf({{1, u"LUIS GOMEZ"_s, {u"3.25"_s, u"9,1"_s, u"26"_s, u"30"_s, u"38"_s}},
                                       {2, u"RAUL SOTO"_s, {u"2.50"_s, u""_s, u"x"_s, u"40"_s, u"50"_s}}});
    const GradeComparison compared = compareGrade(then, now);
    QCOMPARE(compared.students.size(), 2);
    const StudentChange &luis = compared.students.at(0);
    QStringList texts;
    for (const ResultChange &change : luis.results)
        texts << resultChangeText(change);
    QCOMPARE(texts,
             (QStringList{u"3.10 → 3.25 (+0.15, peor)"_s, u"9.8 → 9,1 (−0.7, mejor)"_s,
                          u"20 → 26 (+6, mejor)"_s, u"30 → 30 (0, igual)"_s, u"40 → 38 (−2, peor)"_s}));
    // Without a sex then there are no levels then; a missing or non-numeric result has no change.
    const StudentChange &raul = compared.students.at(1);
    QCOMPARE(resultChangeText(raul.results.at(1)), u"8.5 → —"_s);
    QCOMPARE(resultChangeText(raul.results.at(2)), u"30 → x"_s);
    QVERIFY(!raul.marksThen[Capacity::Resistencia]);
    QCOMPARE(raul.levelDirection(Capacity::Resistencia), Direction::Unknown);
    QVERIFY(luis.marksThen[Capacity::Promedio] && luis.marksNow[Capacity::Promedio]);
    const Direction average = luis.levelDirection(Capacity::Promedio);
    QCOMPARE(levelChangeText(luis, Capacity::Promedio),
             levelName(luis.marksThen[Capacity::Promedio]->level) + u" → "_s +
                 levelName(luis.marksNow[Capacity::Promedio]->level) + u" ("_s + directionWord(average) +
                 u')');

    // The levels by sex, then and now, as the summary counts them: Raúl counted then among those without sex.
    QCOMPARE(compared.then.withoutSex, 1);
    QCOMPARE(compared.now.students[std::size_t(SexColumn::Hombres)], 2);
    int countedNow = 0;
    for (int l = 0; l < LevelCount; ++l)
        countedNow += compared.now.count(Capacity::Resistencia, Level(l), SexColumn::Hombres);
    QCOMPARE(countedNow, 2);
    const QList<QList<QVariant>> distribution = distributionSheetRows({compared});
    QCOMPARE(distribution.size(), CapacityCount * LevelCount);
    QCOMPARE(distribution.first().size(), distributionSheetHeaders().size());
    const QList<QList<QVariant>> rows = comparisonSheetRows({compared});
    QCOMPARE(rows.first().size(), comparisonSheetHeaders().size());
    QCOMPARE(rows.first().at(4).toDouble(), 3.10); // Resistencia then, a number
    QCOMPARE(rows.first().at(7).toString(), u"peor"_s);
}

} // namespace merlox2::test

QTEST_GUILESS_MAIN(merlox2::test::TestPeriodComparison)
#include "TestPeriodComparison.moc"
