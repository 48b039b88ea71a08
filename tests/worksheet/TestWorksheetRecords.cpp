// Record editing on a worksheet, checked on the bytes of the grade file: what each command writes,
// what it leaves alone, and what the teacher is told when the file can't be used.

#include "WorksheetDriver.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QLockFile>
#include <QProcess>
#include <QSysInfo>
#include <QTest>

#include <csignal>

#include <sys/resource.h>

using namespace Qt::StringLiterals;

namespace merlox2::test {

namespace {

constexpr int RecordSize = 130;
constexpr int FieldWidths[] = {30, 10, 10, 10, 10, 10, 10};

// A record as the grade file holds it: the seven box fields filled with blanks, then 40 reserved bytes.
QByteArray record(const QStringList &boxes, const QByteArray &reserved = QByteArray(40, '\0'))
{
    QByteArray bytes;
    for (int i = 0; i < 7; ++i) {
        QByteArray text = boxes.value(i).toLatin1().left(FieldWidths[i]);
        bytes += text + QByteArray(FieldWidths[i] - text.size(), ' ');
    }
    return bytes + reserved;
}

QByteArray recordAt(const QByteArray &file, int n)
{
    return file.mid(qsizetype(n - 1) * RecordSize, RecordSize);
}

// Reserved bytes that no box could produce: NUL, high bytes, letters.
QByteArray oddReservedBytes()
{
    QByteArray bytes;
    for (int i = 0; i < 40; ++i)
        bytes += char((i * 37 + 11) % 256);
    bytes[0] = '\0';
    return bytes;
}

const QStringList Ana{u"Ana"_s, u"12"_s, u"1.9"_s, u"7.5"_s, u"22"_s, u"25"_s, u"20"_s};
const QStringList Beto{u"Beto"_s, u"13"_s, u"1.6"_s, u"7.1"_s, u"30"_s, u"31"_s, u"29"_s};
const QStringList Luis{u"Luis"_s, u"12"_s, u"1.4"_s, u"7"_s, u"30"_s, u"30"_s, u"30"_s};

QStringList atFullWidth(const QStringList &boxes)
{
    QStringList texts;
    for (int i = 0; i < 7; ++i)
        texts << boxes.value(i).leftJustified(FieldWidths[i], u' ', true);
    return texts;
}

QStringList emptyPanel() { return QStringList(8, QString()); }

// Fills the panel, so that emptying it shows.
void evaluateOnScreen(const Form *sheet)
{
    click(sheet, u"Command3"_s);
    QVERIFY(!textOf(sheet, u"Label11"_s).isEmpty());
}

// While it lives, no file may grow beyond a few bytes, as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_previous);
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN); // else the kernel ends the process
        rlimit limit = m_previous;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_previousHandler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit m_previous{};
    void (*m_previousHandler)(int) = nullptr;
};

} // namespace

class TestWorksheetRecords : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { initializeGuiTests(); }

    void firstUseCreatesAnEmptyFile();
    void storesOnlyTheRecordOnScreen_data();
    void storesOnlyTheRecordOnScreen();
    void movesKeepWhatTheBoxesShowed();
    void movesStopAtTheEnds_data();
    void movesStopAtTheEnds();
    void showsAStoredRecordAtFullWidth();
    void storesKeepReservedBytes_data();
    void storesKeepReservedBytes();
    void salirWritesTheRosterWithTheRecordOnScreen();
    void gradesKeepTheirOwnStudents();
    void reopeningBringsBackTheRoster_data();
    void reopeningBringsBackTheRoster();
    void doesNotOpenOnAFolder();
    void failedStoreKeepsTheWorksheet_data();
    void failedStoreKeepsTheWorksheet();
    void doesNotOpenAGradeOpenElsewhere();
    void releasesTheGradeWhenItCloses_data();
    void releasesTheGradeWhenItCloses();
};

void TestWorksheetRecords::firstUseCreatesAnEmptyFile()
{
    ProgramFixture fixture;
    QVERIFY(!QFile::exists(fixture.path(u"secundaria1.dat"_s)));
    Form *sheet = openWorksheet(fixture, u"prisecu"_s);
    QVERIFY(sheet);

    QVERIFY(QFile::exists(fixture.path(u"secundaria1.dat"_s)));
    QCOMPARE(QFileInfo(fixture.path(u"secundaria1.dat"_s)).size(), 0);
    QCOMPARE(boxesOf(sheet), QStringList(7, QString()));
    QCOMPARE(textOf(sheet, u"Label9"_s), QString());
    QCOMPARE(panelOf(sheet), emptyPanel());
    QCOMPARE(textOf(sheet, u"Label28"_s), QLocale().toString(QDate::currentDate(), QLocale::ShortFormat));
    QVERIFY(QTest::qWaitForWindowActive(sheet));
    QCOMPARE(focusName(), u"txtNombre"_s);
    QVERIFY(fixture.messages().isEmpty());
}

void TestWorksheetRecords::storesOnlyTheRecordOnScreen_data()
{
    QTest::addColumn<int>("record");
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QStringList>("stored");

    QTest::newRow("record 1") << 1 << Ana << Ana;
    QTest::newRow("record 7 of an empty file") << 7 << Beto << Beto;
    QTest::newRow("a long name keeps 30 characters")
        << 2 << QStringList{u"Maria de los Angeles Perez Gomez"_s, u"12"_s}
        << QStringList{u"Maria de los Angeles Perez Gom"_s, u"12"_s};
}

void TestWorksheetRecords::storesOnlyTheRecordOnScreen()
{
    QFETCH(int, record);
    QFETCH(QStringList, typed);
    QFETCH(QStringList, stored);

    ProgramFixture fixture;
    Form *sheet = openWorksheet(fixture, u"prisecu"_s);
    QVERIFY(sheet);
    clickTimes(sheet, u"cmdRegSiguiente"_s, record - 1);
    QCOMPARE(focusName(), u"txtNombre"_s);

    typeRecord(typed);
    if (typed.size() == 7)
        QCOMPARE(focusName(), u"Option1"_s); // Enter went on from box to box
    click(sheet, u"cmdGuardarReg"_s);

    const QByteArray file = fixture.readFile(u"secundaria1.dat"_s);
    QCOMPARE(file.size(), record * RecordSize);
    QCOMPARE(file.first((record - 1) * RecordSize), QByteArray((record - 1) * RecordSize, '\0'));
    QCOMPARE(recordAt(file, record), merlox2::test::record(stored));
    // Nothing changes on screen: the box still shows what was typed.
    QCOMPARE(textOf(sheet, u"txtNombre"_s), typed.first());
    QVERIFY(fixture.messages().isEmpty());
}

void TestWorksheetRecords::movesKeepWhatTheBoxesShowed()
{
    ProgramFixture fixture;
    Form *sheet = openWorksheet(fixture, u"prisecu"_s);
    QVERIFY(sheet);
    const QList<QStringList> students{Ana, Beto, Luis};
    for (const QStringList &student : students) {
        typeRecord(student);
        click(sheet, u"cmdRegSiguiente"_s);
    }
    QCOMPARE(textOf(sheet, u"Label9"_s), u"4"_s);
    QCOMPARE(boxesOf(sheet), QStringList(7, QString()));
    const Roster &roster = fixture.program().roster(1);
    for (int n = 1; n <= 3; ++n)
        QCOMPARE(QByteArray(roster[n].data(), RecordSize), record(students[n - 1]));
    // Moving writes nothing to the file.
    QCOMPARE(fixture.readFile(u"secundaria1.dat"_s), QByteArray());

    click(sheet, u"cmdRegAnterior"_s);
    QCOMPARE(textOf(sheet, u"Label9"_s), u"3"_s);
    QCOMPARE(boxesOf(sheet), atFullWidth(Luis));
}

void TestWorksheetRecords::movesStopAtTheEnds_data()
{
    QTest::addColumn<int>("movesBefore");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("recordNumber");
    QTest::newRow("Registro Anterior at record 1") << 0 << u"cmdRegAnterior"_s << u"1"_s;
    QTest::newRow("Registro Siguiente at record 30") << 29 << u"cmdRegSiguiente"_s << u"30"_s;
}

void TestWorksheetRecords::movesStopAtTheEnds()
{
    QFETCH(int, movesBefore);
    QFETCH(QString, button);
    QFETCH(QString, recordNumber);

    ProgramFixture fixture;
    Form *sheet = openWorksheet(fixture, u"prisecu"_s);
    QVERIFY(sheet);
    clickTimes(sheet, u"cmdRegSiguiente"_s, movesBefore);
    const int slot = movesBefore + 1;
    const StudentRecord before = fixture.program().roster(1)[slot];

    typeRecord(Ana);
    evaluateOnScreen(sheet);
    sheet->control(u"txtedad")->setFocus();
    click(sheet, button);

    QCOMPARE(textOf(sheet, u"Label9"_s), recordNumber);
    QCOMPARE(boxesOf(sheet), Ana);                        // neither stored nor changed
    QVERIFY(fixture.program().roster(1)[slot] == before); // not stored
    QCOMPARE(panelOf(sheet), emptyPanel());
    QCOMPARE(focusName(), u"txtNombre"_s);
    QVERIFY(fixture.messages().isEmpty());
}

void TestWorksheetRecords::showsAStoredRecordAtFullWidth()
{
    ProgramFixture fixture;
    fixture.writeFile(u"secundaria1.dat"_s, record(Luis) + record(Beto));
    Form *sheet = openWorksheet(fixture, u"prisecu"_s);
    QVERIFY(sheet);
    QCOMPARE(textOf(sheet, u"txtedad"_s), u"12        "_s);
    QCOMPARE(boxesOf(sheet), atFullWidth(Luis));

    // A digit typed after the blanks lies beyond the field and is cut off when stored.
    auto *age = sheet->control<QLineEdit>(u"txtedad");
    age->setFocus();
    age->end(false);
    QTest::keyClicks(age, u"3"_s);
    click(sheet, u"cmdGuardarReg"_s);
    const QByteArray file = fixture.readFile(u"secundaria1.dat"_s);
    QCOMPARE(file, record(Luis) + record(Beto));
}

void TestWorksheetRecords::storesKeepReservedBytes_data()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QStringList>("boxesStored");
    QTest::addColumn<bool>("ends");

    const QStringList blanks(7, QString());
    QTest::newRow("Guardar Registro") << QStringList{u"cmdGuardarReg"_s} << Luis << false;
    QTest::newRow("Borrar, Guardar Registro")
        << QStringList{u"Command1"_s, u"cmdGuardarReg"_s} << blanks << false;
    QTest::newRow("Borrar, Salir") << QStringList{u"Command1"_s, u"cmdSalir"_s} << blanks << true;
    QTest::newRow("Siguiente, Anterior, Salir")
        << QStringList{u"cmdRegSiguiente"_s, u"cmdRegAnterior"_s, u"cmdSalir"_s} << Luis << true;
}

void TestWorksheetRecords::storesKeepReservedBytes()
{
    QFETCH(QStringList, clicks);
    QFETCH(QStringList, boxesStored);
    QFETCH(bool, ends);

    ProgramFixture fixture;
    const QByteArray second = record(Beto, QByteArray(40, 'x'));
    fixture.writeFile(u"secundaria1.dat"_s, record(Luis, oddReservedBytes()) + second);
    Form *sheet = openWorksheet(fixture, u"prisecu"_s);
    QVERIFY(sheet);
    for (const QString &name : clicks)
        click(sheet, name);

    const QByteArray file = fixture.readFile(u"secundaria1.dat"_s);
    QCOMPARE(recordAt(file, 1), record(boxesStored, oddReservedBytes()));
    QCOMPARE(recordAt(file, 2), second);
    QCOMPARE(file.size(), ends ? 30 * RecordSize : 2 * RecordSize);
    QCOMPARE(fixture.screens().ended(), ends);
    QVERIFY(fixture.messages().isEmpty());
}

void TestWorksheetRecords::salirWritesTheRosterWithTheRecordOnScreen()
{
    ProgramFixture fixture;
    Form *sheet = openWorksheet(fixture, u"prisecu"_s);
    QVERIFY(sheet);
    typeRecord(Ana);
    click(sheet, u"cmdRegSiguiente"_s);
    sheet->control(u"txtNombre")->setFocus();
    typeRecord(Beto); // on screen only: neither saved nor left
    click(sheet, u"cmdSalir"_s);

    const QByteArray file = fixture.readFile(u"secundaria1.dat"_s);
    QCOMPARE(file.size(), 3900);
    QCOMPARE(recordAt(file, 1), record(Ana));
    QCOMPARE(recordAt(file, 2), record(Beto));
    QCOMPARE(file.sliced(2 * RecordSize), QByteArray(28 * RecordSize, '\0')); // never filled
    QVERIFY(fixture.screens().ended());
    QVERIFY(!fixture.screens().find(u"prisecu"_s)); // every screen closed
    QVERIFY(fixture.messages().isEmpty());
}

void TestWorksheetRecords::gradesKeepTheirOwnStudents()
{
    ProgramFixture fixture;
    const QByteArray secondGrade = record(Beto) + record(Luis);
    fixture.writeFile(u"secundaria2.dat"_s, secondGrade);

    Form *first = openWorksheet(fixture, u"prisecu"_s);
    QVERIFY(first);
    typeRecord(Ana);
    click(first, u"cmdRegSiguiente"_s);

    Form *second = openWorksheet(fixture, u"segusecu"_s);
    QVERIFY(second);
    QCOMPARE(boxesOf(second), atFullWidth(Beto));

    QCOMPARE(fixture.open(u"prisecu"_s), first); // back to the first grade, as it was left
    QCOMPARE(textOf(first, u"Label9"_s), u"2"_s);
    QCOMPARE(boxesOf(first), QStringList(7, QString()));
    click(first, u"cmdRegAnterior"_s);
    QCOMPARE(boxesOf(first), atFullWidth(Ana));
    click(first, u"cmdSalir"_s);

    const QByteArray file = fixture.readFile(u"secundaria1.dat"_s);
    QCOMPARE(file.size(), 3900);
    QCOMPARE(recordAt(file, 1), record(Ana));
    QCOMPARE(recordAt(file, 2), record({}));
    QVERIFY(!file.contains("Beto"));
    QVERIFY(!file.contains("Luis"));
    QCOMPARE(fixture.readFile(u"secundaria2.dat"_s), secondGrade);
}

void TestWorksheetRecords::reopeningBringsBackTheRoster_data()
{
    QTest::addColumn<bool>("removeFile");
    QTest::newRow("empty file") << false;
    QTest::newRow("missing file") << true;
}

void TestWorksheetRecords::reopeningBringsBackTheRoster()
{
    QFETCH(bool, removeFile);

    ProgramFixture fixture;
    Form *sheet = openWorksheet(fixture, u"prisecu"_s);
    QVERIFY(sheet);
    typeRecord(Ana);
    click(sheet, u"cmdRegSiguiente"_s);
    typeRecord(Beto);
    click(sheet, u"cmdRegSiguiente"_s);

    ProgramFixture::closeWindow(sheet);
    QVERIFY(!fixture.screens().find(u"prisecu"_s));
    QVERIFY(!fixture.screens().ended());
    QCOMPARE(fixture.readFile(u"secundaria1.dat"_s), QByteArray()); // closing stores nothing
    if (removeFile)
        QVERIFY(QFile::remove(fixture.path(u"secundaria1.dat"_s)));

    sheet = openWorksheet(fixture, u"prisecu"_s);
    QVERIFY(sheet);
    QCOMPARE(textOf(sheet, u"Label9"_s), QString()); // loaded anew, on record 1
    QCOMPARE(boxesOf(sheet), atFullWidth(Ana));
    click(sheet, u"cmdSalir"_s);

    const QByteArray file = fixture.readFile(u"secundaria1.dat"_s);
    QCOMPARE(file.size(), 3900);
    QCOMPARE(recordAt(file, 1), record(Ana));
    QCOMPARE(recordAt(file, 2), record(Beto));
}

void TestWorksheetRecords::doesNotOpenOnAFolder()
{
    ProgramFixture fixture;
    QVERIFY(QDir().mkdir(fixture.path(u"secundaria1.dat"_s)));
    QVERIFY(!openWorksheet(fixture, u"prisecu"_s));
    QVERIFY(!fixture.screens().find(u"prisecu"_s));
    QVERIFY(!fixture.screens().ended());

    const QStringList messages = fixture.messages();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.first().contains(u"secundaria1.dat"_s), qPrintable(messages.first()));
    QVERIFY2(messages.first().contains(u"carpeta"_s), qPrintable(messages.first()));
    QVERIFY(!QFile::exists(fixture.path(u"secundaria1.dat.lock"_s))); // nothing left behind
}

void TestWorksheetRecords::failedStoreKeepsTheWorksheet_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("fullDisk"); // else a folder takes the file's place
    QTest::newRow("Guardar Registro, folder in its place") << u"cmdGuardarReg"_s << false;
    QTest::newRow("Salir, folder in its place") << u"cmdSalir"_s << false;
    QTest::newRow("Guardar Registro, disk full") << u"cmdGuardarReg"_s << true;
    QTest::newRow("Salir, disk full") << u"cmdSalir"_s << true;
}

void TestWorksheetRecords::failedStoreKeepsTheWorksheet()
{
    QFETCH(QString, button);
    QFETCH(bool, fullDisk);

    ProgramFixture fixture;
    const QString path = fixture.path(u"secundaria1.dat"_s);
    const QByteArray original = record(Luis) + record(Beto);
    fixture.writeFile(u"secundaria1.dat"_s, original);
    Form *sheet = openWorksheet(fixture, u"prisecu"_s);
    QVERIFY(sheet);
    retype(sheet, u"txtNombre"_s, u"Ana"_s);
    const QStringList onScreen = boxesOf(sheet);

    if (fullDisk) {
        const FileSizeLimit limit(64); // only for the click: the test's own output may go to a file
        click(sheet, button);
    } else {
        QVERIFY(QFile::remove(path));
        QVERIFY(QDir().mkdir(path));
        click(sheet, button);
    }

    const QStringList messages = fixture.messages();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.first().startsWith(u"No se pudo guardar secundaria1.dat"_s),
             qPrintable(messages.first()));
    QVERIFY(!fixture.screens().ended());
    QCOMPARE(fixture.screens().find(u"prisecu"_s), sheet);
    QVERIFY(sheet->isVisible());
    QCOMPARE(boxesOf(sheet), onScreen);
    QCOMPARE(fixture.program().roster(1)[2].field(StudentRecord::Nombre), u"Beto"_s.leftJustified(30));

    if (fullDisk) {
        QCOMPARE(fixture.readFile(u"secundaria1.dat"_s), original); // the failed store left it whole
    } else {
        QVERIFY(QDir().rmdir(path));
    }
    click(sheet, u"cmdSalir"_s);
    QVERIFY(fixture.messages().isEmpty());
    QVERIFY(fixture.screens().ended());
    const QByteArray file = fixture.readFile(u"secundaria1.dat"_s);
    QCOMPARE(file.size(), 3900);
    QStringList stored = Luis;
    stored[0] = u"Ana"_s;
    QCOMPARE(recordAt(file, 1), record(stored));
    QCOMPARE(recordAt(file, 2), record(Beto));
}

void TestWorksheetRecords::doesNotOpenAGradeOpenElsewhere()
{
    ProgramFixture fixture;
    // Another copy of the program: a live process named in a lock file in QLockFile's own format.
    QProcess other;
    other.start(u"sleep"_s, {u"30"_s});
    QVERIFY(other.waitForStarted());
    const QString lockPath = fixture.path(u"secundaria1.dat.lock"_s);
    fixture.writeFile(u"secundaria1.dat.lock"_s, QByteArray::number(other.processId()) + "\nsleep\n" +
                                                     QSysInfo::machineHostName().toUtf8() + '\n');
    {
        QLockFile probe(lockPath);
        probe.setStaleLockTime(0);
        QVERIFY2(!probe.tryLock(0), "the hand-made lock file is not taken for a live lock");
    }

    QVERIFY(!openWorksheet(fixture, u"prisecu"_s));
    QVERIFY(!fixture.screens().find(u"prisecu"_s));
    const QStringList messages = fixture.messages();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.first().contains(u"ya está abierto en otra ventana del programa"_s),
             qPrintable(messages.first()));
    QVERIFY2(messages.first().contains(u"secundaria1.dat"_s), qPrintable(messages.first()));
    QVERIFY(QFile::exists(lockPath)); // the other copy's lock is left alone
    QVERIFY(!QFile::exists(fixture.path(u"secundaria1.dat"_s)));

    other.kill();
    other.waitForFinished();
}

void TestWorksheetRecords::releasesTheGradeWhenItCloses_data()
{
    QTest::addColumn<bool>("bySalir"); // else by the window's close control
    QTest::newRow("close control") << false;
    QTest::newRow("Salir") << true;
}

void TestWorksheetRecords::releasesTheGradeWhenItCloses()
{
    QFETCH(bool, bySalir);

    ProgramFixture fixture;
    Form *sheet = openWorksheet(fixture, u"segusecu"_s);
    QVERIFY(sheet);
    QLockFile probe(fixture.path(u"secundaria2.dat.lock"_s));
    probe.setStaleLockTime(0);
    QVERIFY(!probe.tryLock(0)); // held while the worksheet is open

    if (bySalir)
        click(sheet, u"cmdSalir"_s);
    else
        ProgramFixture::closeWindow(sheet);
    settle();
    QVERIFY(!fixture.screens().find(u"segusecu"_s));
    QVERIFY(probe.tryLock(0));
    probe.unlock();
}

} // namespace merlox2::test

QTEST_MAIN(merlox2::test::TestWorksheetRecords)
#include "TestWorksheetRecords.moc"
