#pragma once

#include "common/Result.h"

#include <QRect>
#include <QString>
#include <QStringList>

class QWidget;

namespace merlox2 {

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

// Prints one page on the default printer, on its default paper: the given area of the screen as it
// is drawn now, at the top left of the printable area and scaled to its width. The page goes to the
// printer when this returns, and only a job the print system accepted counts as printed. No wait on
// the print server lasts more than a moment, so a server that does not answer can't hold the screen.
// A failure names the printer, or the print server, in Error::subject, and CUPS' own words in detail. A job
// the server took but did not get the page of is cancelled, so that nothing prints after a failure.
// The first print loads the print module (PrintModule.h), from the program's folder or, in an
// installation, from the program's folder of libraries; where it is missing or can't be loaded, the
// failure says so (Cause::NoPrintModule) and the next print looks again.
Result<PrintedSheet> printOnDefaultPrinter(QWidget *screen, QRect area);

// Where to look for the print module instead: for tests, which run from a folder of their own. An empty
// list restores the program's folders. A module already loaded is forgotten, so the next print looks anew.
void setPrintModuleFolders(const QStringList &folders);

} // namespace merlox2
