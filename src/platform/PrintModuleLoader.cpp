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

PrintModuleFunction &loadedModule()
{
    static PrintModuleFunction print = nullptr;
    return print;
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

Result<PrintModuleFunction> loadPrintModule()
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
        // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast)
        if (auto print = reinterpret_cast<PrintModuleFunction>(module.resolve(PrintModuleEntry)))
            return print;
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

Result<PrintedSheet> printOnDefaultPrinter(QWidget *screen, QRect area)
{
    PrintModuleFunction &print = loadedModule();
    if (!print) {
        Result<PrintModuleFunction> loaded = loadPrintModule();
        if (!loaded)
            return loaded.error();
        print = loaded.value();
    }
    PrintOutcome outcome = Error{.action = Action::Print}; // the module always sets it
    print(screen, &area, &outcome);
    return outcome;
}

void setPrintModuleFolders(const QStringList &folders)
{
    chosenFolders() = folders;
    loadedModule() = nullptr;
}

} // namespace merlox2
