#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace merlox2 {

// The program's message box: modal, OK only, caption "MERLOX2", no icon.
class MessageBox {
public:
    enum class Answer { Yes, No, Cancel };

    static void show(QWidget *parent, const QString &text);
    // The same box with "Sí" and "No", "No" being the default; true for "Sí".
    static bool ask(QWidget *parent, const QString &question);
    // The same box with "Sí" (the default), "No" and "Cancelar" (also the Esc key and the box's close
    // control): the question asked before work that was not stored would be thrown away.
    static Answer askYesNoCancel(QWidget *parent, const QString &question);

    // For tests: while answered in advance, texts (questions too) are recorded instead of shown, so
    // nothing blocks, and questions get the answers queued here, then "No" (a yes/no question) or
    // "Cancelar" (a yes/no/cancel one: nothing is stored and nothing thrown away).
    static void setAnsweredInAdvance(bool on);
    static void answerNextQuestion(bool yes);
    static void answerNextQuestion(Answer answer);
    static QStringList takeShownTexts();

private:
    static bool s_answeredInAdvance;
    static QStringList s_shown;
    static QList<Answer> s_answers;
};

} // namespace merlox2
