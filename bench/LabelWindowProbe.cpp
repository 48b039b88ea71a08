// The honest yardstick: a bare Qt Widgets window that shows one label, so that, like any real screen, it
// loads the system's font list to draw its text. It quits on its first paint.
#include "ProbeCommon.h"

#include <QApplication>
#include <QLabel>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QLabel window(u"Clave de acceso"_s);
    QuitOnFirstPaint quit;
    window.installEventFilter(&quit);
    window.resize(312, 213);
    window.show();
    return QApplication::exec();
}
