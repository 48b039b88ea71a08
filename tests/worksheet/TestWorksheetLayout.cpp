// The worksheets as the teacher sees them: where things stand, what they say, per-grade looks, the
// focus walk, and drawing details that a user would notice (wrapping, stacking, auto-size).

#include "WorksheetDriver.h"

#include <QImage>
#include <QLabel>
#include <QScreen>
#include <QTest>

using namespace Qt::StringLiterals;

namespace merlox2::test {

class TestWorksheetLayout : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { initializeGuiTests(); }

    void placesControlsInPixels_data();
    void placesControlsInPixels();
    void showsCaptions_data();
    void showsCaptions();
    void differsOnlyAsEachGradeShould_data();
    void differsOnlyAsEachGradeShould();
    void opensMaximisedWithEverythingOnAnSvgaScreen();
    void walksTheFocusInTabOrder_data();
    void walksTheFocusInTabOrder();
    void levelLabelFollowsItsTextToTheRight();
    void buttonsStandInFrontOfTheBand();
    void longCaptionWrapsInsideItsButton_data();
    void longCaptionWrapsInsideItsButton();
    void captionLabelsNameTheirBoxes();
};

void TestWorksheetLayout::placesControlsInPixels_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("name box") << u"txtNombre"_s << QRect(168, 112, 257, 33);
    QTest::newRow("squats box") << u"txtsentadillas"_s << QRect(168, 352, 81, 33);
    QTest::newRow("Hombre option") << u"Option1"_s << QRect(168, 384, 81, 25);
    QTest::newRow("record number box") << u"Label9"_s << QRect(32, 56, 97, 33);
    QTest::newRow("photograph stretched to its box") << u"Image1"_s << QRect(256, 152, 168, 279);
    QTest::newRow("endurance percentage cell") << u"Label11"_s << QRect(672, 200, 81, 33);
    QTest::newRow("average level cell") << u"Label26"_s << QRect(616, 352, 65, 49);
    QTest::newRow("command band") << u"Frame1"_s << QRect(24, 448, 745, 73);
    QTest::newRow("Guardar Registro") << u"cmdGuardarReg"_s << QRect(32, 480, 81, 33);
    QTest::newRow("Procesar") << u"Command3"_s << QRect(472, 480, 57, 33);
    QTest::newRow("Datos overlaps Procesar") << u"Command4"_s << QRect(528, 480, 57, 33);
    QTest::newRow("Salir") << u"cmdSalir"_s << QRect(680, 480, 81, 33);
}

void TestWorksheetLayout::placesControlsInPixels()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    ProgramFixture fixture;
    Form *sheet = openWorksheet(fixture, u"prisecu"_s);
    QVERIFY(sheet);
    QWidget *control = sheet->control(name);
    QVERIFY2(control, qPrintable(name));
    QCOMPARE(control->geometry(), geometry);
    QVERIFY(control->isVisible());
}

void TestWorksheetLayout::showsCaptions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    const auto row = [](const QString &name, const QString &caption) {
        QTest::newRow(qPrintable(name)) << name << caption;
    };
    row(u"Label10"_s, u"REGISTRO N\u00BA"_s);
    row(u"Label9"_s, QString()); // empty until the first move
    row(u"Label1"_s, u"Nombre"_s);
    row(u"Label2"_s, u"Edad"_s);
    row(u"Label3"_s, u"Resistencia"_s);
    row(u"Label4"_s, u"Velocidad"_s);
    row(u"Label5"_s, u"Lagartijas"_s);
    row(u"Label6"_s, u"Abdominales"_s);
    row(u"Label7"_s, u"Sentadillas"_s);
    row(u"Label27"_s, u"Sexo"_s);
    row(u"Option1"_s, u"Hombre"_s);
    row(u"Option2"_s, u"Mujer"_s);
    row(u"Label22"_s, u"EVALUACION INDIVIDUAL"_s);
    row(u"Label21"_s, u"CAPACIDADES"_s);
    row(u"Label14"_s, u"NIVEL Y %"_s);
    row(u"Label15"_s, u"RESISTENCIA"_s);
    row(u"Label16"_s, u"VELOCIDAD"_s);
    row(u"Label17"_s, u"FUERZA"_s);
    row(u"Label18"_s, u"NIVEL PROMEDIO"_s);
    row(u"Label20"_s, u"%"_s);
    row(u"Frame1"_s, u"Opciones"_s);
    row(u"cmdGuardarReg"_s, u"Guardar Registro"_s);
    row(u"cmdRegSiguiente"_s, u"Registro Siguiente"_s);
    row(u"cmdRegAnterior"_s, u"Registro Anterior"_s);
    row(u"cmdRegresar"_s, u"Regresar"_s);
    row(u"Command1"_s, u"Borrar"_s);
    row(u"Command3"_s, u"Procesar"_s);
    row(u"Command4"_s, u"Datos"_s);
    row(u"Command2"_s, u"IMPRIMIR"_s);
    row(u"cmdSalir"_s, u"Salir"_s);
}

void TestWorksheetLayout::showsCaptions()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    ProgramFixture fixture;
    Form *sheet = openWorksheet(fixture, u"TERSECU"_s);
    QVERIFY(sheet);
    QCOMPARE(textOf(sheet, name), caption);
    if (name == u"Label9") { // the record number sits in a visible box even while empty
        auto *label = sheet->control<QLabel>(name);
        QVERIFY(label->frameShape() != QFrame::NoFrame);
        QVERIFY(label->frameWidth() > 0);
    }
}

void TestWorksheetLayout::differsOnlyAsEachGradeShould_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QColor>("background");
    QTest::addColumn<QString>("titleName");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("titleLeft");
    QTest::addColumn<int>("dateLeft");
    QTest::addColumn<int>("dateHeight");
    QTest::addColumn<QSize>("photograph");

    const QColor grey(192, 192, 192);
    const QColor orange(255, 192, 128);
    QTest::newRow("first grade") << u"prisecu"_s << u"MERLOX2 PRIMER GRADO (SECUNDARIA)"_s << grey
                                 << u"Label8"_s << u"1\u00BA GRADO SECUNDARIA"_s << 208 << 664 << 17
                                 << QSize(250, 311);
    QTest::newRow("second grade") << u"segusecu"_s << u"Merlox 2 SEGUNDO GRADO (SECUNDARIA)"_s << orange
                                  << u"Label8"_s << u"2\u00BA GRADO SECUNDARIA"_s << 221 << 648 << 25
                                  << QSize(200, 343);
    QTest::newRow("third grade, title named label8")
        << u"TERSECU"_s << u"MERLOX 2 TERCER GRADO (SECUNDARIA)"_s << orange << u"label8"_s
        << u"3\u00BA GRADO SECUNDARIA"_s << 221 << 656 << 17 << QSize(100, 75);
}

void TestWorksheetLayout::differsOnlyAsEachGradeShould()
{
    QFETCH(QString, form);
    QFETCH(QString, caption);
    QFETCH(QColor, background);
    QFETCH(QString, titleName);
    QFETCH(QString, title);
    QFETCH(int, titleLeft);
    QFETCH(int, dateLeft);
    QFETCH(int, dateHeight);
    QFETCH(QSize, photograph);

    ProgramFixture fixture;
    Form *sheet = openWorksheet(fixture, form);
    QVERIFY(sheet);
    QCOMPARE(sheet->objectName(), form);
    QCOMPARE(sheet->windowTitle(), caption);

    QCOMPARE(sheet->background(), background);
    QCOMPARE(sheet->control<OptionButton>(u"Option1")->background(), background);
    QCOMPARE(sheet->control<OptionButton>(u"Option2")->background(), background);

    // Found whatever the case of the name, but named as the grade names it.
    auto *titleLabel = sheet->control<QLabel>(u"LABEL8");
    QVERIFY(titleLabel);
    QCOMPARE(titleLabel->objectName(), titleName);
    QCOMPARE(titleLabel->text(), title);
    QCOMPARE(title.at(1), QChar(0x00BA)); // the ordinal sign, not a degree sign
    QCOMPARE(titleLabel->x(), titleLeft);
    QCOMPARE(titleLabel->y(), 24);
    // Auto-size: as wide as its text in the substitute font, so none of it is cut off.
    const int textWidth = titleLabel->fontMetrics().horizontalAdvance(title);
    QVERIFY2(titleLabel->width() >= textWidth && titleLabel->width() <= textWidth + 10,
             qPrintable(u"title %1 px wide for a text of %2 px"_s.arg(titleLabel->width()).arg(textWidth)));

    QWidget *date = sheet->control(u"Label28");
    QCOMPARE(date->x(), dateLeft);
    QCOMPARE(date->y(), 72);
    QCOMPARE(date->height(), dateHeight);

    auto *photo = sheet->control<ImageBox>(u"Image1");
    QCOMPARE(photo->picture().size(), photograph);
    QCOMPARE(photo->size(), QSize(168, 279)); // each grade's picture squeezed into the same box
    QCOMPARE(sheet->control<ImageBox>(u"Image2")->picture().size(), QSize(140, 47));
}

void TestWorksheetLayout::opensMaximisedWithEverythingOnAnSvgaScreen()
{
    ProgramFixture fixture;
    Form *sheet = openWorksheet(fixture, u"prisecu"_s);
    QVERIFY(sheet);
    QVERIFY(sheet->windowState() & Qt::WindowMaximized);
    QCOMPARE(sheet->frameGeometry(), sheet->screen()->availableGeometry());

    // The whole layout lies within 793 x 521 pixels, so a maximised window on 800 x 600 shows it all.
    QRect extent;
    for (QWidget *child : sheet->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        QVERIFY2(child->isVisible(), qPrintable(child->objectName()));
        extent |= child->geometry();
    }
    QVERIFY2(QRect(0, 0, 793, 521).contains(extent),
             qPrintable(u"layout reaches %1 x %2"_s.arg(extent.right() + 1).arg(extent.bottom() + 1)));
    QVERIFY(sheet->width() >= 793 && sheet->height() >= 521);
}

void TestWorksheetLayout::walksTheFocusInTabOrder_data()
{
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<QString>("option");
    QTest::addColumn<QStringList>("walk");

    const QStringList all{u"txtNombre"_s,     u"txtedad"_s,        u"txtresistencia"_s,  u"txtvelocidad"_s,
                          u"txtlagartijas"_s, u"txtabdominales"_s, u"txtsentadillas"_s,  u"Option1"_s,
                          u"Option2"_s,       u"cmdGuardarReg"_s,  u"cmdRegSiguiente"_s, u"cmdRegAnterior"_s,
                          u"cmdRegresar"_s,   u"Command1"_s,       u"Command3"_s,        u"Command4"_s,
                          u"Command2"_s,      u"cmdSalir"_s};
    QStringList withoutDatos = all;
    withoutDatos.removeOne(u"Command4"_s); // disabled buttons take no focus
    QStringList withoutProcesar = all;
    withoutProcesar.removeOne(u"Command3"_s);

    QTest::newRow("Tab, no sex chosen") << Qt::Key_Tab << QString() << all;
    QTest::newRow("Tab, Hombre chosen: both options are still stops")
        << Qt::Key_Tab << u"Option1"_s << withoutDatos;
    QTest::newRow("Enter, no sex chosen") << Qt::Key_Return << QString() << all;
    QTest::newRow("Enter, Mujer chosen") << Qt::Key_Return << u"Option2"_s << withoutProcesar;
    QTest::newRow("keypad Enter, no sex chosen") << Qt::Key_Enter << QString() << all;
}

void TestWorksheetLayout::walksTheFocusInTabOrder()
{
    QFETCH(Qt::Key, key);
    QFETCH(QString, option);
    QFETCH(QStringList, walk);

    ProgramFixture fixture;
    Form *sheet = openWorksheet(fixture, u"prisecu"_s);
    QVERIFY(sheet);
    QVERIFY(QTest::qWaitForWindowActive(sheet));
    if (!option.isEmpty())
        click(sheet, option);

    // Every box holds text, so a stray Enter or Tab character would show.
    const QStringList texts{u"Ana"_s, u"12"_s, u"1.9"_s, u"7.5"_s, u"22"_s, u"25"_s, u"20"_s};
    for (qsizetype i = 0; i < BoxNames.size(); ++i)
        sheet->control<QLineEdit>(BoxNames[i])->setText(texts[i]);

    sheet->control(u"txtNombre")->setFocus();
    QStringList visited{focusName()};
    for (qsizetype i = 1; i < walk.size(); ++i) {
        pressKey(key);
        visited << focusName();
    }
    QCOMPARE(visited, walk);
    QCOMPARE(boxesOf(sheet), texts);
    // Enter reached every button and clicked none of them.
    QVERIFY(!fixture.screens().ended());
    QVERIFY(!fixture.screens().find(u"MENU"_s));
    QCOMPARE(textOf(sheet, u"Label9"_s), QString());
}

void TestWorksheetLayout::levelLabelFollowsItsTextToTheRight()
{
    ProgramFixture fixture;
    Form *sheet = openWorksheet(fixture, u"prisecu"_s);
    QVERIFY(sheet);
    auto *level = sheet->control<QLabel>(u"Label23");
    QCOMPARE(level->geometry(), QRect(616, 200, 7, 24));

    sheet->control(u"txtNombre")->setFocus();
    typeRecord({u"Ana"_s, u"12"_s, u"1.9"_s, u"7.5"_s, u"22"_s, u"25"_s, u"20"_s});
    click(sheet, u"Command3"_s);
    QCOMPARE(level->text(), u"III"_s);
    QCOMPARE(level->pos(), QPoint(616, 200));
    QCOMPARE(level->height(), 24);
    QVERIFY2(level->width() >= level->fontMetrics().horizontalAdvance(u"III"_s) && level->width() > 7,
             qPrintable(u"%1 px wide"_s.arg(level->width())));

    click(sheet, u"Command1"_s); // Borrar empties the panel
    QCOMPARE(level->text(), QString());
    QCOMPARE(level->geometry(), QRect(616, 200, 7, 24));
}

void TestWorksheetLayout::buttonsStandInFrontOfTheBand()
{
    ProgramFixture fixture;
    Form *sheet = openWorksheet(fixture, u"segusecu"_s);
    QVERIFY(sheet);
    const QStringList buttons{u"cmdGuardarReg"_s, u"cmdRegSiguiente"_s, u"cmdRegAnterior"_s,
                              u"cmdRegresar"_s,   u"Command1"_s,        u"Command3"_s,
                              u"Command4"_s,      u"Command2"_s,        u"cmdSalir"_s};
    for (const QString &name : buttons) {
        QWidget *button = sheet->control(name);
        QCOMPARE(sheet->childAt(button->geometry().center()), button);
    }
    // Where Datos overlaps Procesar, Datos is in front.
    QCOMPARE(sheet->childAt(528, 496), sheet->control(u"Command4"));
    // The options stand in front of the caption "Sexo" beside them.
    QCOMPARE(sheet->childAt(sheet->control(u"Option2")->geometry().center()), sheet->control(u"Option2"));

    sheet->control(u"Frame1")->hide();
    for (const QString &name : buttons)
        QVERIFY2(sheet->control(name)->isVisible(), qPrintable(name));
}

void TestWorksheetLayout::longCaptionWrapsInsideItsButton_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("lines");
    QTest::newRow("Registro Siguiente: two lines") << u"cmdRegSiguiente"_s << 2;
    QTest::newRow("Registro Anterior: two lines") << u"cmdRegAnterior"_s << 2;
    QTest::newRow("Regresar: one line") << u"cmdRegresar"_s << 1;
    QTest::newRow("IMPRIMIR: one line") << u"Command2"_s << 1;
}

void TestWorksheetLayout::longCaptionWrapsInsideItsButton()
{
    QFETCH(QString, name);
    QFETCH(int, lines);
    ProgramFixture fixture;
    Form *sheet = openWorksheet(fixture, u"prisecu"_s);
    QVERIFY(sheet);
    QWidget *button = sheet->control(name);
    QVERIFY(!button->hasFocus());
    const QImage face = button->grab().toImage();

    // Text pixels are the dark ones inside the bevel; count the bands of rows that hold any.
    const QRect inside = face.rect().adjusted(3, 3, -3, -3);
    int bands = 0;
    bool inBand = false;
    int firstRow = -1;
    int lastRow = -1;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        bool text = false;
        for (int x = inside.left(); x <= inside.right() && !text; ++x)
            text = qGray(face.pixel(x, y)) < 96;
        if (text && !inBand)
            ++bands;
        if (text && firstRow < 0)
            firstRow = y;
        if (text)
            lastRow = y;
        inBand = text;
    }
    QCOMPARE(bands, lines);
    // The caption stays clear of the top and bottom edges: nothing of it is cut off.
    QVERIFY2(firstRow > inside.top() && lastRow < inside.bottom(),
             qPrintable(u"text rows %1 to %2 of %3"_s.arg(firstRow).arg(lastRow).arg(face.height())));
}

void TestWorksheetLayout::captionLabelsNameTheirBoxes()
{
    ProgramFixture fixture;
    Form *sheet = openWorksheet(fixture, u"prisecu"_s);
    QVERIFY(sheet);
    for (int i = 0; i < 7; ++i) {
        const QString label = u"Label%1"_s.arg(i + 1);
        QCOMPARE(sheet->control<QLabel>(label)->buddy(), sheet->control(BoxNames[i]));
    }
}

} // namespace merlox2::test

QTEST_MAIN(merlox2::test::TestWorksheetLayout)
#include "TestWorksheetLayout.moc"
