// A full roster load and a full roster store of a 3,900-byte grade file.
#include "records/GradeFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace merlox2;
using namespace Qt::StringLiterals;

namespace {

// A full file whose names use the whole code page, so that decoding does real work.
QString fullGradeFile(const QTemporaryDir &dir)
{
    Roster roster;
    for (int n = Roster::FirstSlot; n <= Roster::LastSlot; ++n) {
        (void)roster[n].setField(StudentRecord::Nombre, u"Peña Núñez José María %1"_s.arg(n));
        (void)roster[n].setField(StudentRecord::Edad, u"13"_s);
        (void)roster[n].setField(StudentRecord::Resistencia, u"2.45"_s);
    }
    QString path = dir.filePath(GradeFile::fileNameForGrade(1));
    if (!GradeFile(path).storeRoster(roster))
        std::abort();
    return path;
}

void rosterLoad(benchmark::State &state)
{
    const QTemporaryDir dir;
    const GradeFile file(fullGradeFile(dir));
    Roster roster;
    for (auto _ : state) {
        if (!file.loadRoster(roster))
            state.SkipWithError("roster load failed");
        benchmark::DoNotOptimize(roster);
    }
    state.SetBytesProcessed(state.iterations() * GradeFile::FullSize);
}
BENCHMARK(rosterLoad);

void rosterStore(benchmark::State &state)
{
    const QTemporaryDir dir;
    const GradeFile file(fullGradeFile(dir));
    Roster roster;
    if (!file.loadRoster(roster))
        std::abort();
    for (auto _ : state) {
        if (!file.storeRoster(roster))
            state.SkipWithError("roster store failed");
    }
    state.SetBytesProcessed(state.iterations() * GradeFile::FullSize);
}
BENCHMARK(rosterStore);

} // namespace
