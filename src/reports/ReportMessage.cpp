#include "reports/ReportMessage.h"

#include <QMessageBox>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace merlox2 {

QMessageBox *showReportMessage(QWidget *parent, const QString &text, bool warning, const QString &title)
{
    auto *box = new QMessageBox(warning ? QMessageBox::Warning : QMessageBox::Information, title, text,
                                QMessageBox::Ok, parent);
    box->setObjectName(u"mensaje"_s);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->button(QMessageBox::Ok)->setText(u"Aceptar"_s);
    box->open();
    return box;
}

} // namespace merlox2
