#pragma once

#include "common/Error.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QTime>

class QWidget;

namespace merlox2 {

// A failure met while the program runs: the teacher is told what failed and why, and the program
// goes on with every screen and every piece of data as it was. Shown in the fixed screens' message box,
// so defined with the screens (ReportFailure.cpp); the wording below stands alone.
void reportFailure(QWidget *screen, const Error &error);

// The failure in Spanish, for the teacher: what could not be done, to which file or printer, why, and what
// to do about it. The core reports causes; this is the one place that words them.
QString describe(const Error &error);

// A date and a time of day inside one of the program's sentences, in Spanish (Mexico) whatever the system's
// language: "5 de marzo de 2024", "7:33". What a screen shows in the system's format (the worksheet's
// date) does not use these.
QString dateInWords(QDate date);
QString timeInWords(QTime time);

struct SexLineProblem;
// The lines of a grade's sex file (sexFilePath) that could not be read: which ones and why, that those
// students show no sex until given one, and that the next sex given writes the file whole. Empty where
// there are none.
QString describeSexFileProblems(const QString &sexFilePath, const QList<SexLineProblem> &problems);

struct PrintedSheet;
// A sheet that waits in the queue of a stopped printer. Not a failure: the sheet is in the print system and
// comes out once the printer is resumed; printing it again would give two. Worded here, beside the print
// failures, to say the same things the same way.
QString describeWaitingSheet(const PrintedSheet &sheet);
// The same for a job of several pages or one of the reports: document names what it holds, as "el resumen
// del 1º grado" or "las 30 cartas para la familia".
QString describeWaitingJob(const PrintedSheet &sheet, const QString &document);

} // namespace merlox2
