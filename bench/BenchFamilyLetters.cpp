// The letters home of a full grade: the 30 letters drawn into one PDF, as «Cartas de todo el grado…» saves
// them, and the next level's targets of a student (worked out through the evaluation rule).
#include "evaluation/Targets.h"
#include "records/GradeFile.h"
#include "records/SexFile.h"
#include "reports/FamilyLetter.h"
#include "reports/ReportDocument.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

static void BM_ThirtyLettersIntoOnePdf(benchmark::State &state)
{
    QTemporaryDir dir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.filePath(u"ajustes"_s));
    merlox2::GradeStudents grade;
    for (int n = merlox2::Roster::FirstSlot; n <= merlox2::Roster::LastSlot; ++n) {
        const QStringList values{
            u"Alumna Número %1 Pérez Núñez"_s.arg(n), u"12"_s, u"1.9"_s, u"7.5"_s, u"22"_s, u"25"_s, u"20"_s};
        for (int field = 0; field < int(values.size()); ++field)
            (void)grade.roster[n].setField(merlox2::StudentRecord::Field(field), values.at(field));
        grade.sexes.entries[std::size_t(n)] =
            merlox2::SexEntry{merlox2::Sex::Mujer, merlox2::SexFile::nameKey(values.first())};
    }
    const merlox2::EvaluatedGrade evaluated = merlox2::evaluateGrade(grade);
    const merlox2::LetterHeading heading{u"Escuela Secundaria General Nº 12"_s, u"Profra. Begoña Ordóñez"_s,
                                         QDate(2026, 12, 8)};
    for (auto _ : state) {
        QList<merlox2::FamilyLetter> letters;
        for (const merlox2::EvaluatedGrade::Student &student : evaluated.students)
            letters << merlox2::familyLetter(grade, student);
        const QByteArray pdf =
            merlox2::drawPdf(u"Cartas"_s, merlox2::savedPageLayout(), [&](QPagedPaintDevice &pages) {
                return merlox2::drawFamilyLetters(pages, letters, heading);
            });
        benchmark::DoNotOptimize(pdf.data());
        state.counters["letters"] = double(letters.size());
        state.counters["bytes"] = double(pdf.size());
    }
}
BENCHMARK(BM_ThirtyLettersIntoOnePdf)->Unit(benchmark::kMillisecond);

static void BM_TargetsOfAStudent(benchmark::State &state)
{
    for (auto _ : state) {
        const merlox2::StudentTargets targets =
            merlox2::targetsFor(1, merlox2::Sex::Mujer, {u"1.9", u"7.5", u"22", u"25", u"20"}, QLocale::c());
        benchmark::DoNotOptimize(targets.strength->missing);
    }
}
BENCHMARK(BM_TargetsOfAStudent);

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
