// Hombre and Mujer from the keyboard and to a screen reader: radio buttons that Tab reaches one by one,
// whose arrow keys move the choice between them as a click does.

#include "WorksheetDriver.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace merlox2::test {

class TestWorksheetOptions : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { initializeGuiTests(); }
    void screenReaderHearsRadioButtons();
    void tabReachesEachOption();
    void arrowKeysMoveTheChoice_data();
    void arrowKeysMoveTheChoice();
};

void TestWorksheetOptions::screenReaderHearsRadioButtons()
{
    ProgramFixture fixture;
    Worksheet *sheet = fixture.openWorksheet(1);
    QVERIFY(sheet);
    QAccessibleInterface *hombre = QAccessible::queryAccessibleInterface(sheet->controls().Option1);
    QAccessibleInterface *mujer = QAccessible::queryAccessibleInterface(sheet->controls().Option2);
    QVERIFY(hombre && mujer);
    for (QAccessibleInterface *option : {hombre, mujer}) {
        QCOMPARE(option->role(), QAccessible::RadioButton);
        QVERIFY(option->state().checkable && option->state().focusable);
        QVERIFY(!option->state().checked);
    }
    QCOMPARE(hombre->text(QAccessible::Name), u"Hombre"_s);
    QCOMPARE(mujer->text(QAccessible::Name), u"Mujer"_s);

    click(sheet->controls().Option1);
    QVERIFY(hombre->state().checked && !mujer->state().checked);

    // Chosen from the screen reader, the option runs the same handler as a click.
    QAccessibleActionInterface *actions = mujer->actionInterface();
    QVERIFY(actions);
    QVERIFY(actions->actionNames().contains(QAccessibleActionInterface::toggleAction()));
    actions->doAction(QAccessibleActionInterface::toggleAction());
    QTRY_VERIFY(!hombre->state().checked && mujer->state().checked);
    QCOMPARE(choiceOf(sheet), u"Mujer Datos"_s);
}

void TestWorksheetOptions::tabReachesEachOption()
{
    ProgramFixture fixture;
    Worksheet *sheet = fixture.openWorksheet(1);
    QVERIFY(sheet);
    QApplication::setActiveWindow(sheet);
    sheet->controls().txtsentadillas->setFocus();
    QStringList reached;
    for (int i = 0; i < 3; ++i)
        reached << focusAfter(Qt::Key_Tab);
    QCOMPARE(reached, QStringList({u"Option1"_s, u"Option2"_s, u"cmdGuardarReg"_s}));
    pressKey(Qt::Key_Backtab);
    pressKey(Qt::Key_Backtab);
    QTRY_COMPARE(focusName(), u"Option1"_s);
    QCOMPARE(choiceOf(sheet), u"Procesar Datos"_s); // moving through them chooses nothing
}

void TestWorksheetOptions::arrowKeysMoveTheChoice_data()
{
    QTest::addColumn<QString>("chosen"); // clicked first; none: the focus comes by Tab
    QTest::addColumn<QString>("from");
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("choice");
    QTest::newRow("Down on Hombre chooses Mujer")
        << u"Option1"_s << u"Option1"_s << Qt::Key_Down << u"Option2"_s << u"Mujer Datos"_s;
    QTest::newRow("Right on Hombre chooses Mujer")
        << u"Option1"_s << u"Option1"_s << Qt::Key_Right << u"Option2"_s << u"Mujer Datos"_s;
    QTest::newRow("Up on Mujer chooses Hombre")
        << u"Option2"_s << u"Option2"_s << Qt::Key_Up << u"Option1"_s << u"Hombre Procesar"_s;
    QTest::newRow("Left on Mujer chooses Hombre")
        << u"Option2"_s << u"Option2"_s << Qt::Key_Left << u"Option1"_s << u"Hombre Procesar"_s;
    QTest::newRow("Up on Hombre wraps round to Mujer")
        << u"Option1"_s << u"Option1"_s << Qt::Key_Up << u"Option2"_s << u"Mujer Datos"_s;
    QTest::newRow("Down on Mujer wraps round to Hombre")
        << u"Option2"_s << u"Option2"_s << Qt::Key_Down << u"Option1"_s << u"Hombre Procesar"_s;
    QTest::newRow("none chosen, Down on Hombre chooses Mujer")
        << QString() << u"Option1"_s << Qt::Key_Down << u"Option2"_s << u"Mujer Datos"_s;
    QTest::newRow("none chosen, Up on Mujer chooses Hombre")
        << QString() << u"Option2"_s << Qt::Key_Up << u"Option1"_s << u"Hombre Procesar"_s;
}

void TestWorksheetOptions::arrowKeysMoveTheChoice()
{
    QFETCH(QString, chosen);
    QFETCH(QString, from);
    QFETCH(Qt::Key, key);
    QFETCH(QString, to);
    QFETCH(QString, choice);
    ProgramFixture fixture;
    Worksheet *sheet = fixture.openWorksheet(1);
    QVERIFY(sheet);
    QApplication::setActiveWindow(sheet);
    if (!chosen.isEmpty())
        click(sheet, chosen);

    // An evaluation on the panel shows that the options' own handler ran: it empties the panel.
    const WorksheetControls &ui = sheet->controls();
    for (std::size_t i = 0; i < ui.boxes().size(); ++i)
        retype(ui.boxes()[i], Ana[qsizetype(i)]);
    QTest::mouseClick(chosen == u"Option2" ? ui.Command4 : ui.Command3, Qt::LeftButton);
    named(sheet, from)->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(focusName(), from);
    QVERIFY(panelOf(sheet) != EmptyPanel);

    pressKey(key);
    QTRY_COMPARE(focusName(), to);
    QCOMPARE(choiceOf(sheet), choice);
    QCOMPARE(panelOf(sheet), EmptyPanel);
}

} // namespace merlox2::test

QTEST_MAIN(merlox2::test::TestWorksheetOptions)
#include "TestWorksheetOptions.moc"
