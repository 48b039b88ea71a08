#include "platform/Startup.h"
#include "screens/Program.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    merlox2::initializePlatform(app);
    merlox2::Program program;
    program.start();
    return QApplication::exec();
}
