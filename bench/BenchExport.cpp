// Exporting 90 students (three full grades, every sex given) to .xlsx and to CSV, from the grade files'
// models to the stored files: what the teacher waits for after choosing the file. Budget: 100 ms for .xlsx.
#include "platform/Modules.h"
#include "records/GradeFile.h"
#include "records/SexFile.h"
#include "reports/GradeExport.h"
#include "reports/GradeTableModel.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

struct Folder {
    QTemporaryDir dir;
    std::array<std::unique_ptr<merlox2::GradeTableModel>, 3> models;

    Folder()
    {
        for (int grade = 1; grade <= 3; ++grade) {
            const QString path = dir.filePath(merlox2::GradeFile::fileNameForGrade(grade));
            merlox2::Roster roster;
            for (int n = merlox2::Roster::FirstSlot; n <= merlox2::Roster::LastSlot; ++n) {
                const QStringList fields{u"Alumna Número %1 Pérez Núñez"_s.arg(n),
                                         u"13"_s,
                                         QString::number(1.5 + n / 20.0),
                                         QString::number(7 + n / 10.0),
                                         QString::number(n),
                                         QString::number(n + 5),
                                         QString::number(n + 10)};
                for (int field = 0; field < fields.size(); ++field)
                    (void)roster[n].setField(merlox2::StudentRecord::Field(field), fields.at(field));
            }
            (void)merlox2::GradeFile(path).storeRoster(roster);
            for (int n = merlox2::Roster::FirstSlot; n <= merlox2::Roster::LastSlot; ++n)
                (void)merlox2::SexFile::forGradeFile(path).setSex(
                    n, n % 2 ? merlox2::Sex::Mujer : merlox2::Sex::Hombre,
                    roster[n].field(merlox2::StudentRecord::Nombre));
            models[std::size_t(grade - 1)] = std::make_unique<merlox2::GradeTableModel>(grade, path);
        }
    }

    std::array<merlox2::GradeSheet, 3> sheets() const
    {
        std::array<merlox2::GradeSheet, 3> taken;
        for (std::size_t i = 0; i < 3; ++i)
            taken[i] = merlox2::gradeSheet(*models[i], *models[i]);
        return taken;
    }
};

void BM_ExportWorkbook90(benchmark::State &state)
{
    const Folder folder;
    const QString target = folder.dir.filePath(u"calificaciones.xlsx"_s);
    for (auto _ : state) {
        const auto content = merlox2::workbookContent(folder.sheets(), target);
        if (!content || !merlox2::storeExport(target, content.value(), merlox2::Action::ExportWorkbook)) {
            state.SkipWithError("the export failed");
            break;
        }
    }
}
BENCHMARK(BM_ExportWorkbook90)->Unit(benchmark::kMillisecond);

void BM_ExportCsv90(benchmark::State &state)
{
    const Folder folder;
    for (auto _ : state) {
        for (const merlox2::GradeSheet &sheet : folder.sheets()) {
            const QString path = folder.dir.filePath(u"grado%1.csv"_s.arg(sheet.grade));
            if (!merlox2::storeExport(path, merlox2::csvContent(sheet), merlox2::Action::ExportCsv)) {
                state.SkipWithError("the export failed");
                return;
            }
        }
    }
}
BENCHMARK(BM_ExportCsv90)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);                                         // the models watch their files
    merlox2::setModuleFolders({QStringLiteral(MERLOX2_BENCH_MODULE_FOLDER)}); // the Excel module
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
