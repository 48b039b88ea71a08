#include "reports/AccessCodeDialog.h"

#include "common/AccessCode.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace merlox2 {

AccessCodeDialog::AccessCodeDialog(QWidget *parent)
    : QDialog(parent), m_code(new QLineEdit(this)), m_enter(new QPushButton(u"&Entrar"_s, this)),
      m_cancel(new QPushButton(u"&Cancelar"_s, this))
{
    setObjectName(u"ClaveReportes"_s);
    setWindowTitle(u"MERLOX2 REPORTES"_s);

    auto *prompt = new QLabel(u"Escriba la clave de acceso de MERLOX2 para ver los reportes:"_s, this);
    prompt->setWordWrap(true);
    prompt->setBuddy(m_code);
    m_code->setObjectName(u"clave"_s);
    m_code->setEchoMode(QLineEdit::Password);
    m_code->setAccessibleName(u"Clave de acceso"_s);
    m_enter->setObjectName(u"entrar"_s);
    m_enter->setAccessibleName(u"Entrar"_s);
    m_enter->setDefault(true);
    m_cancel->setObjectName(u"cancelar"_s);
    m_cancel->setAccessibleName(u"Cancelar"_s);

    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(m_enter, QDialogButtonBox::AcceptRole);
    buttons->addButton(m_cancel, QDialogButtonBox::RejectRole);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(m_code);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // «Entrar» checks the code first; only the right one accepts the dialog.
    connect(m_enter, &QPushButton::clicked, this, &AccessCodeDialog::tryCode);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void AccessCodeDialog::tryCode()
{
    if (isAccessCode(m_code->text())) {
        accept();
        return;
    }
    // As on the access screen: the code stays as typed, and the teacher may try again at once.
    auto *box =
        new QMessageBox(QMessageBox::NoIcon, u"MERLOX2"_s, wrongAccessCodeText(), QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->button(QMessageBox::Ok)->setText(u"Aceptar"_s);
    connect(box, &QMessageBox::finished, m_code, [this] { m_code->setFocus(); });
    box->open();
}

} // namespace merlox2
