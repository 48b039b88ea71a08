#include "forms/MessageBox.h"

#include <QMessageBox>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace merlox2 {

bool MessageBox::s_answeredInAdvance = false;
QStringList MessageBox::s_shown;
QList<MessageBox::Answer> MessageBox::s_answers;

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

bool MessageBox::ask(QWidget *parent, const QString &question)
{
    if (s_answeredInAdvance) {
        s_shown.append(question);
        return !s_answers.isEmpty() && s_answers.takeFirst() == Answer::Yes;
    }
    QMessageBox box(QMessageBox::NoIcon, u"MERLOX2"_s, question, QMessageBox::NoButton, parent);
    QPushButton *yes = box.addButton(u"Sí"_s, QMessageBox::YesRole);
    QPushButton *no = box.addButton(u"No"_s, QMessageBox::NoRole);
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
    return box.clickedButton() == yes;
}

MessageBox::Answer MessageBox::askYesNoCancel(QWidget *parent, const QString &question)
{
    if (s_answeredInAdvance) {
        s_shown.append(question);
        return s_answers.isEmpty() ? Answer::Cancel : s_answers.takeFirst();
    }
    QMessageBox box(QMessageBox::NoIcon, u"MERLOX2"_s, question, QMessageBox::NoButton, parent);
    QPushButton *yes = box.addButton(u"Sí"_s, QMessageBox::YesRole);
    QPushButton *no = box.addButton(u"No"_s, QMessageBox::NoRole);
    QPushButton *cancel = box.addButton(u"Cancelar"_s, QMessageBox::RejectRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(cancel);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
    if (box.clickedButton() == yes)
        return Answer::Yes;
    return box.clickedButton() == no ? Answer::No : Answer::Cancel;
}

void MessageBox::setAnsweredInAdvance(bool on)
{
    s_answeredInAdvance = on;
    s_shown.clear();
    s_answers.clear();
}

void MessageBox::answerNextQuestion(bool yes) { s_answers.append(yes ? Answer::Yes : Answer::No); }

void MessageBox::answerNextQuestion(Answer answer) { s_answers.append(answer); }

QStringList MessageBox::takeShownTexts() { return std::exchange(s_shown, {}); }

} // namespace merlox2
