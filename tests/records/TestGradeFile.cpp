#include "records/GradeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include <fcntl.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace merlox2 {

class TestGradeFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fileNameForGrade_data();
    void fileNameForGrade();
    void loadOfMissingOrEmptyFileKeepsRoster_data();
    void loadOfMissingOrEmptyFileKeepsRoster();
    void loadReadsThirtyRecords_data();
    void loadReadsThirtyRecords();
    void recordStore_data();
    void recordStore();
    void rosterStore_data();
    void rosterStore();
    void loadAndStoreKeepEveryByte();
    void storeKeepsPermissions();
    void failures_data();
    void failures();
    void fullDiskLeavesFileAsItWas_data();
    void fullDiskLeavesFileAsItWas();
    void unprivileged_data();
    void unprivileged();
};

namespace {

enum class Operation { Load, StoreRecord5, StoreRoster };

Result<void> perform(Operation operation, const GradeFile &file, Roster &roster)
{
    switch (operation) {
    case Operation::Load: return file.loadRoster(roster);
    case Operation::StoreRecord5: return file.storeRecord(roster, 5);
    case Operation::StoreRoster: return file.storeRoster(roster);
    }
    return {};
}

// Slot 0 is filled too, so that a write of it would show in the file.
Roster filledRoster()
{
    Roster roster;
    for (int n = 0; n <= Roster::LastSlot; ++n) {
        roster[n].setField(StudentRecord::Nombre, u"Alumno número %1"_s.arg(n));
        roster[n].setField(StudentRecord::Edad, u"1%1"_s.arg(n % 10));
    }
    return roster;
}

QByteArray pattern(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char(i * 7 + 3);
    return bytes;
}

QByteArray rosterBytes(const Roster &roster)
{
    QByteArray bytes;
    for (int n = Roster::FirstSlot; n <= Roster::LastSlot; ++n)
        bytes += roster[n].bytes();
    return bytes;
}

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : "<unreadable>"_ba;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// A store that failed or succeeded must leave no temporary file behind.
QStringList entries(const QTemporaryDir &dir)
{
    return QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

int modeOf(const QString &path)
{
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? int(status.st_mode & 07777) : -1;
}

const QString FileName = GradeFile::fileNameForGrade(1);

} // namespace

void TestGradeFile::fileNameForGrade_data()
{
    QTest::addColumn<int>("grade");
    QTest::addColumn<QString>("fileName");
    QTest::newRow("first grade") << 1 << u"secundaria1.dat"_s;
    QTest::newRow("second grade") << 2 << u"secundaria2.dat"_s;
    QTest::newRow("third grade") << 3 << u"secundaria3.dat"_s;
}

void TestGradeFile::fileNameForGrade()
{
    QFETCH(int, grade);
    QFETCH(QString, fileName);
    QCOMPARE(GradeFile::fileNameForGrade(grade), fileName);
}

void TestGradeFile::loadOfMissingOrEmptyFileKeepsRoster_data()
{
    QTest::addColumn<bool>("exists");
    QTest::newRow("first use: missing file is created empty") << false;
    QTest::newRow("empty file stays empty") << true;
}

void TestGradeFile::loadOfMissingOrEmptyFileKeepsRoster()
{
    QFETCH(bool, exists);
    QTemporaryDir dir;
    const QString path = dir.filePath(FileName);
    if (exists)
        writeFile(path, {});

    Roster roster = filledRoster();
    const Result<void> result = GradeFile(path).loadRoster(roster);

    QVERIFY2(result.ok(), qPrintable(result.error().message));
    QCOMPARE(roster, filledRoster());
    QVERIFY(QFileInfo(path).isFile());
    QCOMPARE(QFileInfo(path).size(), 0);
}

void TestGradeFile::loadReadsThirtyRecords_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("full file") << pattern(3900);
    QTest::newRow("bytes beyond 3,900 are not read") << pattern(3900) + QByteArray(500, 'T');
    QTest::newRow("short file reads the missing part as NUL") << pattern(200);
    QTest::newRow("one byte") << "A"_ba;
}

void TestGradeFile::loadReadsThirtyRecords()
{
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    const QString path = dir.filePath(FileName);
    writeFile(path, content);

    Roster roster = filledRoster();
    const Result<void> result = GradeFile(path).loadRoster(roster);

    QVERIFY2(result.ok(), qPrintable(result.error().message));
    QByteArray expected = content.left(3900);
    expected.resize(3900, '\0');
    QCOMPARE(rosterBytes(roster), expected);
    QCOMPARE(roster[0], filledRoster()[0]);
    QCOMPARE(contentOf(path), content);
}

void TestGradeFile::recordStore_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("size");

    QTest::newRow("record 5 into an empty file, gap zero-filled") << true << QByteArray() << 5 << 650;
    QTest::newRow("record 7 into a missing file") << false << QByteArray() << 7 << 910;
    QTest::newRow("record 30 into a short file") << true << pattern(200) << 30 << 3900;
    QTest::newRow("record 1 of a long file, the rest kept") << true << pattern(4100) << 1 << 4100;
    QTest::newRow("record 30 of a long file, the tail kept") << true << pattern(4100) << 30 << 4100;
}

void TestGradeFile::recordStore()
{
    QFETCH(bool, exists);
    QFETCH(QByteArray, content);
    QFETCH(int, n);
    QFETCH(int, size);
    QTemporaryDir dir;
    const QString path = dir.filePath(FileName);
    if (exists)
        writeFile(path, content);

    const Roster roster = filledRoster();
    const Result<void> result = GradeFile(path).storeRecord(roster, n);

    QVERIFY2(result.ok(), qPrintable(result.error().message));
    QByteArray expected = content;
    expected.resize(std::max<qsizetype>(content.size(), n * 130), '\0');
    expected.replace((n - 1) * 130, 130, roster[n].bytes());
    QCOMPARE(expected.size(), size);
    QCOMPARE(contentOf(path), expected);
    QCOMPARE(entries(dir), QStringList{FileName});
}

void TestGradeFile::rosterStore_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("edited");

    QTest::newRow("never-loaded roster gives 3,900 zero bytes, slot 0 not written")
        << false << QByteArray() << false;
    QTest::newRow("short file grows to 3,900 bytes") << true << pattern(500) << true;
    QTest::newRow("bytes beyond 3,900 kept") << true << pattern(4321) << true;
}

void TestGradeFile::rosterStore()
{
    QFETCH(bool, exists);
    QFETCH(QByteArray, content);
    QFETCH(bool, edited);
    QTemporaryDir dir;
    const QString path = dir.filePath(FileName);
    if (exists)
        writeFile(path, content);

    Roster roster = edited ? filledRoster() : Roster();
    roster[0].setField(StudentRecord::Nombre, u"nunca se escribe"_s);
    const Result<void> result = GradeFile(path).storeRoster(roster);

    QVERIFY2(result.ok(), qPrintable(result.error().message));
    QCOMPARE(contentOf(path), rosterBytes(roster) + content.mid(3900));
    if (!edited)
        QCOMPARE(contentOf(path), QByteArray(3900, '\0'));
}

// Reserved fields hold every byte value somewhere; the teacher edits the boxes of every record.
void TestGradeFile::loadAndStoreKeepEveryByte()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(FileName);
    QByteArray content = pattern(3900) + "tail"_ba;
    for (int i = 0; i < 30 * 40; ++i)
        content[(i / 40) * 130 + 90 + i % 40] = char(i);
    writeFile(path, content);
    const GradeFile file(path);

    Roster roster;
    QVERIFY(file.loadRoster(roster).ok());
    QVERIFY(file.storeRoster(roster).ok());
    QCOMPARE(contentOf(path), content);

    for (int n = 1; n <= 30; ++n)
        roster[n].setField(StudentRecord::Nombre, u"Ñandú Pérez %1"_s.arg(n));
    QVERIFY(file.storeRecord(roster, 3).ok());
    QVERIFY(file.storeRoster(roster).ok());
    for (int n = 1; n <= 30; ++n)
        content.replace((n - 1) * 130, 30, roster[n].bytes().left(30));
    QCOMPARE(contentOf(path), content);
}

void TestGradeFile::storeKeepsPermissions()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(FileName);
    writeFile(path, pattern(3900));
    QCOMPARE(chmod(QFile::encodeName(path).constData(), 0640), 0);

    QVERIFY(GradeFile(path).storeRecord(filledRoster(), 2).ok());
    QVERIFY(GradeFile(path).storeRoster(filledRoster()).ok());

    QCOMPARE(modeOf(path), 0640);
}

void TestGradeFile::failures_data()
{
    QTest::addColumn<QString>("place");
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<ErrorCode>("code");
    QTest::addColumn<QString>("message");

    const QString folder = u"en su lugar hay una carpeta con el mismo nombre. Cambie el nombre de esa "
                           "carpeta o muévala a otro sitio e intente de nuevo."_s;
    const QString notFolder = u"una parte de su ruta es un archivo y no una carpeta. Compruebe la carpeta de "
                              "trabajo del programa e intente de nuevo."_s;
    const QString missing = u"la carpeta donde debe estar no existe. Compruebe que la carpeta de trabajo del "
                            "programa existe e intente de nuevo."_s;
    const struct {
        const char *name;
        QString place;
        ErrorCode code;
        QString reason;
    } places[] = {
        {"folder in place of the file", FileName, ErrorCode::IsFolder, folder},
        {"path below a regular file", u"afile/"_s + FileName, ErrorCode::NotAFolder, notFolder},
        {"missing folder", u"nofolder/"_s + FileName, ErrorCode::NotFound, missing},
    };
    const struct {
        const char *name;
        Operation operation;
    } operations[] = {
        {"roster load", Operation::Load},
        {"record store", Operation::StoreRecord5},
        {"roster store", Operation::StoreRoster},
    };
    for (const auto &place : places) {
        for (const auto &op : operations) {
            const bool reads = op.operation == Operation::Load;
            const QString verb = !reads                              ? u"guardar"_s
                                 : place.code == ErrorCode::IsFolder ? u"leer"_s
                                                                     : u"crear"_s;
            QTest::addRow("%s, %s", place.name, op.name)
                << place.place << op.operation << place.code
                << u"No se pudo %1 secundaria1.dat: %2"_s.arg(verb, place.reason);
        }
    }
}

void TestGradeFile::failures()
{
    QFETCH(QString, place);
    QFETCH(Operation, operation);
    QFETCH(ErrorCode, code);
    QFETCH(QString, message);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(FileName));
    writeFile(dir.filePath(u"afile"_s), "x"_ba);
    const QStringList before = entries(dir);

    Roster roster = filledRoster();
    const Result<void> result = perform(operation, GradeFile(dir.filePath(place)), roster);

    QVERIFY(!result.ok());
    QCOMPARE(result.error().code, code);
    QCOMPARE(result.error().message, message);
    QCOMPARE(roster, filledRoster());
    QCOMPARE(entries(dir), before);
    QVERIFY(QFileInfo(dir.filePath(FileName)).isDir());
    QCOMPARE(contentOf(dir.filePath(u"afile"_s)), "x"_ba);
}

void TestGradeFile::fullDiskLeavesFileAsItWas_data()
{
    QTest::addColumn<Operation>("operation");
    QTest::newRow("record store") << Operation::StoreRecord5;
    QTest::newRow("roster store") << Operation::StoreRoster;
}

// A lowered file-size limit makes writes fail with EFBIG even for root, as a full disk would.
void TestGradeFile::fullDiskLeavesFileAsItWas()
{
    QFETCH(Operation, operation);
    QTemporaryDir dir;
    const QString path = dir.filePath(FileName);
    const QByteArray content = pattern(3900);
    writeFile(path, content);
    Roster roster = filledRoster();

    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit lowered = saved;
    lowered.rlim_cur = 1000;
    const auto savedHandler = std::signal(SIGXFSZ, SIG_IGN);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &lowered), 0);
    const Result<void> result = perform(operation, GradeFile(path), roster);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, savedHandler);

    QVERIFY(!result.ok());
    QCOMPARE(result.error().code, ErrorCode::DiskFull);
    QCOMPARE(result.error().message, u"No se pudo guardar secundaria1.dat: no queda espacio en el disco. "
                                     "Libere espacio en el disco e intente de nuevo."_s);
    QCOMPARE(contentOf(path), content);
    QCOMPARE(entries(dir), QStringList{FileName});
}

namespace {

// Root passes every permission check, so these cases run with the effective ids of "nobody".
class AsNobody {
public:
    AsNobody()
    {
        if (geteuid() != 0)
            return; // already unprivileged: the permission bits apply as they are
        const passwd *nobody = getpwnam("nobody");
        if (!nobody || setegid(nobody->pw_gid) != 0 || seteuid(nobody->pw_uid) != 0)
            m_failed = true;
        m_switched = !m_failed;
    }
    ~AsNobody()
    {
        if (m_switched && (seteuid(0) != 0 || setegid(0) != 0))
            qFatal("could not return to root");
    }
    bool failed() const { return m_failed; }

private:
    bool m_switched = false;
    bool m_failed = false;
};

} // namespace

void TestGradeFile::unprivileged_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<int>("fileMode");
    QTest::addColumn<int>("folderMode");
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<QString>("message"); // empty: the operation succeeds

    const QString folder = u"no hay permiso para escribir en la carpeta. Compruebe los permisos e intente de "
                           "nuevo."_s;
    QTest::newRow("read-only folder, writable file: record store writes in place")
        << true << 0600 << 0555 << Operation::StoreRecord5 << QString();
    QTest::newRow("read-only folder, writable file: roster store writes in place")
        << true << 0600 << 0555 << Operation::StoreRoster << QString();
    QTest::newRow("read-only folder, write-protected file: store fails")
        << true << 0400 << 0555 << Operation::StoreRoster
        << u"No se pudo guardar secundaria1.dat: el archivo está protegido contra escritura. Compruebe los "
           "permisos e intente de nuevo."_s;
    QTest::newRow("read-only folder, missing file: load can't create it")
        << false << 0 << 0555 << Operation::Load << u"No se pudo crear secundaria1.dat: "_s + folder;
    QTest::newRow("read-only folder, missing file: store fails")
        << false << 0 << 0555 << Operation::StoreRecord5
        << u"No se pudo guardar secundaria1.dat: "_s + folder;
    QTest::newRow("unreadable file: load fails")
        << true << 0200 << 0755 << Operation::Load
        << u"No se pudo leer secundaria1.dat: no hay permiso para leer el archivo. Compruebe los permisos e "
           "intente de nuevo."_s;
}

void TestGradeFile::unprivileged()
{
    QFETCH(bool, exists);
    QFETCH(int, fileMode);
    QFETCH(int, folderMode);
    QFETCH(Operation, operation);
    QFETCH(QString, message);
    const passwd *nobody = getpwnam("nobody");
    if (geteuid() == 0 && !nobody)
        QSKIP("no user 'nobody' to drop the privileges to");

    QTemporaryDir dir;
    const QByteArray folder = QFile::encodeName(dir.path());
    const QByteArray file = QFile::encodeName(dir.filePath(FileName));
    const QByteArray content = pattern(4000);
    if (exists) {
        writeFile(dir.filePath(FileName), content);
        QCOMPARE(chmod(file.constData(), mode_t(fileMode)), 0);
        if (geteuid() == 0)
            QCOMPARE(chown(file.constData(), nobody->pw_uid, nobody->pw_gid), 0);
    }
    QCOMPARE(chmod(folder.constData(), mode_t(folderMode)), 0);

    Roster roster = filledRoster();
    Result<void> result;
    bool reachable = false;
    {
        const AsNobody unprivileged;
        QVERIFY(!unprivileged.failed());
        reachable = faccessat(AT_FDCWD, folder.constData(), X_OK, AT_EACCESS) == 0;
        if (reachable)
            result = perform(operation, GradeFile(dir.filePath(FileName)), roster);
    }
    QCOMPARE(chmod(folder.constData(), 0700), 0);
    if (!reachable)
        QSKIP("the temporary folder lies where 'nobody' can't reach it");

    if (message.isEmpty()) {
        QVERIFY2(result.ok(), qPrintable(result.error().message));
        QByteArray expected = content;
        if (operation == Operation::StoreRoster)
            expected.replace(0, 3900, rosterBytes(roster));
        else
            expected.replace(4 * 130, 130, roster[5].bytes());
        QCOMPARE(contentOf(dir.filePath(FileName)), expected);
        QCOMPARE(modeOf(dir.filePath(FileName)), fileMode);
    } else {
        QVERIFY(!result.ok());
        QCOMPARE(result.error().code, ErrorCode::PermissionDenied);
        QCOMPARE(result.error().message, message);
        QCOMPARE(roster, filledRoster());
        QCOMPARE(QFileInfo::exists(dir.filePath(FileName)), exists);
        if (exists)
            QCOMPARE(contentOf(dir.filePath(FileName)), content);
    }
    QCOMPARE(entries(dir), exists ? QStringList{FileName} : QStringList());
}

} // namespace merlox2

QTEST_APPLESS_MAIN(merlox2::TestGradeFile)
#include "TestGradeFile.moc"
