#include "platform/Arguments.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace merlox2 {

namespace {

const QString HelpOption = u"help"_s;
const QString FolderOption = u"carpeta"_s;
// A shortcut can't name a user's documents folder: it is made for every user of the computer, and the
// folder may be redirected, so the program looks it up when it starts.
const QString DocumentsOption = u"carpeta-documentos"_s;
const QString ReportsOption = u"reportes"_s;

QString absoluteFolder(const QString &folder)
{
    return QDir::cleanPath(QDir::current().absoluteFilePath(folder));
}

} // namespace

void addProgramOptions(QCommandLineParser &parser)
{
    parser.setApplicationDescription(
        u"MERLOX2: evaluación de la condición física de los alumnos de secundaria. "
        "Sin opciones, los archivos de los grados se guardan en la carpeta en la "
        "que se abre el programa."_s);
    // Qt's own help option would be described in English.
    parser.addOption({{u"h"_s, HelpOption}, u"Muestra esta ayuda."_s});
    parser.addOption({FolderOption,
                      u"Guarda los archivos de los grados en la carpeta <carpeta>, y la crea si "
                      "no existe."_s,
                      u"carpeta"_s});
    parser.addOption({DocumentsOption,
                      u"Guarda los archivos de los grados en la carpeta MERLOX2 de Documentos "
                      "del usuario que abre el programa, y la crea si no existe."_s});
    parser.addOption({ReportsOption, u"Abre la ventana de reportes del grupo (pide la clave de acceso)."_s});
}

void processArguments(QCommandLineParser &parser, const QCoreApplication &app)
{
    addProgramOptions(parser);
    parser.process(app);
    if (parser.isSet(HelpOption))
        parser.showHelp(0);
}

QString chosenDataFolder(const QCommandLineParser &parser)
{
    if (parser.isSet(FolderOption))
        return absoluteFolder(parser.value(FolderOption));
    if (parser.isSet(DocumentsOption)) {
        QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (documents.isEmpty())
            documents = QDir::homePath();
        return absoluteFolder(documents + u"/MERLOX2"_s);
    }
    return absoluteFolder(QDir::currentPath());
}

bool reportsAsked(const QCommandLineParser &parser) { return parser.isSet(ReportsOption); }

} // namespace merlox2
