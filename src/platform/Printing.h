#pragma once

#include "records/Result.h"

#include <QRect>

class QWidget;

namespace merlox2 {

// Prints one page on the default printer, on its default paper: the given area of the screen as it
// is drawn now, at the printer's resolution, at the top left of the printable area and scaled to
// its width. The page goes to the printer when this returns.
Result<void> printOnDefaultPrinter(QWidget *screen, QRect area);

} // namespace merlox2
