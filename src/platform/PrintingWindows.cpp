#include "platform/PrintModule.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>
#include <QPicture>
#include <QPrinter>
#include <QPrinterInfo>
#include <QWidget>

namespace merlox2 {

// Windows' own print system: the default printer, its default paper, and the spooler's answer. The
// spooler takes the job locally, so there is no server to wait on. Whether the printer is paused is not
// told: Qt reports a paused printer as in error, like one out of paper or offline.
PrintOutcome printThroughPrintService(QWidget *screen, QRect area)
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return Error{.action = Action::Print, .cause = Cause::NoDefaultPrinter};
    const QString printerName = info.printerName();

    // The screen drawn once as vectors: a widget rendered straight onto a printer is painted into a
    // picture of the whole page at the printer's resolution first, hundreds of megabytes.
    QPicture picture;
    {
        QPainter recorder;
        if (!recorder.begin(&picture))
            return Error{.action = Action::Print, .cause = Cause::PageNotDrawn, .subject = printerName};
        screen->render(&recorder, QPoint(), QRegion(area),
                       QWidget::DrawWindowBackground | QWidget::DrawChildren);
        recorder.end();
    }

    QPrinter printer(info, QPrinter::HighResolution);
    printer.setDocName(screen->windowTitle());
    QPainter painter;
    if (!painter.begin(&printer))
        return Error{.action = Action::Print, .cause = Cause::JobRefused, .subject = printerName};
    // The page's width; a picture plays itself enlarged by the printer's resolution over its own, so
    // that is taken out again.
    const qreal toPageWidth = qreal(printer.width()) / area.width();
    painter.scale(toPageWidth * picture.logicalDpiX() / printer.logicalDpiX(),
                  toPageWidth * picture.logicalDpiY() / printer.logicalDpiY());
    painter.drawPicture(0, 0, picture);
    if (!painter.end()) // the page is drawn already: the print system did not take the document
        return Error{.action = Action::Print, .cause = Cause::JobRefused, .subject = printerName};
    return PrintedSheet{.printer = printerName};
}

PrintOutcome printPagesThroughPrintService(const QString &title, const PageDrawer &draw)
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return Error{.action = Action::Print, .cause = Cause::NoDefaultPrinter};
    const QString printerName = info.printerName();
    // The pages' own drawing is vector, so drawn straight on the printer they cost no page-sized picture.
    QPrinter printer(info, QPrinter::HighResolution);
    printer.setDocName(title);
    // The spooler takes each page as it is drawn, and a drawing the teacher cancels part way would still
    // print the pages before. So they are drawn first on a PDF in memory, where cancelling costs nothing
    // (the drawer shows the progress and returns false), and only a whole drawing goes to the printer.
    {
        QBuffer rehearsal;
        rehearsal.open(QIODevice::WriteOnly);
        QPdfWriter pages(&rehearsal);
        pages.setPageLayout(printer.pageLayout());
        pages.setResolution(printer.resolution());
        if (!draw(pages))
            return Error{.action = Action::Print, .cause = Cause::JobRefused, .subject = printerName};
    }
    if (!draw(printer))
        return Error{.action = Action::Print, .cause = Cause::JobRefused, .subject = printerName};
    return PrintedSheet{.printer = printerName};
}

Result<QPageLayout> pageLayoutThroughPrintService()
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return Error{.action = Action::Print, .cause = Cause::NoDefaultPrinter};
    return QPrinter(info, QPrinter::HighResolution).pageLayout();
}

} // namespace merlox2
