#pragma once

#include "platform/FormLayout.h"

#include <array>
#include <vector>

namespace merlox2 {

// What differs among the three worksheets; everything else is the one layout table.
struct WorksheetGrade {
    int grade;
    const char *formName;
    const char *caption;
    QRgb background; // the window and both sex options
    const char *titleName;
    const char *title;
    int titleLeft;
    int titleWidth;
    int dateLeft;
    int dateHeight;
    const char *photograph;
};

inline constexpr std::array<WorksheetGrade, 3> WorksheetGrades{{
    {1, "prisecu", "MERLOX2 PRIMER GRADO (SECUNDARIA)", colours::LightGrey, "Label8", "1º GRADO SECUNDARIA",
     3120, 5895, 9960, 255, ":/pictures/title_image4.jpg"},
    {2, "segusecu", "Merlox 2 SEGUNDO GRADO (SECUNDARIA)", colours::LightOrange, "Label8",
     "2º GRADO SECUNDARIA", 3315, 5925, 9720, 375, ":/pictures/grade2_photo.jpg"},
    {3, "TERSECU", "MERLOX 2 TERCER GRADO (SECUNDARIA)", colours::LightOrange, "label8",
     "3º GRADO SECUNDARIA", 3315, 5925, 9840, 255, ":/pictures/title_image1.jpg"},
}};

// Every element lies inside this extent (twips), so a maximised window on 800 x 600 shows them all;
// it is also what a printed sheet shows.
inline constexpr int WorksheetExtentWidth = 11895;
inline constexpr int WorksheetExtentHeight = 7815;

// The layout of one grade's worksheet: the common table with that grade's differences applied.
std::vector<ControlRow> worksheetControls(const WorksheetGrade &grade);
FormTable worksheetForm(const WorksheetGrade &grade, const std::vector<ControlRow> &controls);

} // namespace merlox2
