#pragma once

// What the worksheet tests do as the teacher does: type, press Enter, read the boxes and the panel.

#include "forms/Controls.h"
#include "support/GuiTest.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

namespace merlox2::test {

inline const QStringList EmptyBoxes(7, QString());
inline const QStringList EmptyPanel(8, QString());

// The worked example's student, and its panel for first-grade Hombre.
inline const QStringList Ana = QStringLiteral("Ana 12 1.9 7.5 22 25 20").split(u' ');
inline const QStringList AnaHombre = QStringLiteral("50 III 75 II 50 58 III III").split(u' ');

// The text a user reads on a control: a box's content, a label's, button's or band's caption.
inline QString textOf(const QWidget *w)
{
    if (const auto *band = qobject_cast<const BandFrame *>(w))
        return band->caption();
    return w ? w->property("text").toString() : QStringLiteral("<no control>");
}

template <typename Controls>
inline QStringList textsOf(const Controls &controls)
{
    QStringList texts;
    for (const QWidget *w : controls)
        texts << textOf(w);
    return texts;
}
inline QStringList textsOf(std::initializer_list<const QWidget *> controls)
{
    return textsOf<std::initializer_list<const QWidget *>>(controls);
}
inline QStringList boxesOf(const Worksheet *sheet) { return textsOf(sheet->controls().boxes()); }
inline QStringList panelOf(const Worksheet *sheet) { return textsOf(sheet->controls().panel()); }

// The option that is on and the evaluation buttons that work, by caption.
inline QString choiceOf(const Worksheet *sheet)
{
    const WorksheetControls &ui = sheet->controls();
    QStringList on;
    for (const QAbstractButton *button : {ui.Option1, ui.Option2})
        on << (button->isChecked() ? QStringList{button->text()} : QStringList());
    for (const QAbstractButton *button : {ui.Command3, ui.Command4})
        on << (button->isEnabled() ? QStringList{button->text()} : QStringList());
    return on.join(u' ');
}

// A control of a worksheet by its name, as a black-box test finds it.
template <typename T = QWidget>
T *named(const QWidget *form, const QString &name)
{
    return form->findChild<T *>(name, Qt::FindDirectChildrenOnly);
}

// Each text typed into the focused box, then Enter, as the teacher moves on from txtNombre.
inline void typeRecord(const QStringList &texts)
{
    for (const QString &text : texts) {
        QTest::keyClicks(QApplication::focusWidget(), text);
        focusAfter(Qt::Key_Return);
    }
}

// Puts the focus in a box and replaces its text by typing.
inline void retype(QLineEdit *box, const QString &text)
{
    box->setFocus();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, text);
}

} // namespace merlox2::test
