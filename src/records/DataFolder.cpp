#include "records/DataFolder.h"

#include "records/FileSystem.h"

namespace merlox2 {

Result<void> prepareDataFolder(const QString &folder)
{
    if (const filesystem::Status failed = filesystem::makeFolder(folder))
        return Error{.action = Action::PrepareDataFolder,
                     .cause = failed->cause,
                     .subject = folder,
                     .systemCode = failed->systemCode};
    return {};
}

} // namespace merlox2
