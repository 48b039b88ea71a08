#include "platform/ScreenRegistry.h"

#include "platform/FormBuilder.h"

#include <QCoreApplication>
#include <QThread>

namespace merlox2 {

void ScreenRegistry::add(const QString &name, Factory factory)
{
    m_factories[name] = std::move(factory);
}

QWidget *ScreenRegistry::open(const QString &name)
{
    if (m_ended)
        return nullptr;
    QPointer<QWidget> &screen = m_screens[name];
    if (!screen) {
        const auto factory = m_factories.find(name);
        if (factory == m_factories.end())
            return nullptr;
        screen = factory->second();
        if (!screen)
            return nullptr;
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

QWidget *ScreenRegistry::find(const QString &name) const
{
    const auto it = m_screens.find(name);
    return it == m_screens.end() ? nullptr : it->second.data();
}

void ScreenRegistry::endProgram()
{
    m_ended = true;
    // Hidden and deleted from the event loop: the handler that asked may still be on the stack.
    for (auto &[name, screen] : m_screens) {
        if (screen) {
            screen->hide();
            screen->deleteLater();
        }
    }
    // Only a running event loop has anything to leave; outside one (a test driving the screens),
    // asking it to quit would make the next loop return at once.
    if (QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::exit(0);
}

} // namespace merlox2
