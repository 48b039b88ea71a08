#pragma once

// What the worksheet tests do as the teacher does: open a grade, type, press Enter, click.

#include "platform/Controls.h"
#include "platform/FormBuilder.h"
#include "support/GuiTest.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QStringList>
#include <QTest>

#include <array>

namespace merlox2::test {

// The seven boxes in the order of the record's fields, and the result panel in the order the
// evaluation writes it.
inline const QStringList BoxNames{QStringLiteral("txtNombre"),      QStringLiteral("txtedad"),
                                  QStringLiteral("txtresistencia"), QStringLiteral("txtvelocidad"),
                                  QStringLiteral("txtlagartijas"),  QStringLiteral("txtabdominales"),
                                  QStringLiteral("txtsentadillas")};
inline const QStringList PanelNames{QStringLiteral("Label11"), QStringLiteral("Label23"),
                                    QStringLiteral("Label12"), QStringLiteral("Label24"),
                                    QStringLiteral("Label13"), QStringLiteral("Label19"),
                                    QStringLiteral("Label25"), QStringLiteral("Label26")};

inline Form *openWorksheet(ProgramFixture &fixture, const QString &formName)
{
    return qobject_cast<Form *>(fixture.open(formName));
}

// The text a user reads on a control: a box's content, a label's or button's caption.
inline QString textOf(const Form *sheet, const QString &name)
{
    QWidget *w = sheet->control(name);
    if (auto *box = qobject_cast<QLineEdit *>(w))
        return box->text();
    if (auto *label = qobject_cast<QLabel *>(w))
        return label->text();
    if (auto *button = qobject_cast<QAbstractButton *>(w))
        return button->text();
    if (auto *band = qobject_cast<BandFrame *>(w))
        return band->caption();
    return QStringLiteral("<no control %1>").arg(name);
}

inline QStringList panelOf(const Form *sheet)
{
    QStringList texts;
    for (const QString &name : PanelNames)
        texts << textOf(sheet, name);
    return texts;
}

inline QStringList boxesOf(const Form *sheet)
{
    QStringList texts;
    for (const QString &name : BoxNames)
        texts << textOf(sheet, name);
    return texts;
}

inline QString focusName()
{
    QWidget *focus = QApplication::focusWidget();
    return focus ? focus->objectName() : QStringLiteral("<no focus>");
}

// A mouse click as the user makes it, then whatever it queued.
inline void click(const Form *sheet, const QString &name)
{
    auto *button = sheet->control<QAbstractButton>(name);
    Q_ASSERT(button);
    // A radio button reacts to clicks on its indicator and text, which start at its left edge.
    const QPoint at =
        qobject_cast<OptionButton *>(button) ? QPoint(8, button->height() / 2) : button->rect().center();
    QTest::mouseClick(button, Qt::LeftButton, {}, at);
    settle();
}

inline void clickTimes(const Form *sheet, const QString &name, int times)
{
    for (int i = 0; i < times; ++i)
        click(sheet, name);
}

inline void pressKey(Qt::Key key)
{
    QTest::keyClick(QApplication::focusWidget(), key);
    settle();
}

// Types each text into its box, moving on with Enter as the teacher does. Texts are for the boxes
// from txtNombre on; the focus must be in txtNombre.
inline void typeRecord(const QStringList &texts)
{
    for (const QString &text : texts) {
        QTest::keyClicks(QApplication::focusWidget(), text);
        pressKey(Qt::Key_Return);
    }
}

// Puts the focus in a box and replaces its text by typing.
inline void retype(const Form *sheet, const QString &name, const QString &text)
{
    auto *box = sheet->control<QLineEdit>(name);
    box->setFocus();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, text);
}

} // namespace merlox2::test
