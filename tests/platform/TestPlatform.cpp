// The services every screen stands on: Enter as Tab, auto-size labels, the message box, Qt's own texts
// in Spanish, and the screen registry.

#include "forms/Controls.h"
#include "forms/MessageBox.h"
#include "forms/ScreenRegistry.h"
#include "platform/Startup.h"
#include "support/GuiTest.h"
#include "support/System.h"

#include <QApplication>
#include <QIcon>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace merlox2::test {

namespace {

struct EntryControls {
    FormLabel *Label1;
    QLineEdit *txtPrimero, *txtSegundo;
    FaceButton *cmdAceptar;
};

// clang-format off
constexpr ControlRow EntryRows[] = {
    {.member = member<&EntryControls::Label1>,
     .left = 120, .top = 120, .width = 105, .height = 360, .font = {13.5, Bold}, .autoSize = true},
    {.member = member<&EntryControls::txtPrimero>,
     .left = 120, .top = 600, .width = 1215, .height = 285, .tabIndex = 0},
    {.member = member<&EntryControls::txtSegundo>,
     .left = 120, .top = 960, .width = 1215, .height = 285, .tabIndex = 1},
    {.member = member<&EntryControls::cmdAceptar>, .caption = "Aceptar",
     .left = 120, .top = 1320, .width = 1215, .height = 375, .tabIndex = 2}};

static_assert(fillsEachMemberOnce<EntryControls>(EntryRows));

Form *entryForm(bool keyPreview = true)
{
    return new Form({.name = "prueba", .caption = "Prueba", .clientWidth = 3000, .clientHeight = 2400,
                     .background = colours::LightGrey, .keyPreview = keyPreview, .controls = EntryRows});
}
// clang-format on

// A small form with key preview and, after its two boxes, a multi-line editor in the tab chain.
struct EntryScreen {
    explicit EntryScreen(bool keyPreview = true) : form(entryForm(keyPreview))
    {
        notes->setObjectName(u"txtNotas"_s);
        notes->setGeometry(100, 10, 90, 60);
        QWidget::setTabOrder(second, notes);
        QWidget::setTabOrder(notes, button);
        form->present();
        first->setFocus();
        QTRY_COMPARE(QApplication::activeWindow(), form.get());
    }

    std::unique_ptr<Form> form;
    EntryControls ui = form->members<EntryControls>();
    QLineEdit *first = ui.txtPrimero;
    QLineEdit *second = ui.txtSegundo;
    QPushButton *button = ui.cmdAceptar;
    QPlainTextEdit *notes = new QPlainTextEdit(form.get());
};

} // namespace

class TestPlatform : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { initializeGuiTests(); }
    void enterMovesFocusWithoutReachingTheControl_data();
    void enterMovesFocusWithoutReachingTheControl();
    void otherKeysAndScreensKeepTheirKeys();
    void autoSizeLabelGrowsRightAndDown();
    void messageBoxLooksLikeTheProgramsOwn();
    void qtsOwnTextsAreSpanish();
    void windowsScreensFontIsOneTheSystemHas_data();
    void windowsScreensFontIsOneTheSystemHas();
    void reopeningAWorksheetKeepsMemoryFlat();
    // Last: once the program has ended, no nested event loop (a modal box) runs in this process.
    void registryKeepsOneScreenUntilClosedOrEnded();
};

void TestPlatform::enterMovesFocusWithoutReachingTheControl_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<QString>("to");
    QTest::newRow("Return in the first box") << u"txtPrimero"_s << Qt::Key_Return << u"txtSegundo"_s;
    QTest::newRow("keypad Enter in the first box") << u"txtPrimero"_s << Qt::Key_Enter << u"txtSegundo"_s;
    QTest::newRow("Return in the multi-line editor") << u"txtNotas"_s << Qt::Key_Return << u"cmdAceptar"_s;
    QTest::newRow("keypad Enter in the multi-line editor")
        << u"txtNotas"_s << Qt::Key_Enter << u"cmdAceptar"_s;
    QTest::newRow("Return on the button wraps to the first box")
        << u"cmdAceptar"_s << Qt::Key_Return << u"txtPrimero"_s;
}

void TestPlatform::enterMovesFocusWithoutReachingTheControl()
{
    QFETCH(QString, from);
    QFETCH(Qt::Key, key);
    QFETCH(QString, to);
    EntryScreen screen;
    screen.first->setText(u"Ana"_s);
    screen.second->setText(u"12"_s);
    screen.notes->setPlainText(u"nota"_s);
    screen.notes->moveCursor(QTextCursor::End);
    QSignalSpy returnPressed(screen.first, &QLineEdit::returnPressed);
    QSignalSpy clicked(screen.button, &QPushButton::clicked);

    auto *start = screen.form->findChild<QWidget *>(from);
    start->setFocus();
    QTest::keyClick(start, key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
    QCOMPARE(focusName(), from); // the Tab is queued, not sent from inside the key handling
    QTRY_COMPARE(focusName(), to);
    QCOMPARE(screen.first->text() + screen.second->text(), u"Ana12"_s);
    QCOMPARE(screen.notes->toPlainText(), u"nota"_s); // neither a new line nor a tab character
    QCOMPARE(returnPressed.count() + clicked.count(), 0);
}

void TestPlatform::otherKeysAndScreensKeepTheirKeys()
{
    EntryScreen screen;
    QTest::keyClicks(screen.first, u"Ana 7"_s);
    QTest::keyClick(screen.first, Qt::Key_Backspace);
    QTest::keyClicks(screen.notes, u"A"_s);
    QTest::keyClick(screen.first, Qt::Key_Tab);
    QTRY_COMPARE(focusName(), u"txtSegundo"_s);
    QCOMPARE(screen.first->text(), u"Ana "_s);
    QCOMPARE(screen.notes->toPlainText(), u"A"_s);

    // One screen's key preview must not take Enter away from a screen without it.
    EntryScreen without(false);
    QSignalSpy returnPressed(without.first, &QLineEdit::returnPressed);
    QTest::keyClick(without.first, Qt::Key_Return);
    deliverQueued();
    QCOMPARE(returnPressed.count(), 1);
    QCOMPARE(focusName(), u"txtPrimero"_s);
    QTest::keyClick(without.notes, Qt::Key_Return);
    QCOMPARE(without.notes->toPlainText(), u"\n"_s);
}

void TestPlatform::autoSizeLabelGrowsRightAndDown()
{
    const std::unique_ptr<Form> form(entryForm());
    FormLabel *label = form->members<EntryControls>().Label1;
    const QRect empty = label->geometry();
    QCOMPARE(empty, QRect(8, 8, 7, 24)); // an empty 13.5 pt caption is 105 x 360 twips
    setCaption(label, u"II\nIII"_s);
    QCOMPARE(label->pos(), empty.topLeft());
    QVERIFY(label->width() >= empty.width() + label->fontMetrics().horizontalAdvance(u"III"_s));
    QVERIFY(label->height() >= empty.height() + label->fontMetrics().height());
    setCaption(label, QString());
    QCOMPARE(label->geometry(), empty);
}

void TestPlatform::messageBoxLooksLikeTheProgramsOwn()
{
    // The real box, closed by a click on its only button as soon as it is up.
    MessageBox::setAnsweredInAdvance(false);
    QString seen;
    QTimer::singleShot(0, this, [&seen] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            seen = u"%1|%2|%3|%4|%5"_s.arg(box->windowTitle(), box->text())
                       .arg(box->icon())
                       .arg(box->buttons().size())
                       .arg(box->isModal());
            QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
        }
    });
    MessageBox::show(nullptr, u" Dar la clave correcta por favor"_s);
    MessageBox::setAnsweredInAdvance(true);
    // Caption, text, no icon, one button, modal.
    QCOMPARE(seen, u"MERLOX2| Dar la clave correcta por favor|0|1|1"_s);
}

void TestPlatform::qtsOwnTextsAreSpanish()
{
    // A text box's context menu is Qt's own: it must not show English to the teacher.
    QLineEdit box;
    const std::unique_ptr<QMenu> menu(box.createStandardContextMenu());
    QStringList texts;
    for (const QAction *action : menu->actions())
        texts << action->text().section(u'\t', 0, 0); // without the shortcut
    QVERIFY2(texts.contains(u"&Deshacer"_s) && texts.contains(u"&Pegar"_s), qPrintable(texts.join(u", ")));
}

void TestPlatform::windowsScreensFontIsOneTheSystemHas_data()
{
    QTest::addColumn<QStringList>("families");
    QTest::addColumn<QString>("family");
    QTest::addColumn<int>("hinting");

    const int asWindows = QFont::PreferDefaultHinting;
    const int vertical = QFont::PreferVerticalHinting;
    // Windows: the bitmap "MS Sans Serif" and Liberation Sans (from an office suite) beside it.
    QTest::newRow("Windows") << QStringList{u"Arial"_s, u"Liberation Sans"_s, u"Microsoft Sans Serif"_s,
                                            u"MS Sans Serif"_s, u"Tahoma"_s}
                             << u"Microsoft Sans Serif"_s << asWindows;
    // Wine takes the host's fonts; the first it lists is a serif face.
    QTest::newRow("Wine") << QStringList{u"C059"_s, u"DejaVu Sans"_s, u"Liberation Sans"_s, u"MS Shell Dlg"_s}
                          << u"Liberation Sans"_s << vertical;
    QTest::newRow("Wine, Arial only")
        << QStringList{u"C059"_s, u"Arial"_s, u"MS Shell Dlg"_s} << u"Arial"_s << vertical;
    QTest::newRow("neither") << QStringList{u"C059"_s, u"DejaVu Sans"_s, u"MS Shell Dlg"_s}
                             << u"MS Shell Dlg"_s << vertical;
}

void TestPlatform::windowsScreensFontIsOneTheSystemHas()
{
    QFETCH(QStringList, families);
    QFETCH(QString, family);
    QFETCH(int, hinting);

    const ScreensFontChoice choice = chooseWindowsScreensFont(families, u"MS Shell Dlg"_s);
    QCOMPARE(choice.family, family);
    QCOMPARE(int(choice.hinting), hinting);
}

void TestPlatform::reopeningAWorksheetKeepsMemoryFlat()
{
    ProgramFixture fixture;
    const auto openAndClose = [&fixture] {
        Worksheet *sheet = fixture.openWorksheet(1);
        if (!sheet)
            return false;
        // A window system with title-bar icons asks the window's icon for its pixmaps, which Qt keeps
        // in its pixmap cache; the offscreen platform never asks, so the test does.
        const QIcon icon = sheet->windowIcon();
        for (const QSize &size : icon.availableSizes())
            icon.pixmap(size);
        closeWindow(sheet);
        return true;
    };
    for (int i = 0; i < 50; ++i) // the first openings fill font and glyph caches once
        QVERIFY(openAndClose());
    const std::size_t before = heapInUse();
    for (int i = 0; i < 600; ++i)
        QVERIFY(openAndClose());
    const qint64 grown = qint64(heapInUse()) - qint64(before);
    QVERIFY2(grown < qint64{1024} * 1024, qPrintable(u"%1 bytes more after 600 openings"_s.arg(grown)));
}

void TestPlatform::registryKeepsOneScreenUntilClosedOrEnded()
{
    // Screens named by a key of the caller's own: one that opens, one that fails the first time.
    enum class Key { Opens, FailsFirst };
    int made = 0;
    int asked = 0;
    ScreenRegistryOf<Key> registry([&made, &asked](Key key) -> std::unique_ptr<QWidget> {
        if (key == Key::Opens)
            ++made;
        else if (++asked == 1)
            return nullptr;
        return std::unique_ptr<QWidget>(entryForm());
    });
    QVERIFY(!registry.find(Key::Opens));
    // A screen that can't be made opens nothing, and the next opening tries again.
    QVERIFY(!registry.open(Key::FailsFirst) && !registry.find(Key::FailsFirst));
    const QPointer<QWidget> late = registry.open(Key::FailsFirst);
    QVERIFY(late);
    QPointer<Form> form = qobject_cast<Form *>(registry.open(Key::Opens));
    QVERIFY(form && form->isVisible());
    QCOMPARE(registry.find(Key::Opens), form);
    form->members<EntryControls>().txtPrimero->setText(u"Ana"_s);

    // Opened again, even minimised, it comes back as it was.
    form->showMinimized();
    QCOMPARE(registry.open(Key::Opens), form);
    QTRY_VERIFY(!form->isMinimized() && form->isVisible());
    QCOMPARE(made, 1);
    QCOMPARE(form->members<EntryControls>().txtPrimero->text(), u"Ana"_s);

    // Its window's close control discards it, and the next opening makes it anew.
    closeWindow(form);
    QVERIFY(!form && !registry.find(Key::Opens));
    const QPointer<Form> again = qobject_cast<Form *>(registry.open(Key::Opens));
    QVERIFY(again);
    QCOMPARE(made, 2);
    QCOMPARE(again->members<EntryControls>().txtPrimero->text(), QString());

    // Ending the program closes every screen at once, and nothing opens after it.
    registry.endProgram();
    QVERIFY(registry.ended() && !again->isVisible() && !late->isVisible());
    QTRY_VERIFY(!again && !late);
    QVERIFY(!registry.open(Key::Opens));
}

} // namespace merlox2::test

QTEST_MAIN(merlox2::test::TestPlatform)
#include "TestPlatform.moc"
