#include "forms/EnterAsTab.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace merlox2 {

namespace {

class EnterAsTabFilter : public QObject {
public:
    explicit EnterAsTabFilter(QWidget *screen) : QObject(screen), m_screen(screen) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            return false;
        if (!watched->isWidgetType() || static_cast<QWidget *>(watched)->window() != m_screen)
            return false;
        if (event->type() == QEvent::KeyPress)
            QMetaObject::invokeMethod(this, &EnterAsTabFilter::sendTab, Qt::QueuedConnection);
        return true; // the focused control never sees the Enter
    }

private:
    static void sendTab()
    {
        // The Tab goes to the window rather than to the control that has the focus: a control that
        // takes Tab as text (a multi-line editor) would otherwise get a tab character instead of
        // passing the focus on.
        QWidget *window = QApplication::focusWidget() ? QApplication::focusWidget()->window()
                                                      : QApplication::activeWindow();
        if (!window)
            return;
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t"));
        QApplication::sendEvent(window, &press);
    }

    QWidget *m_screen;
};

} // namespace

void installEnterAsTab(QWidget *screen)
{
    // Installed on the application, so the screen sees keys before the control that has the focus.
    qApp->installEventFilter(new EnterAsTabFilter(screen));
}

} // namespace merlox2
