#pragma once

#include <QString>

class QMessageBox;
class QWidget;

namespace merlox2 {

// How long a status message of the reports' windows stays.
inline constexpr int ReportStatusMs = 15000;

// A message of the reports' windows with an «Aceptar» button, shown without an event loop of its own: the
// tables go on following their files while it is open. A warning where something failed.
QMessageBox *showReportMessage(QWidget *parent, const QString &text, bool warning = false,
                               const QString &title = QStringLiteral("MERLOX2 REPORTES"));

} // namespace merlox2
