// Record editing on a worksheet, checked on the bytes of the grade file: what each command writes,
// what it leaves alone, and what the teacher is told when the file can't be used.

#include "WorksheetDriver.h"

#include "forms/MessageBox.h"
#include "records/GradeLock.h"
#ifndef Q_OS_WIN
#include "support/LatePipeWriter.h"
#endif
#include "support/System.h"
#include "support/Unprivileged.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QLockFile>
#include <QMap>
#include <QProcess>
#include <QScopeGuard>

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

// A click while no file may grow beyond 64 bytes, as on a full disk; only then, as the test's own output
// may go to a file. False where the system can't limit the files.
bool clickOnAFullDisk(const Worksheet *sheet, const QString &button)
{
    const FileSizeLimit fullDisk(64);
    if (fullDisk.active())
        click(sheet, button);
    return fullDisk.active();
}

// What can stand in the way of opening a grade.
enum class Blocker {
    FolderInPlace,
    Pipe,
    LinkToMissingFile,
    OtherCopy,
    OtherCopyReadOnlyFolder,
    OtherMachine
};

// A lock file as QLockFile writes it for a process of this machine.
QByteArray lockOf(const QProcess &process)
{
    return QByteArray::number(process.processId()) + '\n' +
           QFileInfo(process.program()).completeBaseName().toUtf8() + '\n' + lockMachineName().toUtf8() +
           '\n';
}

void setModified(const QString &path, const QDateTime &when)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite) && file.setFileTime(when, QFileDevice::FileModificationTime));
}

// The folder's entries with their content (a folder's is empty); pipes and links to nothing are not opened.
QMap<QString, QByteArray> entries(const ProgramFixture &fixture)
{
    QMap<QString, QByteArray> found;
    const QDir folder(fixture.path(QString()));
    for (const QString &name :
         folder.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot | QDir::Hidden)) {
        const QFileInfo info(folder.filePath(name));
        found.insert(name, info.isFile() || info.isDir() ? fixture.readFile(name) : "<special>"_ba);
    }
    return found;
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
    void opensDespiteALockNobodyHolds_data();
    void opensDespiteALockNobodyHolds();
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
    Worksheet *sheet = fixture.openWorksheet(1);
    QVERIFY(sheet); // the fixture has waited until it is the active window
    QVERIFY(QFile::exists(fixture.path(u"secundaria1.dat"_s)));
    QCOMPARE(fixture.readFile(u"secundaria1.dat"_s), QByteArray());
    QCOMPARE(boxesOf(sheet) + panelOf(sheet) << textOf(sheet->controls().Label9), QStringList(16, QString()));
    QCOMPARE(sheet->controls().Label28->text(), QLocale().toString(FixtureNow.date(), QLocale::ShortFormat));
    QCOMPARE(focusName(), u"txtNombre"_s);

    for (int n = 1; n < record; ++n)
        click(sheet->controls().cmdRegSiguiente);
    QCOMPARE(focusName(), u"txtNombre"_s);
    typeRecord(typed);
    const auto boxes = sheet->controls().boxes();
    QWidget *next = std::size_t(typed.size()) < boxes.size()
                        ? boxes.at(std::size_t(typed.size()))
                        : static_cast<QWidget *>(sheet->controls().Option1);
    QCOMPARE(QApplication::focusWidget(), next); // Enter went on from box to box
    if (!edge.isEmpty()) {                       // nothing stored, nothing changed but the panel, emptied
        click(sheet->controls().Command3);
        QVERIFY(!textOf(sheet->controls().Label11).isEmpty());
        sheet->controls().txtedad->setFocus();
        click(sheet, edge);
        QCOMPARE(textOf(sheet->controls().Label9), QString::number(record));
        QCOMPARE(boxesOf(sheet), typed);
        QVERIFY(fixture.program().roster(1)[record] == StudentRecord());
        QCOMPARE(panelOf(sheet), EmptyPanel);
        QCOMPARE(focusName(), u"txtNombre"_s);
    }
    click(sheet->controls().cmdGuardarReg);
    QCOMPARE(fixture.readFile(u"secundaria1.dat"_s),
             QByteArray(qsizetype{record - 1} * 130, '\0') + merlox2::test::record(typed));
    QCOMPARE(textOf(sheet->controls().txtNombre), typed.first()); // the box still shows what was typed
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
    Worksheet *sheet = fixture.openWorksheet(1);
    QVERIFY(sheet);
    QCOMPARE(boxesOf(sheet), atFullWidth(Luis));
    // Evaluated as typed ones, the trailing blanks of the stored fields notwithstanding.
    click(sheet->controls().Command3);
    QCOMPARE(panelOf(sheet), u"100 I 100 I 100 100 I I"_s.split(u' '));
    // A digit typed after the blanks of the age lies beyond its field: it is cut off when stored.
    auto *age = sheet->controls().txtedad;
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
    Worksheet *sheet = fixture.openWorksheet(1);
    QVERIFY(sheet);
    for (const QStringList &student : {Ana, Beto}) {
        typeRecord(student);
        click(sheet->controls().cmdRegSiguiente);
    }
    QCOMPARE(textOf(sheet->controls().Label9), u"3"_s);
    QCOMPARE(boxesOf(sheet), EmptyBoxes);
    typeRecord(Luis); // on screen only: neither saved nor left
    QCOMPARE(QByteArray(fixture.program().roster(1)[1].data(), 260), record(Ana) + record(Beto));
    QCOMPARE(fixture.readFile(u"secundaria1.dat"_s), QByteArray()); // moving writes nothing to the file
    QLockFile lock(fixture.path(u"secundaria1.dat.lock"_s));
    lock.setStaleLockTime(0);
    QVERIFY(!lock.tryLock(0)); // held while the worksheet is open

    // Another grade, with its own students, then back to the first as it was left.
    Worksheet *second = fixture.openWorksheet(2);
    QVERIFY(second);
    QCOMPARE(boxesOf(second), atFullWidth(Luis));
    QCOMPARE(fixture.openWorksheet(1), sheet);
    QCOMPARE(boxesOf(sheet), Luis);

    click(sheet->controls().cmdSalir);
    QCOMPARE(fixture.readFile(u"secundaria1.dat"_s),
             record(Ana) + record(Beto) + record(Luis) + QByteArray(qsizetype{27} * 130, '\0'));
    QCOMPARE(fixture.readFile(u"secundaria2.dat"_s), secondGrade);
    QVERIFY(fixture.screens().ended());
    // The screens go once Qt's event queue discards them, and the lock with them.
    QTRY_VERIFY(!fixture.screens().find(Screen::Worksheet1) && !fixture.screens().find(Screen::Worksheet2));
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
    Worksheet *sheet = fixture.openWorksheet(1);
    QVERIFY(sheet);
    for (const QStringList &student : {Ana, Beto}) {
        typeRecord(student);
        click(sheet->controls().cmdRegSiguiente);
    }
    MessageBox::answerNextQuestion(MessageBox::Answer::No);
    closeWindow(sheet);
    QCOMPARE(onlyMessage(), u"¿Guardar los cambios de secundaria1.dat?"_s);
    QVERIFY(!fixture.screens().find(Screen::Worksheet1) && !fixture.screens().ended());
    QLockFile lock(fixture.path(u"secundaria1.dat.lock"_s));
    QVERIFY(lock.tryLock(0)); // released
    lock.unlock();
    QCOMPARE(fixture.readFile(u"secundaria1.dat"_s), QByteArray()); // "No" stores nothing
    if (removeFile)
        QVERIFY(QFile::remove(fixture.path(u"secundaria1.dat"_s)));

    sheet = fixture.openWorksheet(1);
    QVERIFY(sheet);
    QCOMPARE(textOf(sheet->controls().Label9), QString()); // loaded anew, on record 1
    QCOMPARE(boxesOf(sheet), atFullWidth(Ana));
    click(sheet->controls().cmdSalir);
    QCOMPARE(fixture.readFile(u"secundaria1.dat"_s),
             record(Ana) + record(Beto) + QByteArray(qsizetype{28} * 130, '\0'));
}

void TestWorksheetRecords::doesNotOpen_data()
{
    QTest::addColumn<Blocker>("blocker");
    QTest::addColumn<QString>("told");
    QTest::newRow("a folder in place of the file") << Blocker::FolderInPlace << u"carpeta"_s;
    QTest::newRow("a named pipe in place of the file, no writer")
        << Blocker::Pipe << u"no es un archivo de datos sino un archivo especial del sistema"_s;
    QTest::newRow("a link to a missing file")
        << Blocker::LinkToMissingFile << u"/viejo.dat, un archivo que no existe"_s;
    QTest::newRow("the grade open in another copy")
        << Blocker::OtherCopy << u"ya está abierto en otra ventana del programa"_s;
    QTest::newRow("the grade open in another copy, in a read-only folder")
        << Blocker::OtherCopyReadOnlyFolder
        << u"ya está abierto en otra ventana del programa MERLOX2 en esta computadora"_s;
    // Asked on a system in English: the program's own sentences are Spanish, their dates too.
    QTest::newRow("the grade open on another machine, not confirmed")
        << Blocker::OtherMachine << u"en la computadora «aula-2» el 5 de marzo de 2024 a las 10:15"_s;
}

void TestWorksheetRecords::doesNotOpen()
{
    QFETCH(Blocker, blocker);
    QFETCH(QString, told);
    ProgramFixture fixture;
    const auto restore = qScopeGuard([&] {
        setMode(fixture.path(QString()), 0700);
        QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Mexico));
    });
    QProcess other;
    QString machineLock;
    const auto removeMachineLock = qScopeGuard([&] {
        other.kill();
        other.waitForFinished();
        if (!machineLock.isEmpty())
            QFile::remove(machineLock);
    });
    const QString lockFile = fixture.path(u"secundaria1.dat.lock"_s);
    switch (blocker) {
    case Blocker::FolderInPlace: QVERIFY(QDir().mkdir(fixture.path(u"secundaria1.dat"_s))); break;
#ifndef Q_OS_WIN
    case Blocker::Pipe:
        QCOMPARE(::mkfifo(QFile::encodeName(fixture.path(u"secundaria1.dat"_s)).constData(), 0666), 0);
        break;
    case Blocker::LinkToMissingFile:
        QCOMPARE(::symlink("viejo.dat", QFile::encodeName(fixture.path(u"secundaria1.dat"_s)).constData()),
                 0);
        break;
#else
    case Blocker::Pipe:
    case Blocker::LinkToMissingFile: QSKIP("named pipes and symbolic links of POSIX");
#endif
    case Blocker::OtherCopy:
    case Blocker::OtherCopyReadOnlyFolder:
        // Another copy of the program: a live process named in a lock file in QLockFile's own format or, in
        // the read-only folder, holding this machine's lock. There, where we act as "nobody", it is nobody's,
        // as a copy of the same user is.
        if (blocker == Blocker::OtherCopy) {
            startLastingProgram(other);
        } else {
#ifndef Q_OS_WIN
            if (const passwd *nobody = nobodyIfRoot()) {
                other.setChildProcessModifier([uid = nobody->pw_uid, gid = nobody->pw_gid] {
                    if (::setgid(gid) != 0 || ::setuid(uid) != 0)
                        ::_exit(1);
                });
            }
            // This machine's lock is the system's file lock on a file every account shares: held by the
            // process itself, not by its number written down.
            machineLock = GradeLock(fixture.path(u"secundaria1.dat"_s)).localLockFileName();
            other.start(u"flock"_s,
                        {u"--no-fork"_s, machineLock, u"sh"_s, u"-c"_s, u"echo held; exec sleep 30"_s});
#else
            QSKIP("another account holding this machine's lock: the accounts of a POSIX system");
#endif
        }
        QVERIFY(other.waitForStarted());
        // Until it says so, a copy that tries is not refused.
        QVERIFY(blocker == Blocker::OtherCopy ||
                (other.waitForReadyRead(10000) && other.readAll() == "held\n"));
        if (blocker == Blocker::OtherCopy) {
            fixture.writeFile(u"secundaria1.dat.lock"_s, lockOf(other));
            QLockFile probe(lockFile);
            probe.setStaleLockTime(0);
            QVERIFY2(!probe.tryLock(0), "the hand-made lock file is not taken for a live lock");
        } else {
            // The other copy opened the grade where its folder takes no lock file; it holds the lock of
            // this machine instead.
            fixture.writeFile(u"secundaria1.dat"_s, record(Ana));
            setMode(fixture.path(u"secundaria1.dat"_s), 0666);
            setMode(fixture.path(QString()), 0555);
        }
        break;
    case Blocker::OtherMachine:
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        fixture.writeFile(u"secundaria1.dat.lock"_s, "4242\nmerlox2\naula-2\n");
        setModified(lockFile, QDateTime(QDate(2024, 3, 5), QTime(10, 15)));
        break;
    }
    const QMap<QString, QByteArray> before = entries(fixture);

    const bool readOnly = blocker == Blocker::OtherCopyReadOnlyFolder;
    if (readOnly && !canRunAsNobody())
        MERLOX2_SKIP_UNPRIVILEGED("no user 'nobody' to run as");
    {
        const AsNobody nobody(readOnly);
#ifndef Q_OS_WIN
        // Opening may not wait on a pipe: should it, a writer ends the wait after two seconds.
        const LatePipeWriter writer(QFile::encodeName(fixture.path(u"secundaria1.dat"_s)));
#endif
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!fixture.openWorksheet(1));
        QVERIFY2(timer.elapsed() < 1000, qPrintable(u"%1 ms"_s.arg(timer.elapsed())));
    }
    QVERIFY(!fixture.screens().find(Screen::Worksheet1) && !fixture.screens().ended());
    const QString message = onlyMessage();
    QVERIFY2(message.contains(u"secundaria1.dat"_s) && message.contains(told), qPrintable(message));
    // The lock file the teacher may delete is named with its folder, the path on a line of its own.
    if (blocker == Blocker::OtherCopy) {
        QVERIFY2(
            message.endsWith(u"borre el archivo secundaria1.dat.lock de la carpeta de los archivos de los "
                             "grados e intente de nuevo. La carpeta es:\n"_s +
                             QDir::toNativeSeparators(QFileInfo(lockFile).absolutePath())),
            qPrintable(message));
    } else if (blocker == Blocker::OtherCopyReadOnlyFolder) {
        // The machine's lock ends with the copy that holds it: no file to delete is named.
        QVERIFY2(!message.contains(u"borre"_s), qPrintable(message));
    }
    // The other copy's lock is left alone, and nothing is left behind.
    QCOMPARE(entries(fixture), before);
}

void TestWorksheetRecords::opensDespiteALockNobodyHolds_data()
{
    QTest::addColumn<QByteArray>("lock"); // in the read-only folder, one naming an ended process
    QTest::addColumn<bool>("readOnlyFolder");
    QTest::addColumn<QString>("told"); // nothing when empty
    QTest::newRow("an empty lock file") << QByteArray() << false << QString();
    // The other machine's name is only the start of the question; the teacher answers "Sí".
    QTest::newRow("a lock taken on another machine, closed there")
        << "4242\nmerlox2\naula-2\n"_ba << false
        << u"¿Ha comprobado que el programa ya no está abierto en «aula-2»"_s;
    QTest::newRow("a lock left by an ended copy in a folder made read-only")
        << QByteArray() << true << u"no se permite escribir en esa carpeta"_s;
}

void TestWorksheetRecords::opensDespiteALockNobodyHolds()
{
    QFETCH(QByteArray, lock);
    QFETCH(bool, readOnlyFolder);
    QFETCH(QString, told);
    if (readOnlyFolder && !canRunAsNobody())
        MERLOX2_SKIP_UNPRIVILEGED("no user 'nobody' to run as");

    ProgramFixture fixture;
    const auto restore = qScopeGuard([&] { setMode(fixture.path(QString()), 0700); });
    const QString lockFile = fixture.path(u"secundaria1.dat.lock"_s);
    fixture.writeFile(u"secundaria1.dat"_s, record(Ana));
    if (readOnlyFolder) {
        // Left by a copy that has ended since: the folder was made read-only while it worked.
        QProcess ended;
        startEndingProgram(ended);
        QVERIFY(ended.waitForStarted());
        lock = lockOf(ended);
        QVERIFY(ended.waitForFinished());
        setMode(fixture.path(u"secundaria1.dat"_s), 0666);
        setMode(fixture.path(QString()), 0555);
    }
    fixture.writeFile(u"secundaria1.dat.lock"_s, lock);
    MessageBox::answerNextQuestion(true);

    Worksheet *sheet = nullptr;
    {
        const AsNobody nobody(readOnlyFolder);
        sheet = fixture.openWorksheet(1);
    }
    QVERIFY(sheet);
    QCOMPARE(boxesOf(sheet), atFullWidth(Ana));
    if (told.isEmpty()) {
        QCOMPARE(MessageBox::takeShownTexts(), QStringList());
    } else {
        const QString message = onlyMessage();
        QVERIFY2(message.contains(told), qPrintable(message));
    }
    // Taken over where the folder lets it; else left as it was.
    const QByteArray lockNow = fixture.readFile(u"secundaria1.dat.lock"_s);
    if (readOnlyFolder)
        QCOMPARE(lockNow, lock);
    else
        QVERIFY(lockNow.startsWith(QByteArray::number(QCoreApplication::applicationPid()) + '\n'));
    closeWindow(sheet);
    QCOMPARE(QFile::exists(lockFile), readOnlyFolder);
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
    Worksheet *sheet = fixture.openWorksheet(1);
    QVERIFY(sheet);
    retype(sheet->controls().txtNombre, u"Ana"_s);
    const QStringList onScreen = boxesOf(sheet);

    if (fullDisk) {
        if (!clickOnAFullDisk(sheet, button))
            QSKIP("this system can't limit the size of a process's files");
    } else if (QFile::remove(path) && QDir().mkdir(path)) {
        click(sheet, button);
    }
    const QString message = onlyMessage();
    QVERIFY2(message.startsWith(u"No se pudo guardar secundaria1.dat"_s), qPrintable(message));
    QVERIFY(!fixture.screens().ended() && sheet->isVisible());
    QCOMPARE(fixture.screens().find(Screen::Worksheet1), sheet);
    QCOMPARE(boxesOf(sheet), onScreen);
    QCOMPARE(fixture.program().roster(1)[2].field(StudentRecord::Nombre), u"Beto"_s.leftJustified(30));
    if (fullDisk)
        QCOMPARE(fixture.readFile(u"secundaria1.dat"_s), original); // the failed store left it whole
    else
        QVERIFY(QDir().rmdir(path));

    // The cause mended, Salir succeeds with everything that was kept.
    click(sheet->controls().cmdSalir);
    QVERIFY(fixture.screens().ended());
    QCOMPARE(fixture.readFile(u"secundaria1.dat"_s), record(QStringList{u"Ana"_s} + Luis.mid(1)) +
                                                         record(Beto) +
                                                         QByteArray(qsizetype{28} * 130, '\0'));
}

} // namespace merlox2::test

QTEST_MAIN(merlox2::test::TestWorksheetRecords)
#include "TestWorksheetRecords.moc"
