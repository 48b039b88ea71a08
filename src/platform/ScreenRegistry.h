#pragma once

#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>

namespace merlox2 {

// The program's screens. Every one is opened through the registry; there is no other way to name one.
enum class Screen { Access, Title, Menu, Methodology, Format, Worksheet1, Worksheet2, Worksheet3 };
inline constexpr std::size_t ScreenCount = std::size_t(Screen::Worksheet3) + 1;

// The worksheet of grade 1 to 3.
constexpr Screen worksheetScreen(int grade) { return Screen(int(Screen::Worksheet1) + grade - 1); }

// Every screen is single: created (and loaded) the first time it is opened, then shown again as it
// was. The window's close control discards a screen, and the next opening makes it anew.
class ScreenRegistry {
public:
    // Builds and loads a screen; nullptr when it can't open (its load has told the teacher why). The
    // registry takes the window and lets its close control delete it.
    using Factory = std::function<std::unique_ptr<QWidget>(Screen)>;

    explicit ScreenRegistry(Factory factory) : m_factory(std::move(factory)) {}
    ScreenRegistry(const ScreenRegistry &) = delete;
    ScreenRegistry &operator=(const ScreenRegistry &) = delete;

    // Creates the screen if needed, then shows it modeless, with no owner, in front and active.
    // The screen it was opened from stays as it was.
    QWidget *open(Screen screen);

    // The screen if it exists now.
    QWidget *find(Screen screen) const;

    // Ends the program: every screen closes and no further handler runs. First each screen may keep it
    // going (the teacher cancelled the question about work not stored): then nothing closes and false
    // is returned.
    bool endProgram();
    bool ended() const { return m_ended; }

private:
    Factory m_factory;
    std::array<QPointer<QWidget>, ScreenCount> m_screens;
    bool m_ended = false;
};

} // namespace merlox2
