// The program's side of printing: finds the print module when the first sheet is printed, and hands it
// each print.
#include "platform/Printing.h"

#include "platform/Modules.h"
#include "platform/PrintModule.h"

namespace merlox2 {

namespace {

struct PrintModuleEntries {
    PrintModuleFunction sheet = nullptr;
    PrintPagesFunction pages = nullptr;
    PageLayoutFunction layout = nullptr;
};

Result<PrintModuleEntries> printModule()
{
    const Result<std::vector<QFunctionPointer>> module =
        loadModule(QStringLiteral(MERLOX2_PRINT_MODULE_FILE),
                   {PrintModuleEntry, PrintPagesEntry, PageLayoutEntry}, Action::Print);
    if (!module)
        return module.error();
    // The entries' types are known only by their names: PrintModuleEntry.cpp checks them against ours.
    // NOLINTBEGIN(cppcoreguidelines-pro-type-reinterpret-cast)
    return PrintModuleEntries{reinterpret_cast<PrintModuleFunction>(module.value().at(0)),
                              reinterpret_cast<PrintPagesFunction>(module.value().at(1)),
                              reinterpret_cast<PageLayoutFunction>(module.value().at(2))};
    // NOLINTEND(cppcoreguidelines-pro-type-reinterpret-cast)
}

} // namespace

Result<PrintedSheet> printOnDefaultPrinter(QWidget *screen, QRect area)
{
    const Result<PrintModuleEntries> module = printModule();
    if (!module)
        return module.error();
    PrintOutcome outcome = Error{.action = Action::Print}; // the module always sets it
    module.value().sheet(screen, &area, &outcome);
    return outcome;
}

Result<PrintedSheet> printPagesOnDefaultPrinter(const QString &title, const PageDrawer &draw)
{
    const Result<PrintModuleEntries> module = printModule();
    if (!module)
        return module.error();
    PrintOutcome outcome = Error{.action = Action::Print};
    module.value().pages(&title, &draw, &outcome);
    return outcome;
}

Result<QPageLayout> defaultPrinterPageLayout()
{
    const Result<PrintModuleEntries> module = printModule();
    if (!module)
        return module.error();
    Result<QPageLayout> layout = Error{.action = Action::Print};
    module.value().layout(&layout);
    return layout;
}

} // namespace merlox2
