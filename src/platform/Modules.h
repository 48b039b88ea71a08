#pragma once

#include "common/Result.h"

#include <QStringList>

#include <vector>

namespace merlox2 {

// The program's own modules (printing, the Excel export) are loaded when they are first used, so that the
// libraries they bring cost nothing at a start that does not use them. They are looked for beside the
// program (a build, or Windows' program folder), then in the installation's folder of libraries.

// Loads fileName from the first of those folders that has it, and finds every entry in it: all of them, or
// none. A module is never unloaded: its libraries stay for the next use. Safe from any thread. A failure is
// Cause::NoModule under action, with the file's name (subject), the folders looked in (place, one a line)
// and, where the file is there, why the system could not load it (detail); the next call looks again.
Result<std::vector<QFunctionPointer>> loadModule(const QString &fileName,
                                                 const std::vector<const char *> &entries, Action action);

// Where to look for the modules instead: for tests, which run from a folder of their own. An empty list
// restores the program's folders. A module already found is looked for anew.
void setModuleFolders(const QStringList &folders);

} // namespace merlox2
