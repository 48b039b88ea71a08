// Screens on a computer screen too small for them at its scaling (150 % on a laptop): each is drawn
// smaller, all of it by one factor, until its window fits the work area; where they fit, nothing changes.

#include "forms/Controls.h"
#include "screens/ShellScreens.h"
#include "support/GuiTest.h"

#include <QFile>
#include <QProcess>
#include <QScreen>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace merlox2::test {

namespace {

// Set in the copy of this test that runs on the offscreen screen of a row's size and scaling.
constexpr char FitChild[] = "MERLOX2_TEST_FIT_CHILD";

constexpr Screen Opened[] = {Screen::Title,      Screen::Menu,       Screen::Methodology, Screen::Format,
                             Screen::Worksheet1, Screen::Worksheet2, Screen::Worksheet3};

QString toString(QRect r) { return u"%1,%2 %3x%4"_s.arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()); }

// Every control inside its window, and the window, frame included, inside the work area.
void checkFits(const Form *form)
{
    const QString name = form->objectName();
    const QRect workArea = form->screen()->availableGeometry();
    QVERIFY2(workArea.contains(form->frameGeometry()),
             qPrintable(u"%1: window %2 outside the work area %3"_s.arg(name, toString(form->frameGeometry()),
                                                                        toString(workArea))));
    for (const QWidget *control : form->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        QVERIFY2(form->rect().contains(control->geometry()),
                 qPrintable(u"%1: %2 at %3 outside the window's %4"_s.arg(
                     name, control->objectName(), toString(control->geometry()), toString(form->rect()))));
    }
}

} // namespace

class TestFit : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { initializeGuiTests(); }
    void everyScreenFits_data();
    void everyScreenFits();
};

void TestFit::everyScreenFits_data()
{
    QTest::addColumn<QSize>("screen"); // in the screen's own pixels
    QTest::addColumn<double>("scaling");
    QTest::newRow("800 x 600 at 150 %") << QSize(800, 600) << 1.5;
    QTest::newRow("1366 x 768 at 150 %") << QSize(1366, 768) << 1.5;
    QTest::newRow("1366 x 768 at 100 %") << QSize(1366, 768) << 1.0;
}

void TestFit::everyScreenFits()
{
    QFETCH(QSize, screen);
    QFETCH(double, scaling);
    if (!qEnvironmentVariableIsSet(FitChild)) {
        // The screen and the scaling are the platform's from its start: a copy of this test runs on them.
        QTemporaryDir dir;
        QFile config(dir.filePath(u"screen.json"_s));
        QVERIFY(config.open(QIODevice::WriteOnly));
        const QString screens = uR"({"screens": [{"name": "s", "x": 0, "y": 0, "width": %1, "height": %2,
                                                  "logicalDpi": 96}]})"_s;
        config.write(screens.arg(screen.width()).arg(screen.height()).toUtf8());
        config.close();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QString::fromLatin1(FitChild), u"1"_s);
        // Named from the child's own folder: the platform's options are split at colons, as in "C:\\".
        environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen:configfile=screen.json"_s);
        environment.insert(u"QT_SCALE_FACTOR"_s, QString::number(scaling));
        QProcess child;
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.setWorkingDirectory(dir.path());
        const QString function = u"everyScreenFits:"_s + QString::fromUtf8(QTest::currentDataTag());
        child.start(QCoreApplication::applicationFilePath(), {function});
        QVERIFY(child.waitForFinished(120000));
        const QString output = QString::fromLocal8Bit(child.readAll());
        // Under Wine a test's output does not reach a pipe: there its exit code speaks for it.
        const bool passed = output.contains(u"PASS   : merlox2::test::TestFit::everyScreenFits("_s);
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0 &&
                     (passed || QSysInfo::productType() == u"windows"),
                 qPrintable(output));
        return;
    }

    QScreen *shown = QGuiApplication::primaryScreen();
    QCOMPARE(shown->devicePixelRatio(), scaling);
    QCOMPARE(shown->size(), (QSizeF(screen) / scaling).toSize());

    ProgramFixture fixture;
    fixture.program().start();
    std::vector<Form *> forms{fixture.form(Screen::Access)};
    for (Screen which : Opened)
        forms.push_back(fixture.open(which));
    for (const Form *form : forms) {
        QVERIFY(form);
        checkFits(form);
        if (QTest::currentTestFailed())
            return;
    }

    const auto *title = qobject_cast<TitleScreen *>(fixture.form(Screen::Title));
    const auto *sheet = fixture.openWorksheet(1);
    if (scaling == 1.0) {
        // Where the screens fit, they are as they always were.
        for (const Form *form : forms)
            QCOMPARE(form->scale(), 1.0);
        QCOMPARE(fixture.form(Screen::Access)->geometry(), QRect(238, 175, 312, 213));
        QCOMPARE(title->controls().Command3->geometry(), QRect(568, 512, 129, 33));
        QCOMPARE(title->controls().Command3->font().pointSizeF(), 12.0);
        QCOMPARE(sheet->controls().cmdSalir->geometry(), QRect(680, 480, 81, 33));
        return;
    }
    // The title screen and the worksheets are too tall for these screens: drawn smaller, fonts too.
    QVERIFY2(title->scale() < 1.0 && title->scale() > 0.5, qPrintable(QString::number(title->scale())));
    QVERIFY2(sheet->scale() < 1.0 && sheet->scale() > 0.5, qPrintable(QString::number(sheet->scale())));
    QCOMPARE(title->controls().Command3->font().pointSizeF(), 12.0 * title->scale());
}

} // namespace merlox2::test

QTEST_MAIN(merlox2::test::TestFit)
#include "TestFit.moc"
