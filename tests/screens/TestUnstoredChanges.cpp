#include "forms/MessageBox.h"
#include "screens/WorksheetDriver.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(merlox2::MessageBox::Answer)

namespace merlox2::test {

// Work typed but not stored is never thrown away without the teacher's word: the window's close control,
// the end of the program from another screen and the end of the desktop session.
class TestUnstoredChanges : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { initializeGuiTests(); }
    void closeControlAsks_data();
    void closeControlAsks();
    void failedStoreKeepsTheWorksheet();
    void salirAsksOnlyAboutTheOtherGrades();
    void sessionEndStoresWithoutAsking();
};

namespace {

const QByteArray Stored = record({u"Ana"_s, u"13"_s}) + record({u"Beto"_s, u"12"_s});
const QString Question = u"¿Guardar los cambios de secundaria1.dat?"_s;

} // namespace

void TestUnstoredChanges::closeControlAsks_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<MessageBox::Answer>("answer");
    QTest::addColumn<QByteArray>("after");
    const QByteArray fifteen = record({u"Ana"_s, u"15"_s}) + record({u"Beto"_s, u"12"_s});
    const QByteArray full = QByteArray(qsizetype{28} * 130, '\0');
    QTest::newRow("age changed, Sí: stored") << u"age"_s << MessageBox::Answer::Yes << fifteen + full;
    QTest::newRow("age changed, No: thrown away") << u"age"_s << MessageBox::Answer::No << Stored;
    QTest::newRow("age changed, Cancelar: stays") << u"age"_s << MessageBox::Answer::Cancel << Stored;
    QTest::newRow("age changed back: no question") << u"same"_s << MessageBox::Answer::Cancel << Stored;
    QTest::newRow("stored with Guardar Registro: no question")
        << u"saved"_s << MessageBox::Answer::Cancel << fifteen;
    QTest::newRow("moved to the next record, Sí: stored")
        << u"moved"_s << MessageBox::Answer::Yes << fifteen + full;
}

void TestUnstoredChanges::closeControlAsks()
{
    QFETCH(QString, edit);
    QFETCH(MessageBox::Answer, answer);
    QFETCH(QByteArray, after);
    ProgramFixture fixture;
    fixture.writeFile(u"secundaria1.dat"_s, Stored);
    QPointer<Worksheet> sheet = fixture.openWorksheet(1);
    QVERIFY(sheet);
    const WorksheetControls &ui = sheet->controls();
    retype(ui.txtedad, edit == u"same" ? u"13"_s : u"15"_s);
    if (edit == u"saved")
        click(ui.cmdGuardarReg);
    if (edit == u"moved")
        click(ui.cmdRegSiguiente);

    const bool asked = edit == u"age" || edit == u"moved";
    MessageBox::answerNextQuestion(answer);
    sheet->close();
    if (asked)
        QCOMPARE(onlyMessage(), Question);
    const bool stays = asked && answer == MessageBox::Answer::Cancel;
    if (stays) {
        deliverQueued();
        QVERIFY(sheet && sheet->isVisible());
        QCOMPARE(ui.txtedad->text(), u"15"_s);
    } else {
        QTRY_VERIFY(!sheet);
    }
    QCOMPARE(fixture.readFile(u"secundaria1.dat"_s), after);
    QCOMPARE(QFile::exists(fixture.path(u"secundaria1.dat.lock"_s)), stays);
}

void TestUnstoredChanges::failedStoreKeepsTheWorksheet()
{
    ProgramFixture fixture;
    fixture.writeFile(u"secundaria1.dat"_s, Stored);
    Worksheet *sheet = fixture.openWorksheet(1);
    QVERIFY(sheet);
    retype(sheet->controls().txtedad, u"15"_s);
    // A folder where the file was: the store can't replace it.
    QVERIFY(QFile::remove(fixture.path(u"secundaria1.dat"_s)));
    QVERIFY(QDir().mkdir(fixture.path(u"secundaria1.dat"_s)));

    MessageBox::answerNextQuestion(MessageBox::Answer::Yes);
    sheet->close();
    const QStringList shown = MessageBox::takeShownTexts();
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown.first(), Question);
    QVERIFY2(shown.last().contains(u"carpeta"_s), qPrintable(shown.last()));
    deliverQueued();
    QVERIFY(fixture.screens().find(Screen::Worksheet1) == sheet && sheet->isVisible());
    QCOMPARE(sheet->controls().txtedad->text(), u"15"_s);
}

void TestUnstoredChanges::salirAsksOnlyAboutTheOtherGrades()
{
    ProgramFixture fixture;
    fixture.writeFile(u"secundaria1.dat"_s, Stored);
    Worksheet *first = fixture.openWorksheet(1);
    QVERIFY(first);
    retype(first->controls().txtedad, u"15"_s);
    Worksheet *second = fixture.openWorksheet(2);
    QVERIFY(second);
    QTest::keyClicks(second->controls().txtNombre, u"Carla"_s);

    // Salir stores its own grade, so only the second grade's work is asked about.
    MessageBox::answerNextQuestion(MessageBox::Answer::Yes);
    click(second->controls().cmdSalir);
    QVERIFY(fixture.screens().ended());
    QCOMPARE(onlyMessage(), u"¿Guardar los cambios de secundaria1.dat?"_s);
    QCOMPARE(fixture.readFile(u"secundaria1.dat"_s).left(260), record({u"Ana"_s, u"15"_s}) + Stored.mid(130));
    QCOMPARE(fixture.readFile(u"secundaria2.dat"_s).left(130), record({u"Carla"_s}));
}

void TestUnstoredChanges::sessionEndStoresWithoutAsking()
{
    ProgramFixture fixture;
    fixture.writeFile(u"secundaria1.dat"_s, Stored);
    Worksheet *sheet = fixture.openWorksheet(1);
    QVERIFY(sheet);
    for (const QString &name : {u"Carla"_s, u"Dora"_s}) {
        click(sheet->controls().cmdRegSiguiente);
        retype(sheet->controls().txtNombre, name);
    }
    QVERIFY(fixture.openWorksheet(3)); // untouched: its file is not written
    QVERIFY(fixture.program().storeChangedWorksheets().ok());
    QCOMPARE(MessageBox::takeShownTexts(), QStringList());
    QCOMPARE(fixture.readFile(u"secundaria1.dat"_s).left(390),
             Stored.left(130) + record({u"Carla"_s, u"12"_s}) + record({u"Dora"_s}));
    QCOMPARE(fixture.readFile(u"secundaria3.dat"_s), QByteArray());
    QVERIFY(!sheet->hasUnstoredChanges());
}

} // namespace merlox2::test

QTEST_MAIN(merlox2::test::TestUnstoredChanges)
#include "TestUnstoredChanges.moc"
