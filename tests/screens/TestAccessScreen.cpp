// The access screen: where it stands, the code and its echo, and the time of day.

#include "screens/ShellScreens.h"

#include "forms/Controls.h"
#include "support/GuiTest.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTime>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace merlox2::test {

class TestAccessScreen : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { initializeGuiTests(); }
    void init();
    void cleanup() { m_fixture.reset(); }
    void startsAloneShowingTheTimeAndStars();
    void startsWithoutThePrintSystem();
    void code_data();
    void code();
    void timeOfDay_data();
    void timeOfDay();

private:
    AccessScreen *access() { return m_fixture->screen<AccessScreen>(Screen::Access); }
    QLineEdit *text1() { return access()->controls().Text1; }

    std::unique_ptr<ProgramFixture> m_fixture;
};

void TestAccessScreen::init()
{
    m_fixture = std::make_unique<ProgramFixture>();
    m_fixture->program().start();
    QVERIFY(access());
    QTRY_COMPARE(QApplication::activeWindow(), access());
}

void TestAccessScreen::startsAloneShowingTheTimeAndStars()
{
    QCOMPARE(access()->windowTitle(), u"MERLOX 2 EDUC. FISICA SECUNDARIA"_s);
    // The client area stands at 3570, 2625 twips; the window's frame, if any, around it.
    QCOMPARE(access()->geometry(), QRect(238, 175, 312, 213));
    QCOMPARE(access()->mapToGlobal(QPoint(0, 0)), QPoint(238, 175));
    for (QWidget *window : QApplication::topLevelWidgets())
        QCOMPARE(window->isVisible(), window == access());
    QCOMPARE(focusName(), u"Text1"_s);
    QCOMPARE(text1()->text(), QString());

    // The time of the load, and it does not tick: the clock moves on, the screen keeps what it showed.
    const QLabel *label4 = access()->controls().Label4;
    QCOMPARE(label4->text(), merlox2::timeOfDay(QLocale(), FixtureNow.time()));
    m_fixture->program().clock().set(FixtureNow.addSecs(61));
    deliverQueued();
    QCOMPARE(label4->text(), merlox2::timeOfDay(QLocale(), FixtureNow.time()));
    // Nor would it later: nothing on the screen runs a timer.
    QVERIFY(QAbstractEventDispatcher::instance()->registeredTimers(access()).isEmpty());
    for (const QTimer *timer : access()->findChildren<QTimer *>())
        QVERIFY2(!timer->isActive(), qPrintable(timer->objectName()));

    // Typed, the code shows bright green stars on blue: the echo's style must not lose the box's colours.
    QTest::keyClicks(text1(), u"418357"_s);
    const QImage image = text1()->grab().toImage();
    QCOMPARE(image.pixelColor(image.width() - 6, image.height() / 2), QColor(0, 0, 255));
    bool green = false;
    for (int i = 0; i < image.width() * image.height() && !green; ++i) {
        const QColor c = image.pixelColor(i % image.width(), i / image.width());
        green = c.green() > 200 && c.red() < 60 && c.blue() < 60;
    }
    QVERIFY(green);
}

// The print system's libraries (libcups and the many it loads) wait for the first print.
void TestAccessScreen::startsWithoutThePrintSystem()
{
#ifndef Q_OS_LINUX
    QSKIP("the libraries a process has loaded are read from /proc/self/maps, Linux's");
#endif
    QVERIFY(QTest::qWaitForWindowExposed(access()));
    QFile maps(u"/proc/self/maps"_s);
    QVERIFY(maps.open(QIODevice::ReadOnly));
    const QByteArray loaded = maps.readAll();
    QVERIFY(loaded.contains("libQt6Widgets"));
    for (const QByteArray library : {"libcups", "libQt6PrintSupport", "merlox2print"})
        QVERIFY2(!loaded.contains(library), library.constData());
}

void TestAccessScreen::code_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("the code exactly") << u"418357"_s << true;
    QTest::newRow("one trailing blank") << u"418357 "_s << false;
    QTest::newRow("one leading blank") << u" 418357"_s << false;
    QTest::newRow("its first five digits") << u"41835"_s << false;
    QTest::newRow("a seventh digit") << u"4183570"_s << false;
    QTest::newRow("one digit wrong") << u"418358"_s << false;
    QTest::newRow("empty box") << QString() << false;
    QTest::newRow("letters and a blank") << u"a b"_s << false;
    QTest::newRow("masculine ordinal") << u"1º"_s << false;
}

void TestAccessScreen::code()
{
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    QTest::keyClicks(text1(), typed);
    QCOMPARE(text1()->displayText(), QString(typed.size(), u'*'));
    // Enter walks ENTRAR, SALIR and back to the box, checking nothing, ending nothing, typing nothing.
    QStringList walked;
    for (int i = 0; i < 3; ++i)
        walked << focusAfter(Qt::Key_Return);
    QCOMPARE(walked, u"Command1 Command2 Text1"_s.split(u' '));
    QVERIFY(!m_fixture->form(Screen::Title) && !m_fixture->screens().ended());
    QCOMPARE(text1()->text(), typed);

    click(access()->controls().Command1);

    QCOMPARE(text1()->text(), typed); // kept in either case
    QVERIFY(access()->isVisible());
    QCOMPARE(bool(m_fixture->form(Screen::Title)), accepted);
    QTRY_COMPARE(QApplication::activeWindow()->objectName(), accepted ? u"empezar"_s : u"CLAVESEC"_s);
    if (accepted)
        return;
    QCOMPARE(onlyMessage(), u" Dar la clave correcta por favor"_s);
    QCOMPARE(focusName(), u"Text1"_s);
    QVERIFY(!text1()->hasSelectedText());
    QCOMPARE(text1()->cursorPosition(), typed.size());
    // No limit on attempts: the right code still opens the title screen.
    text1()->clear();
    QTest::keyClicks(text1(), u"418357"_s);
    click(access()->controls().Command1);
    QVERIFY(m_fixture->form(Screen::Title));
}

void TestAccessScreen::timeOfDay_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("shown");
    // Always with the seconds, never with a time zone.
    QTest::newRow("Mexican Spanish") << u"es_MX"_s << u"14:05:09"_s;
    QTest::newRow("US English, 12-hour clock") << u"en_US"_s << u"2:05:09 PM"_s;
    QTest::newRow("zone in parentheses") << u"eu_ES"_s << u"14:05:09"_s;
    QTest::newRow("zone after a comma") << u"be_BY"_s << u"14:05:09"_s;
    QTest::newRow("zone after a comma, 12-hour clock") << u"sq_AL"_s << u"2:05:09 E PASDITES"_s;
    QTest::newRow("zone in brackets") << u"yue_HK"_s << u"下午2:05:09"_s;
    QTest::newRow("zone first") << u"my_MM"_s << u"၁၄:၀၅:၀၉"_s;
    QTest::newRow("words between the figures") << u"fr_CA"_s << u"14 h 05 min 09 s"_s;
}

void TestAccessScreen::timeOfDay()
{
    QFETCH(QString, locale);
    QFETCH(QString, shown);
    QCOMPARE(merlox2::timeOfDay(QLocale(locale), QTime(14, 5, 9)), shown);
    QCOMPARE(merlox2::timeOfDay(QLocale(locale), QTime(14, 5, 9, 870)), shown); // no rounding up
}

} // namespace merlox2::test

QTEST_MAIN(merlox2::test::TestAccessScreen)
#include "TestAccessScreen.moc"
