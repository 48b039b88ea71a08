#include "worksheet/WorksheetLayout.h"

#include <cstring>

namespace merlox2 {

namespace {

using namespace colours;
using namespace fonts;

// Lines: left/top are the first end point, width/height the second.
constexpr ControlRow line(const char *name, int x1, int y1, int x2, int y2, int width, QRgb colour)
{
    return {.name = name, .kind = Kind::Line, .left = x1, .top = y1, .width = x2, .height = y2, .fore = colour,
            .lineWidth = width};
}

constexpr ControlRow caption(const char *name, const char *text, int top, int width, const char *buddy)
{
    return {.name = name, .kind = Kind::Label, .caption = text, .left = 480, .top = top, .width = width,
            .height = 495, .font = Pt13, .buddy = buddy};
}

constexpr ControlRow box(const char *name, int top, int width, int tabIndex)
{
    return {.name = name, .kind = Kind::TextBox, .left = 2520, .top = top, .width = width, .height = 495,
            .font = Pt13, .back = White, .tabIndex = tabIndex};
}

constexpr ControlRow panelLabel(const char *name, const char *text, int left, int top, int width, int height,
                                 Align align = Align::Left, QRgb fore = NoColour)
{
    return {.name = name, .kind = Kind::Label, .caption = text, .left = left, .top = top, .width = width,
            .height = height, .font = Pt13, .fore = fore, .align = align};
}

constexpr ControlRow levelLabel(const char *name, int top)
{
    return {.name = name, .kind = Kind::Label, .left = 9240, .top = top, .width = 105, .height = 360,
            .font = Pt13, .autoSize = true};
}

constexpr ControlRow button(const char *name, const char *text, int left, int width, QRgb face, FontRow font,
                             int tabIndex)
{
    return {.name = name, .kind = Kind::Button, .caption = text, .left = left, .top = 7200, .width = width,
            .height = 495, .font = font, .back = face, .tabIndex = tabIndex};
}

// clang-format off
constexpr ControlRow WorksheetTable[] = {
    // Heading and record number. Label8, Label28 and the options take their grade's values below.
    {.name = "Label8", .kind = Kind::Label, .caption = "", .left = 3120, .top = 360, .width = 5895, .height = 555,
     .font = Pt24, .fore = Navy, .align = Align::Center, .autoSize = true},
    {.name = "Label10", .kind = Kind::Label, .caption = "REGISTRO Nº", .left = 240, .top = 480, .width = 1935,
     .height = 300, .font = Pt12BoldItalic, .align = Align::Center, .autoSize = true},
    {.name = "Label9", .kind = Kind::Label, .left = 480, .top = 840, .width = 1455, .height = 495, .font = Pt13,
     .align = Align::Center, .border = true},
    {.name = "Image2", .kind = Kind::Image, .left = 9240, .top = 480, .width = 2100, .height = 705,
     .picture = ":/pictures/worksheet_badge.gif"},
    {.name = "Label28", .kind = Kind::Label, .left = 9960, .top = 1080, .width = 1935, .height = 255, .font = Pt12},

    // Outer frame of the body.
    line("Line18", 360, 1440, 11520, 1440, 4, Black),
    line("Line20", 360, 6600, 11520, 6600, 4, Black),
    line("Line17", 360, 1440, 360, 6600, 4, Black),
    line("Line19", 11520, 1440, 11520, 6600, 4, Black),
    line("Line21", 2400, 1440, 2400, 6600, 2, Black),

    // Data-entry block.
    caption("Label1", "Nombre", 1680, 1215, "txtNombre"),
    box("txtNombre", 1680, 3855, 0),
    caption("Label2", "Edad", 2280, 1215, "txtedad"),
    box("txtedad", 2280, 1215, 1),
    caption("Label3", "Resistencia", 2880, 1935, "txtresistencia"),
    box("txtresistencia", 2880, 1215, 2),
    caption("Label4", "Velocidad", 3480, 1575, "txtvelocidad"),
    box("txtvelocidad", 3480, 1215, 3),
    caption("Label5", "Lagartijas", 4080, 1575, "txtlagartijas"),
    box("txtlagartijas", 4080, 1215, 4),
    caption("Label6", "Abdominales", 4680, 1815, "txtabdominales"),
    box("txtabdominales", 4680, 1215, 5),
    caption("Label7", "Sentadillas", 5280, 1815, "txtsentadillas"),
    box("txtsentadillas", 5280, 1215, 6),
    caption("Label27", "Sexo", 5880, 1215, ""),
    {.name = "Option1", .kind = Kind::Option, .caption = "Hombre", .left = 2520, .top = 5760, .width = 1215,
     .height = 375, .font = Pt9, .tabIndex = 7},
    {.name = "Option2", .kind = Kind::Option, .caption = "Mujer", .left = 2520, .top = 6120, .width = 1215,
     .height = 375, .font = Pt9, .tabIndex = 8},

    // The photograph, stretched into its box whatever its size.
    {.name = "Image1", .kind = Kind::Image, .left = 3840, .top = 2280, .width = 2520, .height = 4185,
     .stretch = true},

    // Ruling of the individual evaluation table.
    line("Line15", 6600, 1680, 11400, 1680, 3, DarkBlue),
    line("Line14", 6600, 1680, 6600, 2160, 3, DarkBlue),
    line("Line16", 11400, 1680, 11400, 2160, 3, DarkBlue),
    line("Line12", 6600, 2160, 11400, 2160, 3, DarkBlue),
    line("Line10", 6600, 2160, 6600, 2760, 3, DarkBlue),
    line("Line13", 9000, 2160, 9000, 2760, 3, DarkBlue),
    line("Line11", 11400, 2160, 11400, 2760, 3, DarkBlue),
    line("Line2", 6600, 2760, 11400, 2760, 3, DarkBlue),
    line("Line3", 6600, 2760, 6600, 6240, 3, DarkBlue),
    line("Line6", 9000, 2760, 9000, 6240, 2, Navy),
    line("Line4", 11400, 2760, 11400, 6240, 3, DarkBlue),
    line("Line5", 6600, 6240, 11400, 6240, 3, DarkBlue),
    line("Line7", 6720, 3480, 8880, 3480, 1, Black),
    line("Line8", 6720, 4200, 8880, 4200, 1, Black),
    line("Line9", 6720, 4920, 8880, 4920, 1, Black),
    line("Line1", 9240, 5040, 11160, 5040, 2, Black),

    // Its fixed captions.
    {.name = "Label22", .kind = Kind::Label, .caption = "EVALUACION INDIVIDUAL", .left = 7200, .top = 1680,
     .width = 3765, .height = 360, .font = Pt13, .fore = Navy, .align = Align::Center, .autoSize = true},
    panelLabel("Label21", "CAPACIDADES", 6600, 2280, 2415, 375, Align::Center),
    panelLabel("Label14", "NIVEL Y %", 9240, 2280, 1695, 495, Align::Center),
    panelLabel("Label15", "RESISTENCIA", 6720, 3000, 2175, 495),
    panelLabel("Label16", "VELOCIDAD", 6840, 3720, 1935, 495),
    panelLabel("Label17", "FUERZA", 7080, 4440, 1455, 495),
    {.name = "Label18", .kind = Kind::Label, .caption = "NIVEL PROMEDIO", .left = 6720, .top = 5160,
     .width = 2175, .height = 855, .font = Pt13, .align = Align::Center, .wordWrap = true},
    panelLabel("Label20", "%", 11040, 5280, 615, 495),

    // The result panel: level left, percentage right.
    levelLabel("Label23", 3000),
    panelLabel("Label11", "", 10080, 3000, 1215, 495, Align::Center),
    levelLabel("Label24", 3720),
    panelLabel("Label12", "", 10080, 3720, 1215, 495, Align::Center),
    levelLabel("Label25", 4440),
    panelLabel("Label13", "", 10080, 4440, 1215, 495, Align::Center),
    panelLabel("Label26", "", 9240, 5280, 975, 735),
    panelLabel("Label19", "", 10080, 5280, 1215, 495, Align::Center, Navy),

    // Command band: a coloured frame behind the buttons, which stand in front of it.
    {.name = "Frame1", .kind = Kind::Frame, .caption = "Opciones", .left = 360, .top = 6720, .width = 11175,
     .height = 1095, .font = Pt13, .back = Blue},
    button("cmdGuardarReg", "Guardar Registro", 480, 1215, Orange, Pt8, 9),
    button("cmdRegSiguiente", "Registro Siguiente", 1800, 1215, Orange, Pt8, 10),
    button("cmdRegAnterior", "Registro Anterior", 3120, 1215, Orange, Pt8, 11),
    button("cmdRegresar", "Regresar", 4440, 1215, Orange, Pt8, 12),
    button("Command1", "Borrar", 5760, 1215, Orange, Pt8, 13),
    button("Command3", "Procesar", 7080, 855, Red, Pt8Bold, 14),
    button("Command4", "Datos", 7920, 855, Red, Pt8Bold, 15),
    button("Command2", "IMPRIMIR", 8880, 1215, Green, Pt8, 16),
    button("cmdSalir", "Salir", 10200, 1215, Red, Pt8, 17),
};
// clang-format on

bool named(const ControlRow &c, const char *name)
{
    return std::strcmp(c.name, name) == 0;
}

} // namespace

std::vector<ControlRow> worksheetControls(const WorksheetGrade &grade)
{
    std::vector<ControlRow> controls(std::begin(WorksheetTable), std::end(WorksheetTable));
    for (ControlRow &c : controls) {
        if (named(c, "Label8")) {
            c.name = grade.titleName;
            c.caption = grade.title;
            c.left = grade.titleLeft;
            c.width = grade.titleWidth;
        } else if (named(c, "Label28")) {
            c.left = grade.dateLeft;
            c.height = grade.dateHeight;
        } else if (named(c, "Option1") || named(c, "Option2")) {
            c.back = grade.background;
        } else if (named(c, "Image1")) {
            c.picture = grade.photograph;
        }
    }
    return controls;
}

FormTable worksheetForm(const WorksheetGrade &grade, const std::vector<ControlRow> &controls)
{
    return {.name = grade.formName,
            .caption = grade.caption,
            // Restored from its maximised opening, the window still holds every control.
            .clientWidth = WorksheetExtentWidth,
            .clientHeight = WorksheetExtentHeight,
            .background = grade.background,
            .placement = Placement::Maximized,
            .keyPreview = true,
            .controls = controls};
}

} // namespace merlox2
