#include "platform/ScreenRegistry.h"

#include "platform/FormBuilder.h"

#include <QCoreApplication>
#include <QThread>

namespace merlox2 {

QWidget *ScreenRegistry::open(Screen which)
{
    if (m_ended)
        return nullptr;
    QPointer<QWidget> &screen = m_screens.at(std::size_t(which));
    if (!screen) {
        std::unique_ptr<QWidget> made = m_factory(which);
        if (!made)
            return nullptr;
        // From here the window's close control owns it (Qt::WA_DeleteOnClose), or endProgram().
        made->setAttribute(Qt::WA_DeleteOnClose);
        screen = made.release();
    }
    if (auto *form = qobject_cast<Form *>(screen.data())) {
        form->present();
    } else {
        screen->show();
        screen->raise();
        screen->activateWindow();
    }
    return screen;
}

QWidget *ScreenRegistry::find(Screen screen) const
{
    return m_screens.at(std::size_t(screen)).data();
}

bool ScreenRegistry::endProgram()
{
    if (m_ended)
        return true;
    for (const QPointer<QWidget> &screen : m_screens) {
        auto *form = qobject_cast<Form *>(screen.data());
        if (form && !form->mayEndProgram())
            return false;
    }
    m_ended = true;
    // Hidden and deleted from the event loop: the handler that asked may still be on the stack.
    for (const QPointer<QWidget> &screen : m_screens) {
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
