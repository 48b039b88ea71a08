// The sex of each student, kept beside the grade file: what is read back and for whom, which lines of a
// damaged file are not taken and why, and stores that keep each other's slots.

#include "records/SexFile.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

#include <thread>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(merlox2::SexLineProblem)

namespace merlox2 {

namespace {

// A whole file as a store writes it: slot 1 Ana (H), slot 2 María (M), the rest unknown and unnamed.
QList<QByteArray> goodLines()
{
    QList<QByteArray> lines{"MERLOX2 sexo secundaria1.dat", "1;H;Ana",
                            "2;M;Mar\xC3\xAD"
                            "a"};
    for (int slot = 3; slot <= 30; ++slot)
        lines.append(QByteArray::number(slot) + ";;");
    return lines;
}

QByteArray joined(const QList<QByteArray> &lines) { return lines.join('\n') + '\n'; }

void write(const QString &path, const QByteArray &content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(content), content.size());
}

} // namespace

class TestSexFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { QVERIFY(m_dir.isValid()); }
    void cleanup();
    void roundTrip();
    void damagedLines_data();
    void damagedLines();
    void nextWriteMakesTheFileWhole_data();
    void nextWriteMakesTheFileWhole();
    void writersKeepEachOthersSlots();
    void lockLeftBehindIsTakenOver();

private:
    QString gradePath() const { return m_dir.filePath(u"secundaria1.dat"_s); }
    SexFile file() const { return SexFile::forGradeFile(gradePath()); }
    SexTable readBack() const
    {
        const Result<SexTable> read = file().read();
        if (!read)
            qWarning("read failed");
        return read ? read.value() : SexTable();
    }

    QTemporaryDir m_dir;
};

void TestSexFile::cleanup()
{
    QDir(m_dir.path()).removeRecursively();
    QDir().mkpath(m_dir.path());
}

void TestSexFile::roundTrip()
{
    QCOMPARE(file().path(), m_dir.filePath(u"secundaria1.sexo"_s));
    const SexTable none = readBack();
    QVERIFY(none.missing);
    QVERIFY(none.problems.isEmpty());

    // Names as the grade file holds them: padded to 30, or never written (NUL).
    const QString ana = u"Ana López"_s.leftJustified(30);
    QVERIFY(file().setSex(1, Sex::Hombre, ana));
    QVERIFY(file().setSex(2, Sex::Mujer, u"O'Neil; Ñ"_s));
    QVERIFY(file().setSex(3, Sex::Mujer, u"Beto\nDos"_s));
    QVERIFY(file().setSex(3, std::nullopt, u"Beto\nDos"_s)); // given back as unknown
    QVERIFY(file().setSex(30, Sex::Hombre, QString(30, QChar(0))));

    const SexTable table = readBack();
    QVERIFY(!table.missing);
    QCOMPARE(table.problems, QList<SexLineProblem>());
    QCOMPARE(table.sexOf(1, ana), Sex::Hombre);
    QCOMPARE(table.sexOf(1, u"Ana López"_s), Sex::Hombre);
    QCOMPARE(table.sexOf(2, u"O'Neil; Ñ"_s), Sex::Mujer);
    QCOMPARE(table.sexOf(3, u"Beto\nDos"_s), std::nullopt);
    QCOMPARE(table.sexOf(30, QString()), Sex::Hombre);
    // Another student in the slot: the sex given to the one before is not his.
    QCOMPARE(table.sexOf(1, u"Ana López Ruiz"_s), std::nullopt);
    QCOMPARE(table.sexOf(2, u"Ana López"_s), std::nullopt);

    QFile stored(file().path());
    QVERIFY(stored.open(QIODevice::ReadOnly));
    QVERIFY(stored.readAll().startsWith(
        "MERLOX2 sexo secundaria1.dat\n1;H;Ana L\xC3\xB3pez\n2;M;O'Neil; \xC3\x91\n3;;Beto Dos\n"));
}

void TestSexFile::damagedLines_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QList<SexLineProblem>>("problems");
    QTest::addColumn<bool>("anaRead"); // slot 1 still taken
    const auto with = [](qsizetype index, const QByteArray &line) {
        QList<QByteArray> lines = goodLines();
        lines[index] = line;
        return joined(lines);
    };
    QList<QByteArray> shorter = goodLines();
    shorter.removeLast();
    QList<QByteArray> longer = goodLines();
    longer << "31;H;Luis"
           << "32;M;Eva";

    QTest::newRow("whole") << joined(goodLines()) << QList<SexLineProblem>() << true;
    QTest::newRow("saved again by a Windows editor: CR LF, a byte-order mark, lowercase")
        << "\xEF\xBB\xBF" + joined(goodLines()).replace("1;H;", "1;h;").replace("\n", "\r\n")
        << QList<SexLineProblem>() << true;
    QTest::newRow("a slot's line not of the form")
        << with(3, "3 Beto H") << QList<SexLineProblem>{{4, SexLineFault::Malformed}} << true;
    QTest::newRow("lines swapped") << with(1, "2;M;Ana")
                                   << QList<SexLineProblem>{{2, SexLineFault::WrongSlot}} << false;
    QTest::newRow("neither H nor M") << with(1, "1;X;Ana")
                                     << QList<SexLineProblem>{{2, SexLineFault::UnknownSex}} << false;
    QTest::newRow("not UTF-8") << with(2, "2;M;Mar\xED"
                                          "a")
                               << QList<SexLineProblem>{{3, SexLineFault::NotText}} << true;
    QTest::newRow("cut short") << joined(shorter) << QList<SexLineProblem>{{31, SexLineFault::FileEndsEarly}}
                               << true;
    QTest::newRow("empty") << QByteArray() << QList<SexLineProblem>{{1, SexLineFault::FileEndsEarly}}
                           << false;
    QTest::newRow("lines past slot 30")
        << joined(longer) << QList<SexLineProblem>{{32, SexLineFault::ExtraLine}} << true;
    QTest::newRow("first line lost: the slots still read")
        << with(0, "basura") << QList<SexLineProblem>{{1, SexLineFault::NotASexFile}} << true;
    QTest::newRow("another grade's file: nothing taken")
        << with(0, "MERLOX2 sexo secundaria2.dat") << QList<SexLineProblem>{{1, SexLineFault::OtherGrade}}
        << false;
}

void TestSexFile::damagedLines()
{
    QFETCH(QByteArray, content);
    QFETCH(QList<SexLineProblem>, problems);
    QFETCH(bool, anaRead);
    write(file().path(), content);
    const SexTable table = readBack();
    QCOMPARE(table.problems, problems);
    QCOMPARE(table.sexOf(1, u"Ana"_s), anaRead ? std::optional(Sex::Hombre) : std::nullopt);
}

void TestSexFile::nextWriteMakesTheFileWhole_data()
{
    QTest::addColumn<QByteArray>("content"); // empty: no file
    QTest::addColumn<bool>("mariaKept");
    QList<QByteArray> damaged = goodLines();
    damaged[1] = "1;H";
    damaged.removeLast();
    damaged << "\xFF\xFE"
            << "otra cosa";
    QList<QByteArray> otherGrade = goodLines();
    otherGrade[0] = "MERLOX2 sexo secundaria3.dat";
    QTest::newRow("missing") << QByteArray() << false;
    QTest::newRow("damaged and of another length") << joined(damaged) << true;
    QTest::newRow("another grade's") << joined(otherGrade) << false;
}

void TestSexFile::nextWriteMakesTheFileWhole()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, mariaKept);
    if (!content.isEmpty())
        write(file().path(), content);
    QVERIFY(file().setSex(5, Sex::Mujer, u"Eva"_s));
    const SexTable table = readBack();
    QCOMPARE(table.problems, QList<SexLineProblem>());
    QCOMPARE(table.sexOf(5, u"Eva"_s), Sex::Mujer);
    QCOMPARE(table.sexOf(2, u"María"_s), mariaKept ? std::optional(Sex::Mujer) : std::nullopt);
    QCOMPARE(table.sexOf(1, u"Ana"_s), std::nullopt);
}

void TestSexFile::writersKeepEachOthersSlots()
{
    // Another writer holds the lock: this store waits for it, then reads what it wrote.
    QLockFile other(file().path() + u".lock"_s);
    QVERIFY(other.tryLock(0));
    Result<void> stored = Error{};
    std::thread writer([this, &stored] { stored = file().setSex(2, Sex::Mujer, u"María"_s); });
    QTest::qWait(300);
    QVERIFY(!QFile::exists(file().path())); // still waiting
    SexTable theirs;
    theirs.entries[1] = {Sex::Hombre, u"Ana"_s};
    write(file().path(), theirs.serialise(u"secundaria1.dat"_s));
    other.unlock();
    writer.join();
    QVERIFY(stored);

    // And two objects one after the other.
    QVERIFY(SexFile::forGradeFile(gradePath()).setSex(3, Sex::Hombre, u"Luis"_s));
    const SexTable table = readBack();
    QCOMPARE(table.sexOf(1, u"Ana"_s), Sex::Hombre);
    QCOMPARE(table.sexOf(2, u"María"_s), Sex::Mujer);
    QCOMPARE(table.sexOf(3, u"Luis"_s), Sex::Hombre);
    QVERIFY(!QFile::exists(file().path() + u".lock"_s)); // held only while writing
}

void TestSexFile::lockLeftBehindIsTakenOver()
{
    // Left by a store whose program ended part way: a process that no longer runs, some time ago.
    write(file().path() + u".lock"_s, "2147483600\nmerlox2\n" + QSysInfo::machineHostName().toUtf8() + '\n');
    QFile lockFile(file().path() + u".lock"_s);
    QVERIFY(lockFile.open(QIODevice::ReadWrite));
    QVERIFY(
        lockFile.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime));
    lockFile.close();
    QElapsedTimer timer;
    timer.start();
    QVERIFY(file().setSex(1, Sex::Hombre, u"Ana"_s));
    QCOMPARE_LT(timer.elapsed(), SexFile::LockWaitMs);
    QCOMPARE(readBack().sexOf(1, u"Ana"_s), Sex::Hombre);
}

} // namespace merlox2

QTEST_GUILESS_MAIN(merlox2::TestSexFile)
#include "TestSexFile.moc"
