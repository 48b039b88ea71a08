#include "records/GradeFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace merlox2 {

namespace {

enum class Action { Read, Create, Save };

struct Reason {
    ErrorCode code;
    QString why;
    QString advice;
};

// Checked with the effective ids, the ones the kernel uses when the file is opened.
bool writableByUs(const QString &path)
{
    return ::faccessat(AT_FDCWD, QFile::encodeName(path).constData(), W_OK, AT_EACCESS) == 0;
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
                                                    : u"guardar"_s;
    return {reason.code,
            u"No se pudo %1 %2: %3. %4"_s.arg(verb, QFileInfo(path).fileName(), reason.why, reason.advice)};
}

Error failure(Action action, const QString &path, int errnum)
{
    return failure(action, path, errnum, action);
}

// The whole present content, tail included, so that a store can write it back around its records.
Result<QByteArray> readCurrent(const QString &path)
{
    QFile existing(path);
    if (!existing.exists() && !QFileInfo(path).isDir())
        return QByteArray();
    errno = 0;
    if (!existing.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return failure(Action::Save, path, errno, Action::Read);
    errno = 0;
    QByteArray content = existing.readAll();
    if (existing.error() != QFileDevice::NoError)
        return failure(Action::Save, path, errno, Action::Read);
    return content;
}

void putRecord(QByteArray &content, int n, const StudentRecord &record)
{
    const qsizetype offset = qsizetype(n - 1) * StudentRecord::Size;
    if (content.size() < offset + StudentRecord::Size)
        content.resize(offset + StudentRecord::Size, '\0'); // a gap before the record reads as NUL
    std::copy_n(record.data(), StudentRecord::Size, content.begin() + offset);
}

// Where the folder refuses a temporary file but the grade file may be written, the new content goes
// over the old in place. It never truncates: the new content is the old one with some records
// replaced or added, so a failure part way leaves every other record as it was.
Result<void> writeInPlace(const QString &path, const QByteArray &content)
{
    QFile CNumero(path);
    errno = 0;
    if (!CNumero.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return failure(Action::Save, path, errno);
    errno = 0;
    if (CNumero.write(content) != content.size() || !CNumero.flush())
        return failure(Action::Save, path, errno);
    errno = 0;
    if (::fsync(CNumero.handle()) != 0)
        return failure(Action::Save, path, errno);
    return {};
}

// The rename lives in the folder: flushing it too keeps a power cut from bringing back the old file.
// A folder that can't be flushed changes nothing for the teacher: the new file is there already.
void syncFolder(const QString &path)
{
    const int folder = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return;
    ::fsync(folder);
    ::close(folder);
}

bool folderWritableByUs(const QString &path)
{
    return writableByUs(QFileInfo(path).absolutePath());
}

// All or nothing: the new content goes to a temporary file beside the grade file, which then takes
// its place.
Result<void> replaceContent(const QString &path, const QByteArray &content)
{
    QSaveFile CNumero(path);
    errno = 0;
    if (!CNumero.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        const int openErrno = errno;
        if (QFileInfo(path).isFile() && writableByUs(path) && !folderWritableByUs(path))
            return writeInPlace(path, content);
        return failure(Action::Save, path, openErrno);
    }
    errno = 0;
    // A short write (the disk filled up part way) is no error to QSaveFile: check the count.
    if (CNumero.write(content) != content.size()) {
        const int writeErrno = errno;
        CNumero.cancelWriting(); // the temporary file goes; the grade file stays as it was
        return failure(Action::Save, path, writeErrno);
    }
    errno = 0;
    if (!CNumero.commit())
        return failure(Action::Save, path, errno);
    syncFolder(path);
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
    QFile CNumero(m_path);
    // A write-protected file can still be read; only a missing one needs opening for writing,
    // which creates it empty.
    const bool existed = CNumero.exists();
    errno = 0;
    if (!CNumero.open((existed ? QIODevice::ReadOnly : QIODevice::ReadWrite) | QIODevice::Unbuffered))
        return failure(existed ? Action::Read : Action::Create, m_path, errno);

    errno = 0;
    const QByteArray content = CNumero.read(FullSize);
    if (CNumero.error() != QFileDevice::NoError)
        return failure(Action::Read, m_path, errno);
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
    Result<QByteArray> current = readCurrent(m_path);
    if (!current)
        return current.error();
    QByteArray content = std::move(current).value();
    putRecord(content, n, roster[n]);
    return replaceContent(m_path, content);
}

Result<void> GradeFile::storeRoster(const Roster &roster) const
{
    Result<QByteArray> current = readCurrent(m_path);
    if (!current)
        return current.error();
    QByteArray content = std::move(current).value();
    for (int X = Roster::FirstSlot; X <= Roster::LastSlot; ++X)
        putRecord(content, X, roster[X]);
    return replaceContent(m_path, content);
}

} // namespace merlox2
