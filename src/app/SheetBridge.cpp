#include "app/SheetBridge.h"

#include "reports/GroupSheets.h"
#include "screens/Worksheet.h"

#include <QPainter>
#include <QPicture>

namespace merlox2 {

SheetBridge::SheetBridge() : m_screens([](Screen) { return std::unique_ptr<QWidget>(); })
{
    setSheetRenderer([this](const GradeStudents &grade, int slot, Sex sex, QPainter &painter,
                            const QRectF &target) { draw(grade, slot, sex, painter, target); });
}

SheetBridge::~SheetBridge() { setSheetRenderer({}); }

void SheetBridge::draw(const GradeStudents &grade, int slot, Sex sex, QPainter &painter, const QRectF &target)
{
    const auto index = std::size_t(grade.grade - 1);
    m_rosters.at(index) = grade.roster;
    std::unique_ptr<Worksheet> &sheet = m_sheets.at(index);
    if (!sheet)
        sheet =
            Worksheet::forDrawing(WorksheetGrades.at(index), m_rosters.at(index), {m_screens, m_clock, {}});
    // As «IMPRIMIR» puts the sheet on its page: at the top left, to the page's width.
    const qreal scale = target.width() / sheet->sheetArea().width();
    const QPaintDevice *device = painter.device();
    painter.translate(target.topLeft());
    if (device->devType() != QInternal::Printer) {
        // A PDF or a picture: drawn straight on it, as «IMPRIMIR» draws its page, so that the text stands
        // where the worksheet's own page has it.
        painter.scale(scale, scale);
        sheet->drawSheet(slot, sex, painter);
        return;
    }
    // A printer (Windows) gets the sheet recorded as vectors first, as «IMPRIMIR» gives it there: a widget
    // rendered straight onto a printer is painted into a picture of the whole page at the printer's
    // resolution, hundreds of megabytes a page. A picture plays itself enlarged by the device's resolution
    // over its own, so that is taken out again.
    QPicture picture;
    {
        QPainter recorder(&picture);
        sheet->drawSheet(slot, sex, recorder);
    }
    painter.scale(scale * picture.logicalDpiX() / device->logicalDpiX(),
                  scale * picture.logicalDpiY() / device->logicalDpiY());
    painter.drawPicture(0, 0, picture);
}

} // namespace merlox2
