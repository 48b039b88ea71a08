#pragma once

#include "forms/FormLayout.h"

#include <array>
#include <vector>

class QLineEdit;

namespace merlox2 {

class BandFrame;
class FaceButton;
class FormLabel;
class ImageBox;
class LineWidget;
class OptionButton;

// Every control of a worksheet, one member per row of its layout table, in the table's order.
struct WorksheetControls {
    // Heading and record number.
    FormLabel *Label8, *Label10, *Label9;
    FormLabel *Label28;
    // Data-entry block.
    FormLabel *Label1;
    QLineEdit *txtNombre;
    FormLabel *Label2;
    QLineEdit *txtedad;
    FormLabel *Label3;
    QLineEdit *txtresistencia;
    FormLabel *Label4;
    QLineEdit *txtvelocidad;
    FormLabel *Label5;
    QLineEdit *txtlagartijas;
    FormLabel *Label6;
    QLineEdit *txtabdominales;
    FormLabel *Label7;
    QLineEdit *txtsentadillas;
    FormLabel *Label27;
    OptionButton *Option1, *Option2;
    ImageBox *Image1;
    // The fixed captions of the individual evaluation table.
    FormLabel *Label22, *Label21, *Label14, *Label15, *Label16, *Label17, *Label18, *Label20;
    // The result panel.
    FormLabel *Label23, *Label11, *Label24, *Label12, *Label25, *Label13, *Label26, *Label19;
    // Command band.
    BandFrame *Frame1;
    FaceButton *cmdGuardarReg, *cmdRegSiguiente, *cmdRegAnterior, *cmdRegresar, *Command1, *Command3,
        *Command4, *Command2, *cmdSalir;

    // The seven boxes in the order of the record's fields.
    std::array<QLineEdit *, 7> boxes() const
    {
        return {txtNombre,     txtedad,        txtresistencia, txtvelocidad,
                txtlagartijas, txtabdominales, txtsentadillas};
    }
    // The result panel in the order the evaluation writes it.
    std::array<FormLabel *, 8> panel() const
    {
        return {Label11, Label23, Label12, Label24, Label13, Label19, Label25, Label26};
    }
};

// What differs among the three worksheets; everything else is the one layout table.
struct WorksheetGrade {
    int grade;
    const char *formName;
    const char *caption;
    QRgb background;       // the window and both sex options
    const char *titleName; // the title label's name on this grade's screen
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
