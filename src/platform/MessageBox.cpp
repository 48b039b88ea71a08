#include "platform/MessageBox.h"

#include <QMessageBox>

using namespace Qt::StringLiterals;

namespace merlox2 {

bool MessageBox::s_answeredInAdvance = false;
QStringList MessageBox::s_shown;

void MessageBox::show(QWidget *parent, const QString &text)
{
    if (s_answeredInAdvance) {
        s_shown.append(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, u"MERLOX2"_s, text, QMessageBox::Ok, parent);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

void MessageBox::setAnsweredInAdvance(bool on)
{
    s_answeredInAdvance = on;
    s_shown.clear();
}

QStringList MessageBox::takeShownTexts()
{
    return std::exchange(s_shown, {});
}

void reportFailure(QWidget *screen, const Error &error)
{
    MessageBox::show(screen, error.message);
}

} // namespace merlox2
