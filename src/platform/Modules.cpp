#include "platform/Modules.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QMutex>

#include <algorithm>
#include <map>

namespace merlox2 {

namespace {

struct Loaded {
    QMutex mutex;
    QStringList chosenFolders;
    std::map<QString, std::vector<QFunctionPointer>> modules; // by file name
};

Loaded &loaded()
{
    static Loaded state;
    return state;
}

QStringList folders(const QStringList &chosen)
{
    if (!chosen.isEmpty())
        return chosen;
    const QString program = QCoreApplication::applicationDirPath();
    const QString installed = QDir::cleanPath(program + u'/' + QStringLiteral(MERLOX2_MODULES_FROM_PROGRAM));
    return installed == program ? QStringList{program} : QStringList{program, installed};
}

} // namespace

Result<std::vector<QFunctionPointer>> loadModule(const QString &fileName,
                                                 const std::vector<const char *> &entries, Action action)
{
    Loaded &state = loaded();
    const QMutexLocker lock(&state.mutex);
    if (const auto known = state.modules.find(fileName); known != state.modules.end())
        return known->second;
    const QStringList where = folders(state.chosenFolders);
    QString why;
    for (const QString &folder : where) {
        const QString path = QDir(folder).filePath(fileName);
        if (!QFileInfo::exists(path))
            continue;
        QLibrary module(path);
        std::vector<QFunctionPointer> found(entries.size());
        std::ranges::transform(entries, found.begin(),
                               [&module](const char *entry) { return module.resolve(entry); });
        if (std::ranges::find(found, nullptr) == found.end())
            return state.modules[fileName] = found;
        why = module.errorString();
    }
    QStringList shown;
    for (const QString &folder : where)
        shown << QDir::toNativeSeparators(folder);
    return Error{.action = action,
                 .cause = Cause::NoModule,
                 .subject = fileName,
                 .place = shown.join(u'\n'),
                 .detail = why};
}

void setModuleFolders(const QStringList &folders)
{
    Loaded &state = loaded();
    const QMutexLocker lock(&state.mutex);
    state.chosenFolders = folders;
    state.modules.clear();
}

} // namespace merlox2
