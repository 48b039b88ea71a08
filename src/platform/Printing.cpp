#include "platform/Printing.h"

#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace merlox2 {

Result<void> printOnDefaultPrinter(QWidget *screen, QRect area)
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
        return Error{ErrorCode::NoPrinter,
                     u"No se pudo imprimir la hoja: no hay una impresora predeterminada. "
                     "Configure una impresora como predeterminada en el sistema e intente de nuevo."_s};
    }

    QPrinter printer(info, QPrinter::HighResolution);
    // Qt would otherwise fall back to A4 whatever the printer says.
    printer.setPageSize(info.defaultPageSize());
    printer.setDocName(screen->windowTitle());

    const auto failed = [&info](const QString &why) {
        return Error{ErrorCode::PrintFailed,
                     u"No se pudo imprimir la hoja en la impresora %1: %2. "
                     "Revise que la impresora esté encendida y disponible e intente de nuevo."_s.arg(
                         info.printerName(), why)};
    };

    QPainter painter;
    if (!painter.begin(&printer))
        return failed(u"la impresora no aceptó el trabajo"_s);

    const QRectF page = printer.pageRect(QPrinter::DevicePixel);
    const qreal scale = page.width() / area.width();
    painter.scale(scale, scale);
    screen->render(&painter, QPoint(), QRegion(area),
                   QWidget::DrawWindowBackground | QWidget::DrawChildren);
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        return failed(u"el sistema de impresión informó un error"_s);
    return {};
}

} // namespace merlox2
