#pragma once

#include <QValidator>

#include <functional>

class QLineEdit;

namespace merlox2 {

// Keeps a text box to what its file can store, so that what the teacher sees is what is saved.
// Typed or pasted text is first composed ("e" + combining acute becomes "é", which the file may
// hold); a change that still holds a character the file can't store is refused with the system beep.
// The rule holds on every path into the box: QLineEdit checks typing, pasting and dropping against its
// validator, but keeps text set from outside (setText(), which screen readers, dictation and other
// assistive tools reach through the accessibility interface) whatever the validator says; such a change
// is taken back here.
class StorableTextValidator : public QValidator {
    Q_OBJECT
public:
    using Storable = std::function<bool(char32_t)>;

    // Sets the rule on the box; the validator belongs to the box.
    static void install(QLineEdit *box, Storable storable);

    State validate(QString &input, int &pos) const override;

private:
    StorableTextValidator(Storable storable, QLineEdit *box);
    bool storable(QStringView text) const;
    void textChanged(const QString &text);

    QLineEdit *m_box;
    Storable m_storable;
    QString m_kept;       // the box's text after its last change that kept the rule
    int m_keptCursor = 0; // and where its cursor stood then
};

} // namespace merlox2
