#pragma once

// What the worksheet tests do as the teacher does: type, press Enter, read the boxes and the panel.

#include "platform/Controls.h"
#include "support/GuiTest.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

namespace merlox2::test {

// The boxes in the order of the record's fields; the panel in the order the evaluation writes it.
inline const QStringList BoxNames =
    QStringLiteral(
        "txtNombre txtedad txtresistencia txtvelocidad txtlagartijas txtabdominales txtsentadillas")
        .split(u' ');
inline const QStringList PanelNames =
    QStringLiteral("Label11 Label23 Label12 Label24 Label13 Label19 Label25 Label26").split(u' ');
inline const QStringList EmptyBoxes(7, QString());
inline const QStringList EmptyPanel(8, QString());

// The worked example's student, and its panel for first-grade Hombre.
inline const QStringList Ana = QStringLiteral("Ana 12 1.9 7.5 22 25 20").split(u' ');
inline const QStringList AnaHombre = QStringLiteral("50 III 75 II 50 58 III III").split(u' ');

// The text a user reads on a control: a box's content, a label's, button's or band's caption.
inline QString textOf(const Form *sheet, const QString &name)
{
    QWidget *w = sheet->control(name);
    if (auto *band = qobject_cast<BandFrame *>(w))
        return band->caption();
    return w ? w->property("text").toString() : QStringLiteral("<no control %1>").arg(name);
}

inline QStringList textsOf(const Form *sheet, const QStringList &names)
{
    QStringList texts;
    for (const QString &name : names)
        texts << textOf(sheet, name);
    return texts;
}
inline QStringList boxesOf(const Form *sheet) { return textsOf(sheet, BoxNames); }
inline QStringList panelOf(const Form *sheet) { return textsOf(sheet, PanelNames); }

// Each text typed into the focused box, then Enter, as the teacher moves on from txtNombre.
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
