#pragma once

#include "platform/Printing.h"

namespace merlox2 {

// Printing lives in a module of its own (merlox2print), which the program loads when the first sheet is
// printed: the print system's libraries (libcups and the 19 libraries it brings along, Kerberos, GnuTLS and
// Avahi among them; on Windows, Qt's print support) then cost nothing at a start that prints nothing.

// What one print gives, as printOnDefaultPrinter() returns it.
using PrintOutcome = decltype(printOnDefaultPrinter(nullptr, QRect()));

// The one function the module exports: prints as printOnDefaultPrinter() does, into *outcome. The name
// carries the version of this interface, to be raised whenever the arguments or PrintOutcome change: a
// module built for another interface is then not found, rather than called with arguments it reads wrongly.
inline constexpr char PrintModuleEntry[] = "merlox2_print_v2";
using PrintModuleFunction = void (*)(QWidget *screen, const QRect *area, PrintOutcome *outcome);

// The module's second entry, for a document of several pages (printPagesOnDefaultPrinter()).
inline constexpr char PrintPagesEntry[] = "merlox2_print_pages_v1";
using PrintPagesFunction = void (*)(const QString *title, const PageDrawer *draw, PrintOutcome *outcome);

// The third, for the default printer's paper (defaultPrinterPageLayout()).
inline constexpr char PageLayoutEntry[] = "merlox2_page_layout_v1";
using PageLayoutFunction = void (*)(Result<QPageLayout> *layout);

// Inside the module: the printing itself, through the system's print service (CUPS, or Windows' spooler).
PrintOutcome printThroughPrintService(QWidget *screen, QRect area);
PrintOutcome printPagesThroughPrintService(const QString &title, const PageDrawer &draw);
Result<QPageLayout> pageLayoutThroughPrintService();

} // namespace merlox2
