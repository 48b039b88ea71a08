#include "platform/FormBuilder.h"
#include "support/GuiTest.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPointer>
#include <QTest>

using namespace Qt::StringLiterals;

namespace merlox2 {

namespace {

QString focusName()
{
    return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : u"(nada)"_s;
}

// Types text as a keyboard would, accented letters included (QTest::keyClicks takes ASCII only).
void type(QWidget *widget, const QString &text)
{
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key(ch.toUpper().unicode()), QString(ch),
                            Qt::NoModifier);
}

QByteArray padded(QByteArray text, int width) { return text.leftJustified(width, ' '); }

} // namespace

class TestTypicalRun : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void fromAccessCodeToSalir();
};

void TestTypicalRun::initTestCase() { test::initializeGuiTests(); }

void TestTypicalRun::fromAccessCodeToSalir()
{
    test::ProgramFixture fixture;
    const auto screen = [&fixture](const QString &name) {
        return qobject_cast<Form *>(fixture.screens().find(name));
    };
    const auto click = [&screen](const QString &form, const QString &button) {
        auto *target = screen(form) ? screen(form)->control<QAbstractButton>(button) : nullptr;
        QVERIFY2(target && target->isVisible() && target->isEnabled(), qPrintable(form + u'.' + button));
        QTest::mouseClick(target, Qt::LeftButton);
        test::settle();
    };

    // The access code, ENTRAR; ENTRAR on the title screen; "1º GRADO" in the grade menu.
    fixture.program().start();
    test::settle();
    QCOMPARE(focusName(), u"Text1"_s);
    QTest::keyClicks(QApplication::focusWidget(), u"418357"_s);
    click(u"CLAVESEC"_s, u"Command1"_s);
    QVERIFY(screen(u"empezar"_s));
    click(u"empezar"_s, u"Command1"_s);
    QVERIFY(screen(u"MENU"_s));
    QCOMPARE(screen(u"MENU"_s)->control<QAbstractButton>(u"Command1")->text(), u"1\u00BA GRADO"_s);
    click(u"MENU"_s, u"Command1"_s);

    // The first-grade worksheet: record 1, empty, with today's date; the file is made empty.
    Form *sheet = screen(u"prisecu"_s);
    QVERIFY(sheet);
    QCOMPARE(QApplication::activeWindow(), sheet);
    QCOMPARE(sheet->control<QLabel>(u"Label28")->text(),
             QLocale().toString(QDate::currentDate(), QLocale::ShortFormat));
    QCOMPARE(fixture.readFile(u"secundaria1.dat"_s), QByteArray());
    QVERIFY(QFile::exists(fixture.path(u"secundaria1.dat"_s)));

    // A student typed box after box, Enter between them.
    QCOMPARE(focusName(), u"txtNombre"_s);
    const QStringList typed{u"María López"_s, u"13"_s, u"1.9"_s, u"7.5"_s, u"22"_s, u"25"_s, u"20"_s};
    const QStringList boxes{u"txtNombre"_s,     u"txtedad"_s,        u"txtresistencia"_s, u"txtvelocidad"_s,
                            u"txtlagartijas"_s, u"txtabdominales"_s, u"txtsentadillas"_s};
    for (qsizetype i = 0; i < typed.size(); ++i) {
        QCOMPARE(focusName(), boxes.at(i));
        type(QApplication::focusWidget(), typed.at(i));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        test::settle();
    }
    for (qsizetype i = 0; i < typed.size(); ++i)
        QCOMPARE(sheet->control<QLineEdit>(boxes.at(i))->text(), typed.at(i));

    // Guardar Registro: record 1, in Windows-1252, each field padded with blanks, the reserved ones
    // never written.
    click(u"prisecu"_s, u"cmdGuardarReg"_s);
    const QByteArray student = padded("Mar\xED"
                                      "a L\xF3pez",
                                      30) +
                               padded("13", 10) + padded("1.9", 10) + padded("7.5", 10) + padded("22", 10) +
                               padded("25", 10) + padded("20", 10) + QByteArray(40, '\0');
    QCOMPARE(student.size(), 130);
    QCOMPARE(fixture.readFile(u"secundaria1.dat"_s), student);

    // Hombre empties the panel and arms Procesar; Procesar evaluates against the first-grade Hombre norms.
    const QStringList panel{u"Label11"_s, u"Label23"_s, u"Label12"_s, u"Label24"_s,
                            u"Label13"_s, u"Label19"_s, u"Label25"_s, u"Label26"_s};
    const auto panelTexts = [&] {
        QStringList texts;
        for (const QString &name : panel)
            texts.append(sheet->control<QLabel>(name)->text());
        return texts;
    };
    click(u"prisecu"_s, u"Option1"_s);
    QCOMPARE(panelTexts(), QStringList(8, QString()));
    QVERIFY(sheet->control<QAbstractButton>(u"Command3")->isEnabled());
    QVERIFY(!sheet->control<QAbstractButton>(u"Command4")->isEnabled());
    click(u"prisecu"_s, u"Command3"_s);
    QCOMPARE(panelTexts(),
             QStringList({u"50"_s, u"III"_s, u"75"_s, u"II"_s, u"50"_s, u"58"_s, u"III"_s, u"III"_s}));

    // Registro Siguiente: record 2, never written, shows empty.
    click(u"prisecu"_s, u"cmdRegSiguiente"_s);
    QCOMPARE(sheet->control<QLabel>(u"Label9")->text(), u"2"_s);
    for (const QString &box : boxes)
        QCOMPARE(sheet->control<QLineEdit>(box)->text(), QString());
    QCOMPARE(panelTexts(), QStringList(8, QString()));

    // Salir writes the 30 slots and ends the program. Slot 2 takes the empty boxes on screen: blanks.
    const QPointer<QWidget> shown = sheet;
    click(u"prisecu"_s, u"cmdSalir"_s);
    QVERIFY(fixture.screens().ended());
    QVERIFY(!shown || !shown->isVisible());
    for (QWidget *window : QApplication::topLevelWidgets())
        QVERIFY2(!window->isVisible(), qPrintable(window->objectName()));
    QCOMPARE(test::ProgramFixture::messages(), QStringList());

    const QByteArray file = fixture.readFile(u"secundaria1.dat"_s);
    QCOMPARE(file.size(), 3900);
    QCOMPARE(file.first(130), student);
    QCOMPARE(file.sliced(130, 130), QByteArray(90, ' ') + QByteArray(40, '\0'));
    QCOMPARE(file.sliced(260), QByteArray(28 * 130, '\0'));
}

} // namespace merlox2

QTEST_MAIN(merlox2::TestTypicalRun)
#include "TestTypicalRun.moc"
