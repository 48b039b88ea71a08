#pragma once

#include "common/Clock.h"
#include "records/Roster.h"
#include "screens/Screen.h"

#include <array>
#include <memory>

class QPainter;
class QRectF;

namespace merlox2 {

class Worksheet;
struct GradeStudents;
enum class Sex;

// Gives the reports window the worksheet's own drawing of an evaluation sheet (reports/GroupSheets.h) while
// it lives: one worksheet per grade kept off screen, which never touches the grade files. The reports never
// include the worksheet, nor the worksheet the reports: this is where the program puts the two together.
class SheetBridge {
public:
    SheetBridge();
    ~SheetBridge();
    SheetBridge(const SheetBridge &) = delete;
    SheetBridge &operator=(const SheetBridge &) = delete;

private:
    void draw(const GradeStudents &grade, int slot, Sex sex, QPainter &painter, const QRectF &target);

    Clock m_clock;
    Screens m_screens;
    std::array<Roster, 3> m_rosters{};
    std::array<std::unique_ptr<Worksheet>, 3> m_sheets;
};

} // namespace merlox2
