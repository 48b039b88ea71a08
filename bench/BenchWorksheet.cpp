// Opening a worksheet on a full grade file: build, load the 30 records, show and paint.
#include "forms/MessageBox.h"
#include "platform/Startup.h"
#include "records/GradeFile.h"
#include "screens/Program.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QWidget>

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

static void BM_OpenWorksheetFullFile(benchmark::State &state)
{
    QTemporaryDir dir;
    merlox2::Roster roster;
    for (int n = merlox2::Roster::FirstSlot; n <= merlox2::Roster::LastSlot; ++n) {
        (void)roster[n].setField(merlox2::StudentRecord::Nombre, u"Alumna Número %1 Pérez Núñez"_s.arg(n));
        (void)roster[n].setField(merlox2::StudentRecord::Resistencia, u"1.9"_s);
    }
    if (!merlox2::GradeFile(dir.filePath(merlox2::GradeFile::fileNameForGrade(1))).storeRoster(roster)) {
        state.SkipWithError("could not write the grade file");
        return;
    }
    merlox2::MessageBox::setAnsweredInAdvance(true);
    for (auto _ : state) {
        merlox2::Program program(dir.path());
        QWidget *sheet = program.screens().open(merlox2::Screen::Worksheet1);
        if (!sheet) {
            state.SkipWithError("the worksheet did not open");
            break;
        }
        sheet->repaint(); // the first frame the teacher sees
        state.PauseTiming();
        delete sheet;
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenWorksheetFullFile)->Unit(benchmark::kMillisecond);

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    merlox2::initializePlatform(app);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
