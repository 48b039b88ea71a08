#include "shell/ShellScreens.h"

#include "platform/FormBuilder.h"
#include "support/GuiTest.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTime>

#include <memory>

using namespace Qt::StringLiterals;

namespace merlox2 {

namespace {

constexpr char16_t WrongCodeMessage[] = u" Dar la clave correcta por favor";

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

} // namespace

class TestAccessScreen : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void startsAlone();
    void code_data();
    void code();
    void codeFromTheKeyboard();
    void enterMovesFocusWithoutCheckingTheCode_data();
    void enterMovesFocusWithoutCheckingTheCode();
    void codeShownAsStars_data();
    void codeShownAsStars();
    void label4ShowsTheTimeOfLoad();
    void timeOfDay_data();
    void timeOfDay();
    void entrarTwiceBringsTheSameTitleScreen();
    void salirEndsWithoutWriting();

private:
    Form *access() const { return qobject_cast<Form *>(m_fixture->screens().find(u"CLAVESEC"_s)); }
    QLineEdit *text1() const { return access()->control<QLineEdit>(u"Text1"); }
    void clickButton(const QString &name);

    std::unique_ptr<test::ProgramFixture> m_fixture;
    QTime m_beforeStart;
    QTime m_afterStart;
};

void TestAccessScreen::initTestCase() { test::initializeGuiTests(); }

void TestAccessScreen::init()
{
    m_fixture = std::make_unique<test::ProgramFixture>();
    m_beforeStart = QTime::currentTime();
    m_fixture->program().start();
    m_afterStart = QTime::currentTime();
    test::settle();
    QVERIFY(access());
    QApplication::setActiveWindow(access());
    test::settle();
}

void TestAccessScreen::cleanup() { m_fixture.reset(); }

void TestAccessScreen::clickButton(const QString &name)
{
    QTest::mouseClick(access()->control<QPushButton>(name), Qt::LeftButton);
    test::settle();
}

void TestAccessScreen::startsAlone()
{
    Form *screen = access();
    QVERIFY(screen->isVisible());
    QCOMPARE(screen->windowTitle(), u"MERLOX 2 EDUC. FISICA SECUNDARIA"_s);
    QCOMPARE(screen->size(), QSize(312, 213));
    QCOMPARE(screen->pos(), QPoint(238, 175)); // 3570, 2625 twips from the screen's corner
    for (QWidget *window : QApplication::topLevelWidgets())
        QVERIFY2(window == screen || !window->isVisible(), qPrintable(window->objectName()));
    QCOMPARE(focusName(), u"Text1"_s);
    QCOMPARE(text1()->text(), QString());
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
}

void TestAccessScreen::code()
{
    QFETCH(QString, typed);
    QFETCH(bool, accepted);

    QTest::keyClicks(text1(), typed);
    clickButton(u"Command1"_s);

    QWidget *title = m_fixture->screens().find(u"empezar"_s);
    QCOMPARE(text1()->text(), typed); // kept in either case
    QVERIFY(access()->isVisible());
    if (accepted) {
        QVERIFY(title);
        QVERIFY(title->isVisible());
        QCOMPARE(QApplication::activeWindow(), title);
        QCOMPARE(test::ProgramFixture::messages(), QStringList());
        return;
    }
    QCOMPARE(test::ProgramFixture::messages(), QStringList{QString::fromUtf16(WrongCodeMessage)});
    QCOMPARE(title, nullptr);
    QCOMPARE(QApplication::activeWindow(), access());
    QCOMPARE(focusName(), u"Text1"_s);
    QVERIFY(!text1()->hasSelectedText());
    QCOMPARE(text1()->cursorPosition(), typed.size());

    // No limit on attempts: the right code still opens the title screen.
    text1()->clear();
    QTest::keyClicks(text1(), u"418357"_s);
    clickButton(u"Command1"_s);
    QVERIFY(m_fixture->screens().find(u"empezar"_s));
    QCOMPARE(test::ProgramFixture::messages(), QStringList());
}

void TestAccessScreen::codeFromTheKeyboard()
{
    // Enter to reach ENTRAR, Space to press it.
    QTest::keyClicks(text1(), u"41835"_s);
    QTest::keyClick(text1(), Qt::Key_Return);
    test::settle();
    QCOMPARE(focusName(), u"Command1"_s);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    test::settle();
    QCOMPARE(test::ProgramFixture::messages(), QStringList{QString::fromUtf16(WrongCodeMessage)});
    QCOMPARE(focusName(), u"Text1"_s);

    QTest::keyClicks(text1(), u"7"_s); // typed where the caret was left: at the end
    QCOMPARE(text1()->text(), u"418357"_s);
    QTest::keyClick(text1(), Qt::Key_Return);
    test::settle();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    test::settle();
    QVERIFY(m_fixture->screens().find(u"empezar"_s));
}

void TestAccessScreen::enterMovesFocusWithoutCheckingTheCode_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("the code") << u"418357"_s;
    QTest::newRow("a wrong code") << u"1"_s;
}

void TestAccessScreen::enterMovesFocusWithoutCheckingTheCode()
{
    QFETCH(QString, typed);

    QTest::keyClicks(text1(), typed);
    for (const QString &expected : {u"Command1"_s, u"Command2"_s, u"Text1"_s}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        test::settle();
        QCOMPARE(focusName(), expected);
    }
    // Enter on ENTRAR checked nothing, Enter on SALIR ended nothing, and the box got no Enter.
    QCOMPARE(test::ProgramFixture::messages(), QStringList());
    QCOMPARE(m_fixture->screens().find(u"empezar"_s), nullptr);
    QVERIFY(!m_fixture->screens().ended());
    QCOMPARE(text1()->text(), typed);
}

void TestAccessScreen::codeShownAsStars_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");

    QTest::newRow("the code") << u"418357"_s << u"******"_s;
    QTest::newRow("letters and a blank") << u"a b"_s << u"***"_s;
    QTest::newRow("masculine ordinal") << u"1º"_s << u"**"_s;
}

void TestAccessScreen::codeShownAsStars()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);

    QTest::keyClicks(text1(), typed);
    QCOMPARE(text1()->text(), typed);
    QCOMPARE(text1()->displayText(), shown);

    // Bright green on blue, as laid out: the box's style must not lose its colours.
    const QImage image = text1()->grab().toImage();
    QCOMPARE(QColor(image.pixel(image.width() - 6, image.height() / 2)), QColor(0, 0, 255));
    bool green = false;
    for (int x = 0; x < image.width() && !green; ++x) {
        for (int y = 0; y < image.height() && !green; ++y) {
            const QColor c = image.pixelColor(x, y);
            green = c.green() > 200 && c.red() < 60 && c.blue() < 60;
        }
    }
    QVERIFY2(green, "the stars are drawn in bright green");
}

void TestAccessScreen::label4ShowsTheTimeOfLoad()
{
    auto *label = access()->control<QLabel>(u"Label4");
    const QString shown = label->text();
    // Any second from just before the load to just after it (across midnight too).
    QStringList candidates;
    const int seconds = (m_beforeStart.secsTo(m_afterStart) + 86400) % 86400;
    for (int i = 0; i <= seconds + 1; ++i)
        candidates.append(merlox2::timeOfDay(QLocale(), m_beforeStart.addSecs(i)));
    QVERIFY2(candidates.contains(shown), qPrintable(shown + u" / "_s + candidates.join(u", ")));

    // Set once: it does not tick.
    QTest::qWait(1100);
    QCOMPARE(label->text(), shown);
}

void TestAccessScreen::timeOfDay_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("shown");

    // 14:05:09 in several systems' formats: always with the seconds, never with a time zone.
    QTest::newRow("Mexican Spanish") << u"es_MX"_s << u"14:05:09"_s;
    QTest::newRow("Spain's Spanish") << u"es_ES"_s << u"14:05:09"_s;
    QTest::newRow("US English, 12-hour clock") << u"en_US"_s << u"2:05:09 PM"_s;
    QTest::newRow("German") << u"de_DE"_s << u"14:05:09"_s;
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

void TestAccessScreen::entrarTwiceBringsTheSameTitleScreen()
{
    QTest::keyClicks(text1(), u"418357"_s);
    clickButton(u"Command1"_s);
    QWidget *title = m_fixture->screens().find(u"empezar"_s);
    QVERIFY(title);

    QApplication::setActiveWindow(access());
    clickButton(u"Command1"_s);
    QCOMPARE(m_fixture->screens().find(u"empezar"_s), title);
    QCOMPARE(windowsNamed(u"empezar"_s), 1);
    QCOMPARE(QApplication::activeWindow(), title);
    QVERIFY(access()->isVisible());
    QCOMPARE(text1()->text(), u"418357"_s);
}

void TestAccessScreen::salirEndsWithoutWriting()
{
    // A worksheet with a typed, unsaved student lies open; the grade file has a student of its own.
    QByteArray stored(130, '\0');
    stored.replace(0, 3, "Ana");
    m_fixture->writeFile(u"secundaria1.dat"_s, stored);
    QWidget *sheet = m_fixture->open(u"prisecu"_s);
    QVERIFY(sheet);
    QTest::keyClicks(qobject_cast<Form *>(sheet)->control<QLineEdit>(u"txtNombre"), u"Luis"_s);
    QWidget *title = m_fixture->open(u"empezar"_s);

    const QPointer<QWidget> screen = access();
    QApplication::setActiveWindow(screen);
    clickButton(u"Command2"_s);

    QVERIFY(m_fixture->screens().ended());
    QVERIFY(!screen || !screen->isVisible());
    QVERIFY(!m_fixture->screens().find(u"prisecu"_s) || !sheet->isVisible());
    QVERIFY(!m_fixture->screens().find(u"empezar"_s) || !title->isVisible());
    QCOMPARE(m_fixture->readFile(u"secundaria1.dat"_s), stored);
    QCOMPARE(test::ProgramFixture::messages(), QStringList()); // no question asked
    QCOMPARE(m_fixture->screens().open(u"empezar"_s), nullptr);
}

} // namespace merlox2

QTEST_MAIN(merlox2::TestAccessScreen)
#include "TestAccessScreen.moc"
