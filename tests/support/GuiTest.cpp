#include "support/GuiTest.h"

#include "forms/Controls.h"
#include "forms/MessageBox.h"
#include "platform/Modules.h"
#include "platform/Printing.h"
#include "platform/Startup.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QPointer>
#include <QProcess>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace merlox2::test {

namespace {

QtMessageHandler s_defaultHandler = nullptr;

// The offscreen platform can't raise windows and says so at every screen opened; that is noise here.
void quietHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message != u"This plugin does not support raise()")
        s_defaultHandler(type, context, message);
}

} // namespace

void initializeGuiTests()
{
    s_defaultHandler = qInstallMessageHandler(quietHandler);
    merlox2::initializePlatform(*qApp);
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Mexico));
    setModuleFolders({QFileInfo(QStringLiteral(MERLOX2_TEST_PRINT_MODULE)).absolutePath()});
}

ProgramFixture::ProgramFixture()
{
    MessageBox::setAnsweredInAdvance(true);
    m_program = std::make_unique<Program>(m_dir.path());
    m_program->clock().set(FixtureNow);
}

ProgramFixture::~ProgramFixture()
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->testAttribute(Qt::WA_DeleteOnClose))
            delete window;
    }
    m_program.reset();
    // A message that no check took is one the teacher would not have expected.
    if (const QStringList left = MessageBox::takeShownTexts(); !left.isEmpty() && !QTest::currentTestFailed())
        QTest::qFail(qPrintable(u"message not expected: "_s + left.join(u" | ")), __FILE__, __LINE__);
}

Form *ProgramFixture::open(Screen which)
{
    auto *screen = qobject_cast<Form *>(screens().open(which));
    if (screen)
        waitUntilActive(screen);
    return screen;
}

QByteArray ProgramFixture::readFile(const QString &fileName) const
{
    QFile file(path(fileName));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void ProgramFixture::writeFile(const QString &fileName, const QByteArray &bytes) const
{
    QFile file(path(fileName));
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

QString onlyMessage()
{
    const QStringList shown = MessageBox::takeShownTexts();
    return shown.size() == 1 ? shown.first() : u"%1 messages: %2"_s.arg(shown.size()).arg(shown.join(u" | "));
}

QString focusName()
{
    QWidget *focus = QApplication::focusWidget();
    return focus ? focus->objectName() : u"<no focus>"_s;
}

int windowsNamed(const QString &name)
{
    int count = 0;
    for (QWidget *window : QApplication::topLevelWidgets())
        count += window->objectName() == name ? 1 : 0;
    return count;
}

void click(const QWidget *form, const QString &control)
{
    auto *button = form ? form->findChild<QAbstractButton *>(control, Qt::FindDirectChildrenOnly) : nullptr;
    QVERIFY2(button, qPrintable(u"no button "_s + control));
    click(button);
}

void click(QAbstractButton *button)
{
    QVERIFY(button);
    // An option reacts to clicks on its indicator and text, which start at its left edge.
    const bool option = qobject_cast<OptionButton *>(button);
    QTest::mouseClick(button, Qt::LeftButton, {}, option ? QPoint(8, button->height() / 2) : QPoint());
}

QString focusAfter(Qt::Key key)
{
    const QPointer<QWidget> from = QApplication::focusWidget();
    QTest::keyClick(from, key);
    [&from] {
        QTRY_VERIFY2(QApplication::focusWidget() != from,
                     qPrintable(u"the focus stayed on "_s + focusName()));
    }();
    return focusName();
}

void waitUntilActive(const QWidget *screen)
{
    // The window system's activation arrives through the event queue; until then the keyboard still
    // goes to the screen that was active before.
    QTRY_COMPARE(QApplication::activeWindow(), screen);
}

void closeWindow(QWidget *screen)
{
    const QPointer<QWidget> closing = screen;
    QVERIFY(closing);
    const QString name = closing->objectName();
    closing->close();
    QTRY_VERIFY2(!closing, qPrintable(name + u" is still there after its window was closed"_s));
}

void deliverQueued()
{
    // Qt delivers what is queued in order: once this arrives, all that was queued before it has.
    const auto delivered = std::make_shared<bool>(false);
    QMetaObject::invokeMethod(
        qApp, [delivered] { *delivered = true; }, Qt::QueuedConnection);
    QTRY_VERIFY(*delivered);
}

QByteArray record(const QStringList &boxes, const QByteArray &reserved)
{
    constexpr int FieldWidths[] = {30, 10, 10, 10, 10, 10, 10};
    QByteArray bytes;
    for (int i = 0; i < 7; ++i)
        bytes += boxes.value(i).toLatin1().left(FieldWidths[i]).leftJustified(FieldWidths[i], ' ');
    return bytes + reserved;
}

ToolRun runTool(const QString &program, const QStringList &arguments, int timeoutMs)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return {-1, u"%1 did not finish: %2"_s.arg(program, process.errorString())};
    }
    const int code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return {code, QString::fromLocal8Bit(process.readAll())};
}

} // namespace merlox2::test
