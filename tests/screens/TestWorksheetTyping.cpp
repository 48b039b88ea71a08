// What the teacher types into a shown record is what reaches the grade file: typing straight after a
// record is shown, "Salir" on records nobody touched, and characters the file can't hold, whatever
// path they come by.

#include "WorksheetDriver.h"

#include "forms/MessageBox.h"
#include "records/Windows1252.h"

#include <QAccessible>
#include <QAccessibleEditableTextInterface>
#include <QSignalBlocker>

using namespace Qt::StringLiterals;

namespace merlox2::test {

namespace {

const QByteArray Blanks = record(EmptyBoxes, QByteArray(40, '\0')); // what "Salir" leaves in a record

QByteArray nameField(const QByteArray &bytes, int n) { return bytes.mid(qsizetype{n - 1} * 130, 30); }

QByteArray padded(const QByteArray &name) { return name + QByteArray(30 - name.size(), ' '); }

} // namespace

class TestWorksheetTyping : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { initializeGuiTests(); }
    void typingRightAfterARecordIsShownIsStored();
    void salirWritesUntouchedRecordsAsTheyWere_data();
    void salirWritesUntouchedRecordsAsTheyWere();
    void boxesTakeOnlyWhatTheFileCanStore_data();
    void boxesTakeOnlyWhatTheFileCanStore();
    void assistiveToolsMeetTheSameRule_data();
    void assistiveToolsMeetTheSameRule();
    void storeRefusesWhatTheFileCanNotHold_data();
    void storeRefusesWhatTheFileCanNotHold();
};

void TestWorksheetTyping::typingRightAfterARecordIsShownIsStored()
{
    ProgramFixture fixture;
    fixture.writeFile(u"secundaria1.dat"_s, Blanks.repeated(3));
    Worksheet *sheet = fixture.openWorksheet(1);
    QVERIFY(sheet);
    QCOMPARE(focusName(), u"txtNombre"_s);

    // After the load, after "Registro Siguiente" and after "Registro Anterior": the focus is in the name
    // box, whose text is the field at full width; what is typed must land in front of the blanks.
    QTest::keyClicks(QApplication::focusWidget(), u"Luis"_s);
    click(sheet->controls().cmdGuardarReg);
    click(sheet->controls().cmdRegSiguiente);
    QTest::keyClicks(QApplication::focusWidget(), u"Ana"_s);
    pressKey(Qt::Key_Return); // on to the age, whose text Tab selects: typing replaces it
    QTRY_COMPARE(focusName(), u"txtedad"_s);
    QTest::keyClicks(QApplication::focusWidget(), u"12"_s);
    click(sheet->controls().cmdGuardarReg);
    click(sheet->controls().cmdRegAnterior);
    QTest::keyClicks(QApplication::focusWidget(), u"J "_s);
    click(sheet->controls().cmdGuardarReg);

    const QByteArray file = fixture.readFile(u"secundaria1.dat"_s);
    QCOMPARE(nameField(file, 1), padded("J Luis"));
    QCOMPARE(nameField(file, 2), padded("Ana"));
    QCOMPARE(file.mid(130 + 30, 10), "12        "_ba);
    QCOMPARE(file.mid(260), Blanks);

    // "Borrar" empties the boxes; what is typed then is the whole field.
    click(sheet->controls().Command1);
    QTest::keyClicks(QApplication::focusWidget(), u"Eva"_s);
    click(sheet->controls().cmdGuardarReg);
    QCOMPARE(nameField(fixture.readFile(u"secundaria1.dat"_s), 1), padded("Eva"));
}

void TestWorksheetTyping::salirWritesUntouchedRecordsAsTheyWere_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("typed"); // into the name box before the clicks
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray zeros(3900, '\0');
    // A name the boxes can't show as it is: the NULs after "Ana" end the box's text.
    QByteArray partlyNul = record({u"Ana"_s}, QByteArray(40, '\0'));
    partlyNul.replace(3, 27, QByteArray(27, '\0'));

    QTest::newRow("fresh grade, untouched: all zero bytes")
        << QByteArray() << QStringList() << QStringList{u"cmdSalir"_s} << zeros;
    QTest::newRow("name with NULs, untouched: unchanged")
        << partlyNul << QStringList() << QStringList{u"cmdSalir"_s} << partlyNul + zeros.mid(130);
    QTest::newRow("typed, then Salir: kept")
        << QByteArray() << QStringList{u"Luis"_s} << QStringList{u"cmdSalir"_s}
        << record({u"Luis"_s}) + zeros.mid(130);
    QTest::newRow("typed and taken back: unchanged")
        << partlyNul << QStringList{u"x"_s, u"\b"_s} << QStringList{u"cmdSalir"_s}
        << partlyNul + zeros.mid(130);
    QTest::newRow("Borrar on an empty record, then Salir: blanks")
        << QByteArray() << QStringList() << QStringList{u"Command1"_s, u"cmdSalir"_s}
        << record(EmptyBoxes) + zeros.mid(130);
    QTest::newRow("moved away and back, untouched: each move stores the boxes it leaves")
        << QByteArray() << QStringList()
        << QStringList{u"cmdRegSiguiente"_s, u"cmdRegAnterior"_s, u"cmdSalir"_s}
        << record(EmptyBoxes).repeated(2) + zeros.mid(260);
}

void TestWorksheetTyping::salirWritesUntouchedRecordsAsTheyWere()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, typed);
    QFETCH(QStringList, clicks);
    QFETCH(QByteArray, expected);

    ProgramFixture fixture;
    if (!file.isEmpty())
        fixture.writeFile(u"secundaria1.dat"_s, file);
    Worksheet *sheet = fixture.openWorksheet(1);
    QVERIFY(sheet);
    for (const QString &text : typed) {
        if (text == u"\b")
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
        else
            QTest::keyClicks(QApplication::focusWidget(), text);
    }
    for (const QString &name : clicks)
        click(sheet, name);

    QVERIFY(fixture.screens().ended());
    QCOMPARE(fixture.readFile(u"secundaria1.dat"_s), expected);
}

void TestWorksheetTyping::boxesTakeOnlyWhatTheFileCanStore_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QByteArray>("stored");

    QTest::newRow("Spanish letters") << u"Peña Núñez"_s << u"Peña Núñez"_s
                                     << "Pe\xf1"
                                        "a N\xfa\xf1"
                                        "ez"_ba;
    QTest::newRow("combining acute composed") << u"Jose\u0301"_s << u"José"_s << "Jos\xe9"_ba;
    QTest::newRow("combining tilde composed") << u"Pen\u0303a"_s << u"Peña"_s
                                              << "Pe\xf1"
                                                 "a"_ba;
    QTest::newRow("euro and curly quotes") << u"€ “x”"_s << u"€ “x”"_s << "\x80 \x93x\x94"_ba;
    QTest::newRow("emoji refused") << u"Ana\U0001F600"_s << u"Ana"_s << "Ana"_ba;
    QTest::newRow("Chinese refused") << u"Li\u674e"_s << u"Li"_s << "Li"_ba;
    QTest::newRow("Arabic refused") << u"\u0639Ali"_s << u"Ali"_s << "Ali"_ba;
    QTest::newRow("combining mark with no composed form refused") << u"An\u0308"_s << u"An"_s << "An"_ba;
}

void TestWorksheetTyping::boxesTakeOnlyWhatTheFileCanStore()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(QByteArray, stored);

    ProgramFixture fixture;
    Worksheet *sheet = fixture.openWorksheet(1);
    QVERIFY(sheet);
    // One character at a time, as keys and input methods deliver them (a surrogate pair is one key).
    auto *box = sheet->controls().txtNombre;
    for (const uint codePoint : typed.toUcs4()) {
        const char32_t character = codePoint;
        const QString text = QString::fromUcs4(&character, 1);
        QTest::sendKeyEvent(QTest::Press, box, Qt::Key_unknown, text, Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, box, Qt::Key_unknown, text, Qt::NoModifier);
    }
    QCOMPARE(box->text(), shown);
    click(sheet->controls().cmdGuardarReg);
    QCOMPARE(nameField(fixture.readFile(u"secundaria1.dat"_s), 1), padded(stored));

    // Pasted all at once and decomposed, the same: composed where it can be, refused whole where not.
    box->selectAll();
    box->insert(typed.normalized(QString::NormalizationForm_D));
    QCOMPARE(box->text(), shown);
}

void TestWorksheetTyping::assistiveToolsMeetTheSameRule_data()
{
    QTest::addColumn<QString>("how"); // what the accessibility interface is asked to do
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");

    // Dictation and other assistive tools set the text; a screen reader's editing inserts or replaces.
    const QString dictated = u"Ana 😀 李"_s;
    for (const QString &how : {u"set"_s, u"insert"_s, u"replace"_s})
        QTest::addRow("%s with an emoji and a Chinese letter: refused", qPrintable(how))
            << how << dictated << u"Luis"_s;
    QTest::newRow("set, Spanish letters decomposed: composed") << u"set"_s << u"Pen\u0303a"_s << u"Peña"_s;
    QTest::newRow("insert, Spanish letters: taken") << u"insert"_s << u" Núñez"_s << u"Luis Núñez"_s;
}

void TestWorksheetTyping::assistiveToolsMeetTheSameRule()
{
    QFETCH(QString, how);
    QFETCH(QString, text);
    QFETCH(QString, shown);

    ProgramFixture fixture;
    Worksheet *sheet = fixture.openWorksheet(1);
    QVERIFY(sheet);
    QLineEdit *box = sheet->controls().txtNombre;
    QTest::keyClicks(box, u"Luis"_s);

    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(box);
    QVERIFY(accessible && accessible->editableTextInterface());
    if (how == u"set")
        accessible->setText(QAccessible::Value, text);
    else if (how == u"insert")
        accessible->editableTextInterface()->insertText(4, text);
    else
        accessible->editableTextInterface()->replaceText(0, 4, text);
    QCOMPARE(box->text(), shown);
    if (shown == u"Luis")
        QCOMPARE(box->cursorPosition(), 4); // where the teacher left it

    click(sheet->controls().cmdGuardarReg);
    QCOMPARE(nameField(fixture.readFile(u"secundaria1.dat"_s), 1),
             padded(Windows1252::encode(shown).value()));
}

void TestWorksheetTyping::storeRefusesWhatTheFileCanNotHold_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("told");
    QTest::newRow("Guardar Registro, an emoji in the name")
        << u"cmdGuardarReg"_s << u"txtNombre"_s << u"Ana 😀 李"_s
        << u"el cuadro Nombre tiene un carácter que el archivo no puede guardar: «😀». Bórrelo del cuadro"_s;
    QTest::newRow("Registro Siguiente, a zero-width space in the squats")
        << u"cmdRegSiguiente"_s << u"txtsentadillas"_s << u"2\u200B0"_s
        << u"el cuadro Sentadillas tiene un carácter invisible que el archivo no puede guardar (el código "
           "U+200B). Borre lo que tiene el cuadro, escríbalo de nuevo"_s;
    QTest::newRow("Salir, a Chinese letter in the age")
        << u"cmdSalir"_s << u"txtedad"_s << u"1李3"_s
        << u"el cuadro Edad tiene un carácter que el archivo no puede guardar: «李». Bórrelo del cuadro"_s;
}

// Should a character the file can't hold ever get past a box's rule, no command stores it, nor a '?' in its
// place: the teacher is told which box holds it, and the record stays on screen with the file as it was.
void TestWorksheetTyping::storeRefusesWhatTheFileCanNotHold()
{
    QFETCH(QString, command);
    QFETCH(QString, box);
    QFETCH(QString, text);
    QFETCH(QString, told);

    ProgramFixture fixture;
    const QByteArray before = record(Ana) + Blanks;
    fixture.writeFile(u"secundaria1.dat"_s, before);
    Worksheet *sheet = fixture.openWorksheet(1);
    QVERIFY(sheet);
    auto *holder = named<QLineEdit>(sheet, box);
    {
        const QSignalBlocker pastTheRule(holder);
        holder->setText(text);
    }

    click(sheet, command);
    QCOMPARE(onlyMessage(),
             u"No se guardó el alumno en secundaria1.dat: "_s + told + u" y vuelva a oprimir el botón."_s);
    QCOMPARE(fixture.readFile(u"secundaria1.dat"_s), before);
    QVERIFY(!fixture.screens().ended());
    QCOMPARE(textOf(sheet->controls().Label9), QString()); // still on record 1
    QCOMPARE(focusName(), box);
}

} // namespace merlox2::test

QTEST_MAIN(merlox2::test::TestWorksheetTyping)
#include "TestWorksheetTyping.moc"
