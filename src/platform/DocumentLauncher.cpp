#include "platform/DocumentLauncher.h"

#include <QDir>
#include <QFile>
#include <QMimeDatabase>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace merlox2 {

DocumentLauncher::Opener DocumentLauncher::s_opener;

void DocumentLauncher::setOpenerForTesting(Opener opener)
{
    s_opener = std::move(opener);
}

Result<QString> DocumentLauncher::open(const QString &resourcePath, const QString &fileName)
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + u"/documentos"_s;
    const QString path = folder + u'/' + fileName;

    QFile source(resourcePath);
    QByteArray content;
    if (source.open(QIODevice::ReadOnly))
        content = source.readAll();
    QSaveFile copy(path);
    if (content.isEmpty() || !QDir().mkpath(folder) || !copy.open(QIODevice::WriteOnly) ||
        copy.write(content) != content.size() || !copy.commit()) {
        return Error{ErrorCode::WriteFailed,
                     u"No se pudo preparar el documento %1 en la carpeta %2. "
                     "Compruebe que haya espacio en el disco y permiso para escribir en esa carpeta, "
                     "e intente de nuevo."_s.arg(fileName, QDir::toNativeSeparators(folder))};
    }

    const bool opened = s_opener ? s_opener(path) : openWithDesktop(path);
    if (!opened) {
        return Error{ErrorCode::NoDocumentViewer,
                     u"No se encontró ningún programa para abrir documentos como %1. La copia del documento "
                     "quedó en %2; instale un procesador de textos (por ejemplo LibreOffice Writer) o "
                     "ábrala con el que tenga."_s.arg(fileName, QDir::toNativeSeparators(path))};
    }
    return path;
}

bool DocumentLauncher::openWithDesktop(const QString &path)
{
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
}

} // namespace merlox2
