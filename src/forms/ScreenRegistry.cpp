#include "forms/ScreenRegistry.h"

#include "forms/FormBuilder.h"

#include <QApplication>
#include <QThread>

namespace merlox2 {

namespace {

void bringToFront(QWidget *screen)
{
    if (auto *form = qobject_cast<Form *>(screen)) {
        form->present();
    } else {
        screen->show();
        screen->raise();
        screen->activateWindow();
    }
}

} // namespace

QWidget *ScreenRegistry::open(int which)
{
    if (m_ended)
        return nullptr;
    QPointer<QWidget> &screen = m_screens[which];
    if (!screen) {
        const QPointer<QWidget> from = QApplication::activeWindow();
        std::unique_ptr<QWidget> made = m_factory(which);
        if (!made) {
            // Its load told the teacher why in a message box with no screen of its own (the new one is
            // never shown). Once the box closes, the window system gives the keyboard to a window of its
            // choosing, or to none, and may bring the title screen over the menu. The screen the
            // teacher was on comes back to the front, with the keyboard.
            if (from && !m_ended)
                bringToFront(from);
            return nullptr;
        }
        // From here the window's close control owns it (Qt::WA_DeleteOnClose), or endProgram().
        made->setAttribute(Qt::WA_DeleteOnClose);
        screen = made.release();
    }
    bringToFront(screen);
    return screen;
}

QWidget *ScreenRegistry::find(int key) const
{
    const auto found = m_screens.find(key);
    return found == m_screens.end() ? nullptr : found->second.data();
}

bool ScreenRegistry::endProgram()
{
    if (m_ended)
        return true;
    for (const auto &[key, screen] : m_screens) {
        auto *form = qobject_cast<Form *>(screen.data());
        if (form && !form->mayEndProgram())
            return false;
    }
    m_ended = true;
    // Hidden and deleted from the event loop: the handler that asked may still be on the stack.
    for (const auto &[key, screen] : m_screens) {
        if (screen) {
            screen->hide();
            screen->deleteLater();
        }
    }
    // Only a running event loop has anything to leave; outside one (a test driving the screens),
    // asking it to quit would make the next loop return at once.
    if (QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::exit(0);
    return true;
}

} // namespace merlox2
