// The yardstick: a bare Qt Widgets program that shows one empty window and quits on its first paint.
#include "ProbeCommon.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    QuitOnFirstPaint quit;
    window.installEventFilter(&quit);
    window.resize(312, 213);
    window.show();
    return QApplication::exec();
}
