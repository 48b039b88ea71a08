// The worksheets as the teacher sees them: placement, captions, per-grade looks, the focus walk, and
// drawing details a user would notice (wrapping, stacking, auto-size).

#include "WorksheetDriver.h"

#include <QImage>
#include <QScreen>

using namespace Qt::StringLiterals;

namespace merlox2::test {

struct Grade {
    int number{};
    QString form;
    QString caption;
    QColor background;
    QString titleName;
    int titleLeft{};
    QPoint date;
    int dateHeight{};
    QSize photograph;
};

} // namespace merlox2::test

Q_DECLARE_METATYPE(merlox2::test::Grade)

namespace merlox2::test {

class TestWorksheetLayout : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { initializeGuiTests(); }
    void placesAndStacksEverythingOnAnSvgaScreen();
    void differsOnlyAsEachGradeShould_data();
    void differsOnlyAsEachGradeShould();
    void walksTheFocusInTabOrder_data();
    void walksTheFocusInTabOrder();
    void longCaptionWrapsInsideItsButton_data();
    void longCaptionWrapsInsideItsButton();
};

void TestWorksheetLayout::placesAndStacksEverythingOnAnSvgaScreen()
{
    ProgramFixture fixture;
    Worksheet *sheet = fixture.openWorksheet(1);
    QVERIFY(sheet);
    const WorksheetControls &ui = sheet->controls();
    const std::pair<QWidget *, QRect> placed[] = {
        {ui.txtNombre, {168, 112, 257, 33}}, {ui.txtsentadillas, {168, 352, 81, 33}},
        {ui.Option1, {168, 384, 81, 25}},    {ui.Label9, {32, 56, 97, 33}},
        {ui.Image1, {256, 152, 168, 279}},   {ui.Label26, {616, 352, 65, 49}},
        {ui.Frame1, {24, 448, 745, 73}},     {ui.Command3, {472, 480, 57, 33}},
        {ui.Command4, {528, 480, 57, 33}},   {ui.cmdSalir, {680, 480, 81, 33}}};
    for (const auto &[control, geometry] : placed)
        QCOMPARE(std::pair(control->objectName(), control->geometry()),
                 std::pair(control->objectName(), geometry));

    // The level label, empty and auto-size, widens to the right with its text and shrinks back.
    auto *level = sheet->controls().Label23;
    QCOMPARE(level->geometry(), QRect(616, 200, 7, 24));
    typeRecord(Ana);
    click(sheet->controls().Command3);
    QCOMPARE(level->text(), u"III"_s);
    QCOMPARE(level->pos(), QPoint(616, 200));
    QCOMPARE(level->height(), 24);
    QVERIFY2(level->width() >= level->fontMetrics().horizontalAdvance(u"III"_s) && level->width() > 7,
             qPrintable(u"%1 px wide"_s.arg(level->width())));
    click(sheet->controls().Command1); // Borrar
    QCOMPARE(level->text(), QString());
    QCOMPARE(level->geometry(), QRect(616, 200, 7, 24));

    // Maximised, and within 793 x 521 pixels, so that all of it shows on an 800 x 600 screen.
    QVERIFY(sheet->windowState() & Qt::WindowMaximized);
    QCOMPARE(sheet->frameGeometry(), sheet->screen()->availableGeometry());
    QRect extent;
    for (QWidget *child : sheet->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        QVERIFY2(child->isVisible(), qPrintable(child->objectName()));
        extent |= child->geometry();
    }
    QCOMPARE(QRect(0, 0, 793, 521).united(extent), QRect(0, 0, 793, 521));

    // Restored with the window's own button, it still holds every control.
    const QRect maximised = sheet->geometry();
    sheet->setWindowState(Qt::WindowNoState);
    QTRY_VERIFY(sheet->geometry() != maximised); // the window system resizes it through the event queue
    QVERIFY2(sheet->rect().contains(extent),
             qPrintable(u"restored to %1 x %2"_s.arg(sheet->width()).arg(sheet->height())));

    // Buttons and options stand in front of the band and the labels, Datos in front where it overlaps
    // Procesar, and the band contains nothing.
    const QAbstractButton *buttons[] = {
        ui.cmdGuardarReg, ui.cmdRegSiguiente, ui.cmdRegAnterior, ui.cmdRegresar, ui.Command1,
        ui.Command3,      ui.Command4,        ui.Command2,       ui.cmdSalir,    ui.Option2};
    for (const QAbstractButton *button : buttons)
        QCOMPARE(sheet->childAt(button->geometry().center()), button);
    QCOMPARE(sheet->childAt(528, 496), ui.Command4);
    ui.Frame1->hide();
    for (const QAbstractButton *button : buttons)
        QVERIFY2(button->isVisible(), qPrintable(button->objectName()));
}

void TestWorksheetLayout::differsOnlyAsEachGradeShould_data()
{
    QTest::addColumn<Grade>("grade");
    const QColor orange(255, 192, 128);
    // clang-format off
    QTest::newRow("first grade") << Grade{1, u"prisecu"_s, u"MERLOX2 PRIMER GRADO (SECUNDARIA)"_s,
        QColor(192, 192, 192), u"Label8"_s, 208, {664, 72}, 17, {250, 311}};
    QTest::newRow("second grade") << Grade{2, u"segusecu"_s, u"Merlox 2 SEGUNDO GRADO (SECUNDARIA)"_s,
        orange, u"Label8"_s, 221, {648, 72}, 25, {200, 343}};
    QTest::newRow("third grade, title named label8") << Grade{3, u"TERSECU"_s,
        u"MERLOX 2 TERCER GRADO (SECUNDARIA)"_s, orange, u"label8"_s, 221, {656, 72}, 17, {100, 75}};
    // clang-format on
}

void TestWorksheetLayout::differsOnlyAsEachGradeShould()
{
    QFETCH(Grade, grade);
    ProgramFixture fixture;
    Worksheet *sheet = fixture.openWorksheet(grade.number);
    QVERIFY(sheet);
    const WorksheetControls &ui = sheet->controls();
    QCOMPARE(sheet->objectName(), grade.form);
    QCOMPARE(sheet->windowTitle(), grade.caption);
    for (const QColor &background : {sheet->background(), sheet->controls().Option1->background(),
                                     sheet->controls().Option2->background()})
        QCOMPARE(background, grade.background);

    // Named as on its grade's screen, and as wide as its text, so that none of it is cut off.
    const QLabel *title = ui.Label8;
    QCOMPARE(title->objectName(), grade.titleName);
    QCOMPARE(title->text(), u"%1\u00BA GRADO SECUNDARIA"_s.arg(grade.number));
    QCOMPARE(title->pos(), QPoint(grade.titleLeft, 24));
    const int textWidth = title->fontMetrics().horizontalAdvance(title->text());
    QVERIFY2(title->width() >= textWidth && title->width() <= textWidth + 10, qPrintable(title->text()));
    QCOMPARE(sheet->controls().Label28->pos(), grade.date);
    QCOMPARE(sheet->controls().Label28->height(), grade.dateHeight);
    QCOMPARE(sheet->controls().Image1->picture().size(), grade.photograph);
    QCOMPARE(sheet->controls().Image1->size(), QSize(168, 279)); // each grade's squeezed into one box

    // The same captions on every grade; the record number sits in a visible box even while empty.
    QCOMPARE(textsOf({ui.Label10,  ui.Label9,        ui.Label1,          ui.Label2,         ui.Label3,
                      ui.Label4,   ui.Label5,        ui.Label6,          ui.Label7,         ui.Label27,
                      ui.Option1,  ui.Option2,       ui.Label22,         ui.Label21,        ui.Label14,
                      ui.Label15,  ui.Label16,       ui.Label17,         ui.Label18,        ui.Label20,
                      ui.Frame1,   ui.cmdGuardarReg, ui.cmdRegSiguiente, ui.cmdRegAnterior, ui.cmdRegresar,
                      ui.Command1, ui.Command3,      ui.Command4,        ui.Command2,       ui.cmdSalir}),
             u"REGISTRO N\u00BA||Nombre|Edad|Resistencia|Velocidad|Lagartijas|Abdominales|Sentadillas|Sexo|"
             u"Hombre|Mujer|EVALUACION INDIVIDUAL|CAPACIDADES|NIVEL Y %|RESISTENCIA|VELOCIDAD|FUERZA|"
             u"NIVEL PROMEDIO|%|Opciones|Guardar Registro|Registro Siguiente|Registro Anterior|Regresar|"
             u"Borrar|Procesar|Datos|IMPRIMIR|Salir"_s.split(u'|'));
    QVERIFY(sheet->controls().Label9->frameWidth() > 0);
    // A screen reader names each box after its caption.
    const QLabel *captions[] = {ui.Label1, ui.Label2, ui.Label3, ui.Label4, ui.Label5, ui.Label6, ui.Label7};
    for (std::size_t i = 0; i < std::size(captions); ++i)
        QCOMPARE(captions[i]->buddy(), ui.boxes().at(i));
}

void TestWorksheetLayout::walksTheFocusInTabOrder_data()
{
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("skipped"); // a disabled button takes no focus
    QTest::newRow("Tab, no sex chosen") << Qt::Key_Tab << QString() << QString();
    QTest::newRow("Tab, Hombre chosen: both options are still stops")
        << Qt::Key_Tab << u"Option1"_s << u"Command4"_s;
    QTest::newRow("Enter, no sex chosen") << Qt::Key_Return << QString() << QString();
    QTest::newRow("Enter, Mujer chosen") << Qt::Key_Return << u"Option2"_s << u"Command3"_s;
    QTest::newRow("keypad Enter, no sex chosen") << Qt::Key_Enter << QString() << QString();
}

void TestWorksheetLayout::walksTheFocusInTabOrder()
{
    QFETCH(Qt::Key, key);
    QFETCH(QString, option);
    QFETCH(QString, skipped);

    ProgramFixture fixture;
    Worksheet *sheet = fixture.openWorksheet(1);
    QVERIFY(sheet); // the fixture has waited until it is the active window
    if (!option.isEmpty())
        click(sheet, option);
    // Every box holds text, so a stray Enter or Tab character would show.
    QStringList walk;
    for (QLineEdit *box : sheet->controls().boxes()) {
        box->setText(Ana[walk.size()]);
        walk << box->objectName();
    }
    walk += u"Option1 Option2 cmdGuardarReg cmdRegSiguiente cmdRegAnterior cmdRegresar "
            u"Command1 Command3 Command4 Command2 cmdSalir"_s.split(u' ');
    walk.removeOne(skipped);

    sheet->controls().txtNombre->setFocus();
    QStringList visited{focusName()};
    while (visited.size() < walk.size())
        visited << focusAfter(key);
    QCOMPARE(visited, walk);
    QCOMPARE(boxesOf(sheet), Ana);
    // Enter reached every button and clicked none of them.
    QVERIFY(!fixture.screens().ended() && !fixture.screens().find(Screen::Menu));
    QCOMPARE(textOf(sheet->controls().Label9), QString());
}

void TestWorksheetLayout::longCaptionWrapsInsideItsButton_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("lines");
    QTest::newRow("Guardar Registro: two lines") << u"cmdGuardarReg"_s << 2;
    QTest::newRow("Registro Siguiente: two lines") << u"cmdRegSiguiente"_s << 2;
    QTest::newRow("Registro Anterior: two lines") << u"cmdRegAnterior"_s << 2;
    QTest::newRow("Regresar: one line") << u"cmdRegresar"_s << 1;
}

void TestWorksheetLayout::longCaptionWrapsInsideItsButton()
{
    QFETCH(QString, name);
    QFETCH(int, lines);
    ProgramFixture fixture;
    Worksheet *sheet = fixture.openWorksheet(1);
    QVERIFY(sheet);
    // Rows inside the bevel with dark text pixels as '#': a run of them per line, blank rows at both ends.
    const QImage face = named(sheet, name)->grab().toImage();
    QString rows;
    for (int y = 3; y < face.height() - 3; ++y) {
        bool text = false;
        for (int x = 3; x < face.width() - 3 && !text; ++x)
            text = qGray(face.pixel(x, y)) < 96;
        rows += text ? u'#' : u'.';
    }
    QCOMPARE(rows.split(u'.', Qt::SkipEmptyParts).size(), lines);
    QVERIFY2(rows.startsWith(u'.') && rows.endsWith(u'.'), qPrintable(rows));
}

} // namespace merlox2::test

QTEST_MAIN(merlox2::test::TestWorksheetLayout)
#include "TestWorksheetLayout.moc"
