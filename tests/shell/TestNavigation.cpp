// Moving between single screens that keep their state, the keyboard on the title screen and menus,
// the SALIR buttons, and a typical day from the access code to Salir, checked byte for byte.

#include "worksheet/WorksheetDriver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDate>
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
    void titleAndMenuAreSingleAndEnterPressesNothing();
    void buttonsWithoutKeyPreviewOpen_data();
    void buttonsWithoutKeyPreviewOpen();
    void worksheetFoundAgain_data();
    void worksheetFoundAgain();
    void salirEndsAtOnceWithoutWriting_data();
    void salirEndsAtOnceWithoutWriting();
    void typicalRunFromAccessCodeToSalir();

private:
    Form *screen(const QString &name) { return m_fixture->form(name); }
    // From the access code to the title screen, as the teacher gets there.
    Form *enterProgram();
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

void TestNavigation::titleAndMenuAreSingleAndEnterPressesNothing()
{
    Form *title = enterProgram();
    QVERIFY(title && title->isMaximized());
    QCOMPARE(QApplication::activeWindow(), title);
    // Enter walks the title screen's buttons and presses none of them.
    QStringList walked{focusName()};
    for (int i = 0; i < 4; ++i) {
        pressKey(Qt::Key_Return);
        walked << focusName();
    }
    QCOMPARE(walked, u"Command1 Command4 Command2 Command3 Command1"_s.split(u' '));
    QVERIFY(!screen(u"MENU"_s) && !screen(u"formato"_s) && !screen(u"metodologia"_s));
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
    QCOMPARE(textsOf(menu, u"Command1 Command2 Command3 Command4"_s.split(u' ')),
             QStringList({u"1\u00BA GRADO"_s, u"2\u00BA GRADO"_s, u"3\u00BA GRADO"_s, u"SALIR"_s}));
    // The menu's SALIR brings the same title screen back and leaves the menu open behind it.
    click(menu, u"Command4"_s);
    QCOMPARE(QApplication::activeWindow(), title);
    click(title, u"Command1"_s);
    QCOMPARE(screen(u"MENU"_s), menu);
    QCOMPARE(QApplication::activeWindow(), menu);
    QCOMPARE(windowsNamed(u"empezar"_s) + windowsNamed(u"MENU"_s), 2);
    QVERIFY(screen(u"CLAVESEC"_s)->isVisible());
    QVERIFY(!m_fixture->screens().ended());
}

void TestNavigation::buttonsWithoutKeyPreviewOpen_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("button");
    QTest::addColumn<Qt::Key>("key"); // none: clicked
    QTest::addColumn<QString>("opens");
    QTest::newRow("Enter on 1º GRADO") << u"MENU"_s << u"Command1"_s << Qt::Key_Return << u"prisecu"_s;
    QTest::newRow("keypad Enter, 2º GRADO") << u"MENU"_s << u"Command2"_s << Qt::Key_Enter << u"segusecu"_s;
    QTest::newRow("Enter on 3º GRADO") << u"MENU"_s << u"Command3"_s << Qt::Key_Return << u"TERSECU"_s;
    QTest::newRow("Enter on the menu's SALIR")
        << u"MENU"_s << u"Command4"_s << Qt::Key_Return << u"empezar"_s;
    QTest::newRow("METODOLOGIA's SALIR clicked")
        << u"metodologia"_s << u"Command1"_s << Qt::Key_unknown << u"empezar"_s;
    QTest::newRow("Enter on METODOLOGIA's SALIR")
        << u"metodologia"_s << u"Command1"_s << Qt::Key_Return << u"empezar"_s;
    QTest::newRow("Space on FORMATO's SALIR")
        << u"formato"_s << u"Command1"_s << Qt::Key_Space << u"empezar"_s;
}

void TestNavigation::buttonsWithoutKeyPreviewOpen()
{
    QFETCH(QString, form);
    QFETCH(QString, button);
    QFETCH(Qt::Key, key);
    QFETCH(QString, opens);
    const QString titleButton = form == u"MENU"          ? u"Command1"_s
                                : form == u"metodologia" ? u"Command2"_s
                                                         : u"Command4"_s;
    Form *title = enterProgram();
    click(title, titleButton);
    Form *from = screen(form);
    QVERIFY(from);
    QCOMPARE(QApplication::activeWindow(), from);
    if (key == Qt::Key_unknown) {
        click(from, button);
    } else {
        from->control(button)->setFocus();
        pressKey(key);
    }
    // The screen opened in front, the one it was opened from still open behind it.
    QCOMPARE(QApplication::activeWindow(), screen(opens));
    QVERIFY(from->isVisible() && title->isVisible());
    QVERIFY(!m_fixture->screens().ended());
    // Opened again from the title screen, it is the same screen.
    QApplication::setActiveWindow(title);
    click(title, titleButton);
    QCOMPARE(screen(form), from);
    QCOMPARE(windowsNamed(form), 1);
    QCOMPARE(QApplication::activeWindow(), from);
}

void TestNavigation::worksheetFoundAgain_data()
{
    QTest::addColumn<bool>("closed");   // else left with Regresar
    QTest::addColumn<QString>("shown"); // record number, name, age
    QTest::addColumn<QString>("move");
    QTest::addColumn<QString>("then");
    QTest::newRow("Regresar: as it was left, the file not read again")
        << false << u"2|Beto|14"_s << u"cmdRegAnterior"_s << u"Ana"_s;
    QTest::newRow("close control: made anew, the file read again")
        << true << u"|Carla|15"_s << u"cmdRegSiguiente"_s << u"Dora"_s;
}

void TestNavigation::worksheetFoundAgain()
{
    QFETCH(bool, closed);
    QFETCH(QString, shown);
    QFETCH(QString, move);
    QFETCH(QString, then);
    const QByteArray stored = record({u"Ana"_s, u"12"_s}) + record({u"Beto"_s, u"13"_s});
    m_fixture->writeFile(u"secundaria2.dat"_s, stored);
    QPointer<Form> sheet = openGrade(u"Command2"_s, u"segusecu"_s);
    QVERIFY(sheet);
    click(sheet, u"cmdRegSiguiente"_s);
    retype(sheet, u"txtedad"_s, u"14"_s); // not saved
    if (closed) {
        closeWindow(sheet); // discarded without a word and without writing
        QVERIFY(!sheet && !screen(u"segusecu"_s));
    } else {
        click(sheet, u"cmdRegresar"_s);
        QCOMPARE(QApplication::activeWindow(), screen(u"MENU"_s));
        QVERIFY(sheet->isVisible());
    }
    QVERIFY(!m_fixture->screens().ended());
    QCOMPARE(m_fixture->readFile(u"secundaria2.dat"_s), stored);

    const QByteArray changed = record({u"Carla"_s, u"15"_s}) + record({u"Dora"_s, u"16"_s});
    m_fixture->writeFile(u"secundaria2.dat"_s, changed);
    QApplication::setActiveWindow(screen(u"MENU"_s));
    click(screen(u"MENU"_s), u"Command2"_s);
    Form *again = screen(u"segusecu"_s);
    QVERIFY(again);
    QCOMPARE(again == sheet.data(), !closed);
    QCOMPARE(QApplication::activeWindow(), again);
    const auto trimmed = [again](const QString &name) { return textOf(again, name).trimmed(); };
    QCOMPARE(QStringList({trimmed(u"Label9"_s), trimmed(u"txtNombre"_s), trimmed(u"txtedad"_s)}),
             shown.split(u'|'));
    click(again, move);
    QCOMPARE(trimmed(u"txtNombre"_s), then);
    QCOMPARE(m_fixture->readFile(u"secundaria2.dat"_s), changed);
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
}

void TestNavigation::typicalRunFromAccessCodeToSalir()
{
    // Code, ENTRAR, ENTRAR, 1º GRADO: the first-grade worksheet, empty, dated today, its file made empty.
    Form *sheet = openGrade(u"Command1"_s, u"prisecu"_s);
    QVERIFY(sheet);
    QCOMPARE(QApplication::activeWindow(), sheet);
    QCOMPARE(textOf(sheet, u"Label28"_s), QLocale().toString(QDate::currentDate(), QLocale::ShortFormat));
    QVERIFY(QFile::exists(m_fixture->path(u"secundaria1.dat"_s)));
    QCOMPARE(m_fixture->readFile(u"secundaria1.dat"_s), QByteArray());

    // A student typed box after box, Enter between them, accented letters as a keyboard sends them.
    const QStringList typed = u"María López|13|1.9|7.5|22|25|20"_s.split(u'|');
    for (qsizetype i = 0; i < typed.size(); ++i) {
        QCOMPARE(focusName(), BoxNames[i]);
        for (const QChar ch : typed[i])
            QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key(ch.toUpper().unicode()),
                                QString(ch), Qt::NoModifier);
        pressKey(Qt::Key_Return);
    }
    QCOMPARE(boxesOf(sheet), typed);

    // Guardar Registro: record 1 in Windows-1252, fields padded with blanks, reserved bytes never written.
    click(sheet, u"cmdGuardarReg"_s);
    const QByteArray student = record(typed);
    QVERIFY(student.startsWith("Mar\xED"
                               "a L\xF3pez           "));
    QCOMPARE(m_fixture->readFile(u"secundaria1.dat"_s), student);

    // Hombre empties the panel and arms Procesar alone, which evaluates with the first-grade Hombre norms.
    click(sheet, u"Option1"_s);
    QCOMPARE(panelOf(sheet), EmptyPanel);
    QVERIFY(sheet->control(u"Command3")->isEnabled() && !sheet->control(u"Command4")->isEnabled());
    click(sheet, u"Command3"_s);
    QCOMPARE(panelOf(sheet), u"50 III 75 II 50 58 III III"_s.split(u' '));

    // Registro Siguiente: record 2, never written, shows empty.
    click(sheet, u"cmdRegSiguiente"_s);
    QCOMPARE(textOf(sheet, u"Label9"_s), u"2"_s);
    QCOMPARE(boxesOf(sheet) + panelOf(sheet), QStringList(15, QString()));

    // Salir writes the 30 slots and ends the program; slot 2, shown but untouched, stays as it was.
    click(sheet, u"cmdSalir"_s);
    QVERIFY(m_fixture->screens().ended());
    for (QWidget *window : QApplication::topLevelWidgets())
        QVERIFY2(!window->isVisible(), qPrintable(window->objectName()));
    QCOMPARE(m_fixture->readFile(u"secundaria1.dat"_s),
             student + QByteArray(29 * 130, '\0'));
}

} // namespace merlox2::test

QTEST_MAIN(merlox2::test::TestNavigation)
#include "TestNavigation.moc"
