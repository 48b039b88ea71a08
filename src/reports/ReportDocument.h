#pragma once

#include "common/Result.h"
#include "platform/Printing.h"

#include <QByteArray>
#include <QPageLayout>
#include <QString>

namespace merlox2 {

// The paper of a document saved as PDF: the default printer's, so that the document prints as the program
// would print it; where there is no printer to ask, carta (Letter), the paper of Mexican schools.
QPageLayout savedPageLayout();

// The pages drawn into a PDF document on that paper; empty where the drawing failed or was cancelled.
QByteArray drawPdf(const QString &title, const QPageLayout &layout, const PageDrawer &draw);

// Writes the document as a whole, as the grade files are (temporary file, then rename): a failure leaves a
// document already there as it was.
Result<void> savePdfFile(const QString &path, const QByteArray &pdf);

} // namespace merlox2
