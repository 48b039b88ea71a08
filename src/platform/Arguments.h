#pragma once

#include <QString>

class QCommandLineParser;
class QCoreApplication;

namespace merlox2 {

// The program's options, with their help in Spanish.
void addProgramOptions(QCommandLineParser &parser);

// Reads the program's arguments into parser. --help, and an argument that isn't one of the options, are
// answered (in a message box on Windows) and end the program.
void processArguments(QCommandLineParser &parser, const QCoreApplication &app);

// Where the grade files are, from the parsed options: --carpeta DIR (relative to the folder the program
// starts in); --carpeta-documentos, the MERLOX2 folder in the documents of the user signed in now, as the
// system names it at this moment (whatever its language, wherever it was redirected); else the folder the
// program starts in. Absolute and clean. --carpeta wins over --carpeta-documentos.
QString chosenDataFolder(const QCommandLineParser &parser);

// Whether the reports window is asked for (--reportes) instead of the screens.
bool reportsAsked(const QCommandLineParser &parser);

} // namespace merlox2
