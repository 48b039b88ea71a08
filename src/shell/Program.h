#pragma once

#include "platform/ScreenRegistry.h"
#include "records/Roster.h"

#include <array>

namespace merlox2 {

// The program from its first screen to its end: the screens, and one roster per grade that lives as
// long as the program, whatever happens to the grade's window.
class Program {
public:
    Program();

    // Opens the access screen.
    void start();

    ScreenRegistry &screens() { return m_screens; }
    Roster &roster(int grade) { return m_rosters.at(std::size_t(grade - 1)); }

private:
    ScreenRegistry m_screens;
    std::array<Roster, 3> m_rosters;
};

} // namespace merlox2
