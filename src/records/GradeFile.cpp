#include "records/GradeFile.h"

#include "records/FileSystem.h"

#include <QFileInfo>

#include <algorithm>
#include <cerrno>

using namespace Qt::StringLiterals;

namespace merlox2 {

namespace {

// Finish: the new content took the file's place, but the disk did not confirm that it will stay there.
enum class Action { Read, Create, Save, Finish };

struct Reason {
    ErrorCode code;
    QString why;
    QString advice;
};

// Checked with the effective ids, the ones the kernel uses when the file is opened.
bool writableByUs(const QString &path)
{
    return filesystem::checkWritable(path) == 0;
}

// Qt's own error strings are English; the teacher gets the kind of failure in Spanish instead.
Reason reasonFor(Action action, const QString &path, int errnum)
{
    const QFileInfo info(path);
    const QString tryAgain =
        u"Intente de nuevo; si vuelve a ocurrir, compruebe el disco y la carpeta del programa."_s;
    // Opening a folder for reading succeeds at the system level and Qt refuses it without errno.
    if (info.isDir() || errnum == EISDIR)
        return {ErrorCode::IsFolder, u"en su lugar hay una carpeta con el mismo nombre"_s,
                u"Cambie el nombre de esa carpeta o muévala a otro sitio e intente de nuevo."_s};
    if (action == Action::Finish)
        action = Action::Save;
    if (errnum == 0 && action == Action::Save && info.exists() && !writableByUs(path))
        errnum = EACCES;

    switch (errnum) {
    case EACCES:
    case EPERM: {
        QString why = u"no hay permiso para escribir en la carpeta"_s;
        if (action == Action::Read)
            why = u"no hay permiso para leer el archivo"_s;
        else if (action == Action::Save && info.exists() && !writableByUs(path))
            why = u"el archivo está protegido contra escritura"_s;
        return {ErrorCode::PermissionDenied, why, u"Compruebe los permisos e intente de nuevo."_s};
    }
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return {ErrorCode::DiskFull, u"no queda espacio en el disco"_s,
                u"Libere espacio en el disco e intente de nuevo."_s};
    case ENOTDIR:
        return {ErrorCode::NotAFolder, u"una parte de su ruta es un archivo y no una carpeta"_s,
                u"Compruebe la carpeta de trabajo del programa e intente de nuevo."_s};
    case EROFS:
        return {
            ErrorCode::ReadOnlyDisk, u"el disco es de solo lectura"_s,
            u"Copie el programa y sus archivos a un disco en el que se pueda escribir e intente de nuevo."_s};
    case ENOENT:
        return {ErrorCode::NotFound, u"la carpeta donde debe estar no existe"_s,
                u"Compruebe que la carpeta de trabajo del programa existe e intente de nuevo."_s};
    case EBUSY:
    case ETXTBSY:
    case EAGAIN:
        return {ErrorCode::Locked, u"el archivo está en uso"_s,
                u"Cierre el programa que lo esté usando e intente de nuevo."_s};
    case ENOMEM:
        return {ErrorCode::Other, u"el sistema se quedó sin memoria"_s,
                u"Cierre otros programas e intente de nuevo."_s};
    case EMFILE:
    case ENFILE:
        return {ErrorCode::Other, u"hay demasiados archivos abiertos"_s,
                u"Cierre otros programas e intente de nuevo."_s};
    case ENAMETOOLONG:
        return {ErrorCode::Other, u"su ruta es demasiado larga"_s,
                u"Mueva el programa a una carpeta de ruta más corta e intente de nuevo."_s};
    default: break;
    }
    const ErrorCode code = action == Action::Save ? ErrorCode::WriteFailed : ErrorCode::ReadFailed;
    if (errnum == EIO)
        return {code, u"el disco no respondió como debía (error de entrada y salida)"_s, tryAgain};
    if (errnum != 0)
        return {code, u"el sistema informó el error número %1"_s.arg(errnum), tryAgain};
    return {code, u"ocurrió un error inesperado"_s, tryAgain};
}

// action names what failed for the teacher; the reason is looked for as for reasonAction (reading the
// file before a store is part of saving it, but a refusal there is a refusal to read).
Error failure(Action action, const QString &path, int errnum, Action reasonAction)
{
    const Reason reason = reasonFor(reasonAction, path, errnum);
    const QString verb = action == Action::Read     ? u"leer"_s
                         : action == Action::Create ? u"crear"_s
                         : action == Action::Finish ? u"terminar de guardar"_s
                                                    : u"guardar"_s;
    return {reason.code,
            u"No se pudo %1 %2: %3. %4"_s.arg(verb, QFileInfo(path).fileName(), reason.why, reason.advice)};
}

Error failure(Action action, const QString &path, int errnum)
{
    return failure(action, path, errnum, action);
}

// The file a store replaces: its whole present content, tail included, so that the store can write it
// back around its records, and what the new file must keep of the old one.
struct Current {
    QString target; // symbolic links followed
    QByteArray content;
    filesystem::Attributes attributes;
    bool exists = false;
};

Result<Current> readCurrent(const QString &path)
{
    Current current;
    if (const int error = filesystem::resolveLinks(path, current.target))
        return failure(Action::Save, path, error, Action::Read);
    bool missing = false;
    if (const int error = filesystem::read(current.target, -1, current.content, current.attributes, missing))
        return failure(Action::Save, current.target, error, Action::Read);
    current.exists = !missing;
    return current;
}

void putRecord(QByteArray &content, int n, const StudentRecord &record)
{
    const qsizetype offset = qsizetype(n - 1) * StudentRecord::Size;
    if (content.size() < offset + StudentRecord::Size)
        content.resize(offset + StudentRecord::Size, '\0'); // a gap before the record reads as NUL
    std::copy_n(record.data(), StudentRecord::Size, content.begin() + offset);
}

// The new content goes over the old in place. It never truncates: the new content is the old one with
// some records replaced or added, so a failure part way leaves every other record as it was.
Result<void> writeInPlace(const QString &path, const QByteArray &content)
{
    if (const int error = filesystem::writeOver(path, content))
        return failure(Action::Save, path, error);
    return {};
}

// All or nothing: the new content goes to a temporary file beside the grade file, which then takes its
// place with the old file's permissions, owner and group. Where the folder refuses the temporary file,
// or the temporary file can't be given what the old one had, the file is written in place instead.
Result<void> replaceContent(const Current &current, const QByteArray &content)
{
    const QString &path = current.target;
    // A write-protected file is not replaced behind its protection.
    if (current.exists) {
        if (const int error = filesystem::checkWritable(path))
            return failure(Action::Save, path, error);
    }
    bool inPlace = false;
    {
        filesystem::Replacement replacement(path);
        if (const int error = replacement.create(current.exists)) {
            if (!current.exists || (error != EACCES && error != EPERM))
                return failure(Action::Save, path, error);
            inPlace = true; // the folder refuses new files; the file itself may be written
        } else if (current.exists && replacement.keep(current.attributes) != 0) {
            inPlace = true; // another owner, or a mode we may not set: the temporary file goes
        } else {
            if (const int error = replacement.write(content))
                return failure(Action::Save, path, error);
            bool renamed = false;
            if (const int error = replacement.commit(renamed))
                return failure(renamed ? Action::Finish : Action::Save, path, error);
        }
    }
    if (inPlace) {
        if (Result<void> written = writeInPlace(path, content); !written)
            return written;
    }
    filesystem::removeLeftovers(path);
    return {};
}

} // namespace

QString GradeFile::fileNameForGrade(int grade)
{
    Q_ASSERT(grade >= 1 && grade <= 3);
    return u"secundaria%1.dat"_s.arg(grade);
}

Result<void> GradeFile::loadRoster(Roster &roster) const
{
    QByteArray content;
    for (int attempt = 0;; ++attempt) {
        filesystem::Attributes attributes;
        bool missing = false;
        if (const int error = filesystem::read(m_path, FullSize, content, attributes, missing))
            return failure(Action::Read, m_path, error);
        if (!missing)
            break;
        // A missing file is created empty. One that appeared meanwhile is read after all.
        const int error = filesystem::createEmpty(m_path);
        if (error == EEXIST && attempt == 0)
            continue;
        if (error != 0)
            return failure(Action::Create, m_path, error);
        return {};
    }
    if (content.isEmpty())
        return {};

    // Everything is read before the first slot changes, so a failed load leaves the roster whole.
    const QByteArrayView bytes(content);
    for (int X = Roster::FirstSlot; X <= Roster::LastSlot; ++X) {
        const qsizetype offset = std::min<qsizetype>(qsizetype(X - 1) * LongitudReg, bytes.size());
        const qsizetype length = std::min<qsizetype>(LongitudReg, bytes.size() - offset);
        roster[X] = StudentRecord::fromBytes(bytes.sliced(offset, length));
    }
    return {};
}

Result<void> GradeFile::storeRecord(const Roster &roster, int n) const
{
    if (n < Roster::FirstSlot || n > Roster::LastSlot)
        return Error{ErrorCode::Other,
                     u"No se pudo guardar %1: el registro %2 no existe, solo hay registros del 1 al 30. "
                     "Avise a quien da mantenimiento al programa."_s.arg(QFileInfo(m_path).fileName())
                         .arg(n)};
    const Result<Current> current = readCurrent(m_path);
    if (!current)
        return current.error();
    QByteArray content = current.value().content;
    putRecord(content, n, roster[n]);
    return replaceContent(current.value(), content);
}

Result<void> GradeFile::storeRoster(const Roster &roster) const
{
    const Result<Current> current = readCurrent(m_path);
    if (!current)
        return current.error();
    QByteArray content = current.value().content;
    for (int X = Roster::FirstSlot; X <= Roster::LastSlot; ++X)
        putRecord(content, X, roster[X]);
    return replaceContent(current.value(), content);
}

} // namespace merlox2
