#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>

namespace merlox2 {

// Every screen is single: created (and loaded) the first time it is opened, then shown again as it
// was. The window's close control discards a screen, and the next opening makes it anew. Screens are
// named by whatever key the program gives them (ScreenRegistryOf below); here, by its number.
class ScreenRegistry {
public:
    // Builds and loads a screen; nullptr when it can't open (its load has told the teacher why). The
    // registry takes the window and lets its close control delete it.
    using Factory = std::function<std::unique_ptr<QWidget>(int)>;

    explicit ScreenRegistry(Factory factory) : m_factory(std::move(factory)) {}
    ScreenRegistry(const ScreenRegistry &) = delete;
    ScreenRegistry &operator=(const ScreenRegistry &) = delete;

    // Creates the screen if needed, then shows it modeless, with no owner, in front and active.
    // The screen it was opened from stays as it was.
    QWidget *open(int which);

    // The screen if it exists now.
    QWidget *find(int key) const;

    // Ends the program: every screen closes and no further handler runs. First each screen may keep it
    // going (the teacher cancelled the question about work not stored): then nothing closes and false
    // is returned.
    bool endProgram();
    bool ended() const { return m_ended; }

private:
    Factory m_factory;
    std::map<int, QPointer<QWidget>> m_screens; // in the keys' order, the order endProgram() asks in
    bool m_ended = false;
};

// The registry with the program's own names for its screens (an enumeration).
template <typename Key>
class ScreenRegistryOf : public ScreenRegistry {
public:
    explicit ScreenRegistryOf(std::function<std::unique_ptr<QWidget>(Key)> factory)
        : ScreenRegistry([factory = std::move(factory)](int key) { return factory(Key(key)); })
    {
    }
    QWidget *open(Key key) { return ScreenRegistry::open(int(key)); }
    QWidget *find(Key key) const { return ScreenRegistry::find(int(key)); }
};

} // namespace merlox2
