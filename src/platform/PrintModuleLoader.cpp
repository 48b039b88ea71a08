// The program's side of printing: finds the print module when the first sheet is printed, and hands it
// each print.
#include "platform/Printing.h"

#include "platform/PrintModule.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace merlox2 {

namespace {

QStringList &chosenFolders()
{
    static QStringList folders;
    return folders;
}

struct PrintModuleEntries {
    PrintModuleFunction sheet = nullptr;
    PrintPagesFunction pages = nullptr;
    PageLayoutFunction layout = nullptr;
};

PrintModuleEntries &loadedModule()
{
    static PrintModuleEntries entries;
    return entries;
}

// Beside the program (a build, or Windows' program folder), then the installation's folder of libraries.
QStringList moduleFolders()
{
    if (!chosenFolders().isEmpty())
        return chosenFolders();
    const QString program = QCoreApplication::applicationDirPath();
    const QString installed =
        QDir::cleanPath(program + u'/' + QStringLiteral(MERLOX2_PRINT_MODULE_FROM_PROGRAM));
    return installed == program ? QStringList{program} : QStringList{program, installed};
}

Result<PrintModuleEntries> loadPrintModule()
{
    const QString fileName = QStringLiteral(MERLOX2_PRINT_MODULE_FILE);
    const QStringList folders = moduleFolders();
    QString why;
    for (const QString &folder : folders) {
        const QString path = QDir(folder).filePath(fileName);
        if (!QFileInfo::exists(path))
            continue;
        // Never unloaded: the print system's libraries stay for the next print.
        QLibrary module(path);
        // The entry's type is known only by its name: PrintModuleEntry.cpp checks it against ours.
        // NOLINTBEGIN(cppcoreguidelines-pro-type-reinterpret-cast)
        const PrintModuleEntries entries{
            reinterpret_cast<PrintModuleFunction>(module.resolve(PrintModuleEntry)),
            reinterpret_cast<PrintPagesFunction>(module.resolve(PrintPagesEntry)),
            reinterpret_cast<PageLayoutFunction>(module.resolve(PageLayoutEntry))};
        // NOLINTEND(cppcoreguidelines-pro-type-reinterpret-cast)
        if (entries.sheet && entries.pages && entries.layout)
            return entries;
        why = module.errorString();
    }
    QStringList shown;
    for (const QString &folder : folders)
        shown << QDir::toNativeSeparators(folder);
    return Error{.action = Action::Print,
                 .cause = Cause::NoPrintModule,
                 .subject = fileName,
                 .place = shown.join(u'\n'),
                 .detail = why};
}

} // namespace

namespace {

Result<PrintModuleEntries> printModule()
{
    PrintModuleEntries &entries = loadedModule();
    if (!entries.sheet) {
        Result<PrintModuleEntries> loaded = loadPrintModule();
        if (!loaded)
            return loaded.error();
        entries = loaded.value();
    }
    return entries;
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

void setPrintModuleFolders(const QStringList &folders)
{
    chosenFolders() = folders;
    loadedModule() = {};
}

} // namespace merlox2
