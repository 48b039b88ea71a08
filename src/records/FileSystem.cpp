#include "records/FileSystem.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>

// What the file layers of every system share: the names of the temporary files.
namespace merlox2::filesystem {

namespace {

// Between the grade file's name and six random letters or digits. A name no teacher gives a backup
// copy ("secundaria1.dat.backup" is one), since leftovers of this form are deleted unasked.
constexpr QLatin1StringView TemporaryInfix(".guardando-");

QString randomSuffix()
{
    static constexpr char Characters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString suffix;
    for (int i = 0; i < 6; ++i)
        suffix += QLatin1Char(Characters[QRandomGenerator::global()->bounded(int(sizeof Characters) - 1)]);
    return suffix;
}

} // namespace

QString temporaryName(const QString &path) { return path + TemporaryInfix + randomSuffix(); }

bool isLeftoverName(const QString &gradeFileName, const QString &name)
{
    const qsizetype prefix = gradeFileName.size() + TemporaryInfix.size();
    if (name.size() != prefix + 6 || !name.startsWith(gradeFileName) ||
        QStringView(name).sliced(gradeFileName.size(), TemporaryInfix.size()) != TemporaryInfix)
        return false;
    return std::ranges::all_of(QStringView(name).sliced(prefix), [](QChar c) {
        const char16_t u = c.unicode();
        return (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z');
    });
}

void removeLeftovers(const QString &path)
{
    const QFileInfo info(path);
    const QDir folder = info.absoluteDir();
    // System: a leftover keeps the grade file's Windows attributes.
    const QStringList names = folder.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    for (const QString &name : names) {
        if (isLeftoverName(info.fileName(), name))
            removeFile(folder.filePath(name));
    }
}

} // namespace merlox2::filesystem
