#include "platform/Controls.h"
#include "platform/FormBuilder.h"
#include "platform/MessageBox.h"
#include "platform/ScreenRegistry.h"
#include "support/GuiTest.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace merlox2 {

namespace {

// clang-format off
constexpr ControlRow EntryControls[] = {
    {.name = "Label1", .kind = Kind::Label, .caption = "", .left = 120, .top = 120, .width = 105, .height = 360,
     .font = {13.5, Bold}, .autoSize = true},
    {.name = "txtPrimero", .kind = Kind::TextBox, .left = 120, .top = 600, .width = 1215, .height = 285,
     .tabIndex = 0},
    {.name = "txtSegundo", .kind = Kind::TextBox, .left = 120, .top = 960, .width = 1215, .height = 285,
     .tabIndex = 1},
    {.name = "cmdAceptar", .kind = Kind::Button, .caption = "Aceptar", .left = 120, .top = 1320, .width = 1215,
     .height = 375, .tabIndex = 2},
};
// clang-format on

FormTable entryForm(bool keyPreview)
{
    return {.name = "prueba",
            .caption = "Prueba",
            .clientWidth = 3000,
            .clientHeight = 2400,
            .background = colours::LightGrey,
            .keyPreview = keyPreview,
            .controls = EntryControls};
}

// A small form with key preview and, after its two boxes, a multi-line editor in the tab chain.
struct EntryScreen {
    explicit EntryScreen(bool keyPreview = true) : form(new Form(entryForm(keyPreview)))
    {
        first = form->control<QLineEdit>(u"txtPrimero");
        second = form->control<QLineEdit>(u"txtSegundo");
        button = form->control<QPushButton>(u"cmdAceptar");
        notes = new QPlainTextEdit(form);
        notes->setObjectName(u"txtNotas"_s);
        notes->setGeometry(100, 10, 90, 60);
        QWidget::setTabOrder(second, notes);
        QWidget::setTabOrder(notes, button);
        form->present();
        QApplication::setActiveWindow(form);
        first->setFocus();
        test::settle();
    }
    ~EntryScreen() { delete form; }

    Form *form;
    QLineEdit *first;
    QLineEdit *second;
    QPlainTextEdit *notes;
    QPushButton *button;
};

QString focusName()
{
    return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : u"(nada)"_s;
}

} // namespace

class TestPlatform : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void enterMovesFocusWithoutReachingTheControl_data();
    void enterMovesFocusWithoutReachingTheControl();
    void otherKeysPassUnchanged();
    void formWithoutKeyPreviewKeepsEnter();

    void autoSizeLabelEmpty();
    void autoSizeLabel_data();
    void autoSizeLabel();

    void messageBoxAnsweredInAdvance();
    void messageBoxLooksLikeTheProgramsOwn();
    void qtsOwnTextsAreSpanish();

    // Last: once the program has ended, no nested event loop (a modal box) runs in this process.
    void registryCreatesOnceAndKeepsState();
    void registryOpensNothingWhenFactoryFails();
    void registryRemakesAScreenClosedByItsWindow();
    void registryEndsProgram();
};

void TestPlatform::initTestCase() { test::initializeGuiTests(); }

void TestPlatform::enterMovesFocusWithoutReachingTheControl_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QString>("to");

    QTest::newRow("Return in the first box")
        << u"txtPrimero"_s << int(Qt::Key_Return) << Qt::KeyboardModifiers() << u"txtSegundo"_s;
    QTest::newRow("keypad Enter in the first box")
        << u"txtPrimero"_s << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier)
        << u"txtSegundo"_s;
    QTest::newRow("Return in the multi-line editor")
        << u"txtNotas"_s << int(Qt::Key_Return) << Qt::KeyboardModifiers() << u"cmdAceptar"_s;
    QTest::newRow("keypad Enter in the multi-line editor")
        << u"txtNotas"_s << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier)
        << u"cmdAceptar"_s;
    QTest::newRow("Return on the button wraps to the first box")
        << u"cmdAceptar"_s << int(Qt::Key_Return) << Qt::KeyboardModifiers() << u"txtPrimero"_s;
}

void TestPlatform::enterMovesFocusWithoutReachingTheControl()
{
    QFETCH(QString, from);
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QString, to);

    EntryScreen screen;
    screen.first->setText(u"Ana"_s);
    screen.second->setText(u"12"_s);
    screen.notes->setPlainText(u"nota"_s);
    screen.notes->moveCursor(QTextCursor::End);
    QSignalSpy returnPressed(screen.first, &QLineEdit::returnPressed);
    QSignalSpy clicked(screen.button, &QPushButton::clicked);

    QWidget *start = from == u"txtNotas" ? static_cast<QWidget *>(screen.notes) : screen.form->control(from);
    start->setFocus();
    QCOMPARE(focusName(), from);
    QTest::keyClick(start, Qt::Key(key), modifiers);
    QCOMPARE(focusName(), from); // the Tab is queued, not sent from inside the key handling
    test::settle();

    QCOMPARE(focusName(), to);
    QCOMPARE(screen.first->text(), u"Ana"_s);
    QCOMPARE(screen.second->text(), u"12"_s);
    QCOMPARE(screen.notes->toPlainText(), u"nota"_s); // neither a new line nor a tab character
    QCOMPARE(returnPressed.count(), 0);
    QCOMPARE(clicked.count(), 0);
}

void TestPlatform::otherKeysPassUnchanged()
{
    EntryScreen screen;
    QTest::keyClicks(screen.first, u"Ana 7"_s);
    QTest::keyClick(screen.first, Qt::Key_Backspace);
    QTest::keyClicks(screen.notes, u"A"_s);
    test::settle();
    QCOMPARE(screen.first->text(), u"Ana "_s);
    QCOMPARE(screen.notes->toPlainText(), u"A"_s);

    // Tab itself still walks the tab order.
    screen.first->setFocus();
    QTest::keyClick(screen.first, Qt::Key_Tab);
    test::settle();
    QCOMPARE(focusName(), u"txtSegundo"_s);
}

void TestPlatform::formWithoutKeyPreviewKeepsEnter()
{
    // One screen's key preview must not take Enter away from another screen.
    EntryScreen withPreview;
    EntryScreen without(false);
    QSignalSpy returnPressed(without.first, &QLineEdit::returnPressed);
    QTest::keyClick(without.first, Qt::Key_Return);
    test::settle();
    QCOMPARE(returnPressed.count(), 1);
    QCOMPARE(focusName(), u"txtPrimero"_s);
    QTest::keyClick(without.notes, Qt::Key_Return);
    QCOMPARE(without.notes->toPlainText(), u"\n"_s);
}

void TestPlatform::registryCreatesOnceAndKeepsState()
{
    ScreenRegistry registry;
    int made = 0;
    registry.add(u"prueba"_s, [&made] {
        ++made;
        return new Form(entryForm(true));
    });
    QCOMPARE(registry.find(u"prueba"_s), nullptr);

    auto *form = qobject_cast<Form *>(registry.open(u"prueba"_s));
    QVERIFY(form);
    QVERIFY(form->isVisible());
    QCOMPARE(registry.find(u"prueba"_s), form);
    form->control<QLineEdit>(u"txtPrimero")->setText(u"Ana"_s);

    QCOMPARE(registry.open(u"prueba"_s), form);
    test::settle();
    QCOMPARE(made, 1);
    QCOMPARE(form->control<QLineEdit>(u"txtPrimero")->text(), u"Ana"_s);

    // A minimised screen comes back when it is opened again.
    form->showMinimized();
    registry.open(u"prueba"_s);
    test::settle();
    QVERIFY(!form->isMinimized());
    QVERIFY(form->isVisible());
    QCOMPARE(registry.open(u"desconocida"_s), nullptr);
    delete form;
}

void TestPlatform::registryOpensNothingWhenFactoryFails()
{
    ScreenRegistry registry;
    bool fail = true;
    int asked = 0;
    registry.add(u"prueba"_s, [&] {
        ++asked;
        return fail ? nullptr : new Form(entryForm(true));
    });
    QCOMPARE(registry.open(u"prueba"_s), nullptr);
    QCOMPARE(registry.find(u"prueba"_s), nullptr);

    // The next opening tries again.
    fail = false;
    QWidget *form = registry.open(u"prueba"_s);
    QVERIFY(form);
    QCOMPARE(asked, 2);
    delete form;
}

void TestPlatform::registryRemakesAScreenClosedByItsWindow()
{
    ScreenRegistry registry;
    int made = 0;
    registry.add(u"prueba"_s, [&made] {
        ++made;
        return new Form(entryForm(true));
    });
    auto *form = qobject_cast<Form *>(registry.open(u"prueba"_s));
    form->control<QLineEdit>(u"txtPrimero")->setText(u"Ana"_s);
    QPointer<QWidget> first = form;

    test::ProgramFixture::closeWindow(form);
    QVERIFY(!first);
    QCOMPARE(registry.find(u"prueba"_s), nullptr);

    auto *again = qobject_cast<Form *>(registry.open(u"prueba"_s));
    QVERIFY(again);
    QCOMPARE(made, 2);
    QCOMPARE(again->control<QLineEdit>(u"txtPrimero")->text(), QString());
    delete again;
}

void TestPlatform::registryEndsProgram()
{
    ScreenRegistry registry;
    registry.add(u"uno"_s, [] { return new Form(entryForm(true)); });
    registry.add(u"dos"_s, [] { return new Form(entryForm(false)); });
    QPointer<QWidget> one = registry.open(u"uno"_s);
    QPointer<QWidget> two = registry.open(u"dos"_s);

    registry.endProgram();
    QVERIFY(registry.ended());
    QVERIFY(!one->isVisible());
    QVERIFY(!two->isVisible());
    test::settle();
    QVERIFY(!one);
    QVERIFY(!two);

    // Nothing opens once the program has ended.
    QCOMPARE(registry.open(u"uno"_s), nullptr);
}

void TestPlatform::messageBoxAnsweredInAdvance()
{
    MessageBox::setAnsweredInAdvance(true);
    MessageBox::show(nullptr, u" Dar la clave correcta por favor"_s);
    MessageBox::show(nullptr, u"segundo"_s);
    QCOMPARE(MessageBox::takeShownTexts(),
             QStringList({u" Dar la clave correcta por favor"_s, u"segundo"_s}));
    QCOMPARE(MessageBox::takeShownTexts(), QStringList());
}

void TestPlatform::messageBoxLooksLikeTheProgramsOwn()
{
    // The real box, closed by a click on its only button as soon as it is up.
    MessageBox::setAnsweredInAdvance(false);
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::Warning;
    qsizetype buttons = 0;
    bool modal = false;
    QTimer::singleShot(0, this, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        buttons = box->buttons().size();
        modal = box->isModal();
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    });
    MessageBox::show(nullptr, u" Dar la clave correcta por favor"_s);
    MessageBox::setAnsweredInAdvance(true);

    QCOMPARE(title, u"MERLOX2"_s);
    QCOMPARE(text, u" Dar la clave correcta por favor"_s);
    QCOMPARE(icon, QMessageBox::NoIcon);
    QCOMPARE(buttons, 1);
    QVERIFY(modal);
}

void TestPlatform::qtsOwnTextsAreSpanish()
{
    // A text box's context menu is Qt's own: it must not show English to the teacher.
    QLineEdit box;
    std::unique_ptr<QMenu> menu(box.createStandardContextMenu());
    QStringList texts;
    for (const QAction *action : menu->actions())
        texts << action->text().section(u'\t', 0, 0); // without the shortcut
    QVERIFY2(texts.contains(u"&Deshacer"_s) && texts.contains(u"&Pegar"_s), qPrintable(texts.join(u", ")));
}

void TestPlatform::autoSizeLabelEmpty()
{
    Form form(entryForm(true));
    auto *label = form.control<FormLabel>(u"Label1");
    QVERIFY(label->autoSize());
    QCOMPARE(label->pos(), QPoint(8, 8));
    // An empty 13.5 pt auto-size caption is 7 x 24 pixels.
    QCOMPARE(label->size(), QSize(7, 24));
}

void TestPlatform::autoSizeLabel_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("taller");

    QTest::newRow("one word grows to the right") << u"III"_s << false;
    QTest::newRow("two lines grow to the right and downwards") << u"II\nIII"_s << true;
}

void TestPlatform::autoSizeLabel()
{
    QFETCH(QString, caption);
    QFETCH(bool, taller);

    Form form(entryForm(true));
    auto *label = form.control<FormLabel>(u"Label1");
    const QRect empty = label->geometry();

    setCaption(label, caption);
    QCOMPARE(label->text(), caption);
    QCOMPARE(label->pos(), empty.topLeft());
    QVERIFY(label->width() >= empty.width() + label->fontMetrics().horizontalAdvance(u"III"_s));
    QCOMPARE(label->height() > empty.height(), taller);
    if (taller)
        QVERIFY(label->height() >= empty.height() + label->fontMetrics().height());

    // Emptied again, it goes back to its empty size.
    setCaption(label, QString());
    QCOMPARE(label->geometry(), empty);
}

} // namespace merlox2

QTEST_MAIN(merlox2::TestPlatform)
#include "TestPlatform.moc"
