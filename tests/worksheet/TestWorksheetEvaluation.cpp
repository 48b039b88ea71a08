// The sex choice and the two evaluation buttons on a worksheet: which button works when, what the
// result panel shows, what empties it, and where the focus goes.

#include "WorksheetDriver.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace merlox2::test {

namespace {

const QStringList ResultBoxes{u"txtresistencia"_s, u"txtvelocidad"_s, u"txtlagartijas"_s, u"txtabdominales"_s,
                              u"txtsentadillas"_s};

// Endurance, speed, push-ups, sit-ups, squats.
const QStringList WorkedExample{u"1.9"_s, u"7.5"_s, u"22"_s, u"25"_s, u"20"_s};
// Panel in the order Label11, Label23, Label12, Label24, Label13, Label19, Label25, Label26.
const QStringList WorkedExampleHombre{u"50"_s, u"III"_s, u"75"_s,  u"II"_s,
                                      u"50"_s, u"58"_s,  u"III"_s, u"III"_s};
const QStringList WorkedExampleMujer{u"75"_s, u"II"_s, u"100"_s, u"I"_s, u"75"_s, u"83"_s, u"II"_s, u"II"_s};

const QStringList Best{u"1.3"_s, u"6.5"_s, u"40"_s, u"40"_s, u"40"_s};
const QStringList BestPanel{u"100"_s, u"I"_s, u"100"_s, u"I"_s, u"100"_s, u"100"_s, u"I"_s, u"I"_s};

void enterResults(const Form *sheet, const QStringList &results)
{
    for (qsizetype i = 0; i < ResultBoxes.size(); ++i)
        retype(sheet, ResultBoxes[i], results.value(i));
}

struct SexState {
    bool hombre;
    bool mujer;
    bool procesar;
    bool datos;
};

SexState stateOf(const Form *sheet)
{
    return {sheet->control<QAbstractButton>(u"Option1")->isChecked(),
            sheet->control<QAbstractButton>(u"Option2")->isChecked(),
            sheet->control(u"Command3")->isEnabled(), sheet->control(u"Command4")->isEnabled()};
}

} // namespace

class TestWorksheetEvaluation : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { initializeGuiTests(); }

    void sexChoiceArmsOneButton_data();
    void sexChoiceArmsOneButton();
    void buttonsApplyTheirNorms_data();
    void buttonsApplyTheirNorms();
    void earlyStopKeepsTheRestOfThePanel_data();
    void earlyStopKeepsTheRestOfThePanel();
    void otherSexEmptiesThePanel();
    void commandsEmptyThePanel_data();
    void commandsEmptyThePanel();
    void storedResultsEvaluateLikeTypedOnes();
    void secondGradeMujerEqualsFirstGradeHombre_data();
    void secondGradeMujerEqualsFirstGradeHombre();
};

void TestWorksheetEvaluation::sexChoiceArmsOneButton_data()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<bool>("hombre");
    QTest::addColumn<bool>("mujer");
    QTest::addColumn<bool>("procesar");
    QTest::addColumn<bool>("datos");

    QTest::newRow("none chosen: both buttons work") << QStringList() << false << false << true << true;
    QTest::newRow("Hombre: only Procesar") << QStringList{u"Option1"_s} << true << false << true << false;
    QTest::newRow("Mujer: only Datos") << QStringList{u"Option2"_s} << false << true << false << true;
    QTest::newRow("Hombre then Mujer")
        << QStringList{u"Option1"_s, u"Option2"_s} << false << true << false << true;
    QTest::newRow("Mujer then Hombre")
        << QStringList{u"Option2"_s, u"Option1"_s} << true << false << true << false;
    QTest::newRow("Hombre clicked again stays on")
        << QStringList{u"Option1"_s, u"Option1"_s} << true << false << true << false;
}

void TestWorksheetEvaluation::sexChoiceArmsOneButton()
{
    QFETCH(QStringList, clicks);
    QFETCH(bool, hombre);
    QFETCH(bool, mujer);
    QFETCH(bool, procesar);
    QFETCH(bool, datos);

    ProgramFixture fixture;
    Form *sheet = openWorksheet(fixture, u"TERSECU"_s);
    QVERIFY(sheet);
    for (const QString &option : clicks)
        click(sheet, option);
    const SexState state = stateOf(sheet);
    QCOMPARE(state.hombre, hombre);
    QCOMPARE(state.mujer, mujer);
    QCOMPARE(state.procesar, procesar);
    QCOMPARE(state.datos, datos);

    // A disabled button can't be pressed: clicking it leaves the empty panel empty.
    enterResults(sheet, WorkedExample);
    for (const QString &button : {u"Command3"_s, u"Command4"_s}) {
        if (!sheet->control(button)->isEnabled()) {
            click(sheet, button);
            QCOMPARE(panelOf(sheet), QStringList(8, QString()));
        }
    }
}

void TestWorksheetEvaluation::buttonsApplyTheirNorms_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("panel");

    QTest::newRow("Procesar, no sex chosen: Hombre norms")
        << QString() << u"Command3"_s << WorkedExampleHombre;
    QTest::newRow("Datos, no sex chosen: Mujer norms") << QString() << u"Command4"_s << WorkedExampleMujer;
    QTest::newRow("Procesar after Hombre") << u"Option1"_s << u"Command3"_s << WorkedExampleHombre;
    QTest::newRow("Datos after Mujer") << u"Option2"_s << u"Command4"_s << WorkedExampleMujer;
}

void TestWorksheetEvaluation::buttonsApplyTheirNorms()
{
    QFETCH(QString, option);
    QFETCH(QString, button);
    QFETCH(QStringList, panel);

    ProgramFixture fixture;
    Form *sheet = openWorksheet(fixture, u"prisecu"_s);
    QVERIFY(sheet);
    if (!option.isEmpty())
        click(sheet, option);
    sheet->control(u"txtNombre")->setFocus(); // a clicked option keeps the focus
    typeRecord(QStringList{u"Ana"_s, QString()} + WorkedExample);
    click(sheet, button);
    QCOMPARE(panelOf(sheet), panel);
    QCOMPARE(focusName(), u"txtNombre"_s);

    // Evaluating touches neither the roster nor the file.
    QVERIFY(fixture.program().roster(1)[1] == StudentRecord());
    QCOMPARE(fixture.readFile(u"secundaria1.dat"_s), QByteArray());
}

void TestWorksheetEvaluation::earlyStopKeepsTheRestOfThePanel_data()
{
    QTest::addColumn<QStringList>("before"); // results evaluated first; none: the panel starts empty
    QTest::addColumn<QStringList>("results");
    QTest::addColumn<QStringList>("panel");

    const QString e;
    QTest::newRow("empty endurance over an evaluation: panel unchanged")
        << WorkedExample << QStringList{e, u"7.5"_s, u"22"_s, u"25"_s, u"20"_s} << WorkedExampleHombre;
    QTest::newRow("empty endurance, empty panel: stays empty")
        << QStringList() << QStringList{e, u"7.5"_s, u"22"_s, u"25"_s, u"20"_s} << QStringList(8, e);
    QTest::newRow("text for speed: endurance only")
        << QStringList() << QStringList{u"1.9"_s, u"lento"_s, u"22"_s, u"25"_s, u"20"_s}
        << QStringList{u"50"_s, u"III"_s, e, e, e, e, e, e};
    QTest::newRow("empty squats: endurance and speed only")
        << QStringList() << QStringList{u"1.9"_s, u"7.5"_s, u"22"_s, u"25"_s, e}
        << QStringList{u"50"_s, u"III"_s, u"75"_s, u"II"_s, e, e, e, e};
    QTest::newRow("empty squats over an evaluation: the rest stays")
        << Best << QStringList{u"1.9"_s, u"7.5"_s, u"22"_s, u"25"_s, e}
        << QStringList{u"50"_s, u"III"_s, u"75"_s, u"II"_s, u"100"_s, u"100"_s, u"I"_s, u"I"_s};
    QTest::newRow("strength sum overflows: endurance and speed only")
        << QStringList() << QStringList{u"1.9"_s, u"7.5"_s, u"20000"_s, u"20000"_s, u"1"_s}
        << QStringList{u"50"_s, u"III"_s, u"75"_s, u"II"_s, e, e, e, e};
}

void TestWorksheetEvaluation::earlyStopKeepsTheRestOfThePanel()
{
    QFETCH(QStringList, before);
    QFETCH(QStringList, results);
    QFETCH(QStringList, panel);

    ProgramFixture fixture;
    Form *sheet = openWorksheet(fixture, u"prisecu"_s);
    QVERIFY(sheet);
    click(sheet, u"Option1"_s);
    if (!before.isEmpty()) {
        enterResults(sheet, before);
        click(sheet, u"Command3"_s);
        QVERIFY(!textOf(sheet, u"Label26"_s).isEmpty());
    }
    enterResults(sheet, results);
    sheet->control(u"txtsentadillas")->setFocus();
    click(sheet, u"Command3"_s);
    QCOMPARE(panelOf(sheet), panel);
    QCOMPARE(focusName(), u"txtNombre"_s);
    QVERIFY(fixture.messages().isEmpty());
}

void TestWorksheetEvaluation::otherSexEmptiesThePanel()
{
    ProgramFixture fixture;
    Form *sheet = openWorksheet(fixture, u"prisecu"_s);
    QVERIFY(sheet);
    click(sheet, u"Option1"_s);
    enterResults(sheet, WorkedExample);
    click(sheet, u"Command3"_s);
    QCOMPARE(panelOf(sheet), WorkedExampleHombre);

    // An edited result changes nothing until a button is pressed again.
    retype(sheet, u"txtresistencia"_s, u"1.3"_s);
    QCOMPARE(panelOf(sheet), WorkedExampleHombre);
    retype(sheet, u"txtresistencia"_s, u"1.9"_s);

    click(sheet, u"Option2"_s);
    QCOMPARE(panelOf(sheet), QStringList(8, QString()));
    QCOMPARE(boxesOf(sheet).mid(2), WorkedExample); // the boxes are not touched
    click(sheet, u"Command4"_s);
    QCOMPARE(panelOf(sheet), WorkedExampleMujer);
    QCOMPARE(focusName(), u"txtNombre"_s);
}

void TestWorksheetEvaluation::commandsEmptyThePanel_data()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::newRow("Registro Siguiente") << QStringList{u"cmdRegSiguiente"_s};
    QTest::newRow("Registro Anterior at record 1, no move") << QStringList{u"cmdRegAnterior"_s};
    QTest::newRow("there and back: the panel is not stored")
        << QStringList{u"cmdRegSiguiente"_s, u"cmdRegAnterior"_s};
    QTest::newRow("Borrar") << QStringList{u"Command1"_s};
}

void TestWorksheetEvaluation::commandsEmptyThePanel()
{
    QFETCH(QStringList, clicks);

    ProgramFixture fixture;
    Form *sheet = openWorksheet(fixture, u"segusecu"_s);
    QVERIFY(sheet);
    click(sheet, u"Option2"_s);
    enterResults(sheet, Best);
    click(sheet, u"Command4"_s);
    QCOMPARE(panelOf(sheet), BestPanel);

    for (const QString &button : clicks)
        click(sheet, button);
    QCOMPARE(panelOf(sheet), QStringList(8, QString()));
    QCOMPARE(focusName(), u"txtNombre"_s);
    // The sex choice stays as it was.
    const SexState state = stateOf(sheet);
    QVERIFY(!state.hombre && state.mujer && !state.procesar && state.datos);
}

void TestWorksheetEvaluation::storedResultsEvaluateLikeTypedOnes()
{
    ProgramFixture fixture;
    // Shown from the file, each result carries the trailing blanks of its field.
    QByteArray stored = QByteArray("Ana").leftJustified(30, ' ') + QByteArray("12").leftJustified(10, ' ');
    for (const QString &result : WorkedExample)
        stored += result.toLatin1().leftJustified(10, ' ');
    fixture.writeFile(u"secundaria1.dat"_s, stored + QByteArray(40, '\0'));

    Form *sheet = openWorksheet(fixture, u"prisecu"_s);
    QVERIFY(sheet);
    QCOMPARE(textOf(sheet, u"txtresistencia"_s), u"1.9       "_s);
    click(sheet, u"Command3"_s);
    QCOMPARE(panelOf(sheet), WorkedExampleHombre);
}

void TestWorksheetEvaluation::secondGradeMujerEqualsFirstGradeHombre_data()
{
    QTest::addColumn<QStringList>("results");
    QTest::newRow("worked example") << WorkedExample;
    QTest::newRow("on the first bounds") << QStringList{u"1.4"_s, u"7"_s, u"30"_s, u"30"_s, u"30"_s};
    QTest::newRow("beyond the last bounds") << QStringList{u"2.51"_s, u"9.51"_s, u"10"_s, u"10"_s, u"11"_s};
    QTest::newRow("mixed bands") << QStringList{u"2.2"_s, u"8"_s, u"15"_s, u"15"_s, u"14"_s};
}

void TestWorksheetEvaluation::secondGradeMujerEqualsFirstGradeHombre()
{
    QFETCH(QStringList, results);

    ProgramFixture fixture;
    Form *first = openWorksheet(fixture, u"prisecu"_s);
    QVERIFY(first);
    enterResults(first, results);
    click(first, u"Command3"_s);
    const QStringList firstGradeHombre = panelOf(first);
    QVERIFY(!firstGradeHombre.contains(QString()));

    Form *second = openWorksheet(fixture, u"segusecu"_s);
    QVERIFY(second);
    enterResults(second, results);
    click(second, u"Command4"_s);
    QCOMPARE(panelOf(second), firstGradeHombre);
    QCOMPARE(focusName(), u"txtNombre"_s);
    QCOMPARE(QApplication::focusWidget()->window(), second);
}

} // namespace merlox2::test

QTEST_MAIN(merlox2::test::TestWorksheetEvaluation)
#include "TestWorksheetEvaluation.moc"
