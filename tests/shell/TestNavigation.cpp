// Moving between the screens: single screens that keep their state, the keyboard on the title screen
// and the menus, worksheets left and found again, and the SALIR buttons.

#include "support/GuiTest.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTest>

using namespace Qt::StringLiterals;

namespace merlox2::test {

class TestNavigation : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { initializeGuiTests(); }
    void init() { m_fixture = std::make_unique<ProgramFixture>(); }
    void cleanup() { m_fixture.reset(); }
    void titleAndMenuAreSingle();
    void enterWalksTheTitleScreenButtons();
    void menuButtonOnEnterOrSpace_data();
    void menuButtonOnEnterOrSpace();
    void regresarAndBackShowsTheSameRecord();
    void closedWorksheetReadsItsFileAgain();
    void documentScreens_data();
    void documentScreens();
    void salirEndsAtOnceWithoutWriting_data();
    void salirEndsAtOnceWithoutWriting();

private:
    Form *screen(const QString &name) { return m_fixture->form(name); }
    QString boxText(const QString &form, const QString &box)
    {
        return screen(form)->control<QLineEdit>(box)->text().trimmed();
    }
    // From the access code to the title screen, as the teacher gets there.
    Form *enterProgram();
    // On to a grade's worksheet through the title screen and the menu.
    Form *openGrade(const QString &menuButton, const QString &form);

    std::unique_ptr<ProgramFixture> m_fixture;
};

Form *TestNavigation::enterProgram()
{
    m_fixture->program().start();
    settle();
    QTest::keyClicks(screen(u"CLAVESEC"_s)->control<QLineEdit>(u"Text1"), u"418357"_s);
    click(screen(u"CLAVESEC"_s), u"Command1"_s);
    return screen(u"empezar"_s);
}

Form *TestNavigation::openGrade(const QString &menuButton, const QString &form)
{
    enterProgram();
    click(screen(u"empezar"_s), u"Command1"_s);
    click(screen(u"MENU"_s), menuButton);
    return screen(form);
}

void TestNavigation::titleAndMenuAreSingle()
{
    Form *title = enterProgram();
    QVERIFY(title && title->isMaximized());
    // ENTRAR again brings the same title screen to the front.
    QApplication::setActiveWindow(screen(u"CLAVESEC"_s));
    click(screen(u"CLAVESEC"_s), u"Command1"_s);
    QCOMPARE(screen(u"empezar"_s), title);
    QCOMPARE(QApplication::activeWindow(), title);

    click(title, u"Command1"_s);
    Form *menu = screen(u"MENU"_s);
    QVERIFY(menu);
    QCOMPARE(QApplication::activeWindow(), menu);
    QCOMPARE(menu->windowTitle(), u"MERLOX2 MENU"_s);
    QStringList captions;
    for (const QString &name : u"Command1 Command2 Command3 Command4"_s.split(u' '))
        captions << menu->control<QAbstractButton>(name)->text();
    QCOMPARE(captions, QStringList({u"1\u00BA GRADO"_s, u"2\u00BA GRADO"_s, u"3\u00BA GRADO"_s, u"SALIR"_s}));

    // The menu's SALIR brings the same title screen back and leaves the menu open behind it.
    for (int i = 0; i < 3; ++i) {
        click(menu, u"Command4"_s);
        QCOMPARE(QApplication::activeWindow(), title);
        QVERIFY(menu->isVisible());
        click(title, u"Command1"_s);
        QCOMPARE(QApplication::activeWindow(), menu);
    }
    QCOMPARE(windowsNamed(u"empezar"_s), 1);
    QCOMPARE(windowsNamed(u"MENU"_s), 1);
    QVERIFY(screen(u"CLAVESEC"_s)->isVisible());
    QVERIFY(!m_fixture->screens().ended());
}

void TestNavigation::enterWalksTheTitleScreenButtons()
{
    Form *title = enterProgram();
    QCOMPARE(QApplication::activeWindow(), title);
    QCOMPARE(focusName(), u"Command1"_s);
    QStringList walked;
    for (int i = 0; i < 4; ++i) {
        pressKey(Qt::Key_Return);
        walked << qobject_cast<QAbstractButton *>(QApplication::focusWidget())->text();
    }
    QCOMPARE(walked, u"FORMATO METODOLOGIA SALIR ENTRAR"_s.split(u' '));
    // Enter pressed none of them.
    QCOMPARE(QApplication::activeWindow(), title);
    QVERIFY(!screen(u"MENU"_s) && !screen(u"formato"_s) && !screen(u"metodologia"_s));
    QVERIFY(!m_fixture->screens().ended());
}

void TestNavigation::menuButtonOnEnterOrSpace_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<QString>("opens");
    QTest::newRow("Enter on 1º GRADO") << u"Command1"_s << Qt::Key_Return << u"prisecu"_s;
    QTest::newRow("Space on 1º GRADO") << u"Command1"_s << Qt::Key_Space << u"prisecu"_s;
    QTest::newRow("keypad Enter on 2º GRADO") << u"Command2"_s << Qt::Key_Enter << u"segusecu"_s;
    QTest::newRow("Enter on 3º GRADO") << u"Command3"_s << Qt::Key_Return << u"TERSECU"_s;
    QTest::newRow("Enter on SALIR") << u"Command4"_s << Qt::Key_Return << u"empezar"_s;
}

void TestNavigation::menuButtonOnEnterOrSpace()
{
    QFETCH(QString, button);
    QFETCH(Qt::Key, key);
    QFETCH(QString, opens);
    Form *title = enterProgram();
    click(title, u"Command1"_s);
    Form *menu = screen(u"MENU"_s);
    QCOMPARE(QApplication::activeWindow(), menu);
    menu->control(button)->setFocus();
    pressKey(key);

    QVERIFY(screen(opens));
    QCOMPARE(QApplication::activeWindow(), screen(opens));
    QVERIFY(menu->isVisible() && title->isVisible());
    QCOMPARE(windowsNamed(u"empezar"_s), 1);
    QCOMPARE(messages(), QStringList());
}

void TestNavigation::regresarAndBackShowsTheSameRecord()
{
    m_fixture->writeFile(u"secundaria1.dat"_s, record({u"Ana"_s, u"12"_s}) + record({u"Beto"_s, u"13"_s}));
    Form *sheet = openGrade(u"Command1"_s, u"prisecu"_s);
    QVERIFY(sheet);
    QCOMPARE(boxText(u"prisecu"_s, u"txtNombre"_s), u"Ana"_s);
    // Record 2, with an age typed over and not saved.
    click(sheet, u"cmdRegSiguiente"_s);
    auto *age = sheet->control<QLineEdit>(u"txtedad");
    age->selectAll();
    QTest::keyClicks(age, u"14"_s);
    QCOMPARE(boxText(u"prisecu"_s, u"txtNombre"_s), u"Beto"_s);

    click(sheet, u"cmdRegresar"_s);
    QCOMPARE(QApplication::activeWindow(), screen(u"MENU"_s));
    QVERIFY(sheet->isVisible());
    // The file changes meanwhile: the worksheet must not read it again.
    const QByteArray changed = record({u"Carla"_s, u"15"_s}) + record({u"Dora"_s, u"16"_s});
    m_fixture->writeFile(u"secundaria1.dat"_s, changed);
    click(screen(u"MENU"_s), u"Command1"_s);
    QCOMPARE(screen(u"prisecu"_s), sheet);
    QCOMPARE(windowsNamed(u"prisecu"_s), 1);
    QCOMPARE(QApplication::activeWindow(), sheet);
    QCOMPARE(sheet->control<QLabel>(u"Label9")->text(), u"2"_s);
    QCOMPARE(boxText(u"prisecu"_s, u"txtNombre"_s), u"Beto"_s);
    QCOMPARE(age->text(), u"14"_s);
    // Slot 1 still holds what was read at the first opening, and nothing was written.
    click(sheet, u"cmdRegAnterior"_s);
    QCOMPARE(boxText(u"prisecu"_s, u"txtNombre"_s), u"Ana"_s);
    QCOMPARE(m_fixture->readFile(u"secundaria1.dat"_s), changed);
}

void TestNavigation::closedWorksheetReadsItsFileAgain()
{
    const QByteArray stored = record({u"Ana"_s, u"12"_s}) + record({u"Beto"_s, u"13"_s});
    m_fixture->writeFile(u"secundaria2.dat"_s, stored);
    QPointer<Form> first = openGrade(u"Command2"_s, u"segusecu"_s);
    QVERIFY(first);
    click(first, u"cmdRegSiguiente"_s);
    QTest::keyClicks(first->control<QLineEdit>(u"txtNombre"), u" sin guardar"_s);

    // The close control discards the worksheet without a word and without writing.
    closeWindow(first);
    QVERIFY(!first && !screen(u"segusecu"_s));
    QVERIFY(!m_fixture->screens().ended());
    QCOMPARE(messages(), QStringList());
    QCOMPARE(m_fixture->readFile(u"secundaria2.dat"_s), stored);

    // Made anew: the file is read again and record 1 shows.
    m_fixture->writeFile(u"secundaria2.dat"_s, record({u"Carla"_s, u"15"_s}) + record({u"Dora"_s, u"16"_s}));
    QApplication::setActiveWindow(screen(u"MENU"_s));
    click(screen(u"MENU"_s), u"Command2"_s);
    Form *again = screen(u"segusecu"_s);
    QVERIFY(again);
    QCOMPARE(QApplication::activeWindow(), again);
    QCOMPARE(boxText(u"segusecu"_s, u"txtNombre"_s), u"Carla"_s);
    QCOMPARE(boxText(u"segusecu"_s, u"txtedad"_s), u"15"_s);
    QCOMPARE(again->control<QLabel>(u"Label9")->text(), QString());
    click(again, u"cmdRegSiguiente"_s);
    QCOMPARE(boxText(u"segusecu"_s, u"txtNombre"_s), u"Dora"_s);
}

void TestNavigation::documentScreens_data()
{
    QTest::addColumn<QString>("titleButton");
    QTest::addColumn<QString>("form");
    QTest::addColumn<Qt::Key>("salirKey"); // none: clicked
    QTest::newRow("METODOLOGIA, SALIR clicked") << u"Command2"_s << u"metodologia"_s << Qt::Key_unknown;
    QTest::newRow("FORMATO, SALIR clicked") << u"Command4"_s << u"formato"_s << Qt::Key_unknown;
    QTest::newRow("METODOLOGIA, Enter on SALIR") << u"Command2"_s << u"metodologia"_s << Qt::Key_Return;
    QTest::newRow("FORMATO, Space on SALIR") << u"Command4"_s << u"formato"_s << Qt::Key_Space;
}

void TestNavigation::documentScreens()
{
    QFETCH(QString, titleButton);
    QFETCH(QString, form);
    QFETCH(Qt::Key, salirKey);
    Form *title = enterProgram();
    click(title, titleButton);
    Form *document = screen(form);
    QVERIFY(document);
    QCOMPARE(document->control<QLabel>(u"Label1")->text(),
             form == u"formato" ? u"FORMATO"_s : u"METODOLOGIA"_s);
    QCOMPARE(QApplication::activeWindow(), document);
    QCOMPARE(document->control<QAbstractButton>(u"Command1")->text(), u"SALIR"_s);
    if (salirKey == Qt::Key_unknown) {
        click(document, u"Command1"_s);
    } else {
        document->control(u"Command1")->setFocus();
        pressKey(salirKey);
    }
    // The same title screen in front, the document screen open behind it, the program still running.
    QCOMPARE(QApplication::activeWindow(), title);
    QCOMPARE(windowsNamed(u"empezar"_s), 1);
    QVERIFY(document->isVisible());
    QVERIFY(!m_fixture->screens().ended());
    click(title, titleButton);
    QCOMPARE(screen(form), document);
    QCOMPARE(windowsNamed(form), 1);
    QCOMPARE(QApplication::activeWindow(), document);
}

void TestNavigation::salirEndsAtOnceWithoutWriting_data()
{
    QTest::addColumn<QString>("form");
    QTest::newRow("access screen") << u"CLAVESEC"_s;
    QTest::newRow("title screen") << u"empezar"_s;
}

void TestNavigation::salirEndsAtOnceWithoutWriting()
{
    QFETCH(QString, form);
    // A grade whose file holds a student, with another typed and moved into the roster, not saved.
    const QByteArray stored = record({u"Ana"_s});
    m_fixture->writeFile(u"secundaria3.dat"_s, stored);
    Form *sheet = openGrade(u"Command3"_s, u"TERSECU"_s);
    QVERIFY(sheet);
    click(sheet, u"cmdRegSiguiente"_s);
    QTest::keyClicks(sheet->control<QLineEdit>(u"txtNombre"), u"Luis"_s);
    click(sheet, u"cmdRegSiguiente"_s);

    QApplication::setActiveWindow(screen(form));
    click(screen(form), form == u"CLAVESEC" ? u"Command2"_s : u"Command3"_s);
    QVERIFY(m_fixture->screens().ended());
    for (QWidget *window : QApplication::topLevelWidgets())
        QVERIFY2(!window->isVisible(), qPrintable(window->objectName()));
    QCOMPARE(m_fixture->readFile(u"secundaria3.dat"_s), stored);
    QCOMPARE(messages(), QStringList()); // no question asked
    QVERIFY(!m_fixture->screens().open(u"empezar"_s));
}

} // namespace merlox2::test

QTEST_MAIN(merlox2::test::TestNavigation)
#include "TestNavigation.moc"
