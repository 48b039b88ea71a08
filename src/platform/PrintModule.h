#pragma once

#include "common/Result.h"

#include <QRect>

class QWidget;

namespace merlox2 {

// Printing lives in a module of its own (merlox2print), which the program loads when the first sheet is
// printed: the print system's libraries (libcups and the 19 libraries it brings along, Kerberos, GnuTLS and
// Avahi among them; on Windows, Qt's print support) then cost nothing at a start that prints nothing.

// The one function the module exports. The name carries the version of this interface: a module built
// for another interface is not found, rather than called with arguments it reads wrongly.
inline constexpr char PrintModuleEntry[] = "merlox2_print_v1";
// Prints as printOnDefaultPrinter() does: true once printed, else false with the failure in *failure.
using PrintModuleFunction = bool (*)(QWidget *screen, const QRect *area, Error *failure);

// Inside the module: the printing itself, through the system's print service (CUPS, or Windows' spooler).
Result<void> printThroughPrintService(QWidget *screen, QRect area);

} // namespace merlox2
