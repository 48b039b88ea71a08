// The grade files' folder made at the start: made with the folders above it where missing, left as it is
// where it is there, and refused, with nothing changed, where a file stands in the way or the system says no.

#include "records/DataFolder.h"
#include "support/Files.h"
#include "support/Unprivileged.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(std::optional<merlox2::Cause>)

namespace merlox2::test {

namespace {

enum class Before { Nothing, FolderWithAGrade, LinkToFolder, FileInItsPlace, FileOnItsPath, ReadOnlyParent };

} // namespace

class TestDataFolder : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void prepare_data();
    void prepare();
};

void TestDataFolder::prepare_data()
{
    QTest::addColumn<Before>("before");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<std::optional<Cause>>("failure");

    const std::optional<Cause> made;
    QTest::newRow("missing, with the folders above it") << Before::Nothing << u"Documentos/MERLOX2"_s << made;
    QTest::newRow("there, with a grade file") << Before::FolderWithAGrade << u"MERLOX2"_s << made;
    QTest::newRow("a file in its place")
        << Before::FileInItsPlace << u"MERLOX2"_s << std::optional(Cause::NotAFolder);
    QTest::newRow("a file on its path")
        << Before::FileOnItsPath << u"Documentos/MERLOX2"_s << std::optional(Cause::NotAFolder);
#ifdef Q_OS_UNIX
    QTest::newRow("there through a link") << Before::LinkToFolder << u"MERLOX2"_s << made;
    QTest::newRow("in a folder that may not be written")
        << Before::ReadOnlyParent << u"Documentos/MERLOX2"_s << std::optional(Cause::PermissionDenied);
#endif
}

void TestDataFolder::prepare()
{
    QFETCH(Before, before);
    QFETCH(QString, folder);
    QFETCH(std::optional<Cause>, failure);
    if (before == Before::ReadOnlyParent && !canRunAsNobody())
        MERLOX2_SKIP_UNPRIVILEGED("no user 'nobody' to run as");

    QTemporaryDir dir;
    const QDir top(dir.path());
    const QString path = dir.filePath(folder);
    switch (before) {
    case Before::Nothing: break;
    case Before::FolderWithAGrade:
        QVERIFY(top.mkdir(folder));
        writeFile(path + u"/secundaria1.dat"_s, "alumnos");
        break;
    case Before::LinkToFolder:
        QVERIFY(top.mkdir(u"real"_s) && QFile::link(dir.filePath(u"real"_s), path));
        break;
    case Before::FileInItsPlace: writeFile(path, "no es carpeta"); break;
    case Before::FileOnItsPath: writeFile(dir.filePath(u"Documentos"_s), "no es carpeta"); break;
    case Before::ReadOnlyParent:
        QVERIFY(top.mkdir(u"Documentos"_s));
        setMode(dir.path(), 0755); // "nobody" passes through it
        setMode(dir.filePath(u"Documentos"_s), 0555);
        break;
    }

    std::optional<Result<void>> prepared;
    {
        const AsNobody nobody(before == Before::ReadOnlyParent);
        prepared = prepareDataFolder(path);
    }
    if (failure) {
        QVERIFY(!prepared->ok());
        QCOMPARE(prepared->error().action, Action::PrepareDataFolder);
        QCOMPARE(prepared->error().cause, *failure);
        QCOMPARE(prepared->error().subject, path);
        QVERIFY(!QFileInfo(path).isDir());
    } else {
        QVERIFY(prepared->ok());
        QVERIFY(QFileInfo(path).isDir());
        if (before == Before::FolderWithAGrade)
            QCOMPARE(contentOf(path + u"/secundaria1.dat"_s), "alumnos"_ba);
    }
    if (before == Before::FileInItsPlace || before == Before::FileOnItsPath)
        QCOMPARE(contentOf(dir.filePath(folder.section(u'/', 0, 0))), "no es carpeta"_ba);
}

} // namespace merlox2::test

QTEST_GUILESS_MAIN(merlox2::test::TestDataFolder)
#include "TestDataFolder.moc"
