// A typical day from the access code to Salir, checked on the grade file byte for byte.

#include "support/GuiTest.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QTest>

using namespace Qt::StringLiterals;

namespace merlox2::test {

class TestTypicalRun : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { initializeGuiTests(); }
    void fromAccessCodeToSalir();
};

void TestTypicalRun::fromAccessCodeToSalir()
{
    ProgramFixture fixture;
    fixture.program().start();
    settle();
    QCOMPARE(focusName(), u"Text1"_s);
    QTest::keyClicks(QApplication::focusWidget(), u"418357"_s);
    click(fixture.form(u"CLAVESEC"_s), u"Command1"_s);
    click(fixture.form(u"empezar"_s), u"Command1"_s);
    click(fixture.form(u"MENU"_s), u"Command1"_s); // 1º GRADO

    // The first-grade worksheet: record 1, empty, with today's date; the file is made empty.
    Form *sheet = fixture.form(u"prisecu"_s);
    QVERIFY(sheet);
    QCOMPARE(QApplication::activeWindow(), sheet);
    QCOMPARE(sheet->control<QLabel>(u"Label28")->text(),
             QLocale().toString(QDate::currentDate(), QLocale::ShortFormat));
    QVERIFY(QFile::exists(fixture.path(u"secundaria1.dat"_s)));
    QCOMPARE(fixture.readFile(u"secundaria1.dat"_s), QByteArray());

    // A student typed box after box, Enter between them, accented letters as a keyboard sends them.
    const QStringList boxes = u"txtNombre txtedad txtresistencia txtvelocidad txtlagartijas txtabdominales "
                              u"txtsentadillas"_s.split(u' ');
    const QStringList typed = u"María López|13|1.9|7.5|22|25|20"_s.split(u'|');
    for (qsizetype i = 0; i < typed.size(); ++i) {
        QCOMPARE(focusName(), boxes[i]);
        for (const QChar ch : typed[i])
            QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key(ch.toUpper().unicode()),
                                QString(ch), Qt::NoModifier);
        pressKey(Qt::Key_Return);
    }
    for (qsizetype i = 0; i < typed.size(); ++i)
        QCOMPARE(sheet->control<QLineEdit>(boxes[i])->text(), typed[i]);

    // Guardar Registro: record 1 in Windows-1252, each field padded with blanks, the reserved ones
    // never written.
    click(sheet, u"cmdGuardarReg"_s);
    QByteArray student = QByteArray("Mar\xED"
                                    "a L\xF3pez")
                             .leftJustified(30, ' ');
    for (const char *result : {"13", "1.9", "7.5", "22", "25", "20"})
        student += QByteArray(result).leftJustified(10, ' ');
    student += QByteArray(40, '\0');
    QCOMPARE(student.size(), 130);
    QCOMPARE(fixture.readFile(u"secundaria1.dat"_s), student);

    // Hombre empties the panel and arms Procesar alone; Procesar evaluates with the first-grade Hombre norms.
    const QStringList panel =
        u"Label11 Label23 Label12 Label24 Label13 Label19 Label25 Label26"_s.split(u' ');
    const auto panelTexts = [&] {
        QStringList texts;
        for (const QString &name : panel)
            texts << sheet->control<QLabel>(name)->text();
        return texts.join(u' ');
    };
    click(sheet, u"Option1"_s);
    QCOMPARE(panelTexts(), QString(7, u' '));
    QVERIFY(sheet->control(u"Command3")->isEnabled() && !sheet->control(u"Command4")->isEnabled());
    click(sheet, u"Command3"_s);
    QCOMPARE(panelTexts(), u"50 III 75 II 50 58 III III"_s);

    // Registro Siguiente: record 2, never written, shows empty.
    click(sheet, u"cmdRegSiguiente"_s);
    QCOMPARE(sheet->control<QLabel>(u"Label9")->text(), u"2"_s);
    for (const QString &box : boxes)
        QCOMPARE(sheet->control<QLineEdit>(box)->text(), QString());
    QCOMPARE(panelTexts(), QString(7, u' '));

    // Salir writes the 30 slots and ends the program; slot 2 takes the empty boxes on screen: blanks.
    click(sheet, u"cmdSalir"_s);
    QVERIFY(fixture.screens().ended());
    for (QWidget *window : QApplication::topLevelWidgets())
        QVERIFY2(!window->isVisible(), qPrintable(window->objectName()));
    QCOMPARE(messages(), QStringList());
    QCOMPARE(fixture.readFile(u"secundaria1.dat"_s),
             student + QByteArray(90, ' ') + QByteArray(40, '\0') + QByteArray(28 * 130, '\0'));
}

} // namespace merlox2::test

QTEST_MAIN(merlox2::test::TestTypicalRun)
#include "TestTypicalRun.moc"
