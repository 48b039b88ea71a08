#pragma once

#include "common/Result.h"

#include <QString>

#include <functional>

namespace merlox2 {

// Opens an embedded document for reading and printing: a read-only copy is written to the user's cache
// folder and handed to the desktop's registered application. A file there that differs from the
// document is left alone and the copy takes another name. Returns the path of the copy; a failure names
// the document in Error::subject and its folder, or its copy, in place.
class DocumentLauncher {
public:
    static Result<QString> open(const QString &resourcePath, const QString &fileName);

    // Tests replace the desktop side: given the copy's path, true when an application took it.
    using Opener = std::function<bool(const QString &path)>;
    static void setOpenerForTesting(Opener opener);

private:
    static bool openWithDesktop(const QString &path);
    static Opener s_opener;
};

} // namespace merlox2
