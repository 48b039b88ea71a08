// Starts as `merlox2 --reportes` does once the access code is given, on the grade files of the current
// folder, and quits on the reports window's first paint. With --llenar it writes three full grades there
// first (90 students, every sex given) and ends.
#include "ProbeCommon.h"

#include "app/SheetBridge.h"
#include "platform/Startup.h"
#include "records/GradeFile.h"
#include "records/SexFile.h"
#include "reports/ReportsWindow.h"

#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QSettings>

using namespace Qt::StringLiterals;

namespace {

bool fillGrades(const QDir &folder)
{
    for (int grade = 1; grade <= 3; ++grade) {
        merlox2::Roster roster;
        for (int n = merlox2::Roster::FirstSlot; n <= merlox2::Roster::LastSlot; ++n) {
            // Results spread over the levels, as in a real group.
            const QStringList values{u"Alumno %1 Pérez Núñez"_s.arg(n),
                                     QString::number(12 + grade),
                                     QString::number(1.5 + (n * 7 % 12) / 10.0),
                                     QString::number(7.0 + (n * 5 % 11) / 5.0),
                                     QString::number(8 + n * 11 % 30),
                                     QString::number(10 + n * 13 % 32),
                                     QString::number(9 + n * 17 % 29)};
            for (int field = 0; field < int(values.size()); ++field)
                (void)roster[n].setField(merlox2::StudentRecord::Field(field), values.at(field));
        }
        const QString path = folder.filePath(merlox2::GradeFile::fileNameForGrade(grade));
        if (!merlox2::GradeFile(path).storeRoster(roster))
            return false;
        for (int n = merlox2::Roster::FirstSlot; n <= merlox2::Roster::LastSlot; ++n) {
            const merlox2::Sex sex = n % 2 ? merlox2::Sex::Hombre : merlox2::Sex::Mujer;
            if (!merlox2::SexFile::forGradeFile(path).setSex(n, sex,
                                                             roster[n].field(merlox2::StudentRecord::Nombre)))
                return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc > 1 && qstrcmp(argv[1], "--llenar") == 0) {
        const QCoreApplication core(argc, argv); // no display needed
        return fillGrades(QDir::current()) ? 0 : 1;
    }
    QApplication app(argc, argv);
    const QDir folder = QDir::current();
    // The remembered folders go beside the grade files, not into the user's settings.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder.filePath(u"ajustes"_s));
    merlox2::initializePlatform(app);
    const merlox2::SheetBridge sheets;
    // As openReportsWindow() after the access code: the desktop's own font.
    QApplication::setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
    auto *window = new merlox2::ReportsWindow(folder.path());
    window->setAttribute(Qt::WA_DeleteOnClose);
    QuitOnFirstPaint quit;
    window->installEventFilter(&quit);
    window->show();
    return QApplication::exec();
}
