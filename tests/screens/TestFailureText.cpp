// The failures as the teacher reads them: one message per cause, each saying what could not be done, to
// which file or printer, why, and what to do.

#include "screens/FailureText.h"

#include "platform/PrintServer.h"

#include <QLocale>
#include <QTest>

using namespace Qt::StringLiterals;

namespace merlox2::test {

class TestFailureText : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain)); }
    void messages_data();
    void messages();
    void sheetWaitingOnStoppedPrinter();
};

void TestFailureText::messages_data()
{
    QTest::addColumn<Error>("error");
    QTest::addColumn<QString>("message");

    const QString grade = u"/home/profe/merlox2/secundaria2.dat"_s;
    const auto file = [&grade](const char *name, Action action, Cause cause, const QString &message) {
        QTest::newRow(name) << Error{.action = action, .cause = cause, .subject = grade} << message;
    };
    const auto Read = Action::ReadGradeFile;
    const auto Create = Action::CreateGradeFile;
    const auto Save = Action::SaveGradeFile;
    const QString permissions = u" Compruebe los permisos e intente de nuevo."_s;
    const QString closeOthers = u" Cierre otros programas e intente de nuevo."_s;
    const QString again =
        u" Intente de nuevo; si vuelve a ocurrir, compruebe el disco y la carpeta del programa."_s;

    file("missing folder", Create, Cause::MissingFolder,
         u"No se pudo crear secundaria2.dat: la carpeta donde debe estar no existe. Compruebe que la carpeta "
         "de trabajo del programa existe e intente de nuevo."_s);
    file("a part of the path a file", Create, Cause::NotAFolder,
         u"No se pudo crear secundaria2.dat: una parte de su ruta es un archivo y no una carpeta. Compruebe "
         "la carpeta de trabajo del programa e intente de nuevo."_s);
    file(
        "a folder in the file's place", Read, Cause::FolderInPlace,
        u"No se pudo leer secundaria2.dat: en su lugar hay una carpeta con el mismo nombre. Cambie el nombre "
        "de esa carpeta o muévala a otro sitio e intente de nuevo."_s);
    file(
        "a pipe or device in the file's place", Read, Cause::NotARegularFile,
        u"No se pudo leer secundaria2.dat: no es un archivo de datos sino un archivo especial del sistema "
        "(como una tubería con nombre o un dispositivo), y el programa lo dejó como estaba. Cambie el nombre "
        "de ese archivo o muévalo a otro sitio e intente de nuevo."_s);
    QTest::newRow("a link to a missing file")
        << Error{.action = Read,
                 .cause = Cause::DanglingLink,
                 .subject = grade,
                 .place = u"/media/profe/USB/secundaria2.dat"_s}
        << u"No se pudo leer secundaria2.dat: es un enlace a /media/profe/USB/secundaria2.dat, un archivo "
           u"que "
           "no existe. Si ese archivo está en una memoria USB o en otro disco, conéctelo; si no, cópielo ahí "
           "desde su respaldo, o borre el enlace para que el programa cree un archivo nuevo. Luego intente "
           "de "
           "nuevo."_s;
    file("access denied", Save, Cause::PermissionDenied,
         u"No se pudo guardar secundaria2.dat: el sistema no permite usar el archivo."_s + permissions);
    file("not readable", Read, Cause::ReadDenied,
         u"No se pudo leer secundaria2.dat: no hay permiso para leer el archivo."_s + permissions);
    file("folder not writable", Create, Cause::FolderWriteDenied,
         u"No se pudo crear secundaria2.dat: no hay permiso para escribir en la carpeta."_s + permissions);
    file("write-protected", Save, Cause::WriteProtected,
         u"No se pudo guardar secundaria2.dat: el archivo está protegido contra escritura."_s + permissions);
    file(
        "open in another program", Save, Cause::InUse,
        u"No se pudo guardar secundaria2.dat: el archivo está abierto en otro programa (por ejemplo una hoja "
        "de cálculo). Ciérrelo allí e intente de nuevo."_s);
    file("created meanwhile by another program", Create, Cause::AlreadyExists,
         u"No se pudo crear secundaria2.dat: otro programa creó a la vez un archivo con el mismo nombre."_s +
             again);
    file("disk full", Save, Cause::DiskFull,
         u"No se pudo guardar secundaria2.dat: no queda espacio en el disco. Libere espacio en el disco e "
         "intente de nuevo."_s);
    file("read-only disk", Save, Cause::ReadOnlyDisk,
         u"No se pudo guardar secundaria2.dat: el disco es de solo lectura. Copie el programa y sus archivos "
         "a un disco en el que se pueda escribir e intente de nuevo."_s);
    file("out of memory", Read, Cause::OutOfMemory,
         u"No se pudo leer secundaria2.dat: el sistema se quedó sin memoria."_s + closeOthers);
    file("too many open files", Read, Cause::TooManyOpenFiles,
         u"No se pudo leer secundaria2.dat: hay demasiados archivos abiertos."_s + closeOthers);
    file("name too long", Create, Cause::NameTooLong,
         u"No se pudo crear secundaria2.dat: su ruta es demasiado larga. Mueva el programa a una carpeta de "
         "ruta más corta e intente de nuevo."_s);
    file(
        "I/O error after the new content took the file's place", Action::FinishSavingGradeFile,
        Cause::IoError,
        u"No se pudo terminar de guardar secundaria2.dat: el disco no respondió como debía (error de entrada "
        "y salida)."_s +
            again);
    file("no reason given", Read, Cause::Unexplained,
         u"No se pudo leer secundaria2.dat: ocurrió un error inesperado."_s + again);
    QTest::newRow("an error number without a cause of its own")
        << Error{.action = Save, .cause = Cause::Other, .subject = grade, .systemCode = 40}
        << u"No se pudo guardar secundaria2.dat: el sistema informó el error número 40."_s + again;
    QTest::newRow("a record outside the roster")
        << Error{.action = Save, .cause = Cause::NoSuchRecord, .subject = grade, .record = 31}
        << u"No se pudo guardar secundaria2.dat: el registro 31 no existe, solo hay registros del 1 al 30. "
           "Avise a quien da mantenimiento al programa."_s;
    const QString sexes = u"/home/profe/merlox2/secundaria2.sexo"_s;
    const QString aboutSexes =
        u"secundaria2.sexo, el archivo que indica si cada alumno es hombre o mujer: "_s;
    QTest::newRow("the sex file unreadable")
        << Error{.action = Action::ReadSexFile, .cause = Cause::ReadDenied, .subject = sexes}
        << u"No se pudo leer "_s + aboutSexes + u"no hay permiso para leer el archivo."_s + permissions;
    QTest::newRow("the sex file open in another program")
        << Error{.action = Action::SaveSexFile, .cause = Cause::InUse, .subject = sexes}
        << u"No se pudo guardar "_s + aboutSexes +
               u"el archivo está abierto en otro programa (por ejemplo una hoja de cálculo). Ciérrelo allí e "
               "intente de nuevo."_s;

    const auto dataFolder = [](const char *name, Cause cause, const QString &message) {
        QTest::newRow(name) << Error{.action = Action::PrepareDataFolder,
                                     .cause = cause,
                                     .subject = u"/home/profe/Documentos/MERLOX2"_s}
                            << u"No se pudo preparar la carpeta de los archivos de los grados, "
                               "/home/profe/Documentos/MERLOX2: "_s +
                                   message + u" MERLOX2 se cerrará ahora."_s;
    };
    dataFolder(
        "data folder: a file in the way", Cause::NotAFolder,
        u"en su lugar, o en el de una de las carpetas de su ruta, hay un archivo. Cambie el nombre de ese "
        "archivo o muévalo a otro sitio y vuelva a abrir MERLOX2."_s);
    dataFolder("data folder: not allowed", Cause::PermissionDenied,
               u"el sistema no permite crearla ahí. Pida a quien administra la computadora permiso para "
               "escribir ahí y vuelva a abrir MERLOX2, o ábralo con otra carpeta (opción --carpeta)."_s);
    dataFolder("data folder: disk full", Cause::DiskFull,
               u"no queda espacio en el disco. Corrija la causa y vuelva a abrir MERLOX2, o ábralo con otra "
               "carpeta (opción --carpeta)."_s);

    const auto print = [](const char *name, Cause cause, const QString &subject, const QString &message) {
        QTest::newRow(name) << Error{.action = Action::Print,
                                     .cause = cause,
                                     .subject = subject,
                                     .detail = u"texto de CUPS"_s}
                            << message;
    };
    print("no print server", Cause::NoPrintServer, u"/run/cups/cups.sock"_s,
          u"No se pudo imprimir la hoja: no hay conexión con el servidor de impresión (/run/cups/cups.sock). "
          "El servicio de impresión del sistema (CUPS) no está en marcha, así que no hay una impresora "
          "predeterminada. Póngalo en marcha, configure una impresora predeterminada e intente de nuevo."_s);
    print("print server silent", Cause::PrintServerSilent, u"localhost:631"_s,
          u"No se pudo imprimir la hoja: el servidor de impresión no responde (localhost:631 no contestó en "
          "1,5 segundos). Revise que el servicio de impresión del sistema (CUPS) funcione, o reinícielo, e "
          "intente de nuevo."_s);
    print("no default printer", Cause::NoDefaultPrinter, QString(),
          u"No se pudo imprimir la hoja: no hay una impresora predeterminada. Configure una impresora como "
          "predeterminada en el sistema e intente de nuevo."_s);
    const QString onPrinter = u"No se pudo imprimir la hoja en la impresora Sala_de_profesores: "_s;
    print("page not drawn", Cause::PageNotDrawn, u"Sala_de_profesores"_s,
          onPrinter + u"no se pudo preparar la página. Intente de nuevo."_s);
    print("printer not accepting jobs", Cause::PrinterNotAccepting, u"Sala_de_profesores"_s,
          onPrinter + u"no acepta trabajos (texto de CUPS). Haga que los acepte en la configuración de "
                      "impresoras del sistema, o elija otra impresora predeterminada, e intente de nuevo."_s);
    print("printer gone", Cause::PrinterGone, u"Sala_de_profesores"_s,
          onPrinter + u"ya no existe en el sistema (texto de CUPS). Elija otra impresora predeterminada e "
                      "intente de nuevo."_s);
    print("printing forbidden", Cause::PermissionDenied, u"Sala_de_profesores"_s,
          onPrinter + u"el sistema de impresión no le permite imprimir en ella (texto de CUPS). Pida permiso "
                      "a quien administra el equipo o elija otra impresora predeterminada, e intente de "
                      "nuevo."_s);
    print("job refused", Cause::JobRefused, u"Sala_de_profesores"_s,
          onPrinter +
              u"el sistema de impresión no aceptó el trabajo (texto de CUPS). Revise que la impresora "
              "esté encendida y disponible e intente de nuevo."_s);
    QTest::newRow("print module missing from an installation")
        << Error{.action = Action::Print,
                 .cause = Cause::NoPrintModule,
                 .subject = u"merlox2print.so"_s,
                 .place = u"/usr/bin\n/usr/lib/merlox2"_s}
        << u"No se pudo imprimir la hoja: falta el archivo merlox2print.so, la parte del programa que imprime "
           "(se buscó en /usr/bin y en /usr/lib/merlox2). Vuelva a instalar MERLOX2 e intente de nuevo."_s;

    // Paths on a line of their own, so that a message box can't break one (a Windows path after its "C:").
    const QString folder = u"C:\\Users\\profe\\Documents\\MERLOX2\\documentos"_s;
    QTest::newRow("document not prepared, no reason given")
        << Error{.action = Action::PrepareDocument, .subject = u"formato.rtf"_s, .place = folder}
        << u"No se pudo preparar el documento formato.rtf en esta carpeta:\n"
           u"C:\\Users\\profe\\Documents\\MERLOX2\\documentos\n"
           "Compruebe que haya espacio en el disco y permiso para escribir en esa carpeta, e intente de "
           "nuevo."_s;
    QTest::newRow("document not prepared, disk full")
        << Error{.action = Action::PrepareDocument,
                 .cause = Cause::DiskFull,
                 .subject = u"formato.rtf"_s,
                 .place = folder}
        << u"No se pudo preparar el documento formato.rtf en esta carpeta:\n"
           u"C:\\Users\\profe\\Documents\\MERLOX2\\documentos\n"
           "No queda espacio en el disco. Libere espacio en el disco e intente de nuevo."_s;
    QTest::newRow("no application for the document")
        << Error{.action = Action::OpenDocument,
                 .cause = Cause::NoApplication,
                 .subject = u"formato.rtf"_s,
                 .place = folder + u"\\formato (2).rtf"_s}
        << u"No se encontró ningún programa para abrir documentos como formato.rtf. La copia del documento "
           "quedó en:\nC:\\Users\\profe\\Documents\\MERLOX2\\documentos\\formato (2).rtf\nInstale un "
           "procesador de textos (por ejemplo LibreOffice Writer) o ábrala con el que tenga."_s;
}

void TestFailureText::messages()
{
    QFETCH(Error, error);
    QFETCH(QString, message);
    QCOMPARE(describe(error), message);
}

// Not a failure: the teacher is told not to print again. The print system's words only where it gave some.
void TestFailureText::sheetWaitingOnStoppedPrinter()
{
    const QString quiet = describeWaitingSheet({.printer = u"Sala"_s, .printerStopped = true});
    QVERIFY2(quiet.startsWith(u"La hoja se envió a la impresora Sala, pero la impresora está detenida: "_s) &&
                 quiet.contains(u"No hace falta volver a imprimir"_s),
             qPrintable(quiet));
    const QString paused =
        describeWaitingSheet({.printer = u"Sala"_s, .printerStopped = true, .printerMessage = u"Paused"_s});
    QVERIFY2(paused.contains(u"está detenida (Paused): la hoja espera en su cola"_s), qPrintable(paused));
}

} // namespace merlox2::test

QTEST_APPLESS_MAIN(merlox2::test::TestFailureText)
#include "TestFailureText.moc"
