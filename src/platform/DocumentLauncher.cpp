#include "platform/DocumentLauncher.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace merlox2 {

DocumentLauncher::Opener DocumentLauncher::s_opener;

void DocumentLauncher::setOpenerForTesting(Opener opener) { s_opener = std::move(opener); }

namespace {

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// "formato.rtf", then "formato (2).rtf", "formato (3).rtf"...: the first name that is free or already
// holds this very document. A file there with anything else in it may be the teacher's work, saved
// over an earlier copy: it is never overwritten.
struct CopyPlace {
    QString path;
    bool written = false; // the document is there already
};

CopyPlace copyPlaceIn(const QString &folder, const QString &fileName, const QByteArray &content)
{
    const QFileInfo name(fileName);
    for (int n = 1;; ++n) {
        const QString candidate =
            folder + u'/' +
            (n == 1 ? fileName : u"%1 (%2).%3"_s.arg(name.completeBaseName()).arg(n).arg(name.suffix()));
        const QFileInfo info(candidate);
        if (!info.exists() && !info.isSymLink())
            return {candidate, false};
        if (info.isFile() && contentOf(candidate) == content)
            return {candidate, true};
    }
}

// The read-only copy in a folder, or the folder's failure (neither QDir nor QSaveFile says why).
Result<QString> writeCopy(const QString &folder, const QString &fileName, const QByteArray &content)
{
    const Error notPrepared{.action = Action::PrepareDocument, .subject = fileName, .place = folder};
    if (!QDir().mkpath(folder))
        return notPrepared;
    const auto [path, written] = copyPlaceIn(folder, fileName, content);
    if (!written) {
        QSaveFile copy(path);
        if (!copy.open(QIODevice::WriteOnly) || copy.write(content) != content.size() || !copy.commit())
            return notPrepared;
    }
    // Read-only, so that the word processor asks for another name when the teacher saves a filled-in
    // format, and the next copy can't be mistaken for the teacher's work.
    QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    return path;
}

} // namespace

Result<QString> DocumentLauncher::open(const QString &resourcePath, const QString &fileName,
                                       const QString &dataFolder)
{
    const QString folder = QDir(dataFolder).absoluteFilePath(u"documentos"_s);
    const QByteArray content = contentOf(resourcePath);
    if (content.isEmpty())
        return Error{.action = Action::PrepareDocument, .subject = fileName, .place = folder};
    Result<QString> copy = writeCopy(folder, fileName, content);
    if (!copy) {
        const QString cache =
            QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + u"/documentos"_s;
        if (Result<QString> cached = writeCopy(cache, fileName, content))
            copy = std::move(cached);
    }
    if (!copy)
        return copy.error(); // the folder beside the grade files: the one the teacher knows
    const QString path = copy.value();

    const bool opened = s_opener ? s_opener(path) : openWithDesktop(path);
    if (!opened) {
        return Error{.action = Action::OpenDocument,
                     .cause = Cause::NoApplication,
                     .subject = fileName,
                     .place = path};
    }
    return path;
}

bool DocumentLauncher::openWithDesktop(const QString &path)
{
#ifdef Q_OS_WIN
    // The shell's association for the file's kind; it says so when there is none.
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
#else
    // xdg-open reports success as soon as it starts, so ask first whether the desktop has an
    // application for this kind of document.
    const QString mime = QMimeDatabase().mimeTypeForFile(path).name();
    QProcess query;
    query.start(u"xdg-mime"_s, {u"query"_s, u"default"_s, mime});
    if (!query.waitForFinished(5000) || query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0)
        return false;
    if (query.readAllStandardOutput().trimmed().isEmpty())
        return false;
    return QProcess::startDetached(u"xdg-open"_s, {path});
#endif
}

} // namespace merlox2
