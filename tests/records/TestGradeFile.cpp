#include "records/GradeFile.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <csignal>
#include <optional>

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
    void fileNameForGrade();
    void load_data();
    void load();
    void store_data();
    void store();
    void reservedBytesRoundTrip();
    void failures_data();
    void failures();
};

namespace {

enum class Operation { Load, StoreRecord5, StoreRoster };
enum class As { Root, FullDisk, Nobody };

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

// What in-place writes of slots first to last give over content, a gap before them zero-filled.
QByteArray written(const Roster &roster, int first, int last, QByteArray content = {})
{
    content.resize(std::max<qsizetype>(content.size(), last * 130), '\0');
    for (int n = first; n <= last; ++n)
        content.replace((n - 1) * 130, 130, roster[n].bytes());
    return content;
}

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : "<unreadable>"_ba;
}

void setMode(const QString &path, int mode)
{
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode_t(mode)), 0);
}

// Owned by "nobody" where we are root, so that the unprivileged cases meet the mode as given.
void placeFile(const QString &path, const QByteArray &bytes, int mode = 0644)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
    setMode(path, mode);
    if (const passwd *nobody = getpwnam("nobody"); nobody && geteuid() == 0)
        QCOMPARE(::chown(QFile::encodeName(path).constData(), nobody->pw_uid, nobody->pw_gid), 0);
}

int modeOf(const QString &path)
{
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? int(status.st_mode & 07777) : -1;
}

// Every entry below the folder with its content: shows what changed and any temporary file left behind.
QMap<QString, QByteArray> snapshot(const QTemporaryDir &dir)
{
    QMap<QString, QByteArray> entries;
    QDirIterator it(dir.path(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        entries.insert(path.mid(dir.path().size() + 1),
                       it.fileInfo().isDir() ? "<folder>"_ba : contentOf(path));
    }
    return entries;
}

// Nothing where "nobody" can't be taken on or can't reach the file's folder.
std::optional<Result<void>> perform(Operation operation, const QString &path, Roster &roster,
                                    As as = As::Root)
{
    // A lowered file-size limit fails writes with EFBIG even for root, as a full disk would.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto restoreLimit = qScopeGuard([saved, handler = std::signal(SIGXFSZ, SIG_IGN)] {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, handler);
    });
    rlimit lowered = saved;
    lowered.rlim_cur = as == As::FullDisk ? 1000 : saved.rlim_cur;
    setrlimit(RLIMIT_FSIZE, &lowered);

    // Root passes every permission check, so these cases run with the effective ids of "nobody".
    const bool root = geteuid() == 0;
    const passwd *nobody = as == As::Nobody && root ? getpwnam("nobody") : nullptr;
    const bool switched = nobody && setegid(nobody->pw_gid) == 0 && seteuid(nobody->pw_uid) == 0;
    const auto backToRoot = qScopeGuard([switched] {
        if (switched && (seteuid(0) != 0 || setegid(0) != 0))
            qFatal("could not return to root");
    });
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    if (as == As::Nobody &&
        ((root && !switched) || faccessat(AT_FDCWD, folder.constData(), X_OK, AT_EACCESS) != 0))
        return std::nullopt;

    const GradeFile file(path);
    switch (operation) {
    case Operation::Load: return file.loadRoster(roster);
    case Operation::StoreRecord5: return file.storeRecord(roster, 5);
    case Operation::StoreRoster: return file.storeRoster(roster);
    }
    return std::nullopt;
}

// Says why in the test's log when it did not.
bool succeeded(const Result<void> &result)
{
    if (!result.ok())
        qWarning("%s", qPrintable(result.error().message));
    return result.ok();
}

const QString FileName = GradeFile::fileNameForGrade(1);

} // namespace

void TestGradeFile::fileNameForGrade()
{
    QCOMPARE(GradeFile::fileNameForGrade(1), u"secundaria1.dat"_s);
    QCOMPARE(GradeFile::fileNameForGrade(3), u"secundaria3.dat"_s);
}

void TestGradeFile::load_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("first use: missing file created empty, roster untouched") << false << QByteArray();
    QTest::newRow("empty file leaves the roster untouched") << true << QByteArray();
    QTest::newRow("bytes beyond 3,900 are not read") << true << pattern(3900) + QByteArray(500, 'T');
    QTest::newRow("short file reads the missing part as NUL") << true << pattern(200);
}

void TestGradeFile::load()
{
    QFETCH(bool, exists);
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    const QString path = dir.filePath(FileName);
    if (exists)
        placeFile(path, content);

    Roster roster = filledRoster();
    QVERIFY(succeeded(GradeFile(path).loadRoster(roster)));

    QByteArray expected = content.isEmpty() ? written(filledRoster(), 1, 30) : content.left(3900);
    expected.resize(3900, '\0');
    QCOMPARE(written(roster, 1, 30), expected);
    QCOMPARE(roster[0], filledRoster()[0]);
    QCOMPARE(contentOf(path), content);
}

void TestGradeFile::store_data()
{
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("loaded");
    QTest::addColumn<bool>("inPlace"); // the folder refuses a temporary file; the grade file is writable
    QTest::addColumn<int>("size");

    QTest::newRow("record 5 into an empty file: gap zero-filled")
        << Operation::StoreRecord5 << true << QByteArray() << true << false << 650;
    QTest::newRow("record 5 of a long file: the rest kept")
        << Operation::StoreRecord5 << true << pattern(4100) << true << false << 4100;
    QTest::newRow("never-loaded roster into a missing file: 3,900 zero bytes")
        << Operation::StoreRoster << false << QByteArray() << false << false << 3900;
    QTest::newRow("roster into a short file")
        << Operation::StoreRoster << true << pattern(500) << true << false << 3900;
    QTest::newRow("roster keeps the bytes beyond 3,900")
        << Operation::StoreRoster << true << pattern(4321) << true << false << 4321;
    QTest::newRow("read-only folder: record 5 written in place")
        << Operation::StoreRecord5 << true << pattern(4000) << true << true << 4000;
    QTest::newRow("read-only folder: roster written in place")
        << Operation::StoreRoster << true << pattern(4000) << true << true << 4000;
}

void TestGradeFile::store()
{
    QFETCH(Operation, operation);
    QFETCH(bool, exists);
    QFETCH(QByteArray, content);
    QFETCH(bool, loaded);
    QFETCH(bool, inPlace);
    QFETCH(int, size);
    QTemporaryDir dir;
    const QString path = dir.filePath(FileName);
    if (exists)
        placeFile(path, content, 0640);
    const auto restore = qScopeGuard([&] { setMode(dir.path(), 0700); });
    setMode(dir.path(), inPlace ? 0555 : 0700);

    Roster roster = loaded ? filledRoster() : Roster();
    roster[0].setField(StudentRecord::Nombre, u"nunca se escribe"_s);
    const auto result = perform(operation, path, roster, inPlace ? As::Nobody : As::Root);
    if (!result)
        QSKIP("no user 'nobody' who can reach the temporary folder");
    QVERIFY(succeeded(*result));

    const bool one = operation == Operation::StoreRecord5;
    const QByteArray expected = written(roster, one ? 5 : 1, one ? 5 : 30, content);
    QCOMPARE(expected.size(), size);
    QCOMPARE(snapshot(dir), (QMap<QString, QByteArray>{{FileName, expected}}));
    QVERIFY(loaded || expected == QByteArray(3900, '\0'));
    if (exists)
        QCOMPARE(modeOf(path), 0640); // the new content keeps the old file's permissions
}

// Bytes 90-129 of the records hold every byte value; the teacher edits every name.
void TestGradeFile::reservedBytesRoundTrip()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(FileName);
    QByteArray content = pattern(3900) + "tail"_ba;
    for (int i = 0; i < 30 * 40; ++i)
        content[(i / 40) * 130 + 90 + i % 40] = char(i);
    placeFile(path, content);
    const GradeFile file(path);

    Roster roster;
    QVERIFY(succeeded(file.loadRoster(roster)));
    for (int n = 1; n <= 30; ++n)
        roster[n].setField(StudentRecord::Nombre, u"Ñandú Pérez %1"_s.arg(n));
    QVERIFY(succeeded(file.storeRoster(roster)));

    for (int n = 1; n <= 30; ++n)
        content.replace((n - 1) * 130, 30, roster[n].bytes().left(30));
    QCOMPARE(contentOf(path), content);
}

// Failures that hold for root too; each leaves every file, and the roster, as they were.
void TestGradeFile::failures_data()
{
    QTest::addColumn<QString>("place");
    QTest::addColumn<As>("as");
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<ErrorCode>("code");
    QTest::addColumn<QString>("message");

    const QString noPermission = u"Compruebe los permisos e intente de nuevo."_s;
    const struct {
        const char *name;
        QString place;
        As as;
        ErrorCode code;
        QString loadVerb; // empty where a load succeeds
        QString reason;
    } causes[] = {
        {"folder in place of the file", u"carpeta/"_s + FileName, As::Root, ErrorCode::IsFolder, u"leer"_s,
         u"en su lugar hay una carpeta con el mismo nombre. Cambie el nombre de esa carpeta o muévala a otro "
         "sitio e intente de nuevo."_s},
        {"path below a regular file", FileName + u'/' + FileName, As::Root, ErrorCode::NotAFolder, u"crear"_s,
         u"una parte de su ruta es un archivo y no una carpeta. Compruebe la carpeta de trabajo del programa "
         "e intente de nuevo."_s},
        {"missing folder", u"nofolder/"_s + FileName, As::Root, ErrorCode::NotFound, u"crear"_s,
         u"la carpeta donde debe estar no existe. Compruebe que la carpeta de trabajo del programa existe e "
         "intente de nuevo."_s},
        {"full disk", FileName, As::FullDisk, ErrorCode::DiskFull, QString(),
         u"no queda espacio en el disco. Libere espacio en el disco e intente de nuevo."_s},
        {"read-only folder, missing file", u"vacia/"_s + FileName, As::Nobody, ErrorCode::PermissionDenied,
         u"crear"_s, u"no hay permiso para escribir en la carpeta. "_s + noPermission},
        {"read-only folder, write-protected file", u"protegido/"_s + FileName, As::Nobody,
         ErrorCode::PermissionDenied, QString(),
         u"el archivo está protegido contra escritura. "_s + noPermission},
        {"unreadable file", u"ilegible/"_s + FileName, As::Nobody, ErrorCode::PermissionDenied, u"leer"_s,
         u"no hay permiso para leer el archivo. "_s + noPermission},
    };
    const std::pair<const char *, Operation> operations[] = {
        {"roster load", Operation::Load},
        {"record store", Operation::StoreRecord5},
        {"roster store", Operation::StoreRoster},
    };
    for (const auto &cause : causes) {
        for (const auto &[name, operation] : operations) {
            const bool load = operation == Operation::Load;
            if (load && cause.loadVerb.isEmpty())
                continue;
            QTest::addRow("%s, %s", cause.name, name)
                << cause.place << cause.as << operation << cause.code
                << u"No se pudo %1 secundaria1.dat: %2"_s.arg(load ? cause.loadVerb : u"guardar"_s,
                                                              cause.reason);
        }
    }
}

void TestGradeFile::failures()
{
    QFETCH(QString, place);
    QFETCH(As, as);
    QFETCH(Operation, operation);
    QFETCH(ErrorCode, code);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QDir folder(dir.path());
    QVERIFY(folder.mkpath(u"carpeta/"_s + FileName) && folder.mkdir(u"vacia"_s) &&
            folder.mkdir(u"protegido"_s) && folder.mkdir(u"ilegible"_s));
    placeFile(dir.filePath(FileName), pattern(3900));
    placeFile(dir.filePath(u"protegido/"_s + FileName), pattern(3900), 0400);
    placeFile(dir.filePath(u"ilegible/"_s + FileName), pattern(3900), 0200);
    const auto restore = qScopeGuard([&] {
        setMode(dir.filePath(u"vacia"_s), 0700);
        setMode(dir.filePath(u"protegido"_s), 0700);
    });
    setMode(dir.path(), 0755); // "nobody" passes through it
    setMode(dir.filePath(u"vacia"_s), 0555);
    setMode(dir.filePath(u"protegido"_s), 0555);
    const QMap<QString, QByteArray> before = snapshot(dir);

    Roster roster = filledRoster();
    const auto result = perform(operation, dir.filePath(place), roster, as);
    if (!result)
        QSKIP("no user 'nobody' who can reach the temporary folder");

    QVERIFY(!result->ok());
    QCOMPARE(result->error().code, code);
    QCOMPARE(result->error().message, message);
    QCOMPARE(roster, filledRoster());
    QCOMPARE(snapshot(dir), before);
}

} // namespace merlox2

QTEST_APPLESS_MAIN(merlox2::TestGradeFile)
#include "TestGradeFile.moc"
