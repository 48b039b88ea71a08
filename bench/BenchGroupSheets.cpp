// Every sheet at once: the 30 sheets of a full grade drawn by the worksheet into one PDF, as «Guardar todas
// las hojas en PDF…» does, timed; and the memory it takes at its peak over that of the reports window at rest
// (the counter peak_over_idle; Linux, where the peak can be reset through /proc/self/clear_refs).
#include "app/SheetBridge.h"
#include "platform/Startup.h"
#include "records/GradeFile.h"
#include "reports/GroupSheets.h"
#include "reports/ReportDocument.h"
#include "reports/ReportsWindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {

// VmRSS or VmHWM of this process in kB; 0 where the system does not tell.
long statusKb(const char *field)
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qsizetype(qstrlen(field))).trimmed().split(' ').first().toLong();
    }
    return 0;
}

bool resetPeak()
{
    QFile clear(u"/proc/self/clear_refs"_s);
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

} // namespace

static void BM_ThirtySheetsIntoOnePdf(benchmark::State &state)
{
    QTemporaryDir dir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.filePath(u"ajustes"_s));
    merlox2::Roster roster;
    for (int n = merlox2::Roster::FirstSlot; n <= merlox2::Roster::LastSlot; ++n) {
        const QStringList values{
            u"Alumna Número %1 Pérez Núñez"_s.arg(n), u"12"_s, u"1.9"_s, u"7.5"_s, u"22"_s, u"25"_s, u"20"_s};
        for (int field = 0; field < int(values.size()); ++field)
            (void)roster[n].setField(merlox2::StudentRecord::Field(field), values.at(field));
    }
    const QString gradeFile = dir.filePath(merlox2::GradeFile::fileNameForGrade(1));
    if (!merlox2::GradeFile(gradeFile).storeRoster(roster)) {
        state.SkipWithError("could not write the grade file");
        return;
    }
    for (int n = merlox2::Roster::FirstSlot; n <= merlox2::Roster::LastSlot; ++n) {
        if (!merlox2::SexFile::forGradeFile(gradeFile).setSex(
                n, merlox2::Sex::Mujer, roster[n].field(merlox2::StudentRecord::Nombre))) {
            state.SkipWithError("could not write the sex file");
            return;
        }
    }
    const merlox2::SheetBridge bridge;
    merlox2::ReportsWindow window(dir.path());
    window.show();
    (void)QTest::qWaitForWindowExposed(&window);
    QTest::qWait(200);
    const long idleKb = statusKb("VmRSS:");
    const bool peakKnown = resetPeak();

    const merlox2::GradeStudents students = merlox2::readGradeStudents(1, gradeFile).value();
    qsizetype bytes = 0;
    for (auto _ : state) {
        const merlox2::EvaluatedGrade evaluated = merlox2::evaluateGrade(students);
        const QByteArray pdf =
            merlox2::drawPdf(u"Hojas"_s, merlox2::savedPageLayout(), [&](QPagedPaintDevice &pages) {
                return merlox2::drawSheets(pages, students, evaluated);
            });
        if (pdf.isEmpty() || !merlox2::savePdfFile(dir.filePath(u"hojas.pdf"_s), pdf)) {
            state.SkipWithError("the sheets were not drawn or saved");
            break;
        }
        bytes = pdf.size();
    }
    state.counters["pdf_kB"] = double(bytes) / 1024;
    state.counters["idle_MB"] = double(idleKb) / 1024;
    if (peakKnown && idleKb > 0)
        state.counters["peak_over_idle"] = double(statusKb("VmHWM:")) / double(idleKb);
}
BENCHMARK(BM_ThirtySheetsIntoOnePdf)->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    merlox2::initializePlatform(app);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
