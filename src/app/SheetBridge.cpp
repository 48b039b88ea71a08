#include "app/SheetBridge.h"

#include "reports/GroupSheets.h"
#include "screens/Worksheet.h"

#include <QPainter>

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
    const QRect area = sheet->sheetArea();
    const qreal scale = target.width() / area.width();
    painter.translate(target.topLeft());
    painter.scale(scale, scale);
    sheet->drawSheet(slot, sex, painter);
}

} // namespace merlox2
