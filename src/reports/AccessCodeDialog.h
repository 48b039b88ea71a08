#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace merlox2 {

// The access code asked before the reports window opens on its own: the access screen's code and rules
// (exactly its digits, as many attempts as the teacher needs, the same message for a wrong one) in a small
// ordinary dialog. Accepted only with the right code; «Cancelar» (or Esc) rejects it.
class AccessCodeDialog : public QDialog {
    Q_OBJECT

public:
    explicit AccessCodeDialog(QWidget *parent = nullptr);

    QLineEdit *codeBox() const { return m_code; }
    QPushButton *enterButton() const { return m_enter; }
    QPushButton *cancelButton() const { return m_cancel; }

private:
    void tryCode();

    QLineEdit *m_code;
    QPushButton *m_enter;
    QPushButton *m_cancel;
};

} // namespace merlox2
