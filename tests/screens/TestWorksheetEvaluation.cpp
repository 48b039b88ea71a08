// The sex choice and the two evaluation buttons on a worksheet: which button works when, what the
// result panel shows, what empties it, and where the focus goes.

#include "WorksheetDriver.h"

#include "records/SexFile.h"

using namespace Qt::StringLiterals;

namespace merlox2::test {

namespace {

const QStringList WorkedExample = Ana.mid(2);
const QStringList AnaMujer = u"75 II 100 I 75 83 II II"_s.split(u' ');
const QStringList Best = u"1.3 6.5 40 40 40"_s.split(u' ');

void enterResults(const Worksheet *sheet, const QStringList &results)
{
    for (qsizetype i = 0; i < 5; ++i)
        retype(sheet->controls().boxes().at(std::size_t(i + 2)), results.value(i));
}

} // namespace

class TestWorksheetEvaluation : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { initializeGuiTests(); }
    void sexChoiceArmsOneButton_data();
    void sexChoiceArmsOneButton();
    void earlyStopKeepsTheRestOfThePanel_data();
    void earlyStopKeepsTheRestOfThePanel();
    void commandsEmptyThePanel_data();
    void commandsEmptyThePanel();
    void evaluationRemembersTheSexForTheName();
};

void TestWorksheetEvaluation::sexChoiceArmsOneButton_data()
{
    QTest::addColumn<int>("grade");
    QTest::addColumn<QString>("clicks"); // by name, as a black-box test finds them
    QTest::addColumn<QString>("state");
    QTest::addColumn<QStringList>("afterProcesar");
    QTest::addColumn<QStringList>("afterDatos");
    const int first = 1;
    QTest::newRow("none chosen: both buttons work")
        << first << QString() << u"Procesar Datos"_s << AnaHombre << AnaMujer;
    QTest::newRow("Hombre: only Procesar")
        << first << u"Option1"_s << u"Hombre Procesar"_s << AnaHombre << AnaHombre;
    QTest::newRow("Mujer: only Datos") << first << u"Option2"_s << u"Mujer Datos"_s << EmptyPanel << AnaMujer;
    QTest::newRow("Hombre then Mujer")
        << first << u"Option1 Option2"_s << u"Mujer Datos"_s << EmptyPanel << AnaMujer;
    QTest::newRow("Mujer then Hombre")
        << first << u"Option2 Option1"_s << u"Hombre Procesar"_s << AnaHombre << AnaHombre;
    QTest::newRow("Hombre clicked again stays on")
        << first << u"Option1 Option1"_s << u"Hombre Procesar"_s << AnaHombre << AnaHombre;
    QTest::newRow("second grade Mujer: first grade Hombre norms")
        << 2 << u"Option2"_s << u"Mujer Datos"_s << EmptyPanel << AnaHombre;
}

void TestWorksheetEvaluation::sexChoiceArmsOneButton()
{
    QFETCH(int, grade);
    QFETCH(QString, clicks);
    QFETCH(QString, state);
    QFETCH(QStringList, afterProcesar);
    QFETCH(QStringList, afterDatos);
    ProgramFixture fixture;
    Worksheet *sheet = fixture.openWorksheet(grade);
    QVERIFY(sheet);
    for (const QString &option : clicks.split(u' ', Qt::SkipEmptyParts))
        click(sheet, option);
    QCOMPARE(choiceOf(sheet), state);

    // A disabled button can't be pressed: clicking it leaves the panel as it was.
    sheet->controls().txtNombre->setFocus(); // a clicked option keeps the focus
    typeRecord(Ana);
    click(sheet->controls().Command3);
    QCOMPARE(panelOf(sheet), afterProcesar);
    click(sheet->controls().Command4);
    QCOMPARE(panelOf(sheet), afterDatos);
    QCOMPARE(focusName(), u"txtNombre"_s);
    // Evaluating touches neither the roster nor the file.
    QVERIFY(fixture.program().roster(grade)[1] == StudentRecord());
    QCOMPARE(fixture.readFile(GradeFile::fileNameForGrade(grade)), QByteArray());
}

void TestWorksheetEvaluation::earlyStopKeepsTheRestOfThePanel_data()
{
    QTest::addColumn<QStringList>("before"); // results evaluated first; none: the panel starts empty
    QTest::addColumn<QString>("results");
    QTest::addColumn<QString>("panel");
    QTest::newRow("empty endurance over an evaluation: panel unchanged")
        << WorkedExample << u"|7.5|22|25|20"_s << AnaHombre.join(u'|');
    QTest::newRow("empty endurance, empty panel: stays empty")
        << QStringList() << u"|7.5|22|25|20"_s << u"|||||||"_s;
    QTest::newRow("text for speed: endurance only")
        << QStringList() << u"1.9|lento|22|25|20"_s << u"50|III||||||"_s;
    QTest::newRow("empty squats: endurance and speed only")
        << QStringList() << u"1.9|7.5|22|25|"_s << u"50|III|75|II||||"_s;
    QTest::newRow("empty squats over an evaluation: the rest stays")
        << Best << u"1.9|7.5|22|25|"_s << u"50|III|75|II|100|100|I|I"_s;
    QTest::newRow("strength sum overflows: endurance and speed only")
        << QStringList() << u"1.9|7.5|20000|20000|1"_s << u"50|III|75|II||||"_s;
}

void TestWorksheetEvaluation::earlyStopKeepsTheRestOfThePanel()
{
    QFETCH(QStringList, before);
    QFETCH(QString, results);
    QFETCH(QString, panel);
    ProgramFixture fixture;
    Worksheet *sheet = fixture.openWorksheet(1);
    QVERIFY(sheet);
    click(sheet->controls().Option1);
    if (!before.isEmpty()) {
        enterResults(sheet, before);
        click(sheet->controls().Command3);
        QVERIFY(!textOf(sheet->controls().Label26).isEmpty());
    }
    enterResults(sheet, results.split(u'|'));
    click(sheet->controls().Command3);
    QCOMPARE(panelOf(sheet), panel.split(u'|'));
    QCOMPARE(focusName(), u"txtNombre"_s);
}

void TestWorksheetEvaluation::commandsEmptyThePanel_data()
{
    QTest::addColumn<QString>("clicks");
    QTest::addColumn<QString>("state");
    QTest::newRow("Registro Siguiente") << u"cmdRegSiguiente"_s << u"Mujer Datos"_s;
    QTest::newRow("Registro Anterior at record 1, no move") << u"cmdRegAnterior"_s << u"Mujer Datos"_s;
    QTest::newRow("there and back: the panel is not stored")
        << u"cmdRegSiguiente cmdRegAnterior"_s << u"Mujer Datos"_s;
    QTest::newRow("Borrar") << u"Command1"_s << u"Mujer Datos"_s;
    QTest::newRow("the other sex") << u"Option1"_s << u"Hombre Procesar"_s;
}

void TestWorksheetEvaluation::commandsEmptyThePanel()
{
    QFETCH(QString, clicks);
    QFETCH(QString, state);
    ProgramFixture fixture;
    Worksheet *sheet = fixture.openWorksheet(2);
    QVERIFY(sheet);
    click(sheet->controls().Option2);
    enterResults(sheet, Best);
    click(sheet->controls().Command4);
    QCOMPARE(panelOf(sheet), u"100 I 100 I 100 100 I I"_s.split(u' '));
    // An edited result changes nothing until a button is pressed again.
    retype(sheet->controls().txtresistencia, u"2.9"_s);
    QCOMPARE(panelOf(sheet), u"100 I 100 I 100 100 I I"_s.split(u' '));

    for (const QString &button : clicks.split(u' '))
        click(sheet, button);
    QCOMPARE(panelOf(sheet), EmptyPanel);
    QCOMPARE(choiceOf(sheet), state);
    if (clicks.startsWith(u"Option")) // the boxes are not touched
        QCOMPARE(boxesOf(sheet).mid(2), QStringList{u"2.9"_s} + Best.mid(1));
    else
        QCOMPARE(focusName(), u"txtNombre"_s);
}

void TestWorksheetEvaluation::evaluationRemembersTheSexForTheName()
{
    ProgramFixture fixture;
    Worksheet *sheet = fixture.openWorksheet(2);
    QVERIFY(sheet);
    const SexFile sexes = SexFile::forGradeFile(fixture.path(u"secundaria2.dat"_s));
    const auto sexOf = [&](int slot, const QString &name) { return sexes.read().value().sexOf(slot, name); };
    typeRecord(Ana);
    click(sheet->controls().Command4); // "Datos": Mujer
    QCOMPARE(sexOf(1, u"Ana"_s), std::optional(Sex::Mujer));
    click(sheet->controls().Command3); // the teacher corrects it with "Procesar": Hombre
    QCOMPARE(sexOf(1, u"Ana"_s), std::optional(Sex::Hombre));
    // Another student in the slot is not known to be a man.
    QCOMPARE(sexOf(1, u"Beto"_s), std::nullopt);
    // Nothing is kept for a slot without a name, and the grade file itself is untouched.
    click(sheet->controls().cmdRegSiguiente);
    click(sheet->controls().Command3);
    QCOMPARE(sexes.read().value().entries[2], SexEntry{});
    QCOMPARE(fixture.readFile(u"secundaria2.dat"_s), QByteArray());
}

} // namespace merlox2::test

QTEST_MAIN(merlox2::test::TestWorksheetEvaluation)
#include "TestWorksheetEvaluation.moc"
