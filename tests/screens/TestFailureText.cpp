// The failures as the teacher reads them: one message per cause, each saying what could not be done, to
// which file or printer, why, and what to do.

#include "screens/FailureText.h"

#include "platform/PrintServer.h"

#include <QDir>
#include <QLocale>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

namespace merlox2::test {

class TestFailureText : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain)); }
    void everyCauseHasItsOwnWords_data();
    void everyCauseHasItsOwnWords();
    void exactWording_data();
    void exactWording();
    void sheetWaitingOnStoppedPrinter();
};

namespace {

constexpr Cause FileCauses[] = {Cause::MissingFolder,    Cause::NotAFolder,
                                Cause::FolderInPlace,    Cause::NotARegularFile,
                                Cause::DanglingLink,     Cause::PermissionDenied,
                                Cause::ReadDenied,       Cause::FolderWriteDenied,
                                Cause::WriteProtected,   Cause::InUse,
                                Cause::AlreadyExists,    Cause::DiskFull,
                                Cause::ReadOnlyDisk,     Cause::OutOfMemory,
                                Cause::TooManyOpenFiles, Cause::NameTooLong,
                                Cause::IoError,          Cause::NoSuchRecord,
                                Cause::Unstorable,       Cause::Other,
                                Cause::Unexplained};
constexpr Cause PrintCauses[] = {Cause::NoPrintServer,       Cause::PrintServerSilent,
                                 Cause::NoDefaultPrinter,    Cause::PageNotDrawn,
                                 Cause::PrinterNotAccepting, Cause::PrinterGone,
                                 Cause::JobRefused,          Cause::NoModule,
                                 Cause::PermissionDenied,    Cause::Other,
                                 Cause::Unexplained};
// What making the grade files' folder can meet.
constexpr Cause FolderCauses[] = {
    Cause::MissingFolder, Cause::NotAFolder,  Cause::PermissionDenied, Cause::DiskFull, Cause::ReadOnlyDisk,
    Cause::OutOfMemory,   Cause::NameTooLong, Cause::IoError,          Cause::Other,    Cause::Unexplained};

} // namespace

// For every action, each cause it can meet: a whole sentence with no placeholder left, naming what it
// happened to, and a reason of its own, so that two causes never read alike.
void TestFailureText::everyCauseHasItsOwnWords_data()
{
    QTest::addColumn<Action>("action");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("named"); // what the message must name
    QTest::addColumn<QList<Cause>>("causes");
    const QList<Cause> files(std::begin(FileCauses), std::end(FileCauses));
    const QString grade = u"/home/profe/merlox2/secundaria2.dat"_s;
    const QString sexes = u"/home/profe/merlox2/secundaria2.sexo"_s;
    const auto row = [&](const char *name, Action action, const QString &subject, const QString &named,
                         const QList<Cause> &causes) {
        QTest::newRow(name) << action << subject << named << causes;
    };
    const QString folder = u"/home/profe/Documentos/MERLOX2"_s;
    row("preparing the grade files' folder", Action::PrepareDataFolder, folder,
        QDir::toNativeSeparators(folder), QList<Cause>(std::begin(FolderCauses), std::end(FolderCauses)));
    row("reading a grade file", Action::ReadGradeFile, grade, u"secundaria2.dat"_s, files);
    row("creating a grade file", Action::CreateGradeFile, grade, u"secundaria2.dat"_s, files);
    row("saving a grade file", Action::SaveGradeFile, grade, u"secundaria2.dat"_s, files);
    row("finishing a grade file's save", Action::FinishSavingGradeFile, grade, u"secundaria2.dat"_s, files);
    row("reading a sex file", Action::ReadSexFile, sexes, u"secundaria2.sexo"_s, files);
    row("saving a sex file", Action::SaveSexFile, sexes, u"secundaria2.sexo"_s, files);
    row("finishing a sex file's save", Action::FinishSavingSexFile, sexes, u"secundaria2.sexo"_s, files);
    row("reading a class list", Action::ReadClassList, u"/home/profe/lista.csv"_s, u"lista.csv"_s, files);
    const QList<Cause> printing(std::begin(PrintCauses), std::end(PrintCauses));
    row("printing", Action::Print, u"Sala_de_profesores"_s, u"Sala_de_profesores"_s, printing);
    row("printing the class summary", Action::PrintSummary, u"Sala_de_profesores"_s, u"Sala_de_profesores"_s,
        printing);
    row("printing a grade's sheets", Action::PrintGradeSheets, u"Sala_de_profesores"_s,
        u"Sala_de_profesores"_s, printing);
    row("printing a comparison", Action::PrintComparison, u"Sala_de_profesores"_s, u"Sala_de_profesores"_s,
        printing);
    row("preparing a document", Action::PrepareDocument, u"formato.rtf"_s, u"formato.rtf"_s, files);
    const QString pdf = u"/home/profe/reportes/resumen-1.pdf"_s;
    row("saving a PDF document", Action::SaveDocumentPdf, pdf, u"resumen-1.pdf"_s, files);
    row("finishing a PDF document's save", Action::FinishSavingDocumentPdf, pdf, u"resumen-1.pdf"_s, files);
    const QString exported = u"/home/profe/Documentos/calificaciones.xlsx"_s;
    row("exporting to Excel", Action::ExportWorkbook, exported, u"calificaciones.xlsx"_s, files);
    row("exporting to CSV", Action::ExportCsv, u"/home/profe/Documentos/grado1.csv"_s, u"grado1.csv"_s,
        files);
    QList<Cause> periodCauses = files;
    periodCauses << Cause::InvalidName << Cause::ReservedName << Cause::NoGradeFiles;
    row("closing a period", Action::ClosePeriod, u"Inicio 2026-2027"_s, u"Inicio 2026-2027"_s, periodCauses);
    row("exporting a comparison", Action::ExportComparison, u"/home/profe/Documentos/avance.xlsx"_s,
        u"avance.xlsx"_s, files);
    row("opening a document", Action::OpenDocument, u"formato.rtf"_s, u"formato.rtf"_s,
        {Cause::NoApplication});
}

void TestFailureText::everyCauseHasItsOwnWords()
{
    QFETCH(Action, action);
    QFETCH(QString, subject);
    QFETCH(QString, named);
    QFETCH(QList<Cause>, causes);
    QStringList seen;
    for (const Cause cause : causes) {
        const QString message = describe({.action = action,
                                          .cause = cause,
                                          .subject = subject,
                                          .place = u"/home/profe/merlox2/documentos"_s,
                                          .detail = u"😀"_s,
                                          .systemCode = 40,
                                          .record = 31});
        const QString where = u"cause %1: "_s.arg(int(cause)) + message;
        // Without a default printer there is no printer to name.
        QVERIFY2((message.contains(named) || cause == Cause::NoDefaultPrinter) && message.endsWith(u'.'),
                 qPrintable(where));
        QVERIFY2(!message.contains(QRegularExpression(u"%\\d"_s)), qPrintable(where));
        for (const QString &other : std::as_const(seen))
            QVERIFY2(message != other, qPrintable(u"worded like another cause: "_s + where));
        seen << message;
    }
}

// Four messages word for word: a file's, the grade files' folder's, one with a number in the system's
// language, and one with a path on a line of its own (a message box would break a Windows path after its
// "C:").
void TestFailureText::exactWording_data()
{
    QTest::addColumn<Error>("error");
    QTest::addColumn<QString>("message");
    QTest::newRow("disk full")
        << Error{.action = Action::SaveGradeFile,
                 .cause = Cause::DiskFull,
                 .subject = u"/home/profe/merlox2/secundaria2.dat"_s}
        << u"No se pudo guardar secundaria2.dat: no queda espacio en el disco. Libere espacio en el disco e "
           "intente de nuevo."_s;
    QTest::newRow("a file in the way of the grade files' folder")
        << Error{.action = Action::PrepareDataFolder,
                 .cause = Cause::NotAFolder,
                 .subject = u"/home/profe/Documentos/MERLOX2"_s}
        << u"No se pudo preparar la carpeta de los archivos de los grados:\n"_s +
               QDir::toNativeSeparators(u"/home/profe/Documentos/MERLOX2"_s) +
               u"\nEn su lugar, o en el de una de las carpetas de su ruta, hay un archivo. Cambie el nombre "
               u"de ese "
               "archivo o muévalo a otro sitio y vuelva a abrir MERLOX2. MERLOX2 se cerrará ahora."_s;
    QTest::newRow("print server silent")
        << Error{.action = Action::Print, .cause = Cause::PrintServerSilent, .subject = u"localhost:631"_s}
        << u"No se pudo imprimir la hoja: el servidor de impresión no responde (localhost:631 no contestó en "
           "1,5 segundos). Revise que el servicio de impresión del sistema (CUPS) funcione, o reinícielo, e "
           "intente de nuevo."_s;
    QTest::newRow("a grade's sheets, no default printer")
        << Error{.action = Action::PrintGradeSheets, .cause = Cause::NoDefaultPrinter, .grade = 2}
        << u"No se pudieron imprimir las hojas de evaluación del 2º grado: no hay una impresora "
           u"predeterminada. "
           "Configure una impresora como predeterminada en el sistema e intente de nuevo."_s;
    QTest::newRow("the class summary on a printer that refused it")
        << Error{.action = Action::PrintSummary,
                 .cause = Cause::JobRefused,
                 .subject = u"Sala"_s,
                 .detail = u"sin papel"_s}
        << u"No se pudo imprimir el resumen del grupo en la impresora Sala: el sistema de impresión no "
           "aceptó el trabajo (sin papel). Revise que la impresora esté encendida y disponible e intente de "
           "nuevo."_s;
    QTest::newRow("no application for the document")
        << Error{.action = Action::OpenDocument,
                 .cause = Cause::NoApplication,
                 .subject = u"formato.rtf"_s,
                 .place = u"C:\\Users\\profe\\Documents\\MERLOX2\\documentos\\formato (2).rtf"_s}
        << u"No se encontró ningún programa para abrir documentos como formato.rtf. La copia del documento "
           "quedó en:\nC:\\Users\\profe\\Documents\\MERLOX2\\documentos\\formato (2).rtf\nInstale un "
           "procesador de textos (por ejemplo LibreOffice Writer) o ábrala con el que tenga."_s;
}

void TestFailureText::exactWording()
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
    // A report of several pages is not called a sheet.
    const QString job = describeWaitingJob({.printer = u"Sala"_s, .printerStopped = true},
                                           u"las 30 cartas para la familia"_s);
    QVERIFY2(
        job.startsWith(u"El trabajo de impresión con las 30 cartas para la familia se envió a la impresora "
                       "Sala, pero la impresora está detenida: "_s) &&
            !job.contains(u"hoja"_s),
        qPrintable(job));
}

} // namespace merlox2::test

QTEST_APPLESS_MAIN(merlox2::test::TestFailureText)
#include "TestFailureText.moc"
