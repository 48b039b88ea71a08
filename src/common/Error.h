#pragma once

#include <QString>

namespace merlox2 {

// What the program was doing when it failed.
enum class Action {
    PrepareDataFolder, // the folder of the grade files, at the start
    ReadGradeFile,
    CreateGradeFile,
    SaveGradeFile,
    FinishSavingGradeFile, // the new content took the file's place, but the disk did not confirm it stays
    ReadSexFile,           // the file beside the grade file that keeps each student's sex
    SaveSexFile,
    FinishSavingSexFile,
    ReadClassList, // a list of students to import (a CSV file)
    Print,
    // The reports window's class summary, and every evaluation sheet of a grade (Error::grade).
    PrintSummary,
    PrintGradeSheets,
    PrintComparison, // the comparison of two periods, a page per grade
    PrepareDocument, // the copy of an embedded document, before it is opened
    OpenDocument,
    SaveDocumentPdf, // a report of the reports window saved as PDF
    FinishSavingDocumentPdf,
    ExportWorkbook,   // the grades as an Excel workbook, a file the teacher chose
    ExportCsv,        // one grade as CSV, a file in the folder the teacher chose
    ClosePeriod,      // a copy of the grade files kept under periodos/<name> (Error::subject: the name)
    ExportComparison, // the comparison of two periods as an Excel workbook
};

// Why it failed, in terms common to every system the program runs on. Each file layer turns its system's
// error numbers into these; the screens put them into words.
enum class Cause {
    // Files.
    MissingFolder,     // the folder where the file goes does not exist
    NotAFolder,        // a part of the path is a file, not a folder
    FolderInPlace,     // a folder has the file's name
    NotARegularFile,   // a pipe, a socket or a device has the file's name
    DanglingLink,      // the name is a link to a file that does not exist (Error::place names that file)
    PermissionDenied,  // the system refused, before it is known whether reading or writing
    ReadDenied,        // no permission to read the file
    FolderWriteDenied, // no permission to write in the file's folder
    WriteProtected,    // the file exists and may not be written
    InUse,             // another program has the file open (or a part of it locked)
    AlreadyExists,     // a file appeared under the name while it was being created
    DiskFull,          // disk full, or the user's quota or file-size limit reached
    ReadOnlyDisk,
    OutOfMemory,
    TooManyOpenFiles,
    NameTooLong,
    IoError,      // the disk failed to read or write
    NoSuchRecord, // a store asked for a record outside 1 to 30: a fault of the program
    Unstorable,   // text with a character the grade file can't hold (Error::detail), in a box (Error::place)
    InvalidName,  // a name the teacher gave that a folder can't have: Error::detail is what it may not hold
    ReservedName, // a name Windows keeps for a device (Error::detail: CON, PRN, COM1…)
    NoGradeFiles, // a folder to keep as a period holds none of the grade files (Error::place: the folder)
    // Printing.
    NoPrintServer,     // no connection to the print server
    PrintServerSilent, // the print server took longer than the program waits
    NoDefaultPrinter,
    PageNotDrawn,
    PrinterNotAccepting,
    PrinterGone,
    JobRefused,
    NoModule, // one of the program's own modules (printing, the Excel export) is missing, or could not be
              // loaded
    // Documents.
    NoApplication, // no application to open this kind of document
    // Anything else.
    Other,       // an error number that none of the above stands for: see Error::systemCode
    Unexplained, // the failure came with no reason
};

// A failure, as data: the screens put it into Spanish for the teacher. Designated initializers name only
// what a failure has (every member has a default, so that the compiler's field check stays quiet).
struct Error {
    Action action = Action::ReadGradeFile;
    Cause cause = Cause::Unexplained;
    QString subject{};  // what it happened to: a file's path, a document's name, a printer's or server's name
    QString place{};    // where: for a document, the folder of its copy or the copy; for text, its box; for a
                        // DanglingLink, the missing file
    QString detail{};   // the system's own words where they help (the print server's status text)
    int systemCode = 0; // the system's error number where one was given (errno, or GetLastError())
    int record = 0;     // for NoSuchRecord: the record asked for
    int grade = 0;      // for PrintGradeSheets: the grade whose sheets
};

} // namespace merlox2
