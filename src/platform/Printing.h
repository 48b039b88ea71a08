#pragma once

#include "common/Result.h"
#include "platform/PrintServer.h"

#include <QPageLayout>
#include <QRect>
#include <QStringList>

#include <functional>

class QPagedPaintDevice;
class QWidget;

namespace merlox2 {

// Prints one page on the default printer, on its default paper: the given area of the screen as it
// is drawn now, at the top left of the printable area and scaled to its width. The page goes to the
// printer when this returns, and only a job the print system accepted counts as printed. No wait on
// the print server lasts more than a moment, so a server that does not answer can't hold the screen.
// A failure names the printer, or the print server, in Error::subject, and CUPS' own words in detail. A job
// the server took but did not get the page of is cancelled, so that nothing prints after a failure.
// The first print loads the print module (PrintModule.h, Modules.h); where it is missing or can't be loaded,
// the failure says so (Cause::NoModule) and the next print looks again.
Result<PrintedSheet> printOnDefaultPrinter(QWidget *screen, QRect area);

// Draws a document's pages on the device, calling newPage() between them; false where the drawing failed.
// The device has the default printer's paper and margins: width() and height() are the printable area.
using PageDrawer = std::function<bool(QPagedPaintDevice &pages)>;

// Prints a document of several pages as one job on the default printer, on its default paper, as
// printOnDefaultPrinter() prints one: the same print server, time limits and failures. The title names the
// job in the printer's queue.
Result<PrintedSheet> printPagesOnDefaultPrinter(const QString &title, const PageDrawer &draw);

// The default printer's paper and margins, as a print would have them, for a document saved rather than
// printed. A failure as printing words it; the same time limits.
Result<QPageLayout> defaultPrinterPageLayout();

} // namespace merlox2
