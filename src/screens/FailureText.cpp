#include "screens/FailureText.h"

#include "platform/PrintServer.h"
#include "records/SexFile.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace merlox2 {

namespace {

struct Reason {
    QString why;
    QString advice;
};

const QString TryAgain =
    u"Intente de nuevo; si vuelve a ocurrir, compruebe el disco y la carpeta de los archivos de los grados."_s;

// Why a file could not be read or written, and what the teacher can do. The system's own error texts
// are English; the teacher gets the kind of failure in Spanish instead.
Reason fileReason(const Error &error)
{
    const QString checkPermissions = u"Compruebe los permisos e intente de nuevo."_s;
    const QString closeOthers = u"Cierre otros programas e intente de nuevo."_s;
    switch (error.cause) {
    case Cause::MissingFolder:
        return {u"la carpeta donde debe estar no existe"_s,
                u"Compruebe que la carpeta de trabajo del programa existe e intente de nuevo."_s};
    case Cause::NotAFolder:
        return {u"una parte de su ruta es un archivo y no una carpeta"_s,
                u"Compruebe la carpeta de trabajo del programa e intente de nuevo."_s};
    case Cause::FolderInPlace:
        return {u"en su lugar hay una carpeta con el mismo nombre"_s,
                u"Cambie el nombre de esa carpeta o muévala a otro sitio e intente de nuevo."_s};
    case Cause::NotARegularFile:
        return {
            u"no es un archivo de datos sino un archivo especial del sistema (como una tubería con nombre o "
            "un dispositivo), y el programa lo dejó como estaba"_s,
            u"Cambie el nombre de ese archivo o muévalo a otro sitio e intente de nuevo."_s};
    case Cause::DanglingLink:
        return {
            u"es un enlace a %1, un archivo que no existe"_s.arg(QDir::toNativeSeparators(error.place)),
            u"Si ese archivo está en una memoria USB o en otro disco, conéctelo; si no, cópielo ahí desde su "
            "respaldo, o borre el enlace para que el programa cree un archivo nuevo. Luego intente de "
            "nuevo."_s};
    case Cause::PermissionDenied: return {u"el sistema no permite usar el archivo"_s, checkPermissions};
    case Cause::ReadDenied: return {u"no hay permiso para leer el archivo"_s, checkPermissions};
    case Cause::FolderWriteDenied: return {u"no hay permiso para escribir en la carpeta"_s, checkPermissions};
    case Cause::WriteProtected: return {u"el archivo está protegido contra escritura"_s, checkPermissions};
    case Cause::InUse:
        return {u"el archivo está abierto en otro programa (por ejemplo una hoja de cálculo)"_s,
                u"Ciérrelo allí e intente de nuevo."_s};
    case Cause::AlreadyExists:
        return {u"otro programa creó a la vez un archivo con el mismo nombre"_s, TryAgain};
    case Cause::DiskFull:
        return {u"no queda espacio en el disco"_s, u"Libere espacio en el disco e intente de nuevo."_s};
    case Cause::ReadOnlyDisk:
        return {
            u"el disco es de solo lectura"_s,
            u"Copie el programa y sus archivos a un disco en el que se pueda escribir e intente de nuevo."_s};
    case Cause::OutOfMemory: return {u"el sistema se quedó sin memoria"_s, closeOthers};
    case Cause::TooManyOpenFiles: return {u"hay demasiados archivos abiertos"_s, closeOthers};
    case Cause::NameTooLong:
        return {u"su ruta es demasiado larga"_s,
                u"Mueva el programa a una carpeta de ruta más corta e intente de nuevo."_s};
    case Cause::IoError: return {u"el disco no respondió como debía (error de entrada y salida)"_s, TryAgain};
    case Cause::NoSuchRecord:
        return {u"el registro %1 no existe, solo hay registros del 1 al 30"_s.arg(error.record),
                u"Avise a quien da mantenimiento al programa."_s};
    // Worded on their own: a character in a box, not the file; a period's name the teacher gave.
    case Cause::Unstorable:
    case Cause::InvalidName:
    case Cause::ReservedName:
    case Cause::NoGradeFiles: break;
    case Cause::Other: return {u"el sistema informó el error número %1"_s.arg(error.systemCode), TryAgain};
    // Causes of printing and documents: not met with files.
    case Cause::NoPrintServer:
    case Cause::PrintServerSilent:
    case Cause::NoDefaultPrinter:
    case Cause::PageNotDrawn:
    case Cause::PrinterNotAccepting:
    case Cause::PrinterGone:
    case Cause::JobRefused:
    case Cause::NoModule:
    case Cause::NoApplication:
    case Cause::Unexplained: break;
    }
    return {u"ocurrió un error inesperado"_s, TryAgain};
}

// A character a box holds that the grade file can't: the box and the character, or what kind of
// character it is where it shows nothing.
QString unstorableText(const Error &error)
{
    const QList<uint> codePoints = error.detail.toUcs4();
    const char32_t first = codePoints.isEmpty() ? 0 : char32_t(codePoints.first());
    bool visible = true;
    switch (QChar::category(first)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Separator_Space:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Other_PrivateUse:
    case QChar::Other_NotAssigned: visible = false; break;
    default: break;
    }
    // One that shows nothing can't be picked out: the box is typed anew.
    const QString character =
        visible ? u"un carácter que el archivo no puede guardar: «%1». Bórrelo del cuadro"_s.arg(error.detail)
                : u"un carácter invisible que el archivo no puede guardar (el código U+%1). Borre lo que "
                  "tiene el cuadro, escríbalo de nuevo"_s.arg(
                      QString::number(uint(first), 16).toUpper().rightJustified(4, u'0'));
    return u"No se guardó el alumno en %1: el cuadro %2 tiene %3 y vuelva a oprimir el botón."_s.arg(
        QFileInfo(error.subject).fileName(), error.place, character);
}

QString gradeFileFailure(const QString &verb, const Error &error)
{
    const Reason reason = fileReason(error);
    return u"No se pudo %1 %2: %3. %4"_s.arg(verb, QFileInfo(error.subject).fileName(), reason.why,
                                             reason.advice);
}

// The grade files' folder at the start: the program does not open without it. Another folder can be
// given with --carpeta.
QString dataFolderFailure(const Error &error)
{
    const QString reopen = u"vuelva a abrir MERLOX2, o ábralo con otra carpeta (opción --carpeta)"_s;
    Reason reason;
    switch (error.cause) {
    case Cause::NotAFolder:
        reason = {u"en su lugar, o en el de una de las carpetas de su ruta, hay un archivo"_s,
                  u"Cambie el nombre de ese archivo o muévalo a otro sitio y vuelva a abrir MERLOX2."_s};
        break;
    case Cause::PermissionDenied:
    case Cause::FolderWriteDenied:
        reason = {u"el sistema no permite crearla ahí"_s,
                  u"Pida a quien administra la computadora permiso para escribir ahí y %1."_s.arg(reopen)};
        break;
    case Cause::MissingFolder:
        reason = {u"la unidad donde debe estar no existe o no está conectada"_s,
                  u"Conecte la unidad (por ejemplo, la memoria USB) y %1."_s.arg(reopen)};
        break;
    default: reason = {fileReason(error).why, u"Corrija la causa y %1."_s.arg(reopen)}; break;
    }
    // The folder on a line of its own, as every path.
    return u"No se pudo preparar la carpeta de los archivos de los grados:\n%1\n%2. %3 MERLOX2 se cerrará ahora."_s
        .arg(QDir::toNativeSeparators(error.subject), reason.why.first(1).toUpper() + reason.why.sliced(1),
             reason.advice);
}

// The file beside a grade file that keeps whether each student is a man or a woman: its name alone would
// not tell the teacher what it is.
QString sexFileFailure(const QString &verb, const Error &error)
{
    const Reason reason = fileReason(error);
    return u"No se pudo %1 %2, el archivo que indica si cada alumno es hombre o mujer: %3. %4"_s.arg(
        verb, QFileInfo(error.subject).fileName(), reason.why, reason.advice);
}

// An export goes where the teacher chose, not to the grade files' folder: a missing folder is chosen again.
// One of the program's own modules, which does what `does` says, is missing or could not be loaded.
QString missingModule(const Error &error, const QString &does)
{
    const QString module = u"%1 el archivo %2, la parte del programa que %3 "_s;
    const QString reinstall = u"Vuelva a instalar MERLOX2 e intente de nuevo."_s;
    if (!error.detail.isEmpty()) // there, but the system could not load it
        return module.arg(u"el sistema no pudo cargar"_s, error.subject, does) +
               u"(%1). "_s.arg(error.detail) + reinstall;
    QStringList folders = error.place.split(u'\n', Qt::SkipEmptyParts);
    const QString last = folders.isEmpty() ? QString() : folders.takeLast();
    const QString where = folders.isEmpty() ? last : folders.join(u", "_s) + u" y en "_s + last;
    return module.arg(u"falta"_s, error.subject, does) + u"(se buscó en %1). "_s.arg(where) + reinstall;
}

QString exportFailure(const QString &what, const Error &error)
{
    if (error.cause == Cause::NoModule) // nothing was written: the file the teacher chose is as it was
        return u"No se pudo exportar %1: "_s.arg(what) +
               missingModule(error, u"escribe los archivos de Excel"_s) +
               u" Las calificaciones siguen a salvo en los archivos de los grados."_s;
    Reason reason = fileReason(error);
    if (error.cause == Cause::MissingFolder || error.cause == Cause::NotAFolder)
        reason.advice = u"Elija otra carpeta e intente de nuevo."_s;
    else if (error.cause == Cause::Other || error.cause == Cause::Unexplained)
        reason.advice = u"Intente de nuevo; si vuelve a ocurrir, exporte a otra carpeta."_s;
    QString message = u"No se pudo exportar %1 a %2: %3. %4"_s.arg(what, QFileInfo(error.subject).fileName(),
                                                                   reason.why, reason.advice);
    return message + u" Las calificaciones siguen a salvo en los archivos de los grados."_s;
}

// A period kept: its name is the teacher's, so a name refused says what to change; a file that failed is
// named in full, and nothing was kept.
QString periodFailure(const Error &error)
{
    const QString start = u"No se pudo cerrar el periodo «%1»: "_s.arg(error.subject);
    const QString rules =
        u"Escriba otro nombre, sin / \\ : * ? \" < > | y sin punto ni espacio al principio o al "
        "final."_s;
    switch (error.cause) {
    case Cause::InvalidName:
        if (error.detail.isEmpty())
            return u"No se pudo cerrar el periodo: falta su nombre. Escriba un nombre, por ejemplo «Inicio "
                   "2026-2027»."_s;
        // A tab is both a control character and a blank: found anywhere, it is the control character.
        if (error.detail.at(0).category() == QChar::Other_Control)
            return start + u"el nombre tiene un carácter de control. "_s + rules;
        if (error.detail.at(0).isSpace())
            return start + u"el nombre empieza o termina con un espacio. "_s + rules;
        if (error.detail == u"."_s)
            return start + u"el nombre empieza o termina con un punto. "_s + rules;
        return start + u"el nombre no puede llevar «%1». "_s.arg(error.detail) + rules;
    case Cause::ReservedName:
        return start + u"Windows reserva el nombre «%1» para un dispositivo. Escriba otro nombre."_s.arg(
                           error.detail);
    case Cause::NoGradeFiles:
        return start +
               u"la carpeta\n%1\nno tiene ninguno de los archivos de los grados (secundaria1.dat, "
               "secundaria2.dat, secundaria3.dat). Abra la carpeta de su grupo con «Abrir otra carpeta…» y "
               "cierre ahí el periodo."_s.arg(QDir::toNativeSeparators(error.place));
    case Cause::NameTooLong:
        if (error.place.isEmpty())
            return start + u"el nombre tiene más de 60 caracteres. Escriba uno más corto."_s;
        break;
    case Cause::AlreadyExists:
        if (error.place.isEmpty())
            return start +
                   u"ya hay un periodo con ese nombre, y un periodo guardado nunca se reemplaza. Escriba "
                   "otro nombre."_s;
        break;
    default: break;
    }
    const Reason reason = fileReason(error);
    // The place is a grade file or its sex file, read or copied; else the folder the period was written in.
    const bool gradeFile = QRegularExpression(u"^secundaria[123]\\.(dat|sexo)$"_s)
                               .match(QFileInfo(error.place).fileName())
                               .hasMatch();
    return start +
           u"con %1\n%2\n%3. %4 No se guardó nada del periodo; los archivos de los grados siguen como "
           "estaban."_s.arg(gradeFile ? u"el archivo"_s : u"la carpeta"_s,
                            QDir::toNativeSeparators(error.place), reason.why, reason.advice);
}

// What could not be printed: the sheet, the class summary or a grade's sheets.
QString notPrinted(const Error &error)
{
    switch (error.action) {
    case Action::PrintSummary: return u"No se pudo imprimir el resumen del grupo"_s;
    case Action::PrintGradeSheets:
        return u"No se pudieron imprimir las hojas de evaluación del %1º grado"_s.arg(error.grade);
    case Action::PrintComparison: return u"No se pudo imprimir la comparación de los periodos"_s;
    default: return u"No se pudo imprimir la hoja"_s;
    }
}

// Printing: the print server, the default printer, then the printer itself.
QString printFailure(const Error &error)
{
    const QString notDone = notPrinted(error);
    const QString onPrinter = notDone + u" en la impresora %1: "_s.arg(error.subject);
    switch (error.cause) {
    case Cause::NoPrintServer:
        return notDone + u": no hay conexión con el servidor de impresión (%1). El servicio de impresión del "
                         "sistema (CUPS) no está en marcha, así que no hay una impresora predeterminada. "
                         "Póngalo en marcha, configure una impresora predeterminada e intente de "
                         "nuevo."_s.arg(error.subject);
    case Cause::PrintServerSilent:
        return notDone +
               u": el servidor de impresión no responde (%1 no contestó en %2 segundos). Revise "
               "que el servicio de impresión del sistema (CUPS) funcione, o reinícielo, e intente "
               "de nuevo."_s.arg(error.subject, QLocale().toString(PrintServerAnswerWithinMs / 1000.0));
    case Cause::NoDefaultPrinter:
        return notDone + u": no hay una impresora predeterminada. "
                         "Configure una impresora como predeterminada en el sistema e intente de nuevo."_s;
    case Cause::PageNotDrawn: return onPrinter + u"no se pudo preparar la página. Intente de nuevo."_s;
    case Cause::PrinterNotAccepting:
        return onPrinter +
               u"no acepta trabajos (%1). Haga que los acepte en la configuración de impresoras "
               "del sistema, o elija otra impresora predeterminada, e intente de nuevo."_s.arg(error.detail);
    case Cause::PrinterGone:
        return onPrinter + u"ya no existe en el sistema (%1). Elija otra impresora predeterminada e intente "
                           "de nuevo."_s.arg(error.detail);
    case Cause::PermissionDenied:
        return onPrinter + u"el sistema de impresión no le permite imprimir en ella (%1). Pida permiso a "
                           "quien administra el equipo o elija otra impresora predeterminada, e intente de "
                           "nuevo."_s.arg(error.detail);
    case Cause::JobRefused:
        return onPrinter + u"el sistema de impresión no aceptó el trabajo (%1). Revise que la impresora esté "
                           "encendida y disponible e intente de nuevo."_s.arg(error.detail);
    case Cause::NoModule: return notDone + u": "_s + missingModule(error, u"imprime"_s);
    default: break; // no other cause is met while printing
    }
    const QString where = error.subject.isEmpty() ? notDone + u": "_s : onPrinter;
    if (error.cause == Cause::Other)
        return where + u"el sistema informó el error número %1. Intente de nuevo."_s.arg(error.systemCode);
    return where + u"ocurrió un error inesperado. Intente de nuevo."_s;
}

} // namespace

QString describe(const Error &error)
{
    if (error.cause == Cause::Unstorable)
        return unstorableText(error);
    switch (error.action) {
    case Action::PrepareDataFolder: return dataFolderFailure(error);
    case Action::ReadGradeFile: return gradeFileFailure(u"leer"_s, error);
    case Action::CreateGradeFile: return gradeFileFailure(u"crear"_s, error);
    case Action::SaveGradeFile: return gradeFileFailure(u"guardar"_s, error);
    case Action::FinishSavingGradeFile: return gradeFileFailure(u"terminar de guardar"_s, error);
    case Action::ReadSexFile: return sexFileFailure(u"leer"_s, error);
    case Action::SaveSexFile: return sexFileFailure(u"guardar"_s, error);
    case Action::FinishSavingSexFile: return sexFileFailure(u"terminar de guardar"_s, error);
    case Action::ReadClassList: {
        const Reason reason = fileReason(error);
        return u"No se pudo leer la lista de alumnos %1: %2. No se importó nada. %3"_s.arg(
            QFileInfo(error.subject).fileName(), reason.why, reason.advice);
    }
    case Action::Print:
    case Action::PrintSummary:
    case Action::PrintGradeSheets:
    case Action::PrintComparison: return printFailure(error);
    case Action::SaveDocumentPdf:
    case Action::FinishSavingDocumentPdf: {
        const Reason reason = fileReason(error);
        return u"No se pudo %1 el documento PDF %2: %3. %4 También puede guardarlo en otra carpeta."_s.arg(
            error.action == Action::SaveDocumentPdf ? u"guardar"_s : u"terminar de guardar"_s,
            QDir::toNativeSeparators(error.subject), reason.why, reason.advice);
    }
    // A path goes on a line of its own: a message box wraps a long line wherever it may, even inside a
    // path ("C:" at the end of one line, the rest on the next).
    case Action::PrepareDocument: {
        const QString where = u"No se pudo preparar el documento %1 en esta carpeta:\n%2\n"_s.arg(
            error.subject, QDir::toNativeSeparators(error.place));
        if (error.cause == Cause::Unexplained)
            return where +
                   u"Compruebe que haya espacio en el disco y permiso para escribir en esa carpeta, e "
                   "intente de nuevo."_s;
        const Reason reason = fileReason(error);
        return where + reason.why.first(1).toUpper() + reason.why.sliced(1) + u". "_s + reason.advice;
    }
    case Action::ExportWorkbook: return exportFailure(u"las calificaciones de los tres grados"_s, error);
    case Action::ExportCsv: return exportFailure(u"las calificaciones del grado"_s, error);
    case Action::ClosePeriod: return periodFailure(error);
    case Action::ExportComparison: return exportFailure(u"la comparación de los periodos"_s, error);
    case Action::OpenDocument:
        return u"No se encontró ningún programa para abrir documentos como %1. La copia del documento quedó "
               "en:\n%2\nInstale un procesador de textos (por ejemplo LibreOffice Writer) o ábrala con el "
               "que tenga."_s.arg(error.subject, QDir::toNativeSeparators(error.place));
    }
    return {};
}

// The program's own sentences speak Spanish (Mexico) whatever the system's language.
QString dateInWords(QDate date)
{
    return QLocale(QLocale::Spanish, QLocale::Mexico).toString(date, u"d 'de' MMMM 'de' yyyy"_s);
}

QString timeInWords(QTime time)
{
    return QLocale(QLocale::Spanish, QLocale::Mexico).toString(time, u"H:mm"_s);
}

namespace {

// What the teacher can do about a stopped printer, whatever waits in its queue.
const QString ResumeThePrinter =
    u"Revise que la impresora esté encendida y conectada, y reanúdela en la configuración de impresoras del "
    "sistema (o pida a quien administra la computadora que lo haga)."_s;

QString stoppedBecause(const PrintedSheet &sheet)
{
    return sheet.printerMessage.isEmpty() ? QString() : u" (%1)"_s.arg(sheet.printerMessage);
}

} // namespace

QString describeWaitingSheet(const PrintedSheet &sheet)
{
    return u"La hoja se envió a la impresora %1, pero la impresora está detenida%2: la hoja espera en su "
           "cola y se imprimirá cuando la impresora se reanude. %3 No hace falta volver a imprimir la hoja: "
           "saldría dos veces."_s.arg(sheet.printer, stoppedBecause(sheet), ResumeThePrinter);
}

QString describeWaitingJob(const PrintedSheet &sheet, const QString &document)
{
    return u"El trabajo de impresión con %1 se envió a la impresora %2, pero la impresora está detenida%3: "
           "el trabajo espera en su cola y se imprimirá cuando la impresora se reanude. %4 No hace falta "
           "volver a imprimir: saldría dos veces."_s.arg(document, sheet.printer, stoppedBecause(sheet),
                                                         ResumeThePrinter);
}

namespace {

// One line that was not taken, as a clause of the sentence that lists them. Line n + 1 holds slot n.
QString sexLineClause(const SexLineProblem &problem)
{
    const int slot = problem.line - 1;
    QString line = u"la línea %1 (registro %2)"_s.arg(problem.line).arg(slot);
    switch (problem.fault) {
    case SexLineFault::NotASexFile:
        return u"la línea 1 no es la primera de un archivo de este tipo (se leyeron las demás)"_s;
    case SexLineFault::OtherGrade:
        return u"es de otro grado (su línea 1 nombra otro archivo de grado), así que no se tomó ninguna "
               "de sus líneas"_s;
    case SexLineFault::NotText: return line + u" tiene caracteres que no se pueden leer"_s;
    case SexLineFault::Malformed: return line + u" no tiene la forma «registro;sexo;nombre»"_s;
    case SexLineFault::WrongSlot:
        return u"la línea %1 debía ser la del registro %2 y nombra otro"_s.arg(problem.line).arg(slot);
    case SexLineFault::UnknownSex: return line + u" tiene un sexo que no es H ni M"_s;
    case SexLineFault::FileEndsEarly:
        return problem.line <= 1 ? u"el archivo está vacío"_s
                                 : u"el archivo termina antes del registro %1"_s.arg(std::max(slot, 1));
    case SexLineFault::ExtraLine:
        return u"sobran líneas después del registro 30 (desde la línea %1)"_s.arg(problem.line);
    }
    return line;
}

} // namespace

QString describeSexFileProblems(const QString &sexFilePath, const QList<SexLineProblem> &problems)
{
    if (problems.isEmpty())
        return {};
    // A long list helps no one: the first lines tell the teacher what happened to the file.
    constexpr qsizetype Listed = 5;
    QStringList clauses;
    for (qsizetype i = 0; i < problems.size() && i < Listed; ++i)
        clauses << sexLineClause(problems.at(i));
    if (problems.size() > Listed)
        clauses << u"y otras %1 líneas"_s.arg(problems.size() - Listed);
    const bool onlyExtra = std::all_of(problems.begin(), problems.end(), [](const SexLineProblem &problem) {
        return problem.fault == SexLineFault::ExtraLine;
    });
    const QString consequence =
        onlyExtra ? u"No se perdió el sexo de ningún alumno."_s
                  : u"Los alumnos de esas líneas aparecen sin sexo: indíquelo de nuevo en la columna Sexo."_s;
    return u"No se pudo leer todo el archivo %1, que indica si cada alumno es hombre o mujer: %2. %3 La "
           "próxima vez que se cambie el sexo de cualquier alumno, el archivo se escribe completo otra "
           "vez."_s.arg(QFileInfo(sexFilePath).fileName(), clauses.join(u"; "_s), consequence);
}

} // namespace merlox2
