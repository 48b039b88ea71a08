#pragma once

#include "common/Clock.h"
#include "common/Result.h"
#include "records/Roster.h"
#include "screens/Screen.h"

#include <QObject>
#include <QString>

#include <array>
#include <memory>

namespace merlox2 {

// The program from its first screen to its end: the screens, and one roster per grade that lives as
// long as the program, whatever happens to the grade's window.
class Program {
public:
    // dataFolder: where the grade files are, absolute; main() decides it and makes the folder.
    explicit Program(QString dataFolder);
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    // Opens the access screen.
    void start();

    // The end of the desktop session (log-out, shut-down): every worksheet's work not yet stored is
    // stored without asking, as there may be no one to answer. The first failure is returned.
    Result<void> storeChangedWorksheets();

    Screens &screens() { return m_screens; }
    Roster &roster(int grade) { return m_rosters.at(std::size_t(grade - 1)); }
    Clock &clock() { return m_clock; }

private:
    std::unique_ptr<QWidget> make(Screen screen);

    QString m_dataFolder;
    Clock m_clock;
    Screens m_screens{[this](Screen screen) { return make(screen); }};
    std::array<Roster, 3> m_rosters;
    QObject m_sessionWatch; // ends the session-end connection with the program
};

} // namespace merlox2
