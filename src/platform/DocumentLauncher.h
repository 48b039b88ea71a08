#pragma once

#include "common/Result.h"

#include <QString>

#include <functional>

namespace merlox2 {

// Opens an embedded document for reading and printing: a read-only copy is written to the folder
// «documentos» inside the grade files' folder, where the teacher finds it and where the word processor
// offers to save a filled-in format, and handed to the desktop's registered application. Where that
// folder can't be written (a read-only disk), the copy goes to the user's cache folder instead. A file
// there that differs from the document is left alone and the copy takes another name. Returns the path
// of the copy; a failure names the document in Error::subject and its folder (the one beside the grade
// files), or its copy, in place.
class DocumentLauncher {
public:
    static Result<QString> open(const QString &resourcePath, const QString &fileName,
                                const QString &dataFolder);

    // Tests replace the desktop side: given the copy's path, true when an application took it.
    using Opener = std::function<bool(const QString &path)>;
    static void setOpenerForTesting(Opener opener);

private:
    static bool openWithDesktop(const QString &path);
    static Opener s_opener;
};

} // namespace merlox2
