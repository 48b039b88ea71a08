#pragma once

#include "common/Result.h"

#include <QString>

namespace merlox2 {

// Makes the grade files' folder (an absolute path) where it is missing, with the folders above it, before
// any screen needs it: a folder deleted since the last start is made again. Fails, with the folder as the
// subject, where it can't be made or a file has its name.
Result<void> prepareDataFolder(const QString &folder);

} // namespace merlox2
