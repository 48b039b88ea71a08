#include "platform/Startup.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QStyleFactory>

using namespace Qt::StringLiterals;

namespace merlox2 {

void initializePlatform(QApplication &app)
{
    // The screens are drawn in "MS Sans Serif", which Linux lacks; Liberation Sans takes its place
    // at every size, weight and style.
    QFont::insertSubstitution(u"MS Sans Serif"_s, u"Liberation Sans"_s);
    QFont font(u"MS Sans Serif"_s);
    font.setPointSizeF(8.25);
    QApplication::setFont(font);

    // One style everywhere, so the screens look the same on every desktop.
    if (QStyle *style = QStyleFactory::create(u"Fusion"_s))
        QApplication::setStyle(style);

    QApplication::setApplicationName(u"MERLOX2"_s);
    QApplication::setWindowIcon(QIcon(u":/icons/merlox2.ico"_s));
    app.setQuitOnLastWindowClosed(true);
}

} // namespace merlox2
