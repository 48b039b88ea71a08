#pragma once

#include <QString>

namespace merlox2 {

// What printing and the teacher's messages about it share, without the printing code itself.

// How long the print server may take over one exchange (finding the printer, or taking the job). The
// screen is still meanwhile, so this stays well under two seconds.
inline constexpr int PrintServerAnswerWithinMs = 1500;

// How long the print server may take over an exchange that follows the job: cancelling a job that did not
// get its page, or reading the printer's state once the job is in. A working server answers these at once,
// and they may come after a full PrintServerAnswerWithinMs, so they stay short.
inline constexpr int PrintServerFollowUpWithinMs = 500;

// A sheet the print system took.
struct PrintedSheet {
    QString printer{};
    // The printer is stopped (paused by someone, or by the print system after a fault): the sheet waits in
    // its queue and comes out once the printer is resumed. Not a failure: printing again would give two.
    bool printerStopped = false;
    QString printerMessage{}; // the print system's own words on the printer's state, where it gave any
};

} // namespace merlox2
