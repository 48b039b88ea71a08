// Any bytes as a grade file: a roster load and a roster store must keep every byte that came from the
// file, in the first 3,900 as well as beyond them.
#include "records/GradeFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

using namespace merlox2;

namespace {

QByteArray readBack(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        std::abort();
    return file.readAll();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const QTemporaryDir dir;
    static const QString path = dir.filePath(GradeFile::fileNameForGrade(1));
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));

    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(input) != input.size())
        std::abort();
    file.close();

    const GradeFile gradeFile(path);
    Roster roster;
    if (!gradeFile.loadRoster(roster) || !gradeFile.storeRoster(roster))
        std::abort();

    // Bytes the file did not have come from slots that were never loaded: NUL.
    QByteArray expected = input;
    if (expected.size() < GradeFile::FullSize)
        expected.resize(GradeFile::FullSize, '\0');
    if (readBack(path) != expected)
        std::abort();
    return 0;
}
