#pragma once

#include "common/Result.h"

#include <QRect>

class QWidget;

namespace merlox2 {

// How long the print server may take over one exchange (finding the printer, or taking the job). The
// screen is still meanwhile, so this stays well under two seconds.
inline constexpr int PrintServerAnswerWithinMs = 1500;

// How long the print server may take to cancel a job that did not get its page. A working server answers
// at once, and the cancel may come after a full PrintServerAnswerWithinMs, so it stays short.
inline constexpr int PrintServerFollowUpWithinMs = 500;

// Prints one page on the default printer, on its default paper: the given area of the screen as it
// is drawn now, at the top left of the printable area and scaled to its width. The page goes to the
// printer when this returns, and only a job the print system accepted counts as printed. No wait on
// the print server lasts more than a moment, so a server that does not answer can't hold the screen.
// A failure names the printer, or the print server, in Error::subject, and CUPS' own words in detail. A job
// the server took but did not get the page of is cancelled, so that nothing prints after a failure.
Result<void> printOnDefaultPrinter(QWidget *screen, QRect area);

} // namespace merlox2
