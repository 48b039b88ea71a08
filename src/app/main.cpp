#include "app/SheetBridge.h"
#include "platform/Arguments.h"
#include "platform/Startup.h"
#include "records/DataFolder.h"
#include "reports/ReportsWindow.h"
#include "screens/FailureText.h"
#include "screens/Program.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    merlox2::initializePlatform(app);

    // Where the grade files are is decided here, once, for every window.
    QCommandLineParser parser;
    merlox2::processArguments(parser, app);
    const QString dataFolder = merlox2::chosenDataFolder(parser);
    if (const merlox2::Result<void> ready = merlox2::prepareDataFolder(dataFolder); !ready) {
        merlox2::reportFailure(nullptr, ready.error());
        return 1;
    }

    const merlox2::SheetBridge sheets; // the worksheet's sheets for the reports window
    // The reports window alone, behind the access code of its own dialog.
    if (merlox2::reportsAsked(parser))
        return merlox2::openReportsWindow(dataFolder) ? QApplication::exec() : 0;
    merlox2::Program program(dataFolder);
    program.start();
    return QApplication::exec();
}
