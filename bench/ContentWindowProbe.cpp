// The fairest yardstick: the access screen's content built plainly with Qt widgets, without the program's
// forms, style, translations or resources: its texts (the clock's too) at the same five font sizes, the
// password box and the two buttons, at the same places and in the same colours. It quits on its first paint.
#include "ProbeCommon.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTime>

using namespace Qt::StringLiterals;

namespace {

// The access screen's font at a size (what "MS Sans Serif" stands for on Linux).
QFont font(qreal pointSize, bool bold)
{
    QFont f(u"Liberation Sans"_s);
    f.setPointSizeF(pointSize);
    f.setBold(bold);
    return f;
}

template <typename W>
W *place(W *widget, QRect geometry, const QFont &f, QColor fore, QColor back = {})
{
    widget->setGeometry(geometry);
    widget->setFont(f);
    QPalette palette = widget->palette();
    palette.setColor(widget->foregroundRole(), fore);
    if (back.isValid()) {
        palette.setColor(widget->backgroundRole(), back);
        widget->setAutoFillBackground(true);
    }
    widget->setPalette(palette);
    return widget;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(u"MERLOX 2 EDUC. FISICA SECUNDARIA"_s);
    window.setFont(font(8.25, false));
    window.setPalette(QPalette(Qt::blue));
    window.setAutoFillBackground(true);
    window.resize(312, 213);

    const QColor yellow(255, 255, 0);
    const QColor orange(255, 128, 0);
    const QColor green(0, 255, 0);
    const QColor blue(0, 0, 255);
    auto label = [&](const QString &text) {
        auto *l = new QLabel(text, &window);
        l->setAlignment(Qt::AlignCenter);
        return l;
    };
    place(label(u"BIENVENIDO"_s), {56, 8, 209, 37}, font(24, true), yellow);
    place(label(u"MERLOX2"_s), {64, 40, 185, 41}, font(24, true), Qt::black);
    place(label(u"Dar la clave por favor"_s), {56, 80, 199, 24}, font(13.5, true), orange);
    place(label(u"USUARIO"_s), {56, 120, 69, 16}, font(9.75, true), Qt::black);
    QLabel *clock = place(label(QTime::currentTime().toString(u"hh:mm:ss"_s)), {56, 144, 193, 33},
                          font(13.5, true), green, blue);
    clock->setFrameShape(QFrame::Box);
    QLineEdit *password = place(new QLineEdit(&window), {128, 112, 89, 25}, font(12, true), green, blue);
    password->setEchoMode(QLineEdit::Password);
    place(new QPushButton(u"ENTRAR"_s, &window), {32, 184, 89, 25}, font(8.25, false), Qt::black, orange);
    place(new QPushButton(u"SALIR"_s, &window), {184, 184, 89, 25}, font(8.25, false), Qt::black, Qt::red);
    password->setFocus();

    QuitOnFirstPaint quit;
    window.installEventFilter(&quit);
    window.show();
    return QApplication::exec();
}
