#include "app/SheetBridge.h"
#include "platform/Startup.h"
#include "reports/ReportsWindow.h"
#include "screens/Program.h"

#include <QApplication>
#include <QDir>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    merlox2::initializePlatform(app);
    const merlox2::SheetBridge sheets; // the worksheet's sheets for the reports window
    // The reports window alone, behind the access code of its own dialog.
    if (QApplication::arguments().contains(QStringLiteral("--reportes")))
        return merlox2::openReportsWindow(QDir::currentPath()) ? QApplication::exec() : 0;
    merlox2::Program program;
    program.start();
    return QApplication::exec();
}
