#include "platform/FormBuilder.h"
#include "support/GuiTest.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace merlox2 {

namespace {

QString focusName()
{
    return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : u"(nada)"_s;
}

int windowsNamed(const QString &name)
{
    int count = 0;
    for (QWidget *window : QApplication::topLevelWidgets())
        count += window->objectName() == name ? 1 : 0;
    return count;
}

// A grade file record as the program writes it: name and age padded with blanks, the five results
// blank, the reserved fields never written.
QByteArray record(const char *name, const char *age)
{
    return QByteArray(name).leftJustified(30, ' ') + QByteArray(age).leftJustified(10, ' ') +
           QByteArray(50, ' ') + QByteArray(40, '\0');
}

QStringList boxTexts(Form *sheet)
{
    QStringList texts;
    for (const char16_t *name : {u"txtNombre", u"txtedad", u"txtresistencia", u"txtvelocidad",
                                 u"txtlagartijas", u"txtabdominales", u"txtsentadillas"})
        texts.append(sheet->control<QLineEdit>(name)->text());
    return texts;
}

} // namespace

class TestNavigation : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void titleAndMenuAreSingle();
    void enterWalksTheTitleScreenButtons();
    void menuButtonOnEnterOrSpace_data();
    void menuButtonOnEnterOrSpace();
    void regresarAndBackShowsTheSameRecord();
    void closedWorksheetReadsItsFileAgain();
    void documentScreens_data();
    void documentScreens();
    void titleSalirEndsWithoutWriting();

private:
    Form *screen(const QString &name) const { return qobject_cast<Form *>(m_fixture->screens().find(name)); }
    // Clicks a button of a screen and lets the queued events run.
    void click(const QString &screenName, const QString &button);
    // From the access code to the title screen, as the teacher gets there.
    Form *enterProgram();

    std::unique_ptr<test::ProgramFixture> m_fixture;
};

void TestNavigation::initTestCase() { test::initializeGuiTests(); }

void TestNavigation::init() { m_fixture = std::make_unique<test::ProgramFixture>(); }

void TestNavigation::cleanup() { m_fixture.reset(); }

void TestNavigation::click(const QString &screenName, const QString &button)
{
    Form *form = screen(screenName);
    QVERIFY2(form, qPrintable(screenName));
    auto *target = form->control<QPushButton>(button);
    QVERIFY2(target, qPrintable(screenName + u'.' + button));
    QVERIFY2(target->isVisible() && target->isEnabled(), qPrintable(screenName + u'.' + button));
    QTest::mouseClick(target, Qt::LeftButton);
    test::settle();
}

Form *TestNavigation::enterProgram()
{
    m_fixture->program().start();
    test::settle();
    Form *access = screen(u"CLAVESEC"_s);
    QTest::keyClicks(access->control<QLineEdit>(u"Text1"), u"418357"_s);
    click(u"CLAVESEC"_s, u"Command1"_s);
    return screen(u"empezar"_s);
}

void TestNavigation::titleAndMenuAreSingle()
{
    Form *title = enterProgram();
    QVERIFY(title);
    QVERIFY(title->isMaximized());

    click(u"empezar"_s, u"Command1"_s);
    Form *menu = screen(u"MENU"_s);
    QVERIFY(menu);
    QCOMPARE(QApplication::activeWindow(), menu);
    QCOMPARE(menu->windowTitle(), u"MERLOX2 MENU"_s);
    QStringList captions;
    for (const char16_t *name : {u"Command1", u"Command2", u"Command3", u"Command4"})
        captions.append(menu->control<QPushButton>(name)->text());
    // The masculine ordinal sign, not the degree sign.
    QCOMPARE(captions, QStringList({u"1\u00BA GRADO"_s, u"2\u00BA GRADO"_s, u"3\u00BA GRADO"_s, u"SALIR"_s}));

    // The menu's SALIR brings the same title screen back and leaves the menu open behind it.
    click(u"MENU"_s, u"Command4"_s);
    QCOMPARE(screen(u"empezar"_s), title);
    QCOMPARE(QApplication::activeWindow(), title);
    QVERIFY(menu->isVisible());
    QVERIFY(!m_fixture->screens().ended());

    click(u"empezar"_s, u"Command1"_s);
    QCOMPARE(screen(u"MENU"_s), menu);
    QCOMPARE(QApplication::activeWindow(), menu);

    for (int i = 0; i < 2; ++i) {
        click(u"MENU"_s, u"Command4"_s);
        click(u"empezar"_s, u"Command1"_s);
    }
    QCOMPARE(windowsNamed(u"empezar"_s), 1);
    QCOMPARE(windowsNamed(u"MENU"_s), 1);
    QVERIFY(screen(u"CLAVESEC"_s)->isVisible());
}

void TestNavigation::enterWalksTheTitleScreenButtons()
{
    Form *title = enterProgram();
    QCOMPARE(QApplication::activeWindow(), title);
    QCOMPARE(focusName(), u"Command1"_s);

    QStringList walked;
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        test::settle();
        walked.append(qobject_cast<QPushButton *>(QApplication::focusWidget())->text());
    }
    QCOMPARE(walked, QStringList({u"FORMATO"_s, u"METODOLOGIA"_s, u"SALIR"_s, u"ENTRAR"_s}));

    // Enter pressed none of them.
    QCOMPARE(QApplication::activeWindow(), title);
    QCOMPARE(screen(u"MENU"_s), nullptr);
    QCOMPARE(screen(u"formato"_s), nullptr);
    QCOMPARE(screen(u"metodologia"_s), nullptr);
    QVERIFY(!m_fixture->screens().ended());
}

void TestNavigation::menuButtonOnEnterOrSpace_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("opens");
    QTest::addColumn<QString>("caption");

    QTest::newRow("Enter on 1º GRADO")
        << u"Command1"_s << int(Qt::Key_Return) << u"prisecu"_s << u"MERLOX2 PRIMER GRADO (SECUNDARIA)"_s;
    QTest::newRow("Space on 1º GRADO")
        << u"Command1"_s << int(Qt::Key_Space) << u"prisecu"_s << u"MERLOX2 PRIMER GRADO (SECUNDARIA)"_s;
    QTest::newRow("keypad Enter on 2º GRADO")
        << u"Command2"_s << int(Qt::Key_Enter) << u"segusecu"_s << u"Merlox 2 SEGUNDO GRADO (SECUNDARIA)"_s;
    QTest::newRow("Enter on 3º GRADO")
        << u"Command3"_s << int(Qt::Key_Return) << u"TERSECU"_s << u"MERLOX 2 TERCER GRADO (SECUNDARIA)"_s;
    QTest::newRow("Space on 3º GRADO")
        << u"Command3"_s << int(Qt::Key_Space) << u"TERSECU"_s << u"MERLOX 2 TERCER GRADO (SECUNDARIA)"_s;
    QTest::newRow("Enter on SALIR") << u"Command4"_s << int(Qt::Key_Return) << u"empezar"_s
                                    << u"MERLOX 2 SECUNDARIA"_s;
}

void TestNavigation::menuButtonOnEnterOrSpace()
{
    QFETCH(QString, button);
    QFETCH(int, key);
    QFETCH(QString, opens);
    QFETCH(QString, caption);

    Form *title = enterProgram();
    click(u"empezar"_s, u"Command1"_s);
    Form *menu = screen(u"MENU"_s);
    QCOMPARE(QApplication::activeWindow(), menu);

    auto *target = menu->control<QPushButton>(button);
    target->setFocus();
    QTest::keyClick(target, Qt::Key(key));
    test::settle();

    Form *opened = screen(opens);
    QVERIFY(opened);
    QCOMPARE(opened->windowTitle(), caption);
    QCOMPARE(QApplication::activeWindow(), opened);
    QVERIFY(menu->isVisible());
    QVERIFY(title->isVisible());
    QCOMPARE(test::ProgramFixture::messages(), QStringList());
    if (opens == u"empezar")
        QCOMPARE(opened, title);
    else
        QCOMPARE(opened->control<QLabel>(u"Label9")->text(), QString()); // record 1, nothing moved yet
}

void TestNavigation::regresarAndBackShowsTheSameRecord()
{
    m_fixture->writeFile(u"secundaria1.dat"_s, record("Ana", "12") + record("Beto", "13"));
    enterProgram();
    click(u"empezar"_s, u"Command1"_s);
    click(u"MENU"_s, u"Command1"_s);
    Form *sheet = screen(u"prisecu"_s);
    QVERIFY(sheet);
    QCOMPARE(sheet->control<QLineEdit>(u"txtNombre")->text().trimmed(), u"Ana"_s);

    // Record 2, with an age typed over and not saved.
    click(u"prisecu"_s, u"cmdRegSiguiente"_s);
    auto *age = sheet->control<QLineEdit>(u"txtedad");
    age->selectAll();
    QTest::keyClicks(age, u"14"_s);
    const QStringList shown = boxTexts(sheet);
    QCOMPARE(shown.at(0).trimmed(), u"Beto"_s);
    QCOMPARE(shown.at(1), u"14"_s);

    click(u"prisecu"_s, u"cmdRegresar"_s);
    QCOMPARE(QApplication::activeWindow(), screen(u"MENU"_s));
    QVERIFY(sheet->isVisible());

    // Another program (or the teacher) changes the file meanwhile: the worksheet must not read it again.
    const QByteArray changed = record("Carla", "15") + record("Dora", "16");
    m_fixture->writeFile(u"secundaria1.dat"_s, changed);
    click(u"MENU"_s, u"Command1"_s);
    QCOMPARE(screen(u"prisecu"_s), sheet);
    QCOMPARE(windowsNamed(u"prisecu"_s), 1);
    QCOMPARE(QApplication::activeWindow(), sheet);
    QCOMPARE(sheet->control<QLabel>(u"Label9")->text(), u"2"_s);
    QCOMPARE(boxTexts(sheet), shown);

    // Slot 1 still holds what was read at the first opening.
    click(u"prisecu"_s, u"cmdRegAnterior"_s);
    QCOMPARE(sheet->control<QLineEdit>(u"txtNombre")->text().trimmed(), u"Ana"_s);
    QCOMPARE(m_fixture->readFile(u"secundaria1.dat"_s), changed); // and nothing was written
}

void TestNavigation::closedWorksheetReadsItsFileAgain()
{
    m_fixture->writeFile(u"secundaria2.dat"_s, record("Ana", "12") + record("Beto", "13"));
    enterProgram();
    click(u"empezar"_s, u"Command1"_s);
    click(u"MENU"_s, u"Command2"_s);
    QPointer<Form> first = screen(u"segusecu"_s);
    QVERIFY(first);
    click(u"segusecu"_s, u"cmdRegSiguiente"_s);
    QTest::keyClicks(first->control<QLineEdit>(u"txtNombre"), u" sin guardar"_s);

    // The close control discards the worksheet without a word and without writing.
    test::ProgramFixture::closeWindow(first);
    QVERIFY(!first);
    QCOMPARE(screen(u"segusecu"_s), nullptr);
    QVERIFY(!m_fixture->screens().ended());
    QCOMPARE(test::ProgramFixture::messages(), QStringList());
    const QByteArray changed = record("Carla", "15") + record("Dora", "16");
    QCOMPARE(m_fixture->readFile(u"secundaria2.dat"_s), record("Ana", "12") + record("Beto", "13"));
    m_fixture->writeFile(u"secundaria2.dat"_s, changed);

    // Made anew: the file is read again and record 1 shows.
    QApplication::setActiveWindow(screen(u"MENU"_s));
    click(u"MENU"_s, u"Command2"_s);
    Form *again = screen(u"segusecu"_s);
    QVERIFY(again);
    QCOMPARE(QApplication::activeWindow(), again);
    QCOMPARE(again->control<QLineEdit>(u"txtNombre")->text().trimmed(), u"Carla"_s);
    QCOMPARE(again->control<QLineEdit>(u"txtedad")->text().trimmed(), u"15"_s);
    QCOMPARE(again->control<QLabel>(u"Label9")->text(), QString());
    click(u"segusecu"_s, u"cmdRegSiguiente"_s);
    QCOMPARE(again->control<QLineEdit>(u"txtNombre")->text().trimmed(), u"Dora"_s);
}

void TestNavigation::documentScreens_data()
{
    QTest::addColumn<QString>("titleButton");
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("heading");
    QTest::addColumn<int>("salirKey");

    QTest::newRow("METODOLOGIA, SALIR clicked") << u"Command2"_s << u"metodologia"_s << u"METODOLOGIA"_s << 0;
    QTest::newRow("FORMATO, SALIR clicked") << u"Command4"_s << u"formato"_s << u"FORMATO"_s << 0;
    QTest::newRow("METODOLOGIA, Enter on SALIR")
        << u"Command2"_s << u"metodologia"_s << u"METODOLOGIA"_s << int(Qt::Key_Return);
    QTest::newRow("FORMATO, Space on SALIR")
        << u"Command4"_s << u"formato"_s << u"FORMATO"_s << int(Qt::Key_Space);
}

void TestNavigation::documentScreens()
{
    QFETCH(QString, titleButton);
    QFETCH(QString, form);
    QFETCH(QString, heading);
    QFETCH(int, salirKey);

    Form *title = enterProgram();
    click(u"empezar"_s, titleButton);
    Form *document = screen(form);
    QVERIFY(document);
    QCOMPARE(document->control<QLabel>(u"Label1")->text(), heading);
    QCOMPARE(QApplication::activeWindow(), document);
    QVERIFY(title->isVisible());

    auto *salir = document->control<QPushButton>(u"Command1");
    QCOMPARE(salir->text(), u"SALIR"_s);
    if (salirKey == 0) {
        click(form, u"Command1"_s);
    } else {
        salir->setFocus();
        QTest::keyClick(salir, Qt::Key(salirKey));
        test::settle();
    }
    // The same title screen in front, the document screen open behind it, the program still running.
    QCOMPARE(screen(u"empezar"_s), title);
    QCOMPARE(windowsNamed(u"empezar"_s), 1);
    QCOMPARE(QApplication::activeWindow(), title);
    QVERIFY(document->isVisible());
    QVERIFY(!m_fixture->screens().ended());

    click(u"empezar"_s, titleButton);
    QCOMPARE(screen(form), document);
    QCOMPARE(windowsNamed(form), 1);
    QCOMPARE(QApplication::activeWindow(), document);
}

void TestNavigation::titleSalirEndsWithoutWriting()
{
    // A grade opened for the first time (its file made empty) with a student typed and not saved.
    enterProgram();
    click(u"empezar"_s, u"Command1"_s);
    click(u"MENU"_s, u"Command3"_s);
    Form *sheet = screen(u"TERSECU"_s);
    QVERIFY(sheet);
    QTest::keyClicks(sheet->control<QLineEdit>(u"txtNombre"), u"Luis"_s);
    click(u"TERSECU"_s, u"cmdRegSiguiente"_s); // into the roster, not into the file
    QCOMPARE(m_fixture->readFile(u"secundaria3.dat"_s), QByteArray());

    QApplication::setActiveWindow(screen(u"empezar"_s));
    click(u"empezar"_s, u"Command3"_s);
    QVERIFY(m_fixture->screens().ended());
    for (QWidget *window : QApplication::topLevelWidgets())
        QVERIFY2(!window->isVisible(), qPrintable(window->objectName()));
    QCOMPARE(m_fixture->readFile(u"secundaria3.dat"_s), QByteArray());
    QCOMPARE(test::ProgramFixture::messages(), QStringList());
}

} // namespace merlox2

QTEST_MAIN(merlox2::TestNavigation)
#include "TestNavigation.moc"
