// Starts exactly as the program does and quits on the access screen's first paint. It is linked as the
// program is, with the reports window and its libraries, so that loading them is counted as the program
// pays for it.
#include "ProbeCommon.h"

#include "app/SheetBridge.h"
#include "platform/Startup.h"
#include "screens/Program.h"

#include <QApplication>
#include <QDir>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    merlox2::initializePlatform(app);
    const merlox2::SheetBridge sheets;
    merlox2::Program program(QDir::currentPath());
    program.start();
    QuitOnFirstPaint quit;
    if (QWidget *access = program.screens().find(merlox2::Screen::Access))
        access->installEventFilter(&quit);
    return QApplication::exec();
}
