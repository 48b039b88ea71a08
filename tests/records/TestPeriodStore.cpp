// Periods kept beside the grade files: exact read-only copies, names that a folder can have and that are
// never reused, and a close that fails part way leaving nothing behind.

#include "records/PeriodStore.h"

#include "records/GradeFile.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#ifndef Q_OS_WIN
#include "records/SystemCalls.h"

#include <cerrno>
#endif

using namespace Qt::StringLiterals;

namespace merlox2::test {

class TestPeriodStore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void keepsExactReadOnlyCopies();
    void nameTakenOrInvalidIsRefused_data();
    void nameTakenOrInvalidIsRefused();
    void proposesNameFromDate();
#ifndef Q_OS_WIN
    void fullDiskLeavesNoHalfPeriod();
#endif
};

namespace {

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void write(const QString &path, const QByteArray &content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

// Grades 1 and 2 with their sex files, grade 3 never opened; a tail beyond record 30 that must be kept too.
void fillFolder(const QDir &folder)
{
    write(folder.filePath(u"secundaria1.dat"_s), QByteArray(3900, 'a') + "cola");
    write(folder.filePath(u"secundaria1.sexo"_s), "secundaria1.dat\n1;H;PÉREZ\n");
    write(folder.filePath(u"secundaria2.dat"_s), QByteArray(130, 'b'));
    write(folder.filePath(u"secundaria2.sexo"_s), "secundaria2.dat\n");
}

QStringList entries(const QString &path)
{
    return QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

void TestPeriodStore::keepsExactReadOnlyCopies()
{
    QTemporaryDir dir;
    const QDir folder(dir.path());
    const PeriodStore store(dir.path());
    // A folder without grade files is refused, not kept as an empty period.
    const Result<Period> empty = store.close(u"Inicio 2026-2027"_s, QDate(2026, 9, 1));
    QVERIFY(!empty.ok());
    QCOMPARE(empty.error().cause, Cause::NoGradeFiles);
    QVERIFY(store.list().isEmpty());
    QCOMPARE(entries(store.periodsFolder()), QStringList());

    fillFolder(folder);
    const Result<Period> closed = store.close(u"Inicio 2026-2027"_s, QDate(2026, 9, 1));
    QVERIFY(closed.ok());
    const QString kept = folder.filePath(u"periodos/Inicio 2026-2027"_s);
    QCOMPARE(closed.value().folder, kept);
    QCOMPARE(entries(kept), (QStringList{u"fecha.txt"_s, u"secundaria1.dat"_s, u"secundaria1.sexo"_s,
                                         u"secundaria2.dat"_s, u"secundaria2.sexo"_s}));
    for (const QString &name :
         {u"secundaria1.dat"_s, u"secundaria1.sexo"_s, u"secundaria2.dat"_s, u"secundaria2.sexo"_s}) {
        QCOMPARE(contentOf(QDir(kept).filePath(name)), contentOf(folder.filePath(name)));
        QVERIFY2(!(QFile::permissions(QDir(kept).filePath(name)) &
                   (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther)),
                 qPrintable(name));
    }
    QCOMPARE(contentOf(QDir(kept).filePath(u"fecha.txt"_s)), "2026-09-01\n");
    // The grade files themselves stay writable, and a second period is listed after the first by date.
    QVERIFY(QFileInfo(folder.filePath(u"secundaria1.dat"_s)).isWritable());
    QVERIFY(store.close(u"Fin 2026-2027"_s, QDate(2027, 6, 30)).ok());
    QVERIFY(store.close(u"Alfa"_s, QDate(2026, 8, 20)).ok());
    QStringList names;
    for (const Period &period : store.list())
        names << period.name + u' ' + period.date.toString(Qt::ISODate);
    QCOMPARE(names, (QStringList{u"Alfa 2026-08-20"_s, u"Inicio 2026-2027 2026-09-01"_s,
                                 u"Fin 2026-2027 2027-06-30"_s}));
    QCOMPARE(store.list().at(1).gradeFilePath(2), QDir(kept).filePath(u"secundaria2.dat"_s));
}

void TestPeriodStore::nameTakenOrInvalidIsRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<Cause>("cause");
    QTest::addColumn<QString>("detail");
    QTest::newRow("kept already") << u"Inicio 2026-2027"_s << Cause::AlreadyExists << QString();
    QTest::newRow("kept already, other case") << u"INICIO 2026-2027"_s << Cause::AlreadyExists << QString();
    QTest::newRow("empty") << u"  "_s << Cause::InvalidName << QString();
    QTest::newRow("slash") << u"Inicio 2026/2027"_s << Cause::InvalidName << u"/"_s;
    QTest::newRow("colon") << u"Fin: 2027"_s << Cause::InvalidName << u":"_s;
    QTest::newRow("leading dot") << u".oculto"_s << Cause::InvalidName << u"."_s;
    QTest::newRow("trailing blank") << u"Fin "_s << Cause::InvalidName << u" "_s;
    QTest::newRow("device name") << u"con"_s << Cause::ReservedName << u"con"_s;
    QTest::newRow("device name with extension") << u"LPT1.txt"_s << Cause::ReservedName << u"LPT1"_s;
    QTest::newRow("61 characters") << QString(61, u'x') << Cause::NameTooLong << QString();
}

void TestPeriodStore::nameTakenOrInvalidIsRefused()
{
    QFETCH(QString, name);
    QFETCH(Cause, cause);
    QFETCH(QString, detail);
    QTemporaryDir dir;
    fillFolder(QDir(dir.path()));
    const PeriodStore store(dir.path());
    QVERIFY(store.close(u"Inicio 2026-2027"_s, QDate(2026, 9, 1)).ok());
    const QStringList before = entries(store.periodsFolder());
    const QByteArray keptBefore =
        contentOf(QDir(store.periodsFolder()).filePath(u"Inicio 2026-2027/fecha.txt"_s));

    const Result<Period> refused = store.close(name, QDate(2026, 12, 8));
    QVERIFY(!refused.ok());
    QCOMPARE(refused.error().action, Action::ClosePeriod);
    QCOMPARE(refused.error().cause, cause);
    QCOMPARE(refused.error().detail, detail);
    QCOMPARE(refused.error().subject, name);
    QCOMPARE(entries(store.periodsFolder()), before);
    QCOMPARE(contentOf(QDir(store.periodsFolder()).filePath(u"Inicio 2026-2027/fecha.txt"_s)), keptBefore);
    QVERIFY(store.checkName(QString(60, u'x')).ok());
}

void TestPeriodStore::proposesNameFromDate()
{
    QTemporaryDir dir;
    fillFolder(QDir(dir.path()));
    const PeriodStore store(dir.path());
    QCOMPARE(store.proposedName(QDate(2026, 8, 24)), u"Inicio 2026-2027"_s);
    QCOMPARE(store.proposedName(QDate(2027, 1, 15)), u"Mitad 2026-2027"_s);
    QCOMPARE(store.proposedName(QDate(2027, 7, 10)), u"Fin 2026-2027"_s);
    QVERIFY(store.close(u"Mitad 2026-2027"_s, QDate(2026, 12, 8)).ok());
    QCOMPARE(store.proposedName(QDate(2026, 12, 9)), u"Mitad 2026-2027 (2)"_s);
}

#ifndef Q_OS_WIN
namespace {
int g_writesLeft = 0;
}

// The disk fills up at each write in turn: no period, no hidden folder left, the grade files untouched; the
// same name is free for the next close.
void TestPeriodStore::fullDiskLeavesNoHalfPeriod()
{
    QTemporaryDir dir;
    fillFolder(QDir(dir.path()));
    const PeriodStore store(dir.path());
    const QByteArray grade1 = contentOf(QDir(dir.path()).filePath(u"secundaria1.dat"_s));
    for (int writes = 0; writes < 5; ++writes) {
        g_writesLeft = writes;
        filesystem::systemCalls().write = [](int fd, const void *buffer, size_t size) -> ssize_t {
            if (g_writesLeft-- > 0)
                return filesystem::realSystemCalls().write(fd, buffer, size);
            errno = ENOSPC;
            return -1;
        };
        const auto restore = qScopeGuard([] { filesystem::systemCalls() = filesystem::realSystemCalls(); });
        const Result<Period> closed = store.close(u"Fin 2026-2027"_s, QDate(2027, 7, 1));
        QVERIFY(!closed.ok());
        QCOMPARE(closed.error().cause, Cause::DiskFull);
        QCOMPARE(closed.error().subject, u"Fin 2026-2027"_s);
        QVERIFY(store.list().isEmpty());
        QCOMPARE(entries(store.periodsFolder()), QStringList());
    }
    QCOMPARE(contentOf(QDir(dir.path()).filePath(u"secundaria1.dat"_s)), grade1);
    QVERIFY(store.close(u"Fin 2026-2027"_s, QDate(2027, 7, 1)).ok());
}
#endif

} // namespace merlox2::test

QTEST_GUILESS_MAIN(merlox2::test::TestPeriodStore)
#include "TestPeriodStore.moc"
