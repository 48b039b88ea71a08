#include "screens/WorksheetLayout.h"

#include "forms/Controls.h"

#include <QLineEdit>

#include <algorithm>

namespace merlox2 {

namespace {

using namespace colours;
using namespace fonts;
using W = WorksheetControls;

// clang-format off
// Row makers for the kinds of control the table repeats, wrapped as the rows are.

// Lines: left/top are the first end point, width/height the second.
constexpr ControlRow line(const char *name, int x1, int y1, int x2, int y2, int width, QRgb colour)
{
    return {.member = decoration<LineWidget>, .name = name,
            .left = x1, .top = y1, .width = x2, .height = y2, .fore = colour, .lineWidth = width};
}

constexpr ControlRow caption(ControlMember m, const char *text, int top, int width,
                             ControlMember buddy = {})
{
    return {.member = m, .caption = text,
            .left = 480, .top = top, .width = width, .height = 495, .font = Pt13, .buddy = buddy};
}

constexpr ControlRow box(ControlMember m, int top, int width, int tabIndex)
{
    return {.member = m,
            .left = 2520, .top = top, .width = width, .height = 495, .font = Pt13, .back = White, .tabIndex = tabIndex};
}

constexpr ControlRow panelLabel(ControlMember m, const char *text, int left, int top, int width,
                                int height, Align align = Align::Left, QRgb fore = NoColour)
{
    return {.member = m, .caption = text,
            .left = left, .top = top, .width = width, .height = height, .font = Pt13, .fore = fore, .align = align};
}

constexpr ControlRow levelLabel(ControlMember m, int top)
{
    return {.member = m,
            .left = 9240, .top = top, .width = 105, .height = 360, .font = Pt13, .autoSize = true};
}

constexpr ControlRow button(ControlMember m, const char *text, int left, int width, QRgb face,
                            FontRow font, int tabIndex)
{
    return {.member = m, .caption = text,
            .left = left, .top = 7200, .width = width, .height = 495, .font = font, .back = face, .tabIndex = tabIndex};
}

constexpr ControlRow WorksheetTable[] = {
    // Heading and record number. Label8, Label28 and the options take their grade's values below.
    {.member = member<&W::Label8>, .caption = "",
     .left = 3120, .top = 360, .width = 5895, .height = 555,
     .font = Pt24, .fore = Navy, .align = Align::Center, .autoSize = true},
    {.member = member<&W::Label10>, .caption = "REGISTRO Nº",
     .left = 240, .top = 480, .width = 1935, .height = 300,
     .font = Pt12BoldItalic, .align = Align::Center, .autoSize = true},
    {.member = member<&W::Label9>,
     .left = 480, .top = 840, .width = 1455, .height = 495, .font = Pt13, .align = Align::Center, .border = true},
    {.member = decoration<ImageBox>, .name = "Image2",
     .left = 9240, .top = 480, .width = 2100, .height = 705, .picture = ":/pictures/worksheet_badge.gif"},
    {.member = member<&W::Label28>,
     .left = 9960, .top = 1080, .width = 1935, .height = 255, .font = Pt12},

    // Outer frame of the body.
    line("Line18", 360, 1440, 11520, 1440, 4, Black),
    line("Line20", 360, 6600, 11520, 6600, 4, Black),
    line("Line17", 360, 1440, 360, 6600, 4, Black),
    line("Line19", 11520, 1440, 11520, 6600, 4, Black),
    line("Line21", 2400, 1440, 2400, 6600, 2, Black),

    // Data-entry block.
    caption(member<&W::Label1>, "Nombre", 1680, 1215, member<&W::txtNombre>),
    box(member<&W::txtNombre>, 1680, 3855, 0),
    caption(member<&W::Label2>, "Edad", 2280, 1215, member<&W::txtedad>),
    box(member<&W::txtedad>, 2280, 1215, 1),
    caption(member<&W::Label3>, "Resistencia", 2880, 1935, member<&W::txtresistencia>),
    box(member<&W::txtresistencia>, 2880, 1215, 2),
    caption(member<&W::Label4>, "Velocidad", 3480, 1575, member<&W::txtvelocidad>),
    box(member<&W::txtvelocidad>, 3480, 1215, 3),
    caption(member<&W::Label5>, "Lagartijas", 4080, 1575, member<&W::txtlagartijas>),
    box(member<&W::txtlagartijas>, 4080, 1215, 4),
    caption(member<&W::Label6>, "Abdominales", 4680, 1815, member<&W::txtabdominales>),
    box(member<&W::txtabdominales>, 4680, 1215, 5),
    caption(member<&W::Label7>, "Sentadillas", 5280, 1815, member<&W::txtsentadillas>),
    box(member<&W::txtsentadillas>, 5280, 1215, 6),
    caption(member<&W::Label27>, "Sexo", 5880, 1215),
    {.member = member<&W::Option1>, .caption = "Hombre",
     .left = 2520, .top = 5760, .width = 1215, .height = 375, .font = Pt9, .tabIndex = 7},
    {.member = member<&W::Option2>, .caption = "Mujer",
     .left = 2520, .top = 6120, .width = 1215, .height = 375, .font = Pt9, .tabIndex = 8},

    // The photograph, stretched into its box whatever its size.
    {.member = member<&W::Image1>,
     .left = 3840, .top = 2280, .width = 2520, .height = 4185, .stretch = true},

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
    {.member = member<&W::Label22>, .caption = "EVALUACION INDIVIDUAL",
     .left = 7200, .top = 1680, .width = 3765, .height = 360,
     .font = Pt13, .fore = Navy, .align = Align::Center, .autoSize = true},
    panelLabel(member<&W::Label21>, "CAPACIDADES", 6600, 2280, 2415, 375, Align::Center),
    panelLabel(member<&W::Label14>, "NIVEL Y %", 9240, 2280, 1695, 495, Align::Center),
    panelLabel(member<&W::Label15>, "RESISTENCIA", 6720, 3000, 2175, 495),
    panelLabel(member<&W::Label16>, "VELOCIDAD", 6840, 3720, 1935, 495),
    panelLabel(member<&W::Label17>, "FUERZA", 7080, 4440, 1455, 495),
    {.member = member<&W::Label18>, .caption = "NIVEL PROMEDIO",
     .left = 6720, .top = 5160, .width = 2175, .height = 855, .font = Pt13, .align = Align::Center, .wordWrap = true},
    panelLabel(member<&W::Label20>, "%", 11040, 5280, 615, 495),

    // The result panel: level left, percentage right.
    levelLabel(member<&W::Label23>, 3000),
    panelLabel(member<&W::Label11>, "", 10080, 3000, 1215, 495, Align::Center),
    levelLabel(member<&W::Label24>, 3720),
    panelLabel(member<&W::Label12>, "", 10080, 3720, 1215, 495, Align::Center),
    levelLabel(member<&W::Label25>, 4440),
    panelLabel(member<&W::Label13>, "", 10080, 4440, 1215, 495, Align::Center),
    panelLabel(member<&W::Label26>, "", 9240, 5280, 975, 735),
    panelLabel(member<&W::Label19>, "", 10080, 5280, 1215, 495, Align::Center, Navy),

    // Command band: a coloured frame behind the buttons, which stand in front of it.
    {.member = member<&W::Frame1>, .caption = "Opciones",
     .left = 360, .top = 6720, .width = 11175, .height = 1095, .font = Pt13, .back = Blue},
    button(member<&W::cmdGuardarReg>, "Guardar Registro", 480, 1215, Orange, Pt8, 9),
    button(member<&W::cmdRegSiguiente>, "Registro Siguiente", 1800, 1215, Orange, Pt8, 10),
    button(member<&W::cmdRegAnterior>, "Registro Anterior", 3120, 1215, Orange, Pt8, 11),
    button(member<&W::cmdRegresar>, "Regresar", 4440, 1215, Orange, Pt8, 12),
    button(member<&W::Command1>, "Borrar", 5760, 1215, Orange, Pt8, 13),
    button(member<&W::Command3>, "Procesar", 7080, 855, Red, Pt8Bold, 14),
    button(member<&W::Command4>, "Datos", 7920, 855, Red, Pt8Bold, 15),
    button(member<&W::Command2>, "IMPRIMIR", 8880, 1215, Green, Pt8, 16),
    button(member<&W::cmdSalir>, "Salir", 10200, 1215, Red, Pt8, 17),
};
// clang-format on

static_assert(fillsEachMemberOnce<WorksheetControls>(WorksheetTable));

// What a grade changes in the shared table: the row, by its member, and the fields that differ.
struct GradeOverride {
    ControlMember member;
    void (*apply)(ControlRow &row, const WorksheetGrade &grade) = nullptr;
};

constexpr GradeOverride GradeOverrides[] = {
    {member<&W::Label8>,
     [](ControlRow &c, const WorksheetGrade &g) {
         c.name = g.titleName;
         c.caption = g.title;
         c.left = g.titleLeft;
         c.width = g.titleWidth;
     }},
    {member<&W::Label28>,
     [](ControlRow &c, const WorksheetGrade &g) {
         c.left = g.dateLeft;
         c.height = g.dateHeight;
     }},
    {member<&W::Option1>, [](ControlRow &c, const WorksheetGrade &g) { c.back = g.background; }},
    {member<&W::Option2>, [](ControlRow &c, const WorksheetGrade &g) { c.back = g.background; }},
    {member<&W::Image1>, [](ControlRow &c, const WorksheetGrade &g) { c.picture = g.photograph; }},
};

constexpr const ControlRow *rowOf(ControlMember m)
{
    for (const ControlRow &c : WorksheetTable) {
        if (c.member == m)
            return &c;
    }
    return nullptr;
}

static_assert(std::ranges::all_of(GradeOverrides, [](const GradeOverride &o) { return rowOf(o.member); }),
              "every override names a row of the table");

} // namespace

std::vector<ControlRow> worksheetControls(const WorksheetGrade &grade)
{
    std::vector<ControlRow> controls(std::begin(WorksheetTable), std::end(WorksheetTable));
    for (const GradeOverride &o : GradeOverrides)
        o.apply(controls[std::size_t(rowOf(o.member) - std::begin(WorksheetTable))], grade);
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
