#include "support/GuiTest.h"

#include "platform/MessageBox.h"
#include "platform/Startup.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTest>
#include <QWidget>

namespace merlox2::test {

namespace {

QtMessageHandler s_defaultHandler = nullptr;

// The offscreen platform can't raise windows and says so at every screen opened; that is noise here.
void quietHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message == u"This plugin does not support raise()")
        return;
    s_defaultHandler(type, context, message);
}

} // namespace

void initializeGuiTests()
{
    s_defaultHandler = qInstallMessageHandler(quietHandler);
    merlox2::initializePlatform(*qApp);
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Mexico));
}

void settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
}

ProgramFixture::ProgramFixture() : m_previousDir(QDir::currentPath())
{
    QDir::setCurrent(m_dir.path());
    MessageBox::setAnsweredInAdvance(true);
    m_program = std::make_unique<Program>();
}

ProgramFixture::~ProgramFixture()
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->testAttribute(Qt::WA_DeleteOnClose))
            delete window;
    }
    settle();
    m_program.reset();
    MessageBox::takeShownTexts();
    QDir::setCurrent(m_previousDir);
}

QWidget *ProgramFixture::open(const QString &formName)
{
    QWidget *screen = screens().open(formName);
    settle();
    return screen;
}

void ProgramFixture::closeWindow(QWidget *screen)
{
    screen->close();
    settle();
}

QStringList ProgramFixture::messages()
{
    return MessageBox::takeShownTexts();
}

QByteArray ProgramFixture::readFile(const QString &fileName) const
{
    QFile file(path(fileName));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void ProgramFixture::writeFile(const QString &fileName, const QByteArray &bytes) const
{
    QFile file(path(fileName));
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

} // namespace merlox2::test
