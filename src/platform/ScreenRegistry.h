#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>

namespace merlox2 {

// Every screen is single: created (and loaded) the first time it is opened, then shown again as it
// was. The window's close control discards a screen, and the next opening makes it anew.
class ScreenRegistry {
public:
    // Builds and loads a screen; nullptr when it can't open (its load has told the teacher why).
    using Factory = std::function<QWidget *()>;

    void add(const QString &name, Factory factory);

    // Creates the screen if needed, then shows it modeless, with no owner, in front and active.
    // The screen it was opened from stays as it was.
    QWidget *open(const QString &name);

    // The screen if it exists now.
    QWidget *find(const QString &name) const;

    // Ends the program at once: every screen closes and no further handler runs.
    void endProgram();
    bool ended() const { return m_ended; }

private:
    std::map<QString, Factory> m_factories;
    std::map<QString, QPointer<QWidget>> m_screens;
    bool m_ended = false;
};

} // namespace merlox2
