// Reading a class list: a usual one (35 lines, Windows-1252, semicolons, quotes) and one of 10,000 lines,
// which must still be read in a moment; then placing it into a grade with room for 28.
#include "reports/ClassListImport.h"

#include <benchmark/benchmark.h>

using namespace merlox2;

namespace {

QByteArray classList(int lines)
{
    QByteArray list = "Nombre;Edad;Sexo\r\n";
    for (int i = 0; i < lines; ++i)
        list += "\"Pe\xF1"
                "a N\xFA\xF1"
                "ez, Jos\xE9 Mar\xED"
                "a " +
                QByteArray::number(i) + "\";13;H\r\n";
    return list;
}

void parseClassList(benchmark::State &state)
{
    const QByteArray list = classList(int(state.range(0)));
    for (auto _ : state) {
        ClassList parsed = classlist::parseFile(list);
        benchmark::DoNotOptimize(parsed);
    }
    state.SetBytesProcessed(state.iterations() * list.size());
}
BENCHMARK(parseClassList)->Arg(35)->Arg(10000)->Unit(benchmark::kMicrosecond);

void placeClassList(benchmark::State &state)
{
    const ClassList parsed = classlist::parseFile(classList(int(state.range(0))));
    Roster roster;
    (void)roster[1].setField(StudentRecord::Nombre, u"Ana");
    (void)roster[3].setField(StudentRecord::Nombre, u"Beto");
    for (auto _ : state) {
        Placement placement = placeStudents(roster, parsed.students, PlacementMode::EmptySlotsOnly);
        benchmark::DoNotOptimize(placement);
    }
}
BENCHMARK(placeClassList)->Arg(35)->Arg(10000)->Unit(benchmark::kMicrosecond);

} // namespace
