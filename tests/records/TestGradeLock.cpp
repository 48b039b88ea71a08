// Whether a second copy of the program is kept off a grade, and whether a lock that nobody holds any
// more keeps the teacher out. The other copy is a real process: this test program, started again.

#include "records/GradeLock.h"
#include "support/Files.h"
#include "support/Unprivileged.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <linux/capability.h>
#include <sys/syscall.h>
#endif

using namespace Qt::StringLiterals;

namespace merlox2::test {

namespace {

// Set in the copy of this program that plays the other copy: the grade file it opens, and the account.
constexpr char OtherCopyGrade[] = "MERLOX2_TEST_OTHER_COPY_GRADE";
constexpr char OtherCopyAccount[] = "MERLOX2_TEST_OTHER_COPY_ACCOUNT";

using Outcome = GradeLock::Outcome;

// Who runs the other copy, where the test runs as root.
enum class Account {
    Same,
    Nobody,
    // Root without the powers that pass over permissions: a read-only folder stops it as it stops any
    // other account, and it can't delete another account's file in a sticky folder.
    BoundRoot,
};

#ifdef Q_OS_LINUX
// Root's powers over permissions set aside, or taken up again.
bool useOverridingPowers(bool use)
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3]{};
    if (syscall(SYS_capget, &header, data) != 0)
        return false;
    for (const int power : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER}) {
        __user_cap_data_struct &set = data[power / 32];
        const quint32 bit = 1U << (power % 32);
        set.effective = use ? set.effective | (set.permitted & bit) : set.effective & ~bit;
    }
    return syscall(SYS_capset, &header, data) == 0;
}
#endif

// The other copy: opens the grade, says how that went, and keeps the grade until its input closes,
// as the program keeps it until "Salir".
int runOtherCopy()
{
#ifdef Q_OS_UNIX
    const QString account = qEnvironmentVariable(OtherCopyAccount);
    if (const passwd *nobody = account == u"nobody"_s ? nobodyIfRoot() : nullptr) {
        if (setegid(nobody->pw_gid) != 0 || seteuid(nobody->pw_uid) != 0)
            return 2;
    }
#endif
#ifdef Q_OS_LINUX
    if (account == u"root"_s && (geteuid() != 0 || !useOverridingPowers(false)))
        return 2;
#endif
    {
        GradeLock lock(qEnvironmentVariable(OtherCopyGrade));
        const Outcome outcome = lock.acquire();
        std::printf("%d\n", int(outcome));
        std::fflush(stdout);
        while (std::getchar() != EOF) {
        }
    }
#ifdef Q_OS_UNIX
    // Back to the real ids and powers, so that the leak checker may still look at the process as it ends.
    if (getuid() == 0 && (seteuid(0) != 0 || setegid(0) != 0))
        return 3;
#endif
#ifdef Q_OS_LINUX
    if (account == u"root"_s && !useOverridingPowers(true))
        return 3;
#endif
    return 0;
}

class OtherCopy {
public:
    OtherCopy() { m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel); }
    ~OtherCopy()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }
    OtherCopy(const OtherCopy &) = delete;
    OtherCopy &operator=(const OtherCopy &) = delete;

    // What the other copy got when it opened the grade; -1 when it gave no answer.
    int open(const QString &grade, Account account)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QString::fromLatin1(OtherCopyGrade), grade);
        if (account != Account::Same)
            environment.insert(QString::fromLatin1(OtherCopyAccount),
                               account == Account::Nobody ? u"nobody"_s : u"root"_s);
        m_process.setProcessEnvironment(environment);
        m_process.start(QCoreApplication::applicationFilePath(), {});
        if (!m_process.waitForStarted() || !m_process.waitForReadyRead(30000))
            return -1;
        bool number = false;
        const int outcome = m_process.readLine().trimmed().toInt(&number);
        return number ? outcome : -1;
    }

    // Leaves as "Salir" does: the process ends and lets go of its locks.
    bool leave()
    {
        m_process.closeWriteChannel();
        return m_process.waitForFinished(30000) && m_process.exitStatus() == QProcess::NormalExit &&
               m_process.exitCode() == 0;
    }

    // Ends without letting go of anything, as a crash or a power cut of the session does.
    void crash()
    {
        m_process.kill();
        m_process.waitForFinished();
    }

private:
    QProcess m_process;
};

#ifdef Q_OS_UNIX
// A folder for the grade that "nobody" owns where we are root, so that its mode alone decides.
bool prepareFolder(const QTemporaryDir &dir)
{
    if (const passwd *nobody = nobodyIfRoot()) {
        if (::chown(QFile::encodeName(dir.path()).constData(), nobody->pw_uid, nobody->pw_gid) != 0)
            return false;
    } else if (geteuid() == 0) {
        return false;
    }
    return ::chmod(QFile::encodeName(dir.path()).constData(), 0755) == 0;
}
#else
bool prepareFolder(const QTemporaryDir &) { return true; }
#endif

// A lock file this process holds starts with its process number.
bool heldByUs(const QString &lockFile)
{
    return contentOf(lockFile).startsWith(QByteArray::number(QCoreApplication::applicationPid()) + '\n');
}

} // namespace

class TestGradeLock : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void secondCopyIsRefused_data();
    void secondCopyIsRefused();
    void lockFileNobodyHoldsIsStale_data();
    void lockFileNobodyHoldsIsStale();
    void lockOfAnotherMachine_data();
    void lockOfAnotherMachine();
    void lockWhoseNumberWentToANewerProcess();
    void otherAccountIsRefused_data();
    void otherAccountIsRefused();
    void copyThroughALinkIsRefused_data();
    void copyThroughALinkIsRefused();
    void unsafeSharedFolderIsNotUsed_data();
    void unsafeSharedFolderIsNotUsed();
};

void TestGradeLock::secondCopyIsRefused_data()
{
    QTest::addColumn<int>("firstMode");      // the folder's, when the first copy opens the grade
    QTest::addColumn<int>("secondMode");     // when the second copy tries
    QTest::addColumn<bool>("refusedBeside"); // by the lock beside the grade file, else by this machine's
    QTest::addColumn<Outcome>("afterFirstLeft");
    QTest::newRow("writable folder") << 0755 << 0755 << true << Outcome::Acquired;
#ifdef Q_OS_UNIX
    QTest::newRow("read-only folder") << 0555 << 0555 << false << Outcome::Acquired;
    QTest::newRow("folder made writable while the first copy works")
        << 0555 << 0755 << false << Outcome::Acquired;
    // The first copy can't delete its lock file on leaving: it stays, held by nobody.
    QTest::newRow("folder made read-only while the first copy works")
        << 0755 << 0555 << true << Outcome::AcquiredLeftBehind;
#endif
}

void TestGradeLock::secondCopyIsRefused()
{
    QFETCH(int, firstMode);
    QFETCH(int, secondMode);
    QFETCH(bool, refusedBeside);
    QFETCH(Outcome, afterFirstLeft);

    QTemporaryDir dir;
    if (!prepareFolder(dir))
        MERLOX2_SKIP_UNPRIVILEGED("no user 'nobody' to run as");
    const auto restore = qScopeGuard([&] { setMode(dir.path(), 0755); });
    const QString grade = dir.filePath(u"secundaria1.dat"_s);
    writeFile(grade, QByteArray(130, 'a'), 0666);

    setMode(dir.path(), firstMode);
    OtherCopy first;
    QCOMPARE(first.open(grade, Account::Nobody), int(Outcome::Acquired));
    setMode(dir.path(), secondMode);

    const AsNobody nobody;
    GradeLock second(grade);
    const QByteArray firstLock = contentOf(second.lockFileName());
    QCOMPARE(second.acquire(), Outcome::OpenHere);
    QCOMPARE(second.refusedBy(), refusedBeside ? second.lockFileName() : second.localLockFileName());
    // The refused copy leaves no lock file of its own behind.
    QCOMPARE(contentOf(second.lockFileName()), firstLock);

    QVERIFY(first.leave());
    QCOMPARE(second.acquire(), afterFirstLeft);
    QCOMPARE(heldByUs(second.lockFileName()), afterFirstLeft == Outcome::Acquired && secondMode == 0755);
    // Still one copy at a time, though the lock file beside the grade is not ours.
    OtherCopy third;
    QCOMPARE(third.open(grade, Account::Nobody), int(Outcome::OpenHere));
    QVERIFY(third.leave());
    second.release();
    QCOMPARE(QFile::exists(second.lockFileName()), afterFirstLeft == Outcome::AcquiredLeftBehind);
}

void TestGradeLock::lockFileNobodyHoldsIsStale_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("fileMode");
    QTest::addColumn<bool>("readOnlyFolder");
    QTest::newRow("empty: a crash before it was written") << QByteArray() << 0644 << false;
    QTest::newRow("zeros: a crash before it reached the disk") << QByteArray(64, '\0') << 0644 << false;
    QTest::newRow("no process number") << "merlox2\nvm\n\n"_ba << 0644 << false;
#ifdef Q_OS_UNIX
    QTest::newRow("unreadable") << "1\nmerlox2\nvm\n"_ba << 0000 << false;
    QTest::newRow("empty, in a read-only folder") << QByteArray() << 0644 << true;
#endif
}

void TestGradeLock::lockFileNobodyHoldsIsStale()
{
    QFETCH(QByteArray, content);
    QFETCH(int, fileMode);
    QFETCH(bool, readOnlyFolder);

    QTemporaryDir dir;
    if (!prepareFolder(dir))
        MERLOX2_SKIP_UNPRIVILEGED("no user 'nobody' to run as");
    const auto restore = qScopeGuard([&] { setMode(dir.path(), 0755); });
    const QString grade = dir.filePath(u"secundaria1.dat"_s);
    const QString lockFile = grade + u".lock"_s;
    writeFile(lockFile, content, fileMode);
    if (readOnlyFolder)
        setMode(dir.path(), 0555);

    const AsNobody nobody;
    GradeLock lock(grade);
    QCOMPARE(lock.acquire(), readOnlyFolder ? Outcome::AcquiredLeftBehind : Outcome::Acquired);
    QCOMPARE(heldByUs(lockFile), !readOnlyFolder);
    OtherCopy other;
    QCOMPARE(other.open(grade, Account::Nobody), int(Outcome::OpenHere));
    QVERIFY(other.leave());
    lock.release();
    QCOMPARE(QFile::exists(lockFile), readOnlyFolder);
}

// A copy that died left its lock, and its process number went to a copy of the same program that started
// later (Windows hands numbers out again soon, and after a restart often to the next copy itself): the lock
// is stale. (Linux tells a restart by the boot id in the lock.)
void TestGradeLock::lockWhoseNumberWentToANewerProcess()
{
#ifdef Q_OS_WIN
    QTemporaryDir dir;
    const QString grade = dir.filePath(u"secundaria1.dat"_s);
    const QString lockFile = grade + u".lock"_s;
    // This test's own number and name, in a lock written an hour before it started.
    writeFile(lockFile, QByteArray::number(QCoreApplication::applicationPid()) + '\n' +
                            QCoreApplication::applicationName().toUtf8() + '\n' +
                            qEnvironmentVariable("COMPUTERNAME").toUtf8() + '\n' +
                            QSysInfo::machineUniqueId() + "\n\n");
    QFile file(lockFile);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
    file.close();

    GradeLock lock(grade);
    QCOMPARE(lock.acquire(), Outcome::Acquired);
    QVERIFY(heldByUs(lockFile));
    lock.release();
#else
    QSKIP("Windows only: here a lock records the boot it was taken in");
#endif
}

void TestGradeLock::lockOfAnotherMachine_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("machine");
    QTest::newRow("another machine's name") << "4242\nmerlox2\naula-2\n"_ba << u"aula-2"_s;
    // Machines installed from one image often share a name; their machine ids differ.
    const QString ours = QSysInfo::machineHostName();
    QTest::newRow("this machine's name, another machine id")
        << "4242\nmerlox2\n"_ba + ours.toUtf8() + "\n0123456789abcdef0123456789abcdef\nx\n"
        << ours;
}

void TestGradeLock::lockOfAnotherMachine()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, machine);
    if (content.count('\n') > 3 && QSysInfo::machineUniqueId().isEmpty())
        QSKIP("this machine has no machine id");

    QTemporaryDir dir;
    const QString grade = dir.filePath(u"secundaria1.dat"_s);
    const QString lockFile = grade + u".lock"_s;
    writeFile(lockFile, content);
    const QDateTime taken(QDate(2024, 3, 5), QTime(10, 15));
    {
        QFile file(lockFile);
        QVERIFY(file.open(QIODevice::ReadWrite) &&
                file.setFileTime(taken, QFileDevice::FileModificationTime));
    }

    GradeLock lock(grade);
    QCOMPARE(lock.acquire(), Outcome::OpenElsewhere);
    QCOMPARE(lock.otherMachine(), machine);
    QCOMPARE(lock.lockedSince(), taken);
    QCOMPARE(contentOf(lockFile), content);

    // The teacher has checked that the program is not open there.
    QCOMPARE(lock.acquire(GradeLock::OtherMachine::Replace), Outcome::Acquired);
    QVERIFY(heldByUs(lockFile));
    lock.release();
    QVERIFY(!QFile::exists(lockFile));
}

// Two accounts of one computer, and a grade folder that neither may write to: no lock file can be made
// beside the grade, and only this machine's lock keeps the second copy off it.
void TestGradeLock::otherAccountIsRefused_data()
{
    QTest::addColumn<Account>("first");
    QTest::addColumn<Account>("second");
    QTest::addColumn<bool>("firstCrashes"); // else it leaves with "Salir"
    QTest::newRow("root, then nobody") << Account::BoundRoot << Account::Nobody << false;
    QTest::newRow("nobody, then root") << Account::Nobody << Account::BoundRoot << false;
    // Its lock file stays where the second account may not delete it.
    QTest::newRow("root crashed, then nobody") << Account::BoundRoot << Account::Nobody << true;
    QTest::newRow("nobody crashed, then root") << Account::Nobody << Account::BoundRoot << true;
}

void TestGradeLock::otherAccountIsRefused()
{
#ifdef Q_OS_LINUX
    QFETCH(Account, first);
    QFETCH(Account, second);
    QFETCH(bool, firstCrashes);
    QTemporaryDir dir;
    if (!nobodyIfRoot() || !prepareFolder(dir))
        MERLOX2_SKIP_UNPRIVILEGED("needs root and the user 'nobody'");
    const auto restore = qScopeGuard([&] { setMode(dir.path(), 0755); });
    const QString grade = dir.filePath(u"secundaria1.dat"_s);
    writeFile(grade, QByteArray(130, 'a'), 0666);
    const QString machineLock = GradeLock(grade).localLockFileName();
    const auto removeLeftover = qScopeGuard([&] { QFile::remove(machineLock); });
    setMode(dir.path(), 0555);

    OtherCopy firstCopy;
    QCOMPARE(firstCopy.open(grade, first), int(Outcome::Acquired));
    QVERIFY(!QFile::exists(grade + u".lock"_s));
    OtherCopy secondCopy;
    QCOMPARE(secondCopy.open(grade, second), int(Outcome::OpenHere));
    QVERIFY(secondCopy.leave());

    if (firstCrashes)
        firstCopy.crash();
    else
        QVERIFY(firstCopy.leave());
    OtherCopy thirdCopy;
    QCOMPARE(thirdCopy.open(grade, second), int(Outcome::Acquired));
    // What it took over holds the first account off in turn.
    OtherCopy fourthCopy;
    QCOMPARE(fourthCopy.open(grade, first), int(Outcome::OpenHere));
    QVERIFY(fourthCopy.leave());
    QVERIFY(thirdCopy.leave());
#else
    QSKIP("Linux only: the other account is root without its powers");
#endif
}

// Folders whose grade files lead to one file: each has its own lock file beside the grade, and only this
// machine's lock, named after the file itself, keeps the second copy off. The file the first copy opened
// is replaced meanwhile, as each save replaces it.
void TestGradeLock::copyThroughALinkIsRefused_data()
{
    QTest::addColumn<QString>("firstPath"); // below the test's folder
    QTest::addColumn<QString>("secondPath");
    QTest::addColumn<bool>("gradeExists"); // when the first copy opens it
    QTest::newRow("two folders linking one file") << u"a/secundaria1.dat"_s << u"b/secundaria1.dat"_s << true;
    QTest::newRow("links to a file not saved yet")
        << u"a/secundaria1.dat"_s << u"b/secundaria1.dat"_s << false;
    QTest::newRow("a link to a link") << u"shared/secundaria1.dat"_s << u"c/secundaria1.dat"_s << true;
}

void TestGradeLock::copyThroughALinkIsRefused()
{
#ifdef Q_OS_UNIX
    QFETCH(QString, firstPath);
    QFETCH(QString, secondPath);
    QFETCH(bool, gradeExists);
    QTemporaryDir dir;
    const QDir root(dir.path());
    QVERIFY(root.mkpath(u"shared"_s) && root.mkpath(u"a"_s) && root.mkpath(u"b"_s) && root.mkpath(u"c"_s));
    const QString shared = root.filePath(u"shared/secundaria1.dat"_s);
    QVERIFY(QFile::link(u"../shared/secundaria1.dat"_s, root.filePath(u"a/secundaria1.dat"_s)));
    QVERIFY(QFile::link(shared, root.filePath(u"b/secundaria1.dat"_s)));
    QVERIFY(QFile::link(u"../a/secundaria1.dat"_s, root.filePath(u"c/secundaria1.dat"_s)));
    if (gradeExists)
        writeFile(shared, QByteArray(130, 'a'));

    OtherCopy first;
    QCOMPARE(first.open(root.filePath(firstPath), Account::Same), int(Outcome::Acquired));
    writeFile(root.filePath(u"shared/saved"_s), QByteArray(130, 'b'));
    QVERIFY(::rename(QFile::encodeName(root.filePath(u"shared/saved"_s)).constData(),
                     QFile::encodeName(shared).constData()) == 0);
    GradeLock second(root.filePath(secondPath));
    const auto removeLeftover = qScopeGuard([&] { QFile::remove(second.localLockFileName()); });
    QCOMPARE(second.acquire(), Outcome::OpenHere);
    QCOMPARE(second.refusedBy(), second.localLockFileName());
    QVERIFY(first.leave());
    QCOMPARE(second.acquire(), Outcome::Acquired);
#else
    QSKIP("links to files are for Unix here");
#endif
}

// Where other accounts could remove this machine's locks or lead them elsewhere, the lock goes to this
// account's own runtime folder instead.
void TestGradeLock::unsafeSharedFolderIsNotUsed_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("nobodys");
    QTest::addColumn<bool>("link"); // to the folder
    QTest::addColumn<bool>("used");
    QTest::newRow("the system's, writable by all, sticky") << 01777 << false << false << true;
    QTest::newRow("not sticky") << 0777 << false << false << false;
    QTest::newRow("another account's") << 01777 << true << false << false;
    QTest::newRow("a link to a safe one") << 01777 << false << true << false;
}

void TestGradeLock::unsafeSharedFolderIsNotUsed()
{
#ifdef Q_OS_UNIX
    QFETCH(int, mode);
    QFETCH(bool, nobodys);
    QFETCH(bool, link);
    QFETCH(bool, used);
    if (!nobodyIfRoot())
        MERLOX2_SKIP_UNPRIVILEGED("needs root and the user 'nobody'");
    QTemporaryDir dir;
    const QString folder = dir.filePath(u"locks"_s);
    QVERIFY(QDir().mkdir(folder));
    setMode(folder, mode);
    if (nobodys)
        QCOMPARE(::chown(QFile::encodeName(folder).constData(), nobodyIfRoot()->pw_uid, 0), 0);
    const QString given = link ? dir.filePath(u"link"_s) : folder;
    if (link)
        QVERIFY(QFile::link(folder, given));

    GradeLock lock(dir.filePath(u"secundaria1.dat"_s), {given});
    QCOMPARE(lock.acquire(), Outcome::Acquired);
    QCOMPARE(lock.localLockFileName().startsWith(given + u'/'), used);
    QVERIFY(QFile::exists(lock.localLockFileName()));
    lock.release();
    QVERIFY(!QFile::exists(lock.localLockFileName()));
#else
    QSKIP("the shared folder's owner and modes are Unix's");
#endif
}

} // namespace merlox2::test

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsSet(merlox2::test::OtherCopyGrade))
        return merlox2::test::runOtherCopy();
    QCoreApplication app(argc, argv);
    merlox2::test::TestGradeLock test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "TestGradeLock.moc"
