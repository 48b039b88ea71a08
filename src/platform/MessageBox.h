#pragma once

#include "records/Result.h"

#include <QString>
#include <QStringList>

class QWidget;

namespace merlox2 {

// The program's message box: modal, OK only, caption "MERLOX2", no icon.
class MessageBox {
public:
    static void show(QWidget *parent, const QString &text);

    // For tests: while answered in advance, texts are recorded instead of shown, so nothing blocks.
    static void setAnsweredInAdvance(bool on);
    static QStringList takeShownTexts();

private:
    static bool s_answeredInAdvance;
    static QStringList s_shown;
};

// A failure met while the program runs: the teacher is told what failed and why, and the program
// goes on with every screen and every piece of data as it was.
void reportFailure(QWidget *screen, const Error &error);

} // namespace merlox2
