// Record editing on a worksheet, checked on the bytes of the grade file: what each command writes,
// what it leaves alone, and what the teacher is told when the file can't be used.

#include "WorksheetDriver.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QLockFile>
#include <QProcess>
#include <QSysInfo>

#include <csignal>

#include <sys/resource.h>

using namespace Qt::StringLiterals;

namespace merlox2::test {

namespace {

const QStringList Beto = u"Beto 13 1.6 7.1 30 31 29"_s.split(u' ');
const QStringList Luis = u"Luis 12 1.4 7 30 30 30"_s.split(u' ');

// Reserved bytes that no box could produce: NUL, the bytes Windows-1252 leaves undefined, high bytes.
const QByteArray OddReserved = QByteArray::fromHex("00818d8f909d80ff41e9").repeated(4);

// A stored record as the boxes show it: each field at its full width.
QStringList atFullWidth(const QStringList &boxes)
{
    QStringList texts;
    for (int i = 0; i < 7; ++i)
        texts << boxes.value(i).leftJustified(i == 0 ? 30 : 10, u' ', true);
    return texts;
}

// A click while no file may grow beyond 64 bytes, as on a full disk, even for root; only then, as the
// test's own output may go to a file.
void clickOnAFullDisk(const Form *sheet, const QString &button)
{
    rlimit previous{};
    ::getrlimit(RLIMIT_FSIZE, &previous);
    const auto handler = std::signal(SIGXFSZ, SIG_IGN); // else the kernel ends the process
    rlimit limit = previous;
    limit.rlim_cur = 64;
    ::setrlimit(RLIMIT_FSIZE, &limit);
    click(sheet, button);
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, handler);
}

} // namespace

class TestWorksheetRecords : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { initializeGuiTests(); }
    void firstUseMovesAndGuardarWriteOnlyTheRecordOnScreen_data();
    void firstUseMovesAndGuardarWriteOnlyTheRecordOnScreen();
    void storesKeepFieldWidthsAndReservedBytes_data();
    void storesKeepFieldWidthsAndReservedBytes();
    void movesKeepTheBoxesGradesTheirOwnAndSalirWritesAll();
    void reopeningBringsBackTheRoster_data();
    void reopeningBringsBackTheRoster();
    void doesNotOpen_data();
    void doesNotOpen();
    void failedStoreKeepsTheWorksheet_data();
    void failedStoreKeepsTheWorksheet();
};

void TestWorksheetRecords::firstUseMovesAndGuardarWriteOnlyTheRecordOnScreen_data()
{
    QTest::addColumn<int>("record");
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QString>("edge"); // a move that goes nowhere before Guardar Registro
    QTest::newRow("record 1, Registro Anterior stays") << 1 << Ana << u"cmdRegAnterior"_s;
    QTest::newRow("record 7 of an empty file: 910 bytes") << 7 << Beto << QString();
    QTest::newRow("a long name keeps 30 characters")
        << 2 << QStringList{u"Maria de los Angeles Perez Gomez"_s} << QString();
    QTest::newRow("record 30, Registro Siguiente stays") << 30 << Luis << u"cmdRegSiguiente"_s;
}

void TestWorksheetRecords::firstUseMovesAndGuardarWriteOnlyTheRecordOnScreen()
{
    QFETCH(int, record);
    QFETCH(QStringList, typed);
    QFETCH(QString, edge);

    ProgramFixture fixture;
    QVERIFY(!QFile::exists(fixture.path(u"secundaria1.dat"_s)));
    Form *sheet = fixture.open(u"prisecu"_s);
    QVERIFY(sheet && QTest::qWaitForWindowActive(sheet));
    QVERIFY(QFile::exists(fixture.path(u"secundaria1.dat"_s)));
    QCOMPARE(fixture.readFile(u"secundaria1.dat"_s), QByteArray());
    QCOMPARE(boxesOf(sheet) + panelOf(sheet) << textOf(sheet, u"Label9"_s), QStringList(16, QString()));
    QCOMPARE(textOf(sheet, u"Label28"_s), QLocale().toString(QDate::currentDate(), QLocale::ShortFormat));
    QCOMPARE(focusName(), u"txtNombre"_s);

    for (int n = 1; n < record; ++n)
        click(sheet, u"cmdRegSiguiente"_s);
    QCOMPARE(focusName(), u"txtNombre"_s);
    typeRecord(typed);
    QCOMPARE(focusName(), BoxNames.value(typed.size(), u"Option1"_s)); // Enter went on from box to box
    if (!edge.isEmpty()) { // nothing stored, nothing changed but the panel, emptied
        click(sheet, u"Command3"_s);
        QVERIFY(!textOf(sheet, u"Label11"_s).isEmpty());
        sheet->control(u"txtedad")->setFocus();
        click(sheet, edge);
        QCOMPARE(textOf(sheet, u"Label9"_s), QString::number(record));
        QCOMPARE(boxesOf(sheet), typed);
        QVERIFY(fixture.program().roster(1)[record] == StudentRecord());
        QCOMPARE(panelOf(sheet), EmptyPanel);
        QCOMPARE(focusName(), u"txtNombre"_s);
    }
    click(sheet, u"cmdGuardarReg"_s);
    QCOMPARE(fixture.readFile(u"secundaria1.dat"_s),
             QByteArray((record - 1) * 130, '\0') + merlox2::test::record(typed));
    QCOMPARE(textOf(sheet, u"txtNombre"_s), typed.first()); // the box still shows what was typed
}

void TestWorksheetRecords::storesKeepFieldWidthsAndReservedBytes_data()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QStringList>("boxesStored");
    QTest::addColumn<bool>("ends");
    QTest::newRow("Guardar Registro") << QStringList{u"cmdGuardarReg"_s} << Luis << false;
    QTest::newRow("Borrar, Guardar Registro")
        << QStringList{u"Command1"_s, u"cmdGuardarReg"_s} << EmptyBoxes << false;
    QTest::newRow("Borrar, Salir") << QStringList{u"Command1"_s, u"cmdSalir"_s} << EmptyBoxes << true;
    QTest::newRow("Siguiente, Anterior, Salir")
        << QStringList{u"cmdRegSiguiente"_s, u"cmdRegAnterior"_s, u"cmdSalir"_s} << Luis << true;
}

void TestWorksheetRecords::storesKeepFieldWidthsAndReservedBytes()
{
    QFETCH(QStringList, clicks);
    QFETCH(QStringList, boxesStored);
    QFETCH(bool, ends);

    ProgramFixture fixture;
    const QByteArray second = record(Beto, QByteArray(40, 'x'));
    fixture.writeFile(u"secundaria1.dat"_s, record(Luis, OddReserved) + second);
    Form *sheet = fixture.open(u"prisecu"_s);
    QVERIFY(sheet);
    QCOMPARE(boxesOf(sheet), atFullWidth(Luis));
    // Evaluated as typed ones, the trailing blanks of the stored fields notwithstanding.
    click(sheet, u"Command3"_s);
    QCOMPARE(panelOf(sheet), u"100 I 100 I 100 100 I I"_s.split(u' '));
    // A digit typed after the blanks of the age lies beyond its field: it is cut off when stored.
    auto *age = sheet->control<QLineEdit>(u"txtedad");
    age->setFocus();
    age->end(false);
    QTest::keyClicks(age, u"3"_s);
    for (const QString &name : clicks)
        click(sheet, name);

    QCOMPARE(fixture.readFile(u"secundaria1.dat"_s),
             record(boxesStored, OddReserved) + second + QByteArray(ends ? 28 * 130 : 0, '\0'));
    QCOMPARE(fixture.screens().ended(), ends);
}

void TestWorksheetRecords::movesKeepTheBoxesGradesTheirOwnAndSalirWritesAll()
{
    ProgramFixture fixture;
    const QByteArray secondGrade = record(Luis) + record(Ana);
    fixture.writeFile(u"secundaria2.dat"_s, secondGrade);
    Form *sheet = fixture.open(u"prisecu"_s);
    QVERIFY(sheet);
    for (const QStringList &student : {Ana, Beto}) {
        typeRecord(student);
        click(sheet, u"cmdRegSiguiente"_s);
    }
    QCOMPARE(textOf(sheet, u"Label9"_s), u"3"_s);
    QCOMPARE(boxesOf(sheet), EmptyBoxes);
    typeRecord(Luis); // on screen only: neither saved nor left
    QCOMPARE(QByteArray(fixture.program().roster(1)[1].data(), 260), record(Ana) + record(Beto));
    QCOMPARE(fixture.readFile(u"secundaria1.dat"_s), QByteArray()); // moving writes nothing to the file
    QLockFile lock(fixture.path(u"secundaria1.dat.lock"_s));
    lock.setStaleLockTime(0);
    QVERIFY(!lock.tryLock(0)); // held while the worksheet is open

    // Another grade, with its own students, then back to the first as it was left.
    Form *second = fixture.open(u"segusecu"_s);
    QVERIFY(second);
    QCOMPARE(boxesOf(second), atFullWidth(Luis));
    QCOMPARE(fixture.open(u"prisecu"_s), sheet);
    QCOMPARE(boxesOf(sheet), Luis);

    click(sheet, u"cmdSalir"_s);
    QCOMPARE(fixture.readFile(u"secundaria1.dat"_s),
             record(Ana) + record(Beto) + record(Luis) + QByteArray(27 * 130, '\0'));
    QCOMPARE(fixture.readFile(u"secundaria2.dat"_s), secondGrade);
    QVERIFY(fixture.screens().ended());
    QVERIFY(!fixture.screens().find(u"prisecu"_s) && !fixture.screens().find(u"segusecu"_s));
    QVERIFY(lock.tryLock(0));
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
    Form *sheet = fixture.open(u"prisecu"_s);
    QVERIFY(sheet);
    for (const QStringList &student : {Ana, Beto}) {
        typeRecord(student);
        click(sheet, u"cmdRegSiguiente"_s);
    }
    closeWindow(sheet);
    QVERIFY(!fixture.screens().find(u"prisecu"_s) && !fixture.screens().ended());
    QLockFile lock(fixture.path(u"secundaria1.dat.lock"_s));
    QVERIFY(lock.tryLock(0)); // released
    lock.unlock();
    QCOMPARE(fixture.readFile(u"secundaria1.dat"_s), QByteArray()); // closing stores nothing
    if (removeFile)
        QVERIFY(QFile::remove(fixture.path(u"secundaria1.dat"_s)));

    sheet = fixture.open(u"prisecu"_s);
    QVERIFY(sheet);
    QCOMPARE(textOf(sheet, u"Label9"_s), QString()); // loaded anew, on record 1
    QCOMPARE(boxesOf(sheet), atFullWidth(Ana));
    click(sheet, u"cmdSalir"_s);
    QCOMPARE(fixture.readFile(u"secundaria1.dat"_s), record(Ana) + record(Beto) + QByteArray(28 * 130, '\0'));
}

void TestWorksheetRecords::doesNotOpen_data()
{
    QTest::addColumn<bool>("openElsewhere"); // else a folder stands where the file should be
    QTest::addColumn<QString>("told");
    QTest::newRow("a folder in place of the file") << false << u"carpeta"_s;
    QTest::newRow("the grade open in another copy")
        << true << u"ya está abierto en otra ventana del programa"_s;
}

void TestWorksheetRecords::doesNotOpen()
{
    QFETCH(bool, openElsewhere);
    QFETCH(QString, told);
    ProgramFixture fixture;
    QProcess other;
    if (openElsewhere) {
        // Another copy of the program: a live process named in a lock file in QLockFile's own format.
        other.start(u"sleep"_s, {u"30"_s});
        QVERIFY(other.waitForStarted());
        fixture.writeFile(u"secundaria1.dat.lock"_s, QByteArray::number(other.processId()) + "\nsleep\n" +
                                                         QSysInfo::machineHostName().toUtf8() + '\n');
        QLockFile probe(fixture.path(u"secundaria1.dat.lock"_s));
        probe.setStaleLockTime(0);
        QVERIFY2(!probe.tryLock(0), "the hand-made lock file is not taken for a live lock");
    } else {
        QVERIFY(QDir().mkdir(fixture.path(u"secundaria1.dat"_s)));
    }
    QVERIFY(!fixture.open(u"prisecu"_s));
    QVERIFY(!fixture.screens().find(u"prisecu"_s) && !fixture.screens().ended());
    const QString message = onlyMessage();
    QVERIFY2(message.contains(u"secundaria1.dat"_s) && message.contains(told), qPrintable(message));
    // The other copy's lock is left alone, and nothing is left behind.
    QCOMPARE(QFile::exists(fixture.path(u"secundaria1.dat.lock"_s)), openElsewhere);
    QCOMPARE(QFile::exists(fixture.path(u"secundaria1.dat"_s)), !openElsewhere);
    other.kill();
    other.waitForFinished();
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
    Form *sheet = fixture.open(u"prisecu"_s);
    QVERIFY(sheet);
    retype(sheet, u"txtNombre"_s, u"Ana"_s);
    const QStringList onScreen = boxesOf(sheet);

    if (fullDisk)
        clickOnAFullDisk(sheet, button);
    else if (QFile::remove(path) && QDir().mkdir(path))
        click(sheet, button);
    const QString message = onlyMessage();
    QVERIFY2(message.startsWith(u"No se pudo guardar secundaria1.dat"_s), qPrintable(message));
    QVERIFY(!fixture.screens().ended() && sheet->isVisible());
    QCOMPARE(fixture.screens().find(u"prisecu"_s), sheet);
    QCOMPARE(boxesOf(sheet), onScreen);
    QCOMPARE(fixture.program().roster(1)[2].field(StudentRecord::Nombre), u"Beto"_s.leftJustified(30));
    if (fullDisk)
        QCOMPARE(fixture.readFile(u"secundaria1.dat"_s), original); // the failed store left it whole
    else
        QVERIFY(QDir().rmdir(path));

    // The cause mended, Salir succeeds with everything that was kept.
    click(sheet, u"cmdSalir"_s);
    QVERIFY(fixture.screens().ended());
    QCOMPARE(fixture.readFile(u"secundaria1.dat"_s),
             record(QStringList{u"Ana"_s} + Luis.mid(1)) + record(Beto) + QByteArray(28 * 130, '\0'));
}

} // namespace merlox2::test

QTEST_MAIN(merlox2::test::TestWorksheetRecords)
#include "TestWorksheetRecords.moc"
