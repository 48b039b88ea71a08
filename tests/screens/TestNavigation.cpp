// Moving between single screens that keep their state, the keyboard on the title screen and menus,
// the SALIR buttons, and a typical day from the access code to Salir, checked byte for byte.

#include "forms/MessageBox.h"
#include "records/GradeLock.h"
#include "screens/ShellScreens.h"
#include "screens/WorksheetDriver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(merlox2::MessageBox::Answer)

namespace merlox2::test {

class TestNavigation : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { initializeGuiTests(); }
    void init() { m_fixture = std::make_unique<ProgramFixture>(); }
    void cleanup() { m_fixture.reset(); }
    void titleAndMenuAreSingleAndEnterPressesNothing();
    void buttonsWithoutKeyPreviewOpen_data();
    void buttonsWithoutKeyPreviewOpen();
    void worksheetFoundAgain_data();
    void worksheetFoundAgain();
    void salirAsksAboutWorkNotStored_data();
    void salirAsksAboutWorkNotStored();
    void typicalRunFromAccessCodeToSalir();
    void menuStaysInFrontWhenAGradeIsRefused();

private:
    Form *screen(Screen which) { return m_fixture->form(which); }
    template <typename T>
    const auto &controlsOf(Screen which)
    {
        return m_fixture->screen<T>(which)->controls();
    }
    // From the access code to the title screen, as the teacher gets there.
    Form *enterProgram();
    Worksheet *openGrade(int grade);

    std::unique_ptr<ProgramFixture> m_fixture;
};

Form *TestNavigation::enterProgram()
{
    m_fixture->program().start();
    QTest::keyClicks(controlsOf<AccessScreen>(Screen::Access).Text1, u"418357"_s);
    click(controlsOf<AccessScreen>(Screen::Access).Command1);
    Form *title = screen(Screen::Title);
    if (title)
        waitUntilActive(title);
    return title;
}

Worksheet *TestNavigation::openGrade(int grade)
{
    enterProgram();
    click(controlsOf<TitleScreen>(Screen::Title).Command1);
    const MenuControls &menu = controlsOf<GradeMenu>(Screen::Menu);
    click(std::array{menu.Command1, menu.Command2, menu.Command3}.at(std::size_t(grade - 1)));
    auto *sheet = m_fixture->screen<Worksheet>(worksheetScreen(grade));
    if (sheet)
        waitUntilActive(sheet);
    return sheet;
}

void TestNavigation::titleAndMenuAreSingleAndEnterPressesNothing()
{
    Form *title = enterProgram();
    QVERIFY(title && title->isMaximized());
    QCOMPARE(QApplication::activeWindow(), title);
    // Enter walks the title screen's buttons and presses none of them.
    QStringList walked{focusName()};
    for (int i = 0; i < 4; ++i)
        walked << focusAfter(Qt::Key_Return);
    QCOMPARE(walked, u"Command1 Command4 Command2 Command3 Command1"_s.split(u' '));
    QVERIFY(!screen(Screen::Menu) && !screen(Screen::Format) && !screen(Screen::Methodology));
    // ENTRAR again brings the same title screen to the front.
    QApplication::setActiveWindow(screen(Screen::Access));
    click(controlsOf<AccessScreen>(Screen::Access).Command1);
    QCOMPARE(screen(Screen::Title), title);
    QTRY_COMPARE(QApplication::activeWindow(), title);

    QPushButton *entrar = controlsOf<TitleScreen>(Screen::Title).Command1;
    click(entrar);
    auto *menu = m_fixture->screen<GradeMenu>(Screen::Menu);
    QVERIFY(menu);
    QTRY_COMPARE(QApplication::activeWindow(), menu);
    QCOMPARE(menu->windowTitle(), u"MERLOX2 MENU"_s);
    const MenuControls &buttons = menu->controls();
    QCOMPARE(textsOf({buttons.Command1, buttons.Command2, buttons.Command3, buttons.Command4}),
             QStringList({u"1\u00BA GRADO"_s, u"2\u00BA GRADO"_s, u"3\u00BA GRADO"_s, u"SALIR"_s}));
    // The menu's SALIR brings the same title screen back and leaves the menu open behind it.
    click(buttons.Command4);
    QTRY_COMPARE(QApplication::activeWindow(), title);
    click(entrar);
    QCOMPARE(screen(Screen::Menu), menu);
    QTRY_COMPARE(QApplication::activeWindow(), menu);
    QCOMPARE(windowsNamed(u"empezar"_s) + windowsNamed(u"MENU"_s), 2);
    QVERIFY(screen(Screen::Access)->isVisible());
    QVERIFY(!m_fixture->screens().ended());
}

void TestNavigation::buttonsWithoutKeyPreviewOpen_data()
{
    // The button by its name, as a black-box test finds it.
    QTest::addColumn<Screen>("form");
    QTest::addColumn<QString>("button");
    QTest::addColumn<Qt::Key>("key"); // none: clicked
    QTest::addColumn<Screen>("opens");
    QTest::newRow("Enter on 1º GRADO")
        << Screen::Menu << u"Command1"_s << Qt::Key_Return << Screen::Worksheet1;
    QTest::newRow("keypad Enter, 2º GRADO")
        << Screen::Menu << u"Command2"_s << Qt::Key_Enter << Screen::Worksheet2;
    QTest::newRow("Enter on 3º GRADO")
        << Screen::Menu << u"Command3"_s << Qt::Key_Return << Screen::Worksheet3;
    QTest::newRow("Enter on the menu's SALIR")
        << Screen::Menu << u"Command4"_s << Qt::Key_Return << Screen::Title;
    QTest::newRow("METODOLOGIA's SALIR clicked")
        << Screen::Methodology << u"Command1"_s << Qt::Key_unknown << Screen::Title;
    QTest::newRow("Enter on METODOLOGIA's SALIR")
        << Screen::Methodology << u"Command1"_s << Qt::Key_Return << Screen::Title;
    QTest::newRow("Space on FORMATO's SALIR")
        << Screen::Format << u"Command1"_s << Qt::Key_Space << Screen::Title;
}

void TestNavigation::buttonsWithoutKeyPreviewOpen()
{
    QFETCH(Screen, form);
    QFETCH(QString, button);
    QFETCH(Qt::Key, key);
    QFETCH(Screen, opens);
    Form *title = enterProgram();
    const TitleControls &titleButtons = controlsOf<TitleScreen>(Screen::Title);
    QPushButton *titleButton = form == Screen::Menu          ? titleButtons.Command1
                               : form == Screen::Methodology ? titleButtons.Command2
                                                             : titleButtons.Command4;
    click(titleButton);
    Form *from = screen(form);
    QVERIFY(from);
    QTRY_COMPARE(QApplication::activeWindow(), from);
    if (key == Qt::Key_unknown) {
        click(from, button);
    } else {
        named(from, button)->setFocus();
        pressKey(key);
    }
    // The screen opened in front, the one it was opened from still open behind it.
    QTRY_COMPARE(QApplication::activeWindow(), screen(opens));
    QVERIFY(from->isVisible() && title->isVisible());
    QVERIFY(!m_fixture->screens().ended());
    // Opened again from the title screen, it is the same screen.
    QApplication::setActiveWindow(title);
    click(titleButton);
    QCOMPARE(screen(form), from);
    QCOMPARE(windowsNamed(from->objectName()), 1);
    QTRY_COMPARE(QApplication::activeWindow(), from);
}

void TestNavigation::worksheetFoundAgain_data()
{
    QTest::addColumn<bool>("closed");   // else left with Regresar
    QTest::addColumn<QString>("shown"); // record number, name, age
    QTest::addColumn<int>("move");
    QTest::addColumn<QString>("then");
    QTest::newRow("Regresar: as it was left, the file not read again")
        << false << u"2|Beto|14"_s << -1 << u"Ana"_s;
    QTest::newRow("close control: made anew, the file read again")
        << true << u"|Carla|15"_s << +1 << u"Dora"_s;
}

void TestNavigation::worksheetFoundAgain()
{
    QFETCH(bool, closed);
    QFETCH(QString, shown);
    QFETCH(int, move);
    QFETCH(QString, then);
    const QByteArray stored = record({u"Ana"_s, u"12"_s}) + record({u"Beto"_s, u"13"_s});
    m_fixture->writeFile(u"secundaria2.dat"_s, stored);
    QPointer<Worksheet> sheet = openGrade(2);
    QVERIFY(sheet);
    click(sheet->controls().cmdRegSiguiente);
    retype(sheet->controls().txtedad, u"14"_s); // not saved
    if (closed) {
        MessageBox::answerNextQuestion(MessageBox::Answer::No);
        closeWindow(sheet); // discarded without writing, as the teacher answered
        QCOMPARE(onlyMessage(), u"¿Guardar los cambios de secundaria2.dat?"_s);
        QVERIFY(!sheet && !screen(Screen::Worksheet2));
    } else {
        click(sheet->controls().cmdRegresar);
        QTRY_COMPARE(QApplication::activeWindow(), screen(Screen::Menu));
        QVERIFY(sheet->isVisible());
    }
    QVERIFY(!m_fixture->screens().ended());
    QCOMPARE(m_fixture->readFile(u"secundaria2.dat"_s), stored);

    const QByteArray changed = record({u"Carla"_s, u"15"_s}) + record({u"Dora"_s, u"16"_s});
    m_fixture->writeFile(u"secundaria2.dat"_s, changed);
    QApplication::setActiveWindow(screen(Screen::Menu));
    click(controlsOf<GradeMenu>(Screen::Menu).Command2);
    auto *again = m_fixture->screen<Worksheet>(Screen::Worksheet2);
    QVERIFY(again);
    QCOMPARE(again == sheet.data(), !closed);
    QTRY_COMPARE(QApplication::activeWindow(), again);
    const WorksheetControls &ui = again->controls();
    const auto trimmed = [](const QWidget *control) { return textOf(control).trimmed(); };
    QCOMPARE(QStringList({trimmed(ui.Label9), trimmed(ui.txtNombre), trimmed(ui.txtedad)}),
             shown.split(u'|'));
    click(move < 0 ? ui.cmdRegAnterior : ui.cmdRegSiguiente);
    QCOMPARE(trimmed(ui.txtNombre), then);
    QCOMPARE(m_fixture->readFile(u"secundaria2.dat"_s), changed);
}

void TestNavigation::salirAsksAboutWorkNotStored_data()
{
    QTest::addColumn<Screen>("form");
    QTest::addColumn<bool>("typed");
    QTest::addColumn<MessageBox::Answer>("answer");
    QTest::newRow("access screen, nothing typed: no question")
        << Screen::Access << false << MessageBox::Answer::No;
    QTest::newRow("access screen, No: thrown away") << Screen::Access << true << MessageBox::Answer::No;
    QTest::newRow("title screen, Sí: stored") << Screen::Title << true << MessageBox::Answer::Yes;
    QTest::newRow("title screen, Cancelar: goes on") << Screen::Title << true << MessageBox::Answer::Cancel;
}

void TestNavigation::salirAsksAboutWorkNotStored()
{
    QFETCH(Screen, form);
    QFETCH(bool, typed);
    QFETCH(MessageBox::Answer, answer);
    // A grade whose file holds a student, with another typed and moved into the roster, not saved.
    const QByteArray stored = record({u"Ana"_s});
    m_fixture->writeFile(u"secundaria3.dat"_s, stored);
    Worksheet *sheet = openGrade(3);
    QVERIFY(sheet);
    click(sheet->controls().cmdRegSiguiente);
    if (typed)
        QTest::keyClicks(sheet->controls().txtNombre, u"Luis"_s);
    click(sheet->controls().cmdRegSiguiente);

    QApplication::setActiveWindow(screen(form));
    MessageBox::answerNextQuestion(answer);
    click(form == Screen::Access ? controlsOf<AccessScreen>(form).Command2
                                 : controlsOf<TitleScreen>(form).Command3);
    if (typed)
        QCOMPARE(onlyMessage(), u"¿Guardar los cambios de secundaria3.dat?"_s);
    const bool goesOn = answer == MessageBox::Answer::Cancel;
    QCOMPARE(m_fixture->screens().ended(), !goesOn);
    QCOMPARE(sheet->isVisible(), goesOn);
    const QByteArray luis = answer == MessageBox::Answer::Yes
                                ? record({u"Luis"_s}) + QByteArray(qsizetype{28} * 130, '\0')
                                : QByteArray();
    QCOMPARE(m_fixture->readFile(u"secundaria3.dat"_s), stored + luis);
}

void TestNavigation::typicalRunFromAccessCodeToSalir()
{
    // Code, ENTRAR, ENTRAR, 1º GRADO: the first-grade worksheet, empty, dated today, its file made empty.
    Worksheet *sheet = openGrade(1);
    QVERIFY(sheet);
    const WorksheetControls &ui = sheet->controls();
    QCOMPARE(QApplication::activeWindow(), sheet);
    QCOMPARE(ui.Label28->text(), QLocale().toString(FixtureNow.date(), QLocale::ShortFormat));
    QVERIFY(QFile::exists(m_fixture->path(u"secundaria1.dat"_s)));
    QCOMPARE(m_fixture->readFile(u"secundaria1.dat"_s), QByteArray());

    // A student typed box after box, Enter between them, accented letters as a keyboard sends them.
    const QStringList typed = u"María López|13|1.9|7.5|22|25|20"_s.split(u'|');
    for (qsizetype i = 0; i < typed.size(); ++i) {
        QCOMPARE(QApplication::focusWidget(), ui.boxes().at(std::size_t(i)));
        for (const QChar ch : typed[i])
            QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key(ch.toUpper().unicode()),
                                QString(ch), Qt::NoModifier);
        focusAfter(Qt::Key_Return);
    }
    QCOMPARE(boxesOf(sheet), typed);

    // Guardar Registro: record 1 in Windows-1252, fields padded with blanks, reserved bytes never written.
    click(ui.cmdGuardarReg);
    const QByteArray student = record(typed);
    QVERIFY(student.startsWith("Mar\xED"
                               "a L\xF3pez           "));
    QCOMPARE(m_fixture->readFile(u"secundaria1.dat"_s), student);

    // Hombre empties the panel and arms Procesar alone, which evaluates with the first-grade Hombre norms.
    click(ui.Option1);
    QCOMPARE(panelOf(sheet), EmptyPanel);
    QVERIFY(ui.Command3->isEnabled() && !ui.Command4->isEnabled());
    click(ui.Command3);
    QCOMPARE(panelOf(sheet), u"50 III 75 II 50 58 III III"_s.split(u' '));

    // Registro Siguiente: record 2, never written, shows empty.
    click(ui.cmdRegSiguiente);
    QCOMPARE(ui.Label9->text(), u"2"_s);
    QCOMPARE(boxesOf(sheet) + panelOf(sheet), QStringList(15, QString()));

    // Salir writes the 30 slots and ends the program; slot 2, shown but untouched, stays as it was.
    click(ui.cmdSalir);
    QVERIFY(m_fixture->screens().ended());
    for (QWidget *window : QApplication::topLevelWidgets())
        QVERIFY2(!window->isVisible(), qPrintable(window->objectName()));
    QCOMPARE(m_fixture->readFile(u"secundaria1.dat"_s), student + QByteArray(qsizetype{29} * 130, '\0'));
}

// The grade open in another copy of the program: after the message, the menu is still the screen in front,
// with the keyboard. The message box, with no screen of its own, gave the keyboard to none when it closed
// (a window system may give it to the title screen, which then covers the menu).
void TestNavigation::menuStaysInFrontWhenAGradeIsRefused()
{
    GradeLock otherCopy(m_fixture->path(u"secundaria1.dat"_s));
    QCOMPARE(otherCopy.acquire(), GradeLock::Outcome::Acquired);
    enterProgram();
    click(controlsOf<TitleScreen>(Screen::Title).Command1);
    Form *menu = screen(Screen::Menu);
    waitUntilActive(menu);

    // The real box, closed with its button as the teacher does.
    MessageBox::setAnsweredInAdvance(false);
    QString shown;
    QTimer closer;
    connect(&closer, &QTimer::timeout, this, [&shown] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            shown = box->text();
            box->button(QMessageBox::Ok)->click();
        }
    });
    closer.start(10);
    click(controlsOf<GradeMenu>(Screen::Menu).Command1);
    closer.stop();
    MessageBox::setAnsweredInAdvance(true);

    QVERIFY2(shown.contains(u"ya está abierto en otra ventana del programa"_s), qPrintable(shown));
    QVERIFY(!screen(Screen::Worksheet1));
    QTRY_COMPARE(QApplication::activeWindow(), menu);
    QVERIFY(menu->isVisible() && screen(Screen::Title)->isVisible());
}

} // namespace merlox2::test

QTEST_MAIN(merlox2::test::TestNavigation)
#include "TestNavigation.moc"
