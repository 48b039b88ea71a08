// Closing a period of three full grades with their sex files (what the teacher waits for after «Cerrar
// periodo»), and comparing three full grades of 30 with today's (what «Comparar» waits for before its
// window).
#include "records/GradeFile.h"
#include "records/PeriodStore.h"
#include "records/SexFile.h"
#include "reports/PeriodComparison.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {

merlox2::GradeStudents fullGrade(int grade, int shift)
{
    merlox2::GradeStudents students{grade, {}, {}};
    for (int n = merlox2::Roster::FirstSlot; n <= merlox2::Roster::LastSlot; ++n) {
        const QStringList fields{u"Alumna Número %1 Pérez Núñez"_s.arg(n),
                                 u"13"_s,
                                 QString::number(1.5 + (n + shift) / 20.0),
                                 QString::number(7 + (n + shift) / 10.0),
                                 QString::number(n + shift),
                                 QString::number(n + 5),
                                 QString::number(n + 10)};
        for (int field = 0; field < fields.size(); ++field)
            (void)students.roster[n].setField(merlox2::StudentRecord::Field(field), fields.at(field));
        students.sexes.entries.at(std::size_t(n)) = {
            merlox2::Sex::Mujer,
            merlox2::SexFile::nameKey(students.roster[n].field(merlox2::StudentRecord::Nombre))};
    }
    return students;
}

void BM_CompareThreeFullGrades(benchmark::State &state)
{
    std::array<merlox2::GradeStudents, 3> then{fullGrade(1, 0), fullGrade(2, 0), fullGrade(3, 0)};
    std::array<merlox2::GradeStudents, 3> now{fullGrade(1, 3), fullGrade(2, 3), fullGrade(3, 3)};
    for (auto _ : state) {
        for (std::size_t g = 0; g < 3; ++g)
            benchmark::DoNotOptimize(merlox2::compareGrade(then.at(g), now.at(g)));
    }
}
BENCHMARK(BM_CompareThreeFullGrades)->Unit(benchmark::kMillisecond);

void BM_ClosePeriod(benchmark::State &state)
{
    QTemporaryDir dir;
    for (int grade = 1; grade <= 3; ++grade) {
        const QString path = QDir(dir.path()).filePath(merlox2::GradeFile::fileNameForGrade(grade));
        const merlox2::GradeStudents students = fullGrade(grade, 0);
        (void)merlox2::GradeFile(path).storeRoster(students.roster);
        for (int n = merlox2::Roster::FirstSlot; n <= merlox2::Roster::LastSlot; ++n)
            (void)merlox2::SexFile::forGradeFile(path).setSex(
                n, merlox2::Sex::Mujer, students.roster[n].field(merlox2::StudentRecord::Nombre));
    }
    const merlox2::PeriodStore store(dir.path());
    int number = 0;
    for (auto _ : state) {
        if (!store.close(u"Periodo %1"_s.arg(++number), QDate(2026, 12, 8)).ok())
            state.SkipWithError("the period was not closed");
    }
}
BENCHMARK(BM_ClosePeriod)->Unit(benchmark::kMillisecond);

} // namespace
