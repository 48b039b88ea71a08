#include "screens/ShellLayouts.h"

#include "forms/Controls.h"

#include <QLineEdit>

namespace merlox2 {

namespace {

using namespace colours;
using namespace fonts;
using A = AccessControls;
using T = TitleControls;
using M = MenuControls;
using D = DocumentControls;

// clang-format off
constexpr ControlRow AccessRows[] = {
    {.member = member<&A::Label1>, .caption = "BIENVENIDO",
     .left = 840, .top = 120, .width = 3135, .height = 555,
     .font = Pt24, .fore = Yellow, .align = Align::Center, .autoSize = true},
    {.member = member<&A::Image1>,
     .left = 720, .top = 600, .width = 480, .height = 480, .picture = ":/icons/access.ico"},
    {.member = member<&A::Label5>, .caption = "MERLOX2",
     .left = 960, .top = 600, .width = 2775, .height = 615, .font = Pt24, .align = Align::Center},
    {.member = member<&A::Label2>, .caption = "Dar la clave por favor",
     .left = 840, .top = 1200, .width = 2985, .height = 360,
     .font = Pt13, .fore = Orange, .align = Align::Center, .autoSize = true},
    {.member = member<&A::Label3>, .caption = "USUARIO",
     .left = 840, .top = 1800, .width = 1035, .height = 240, .font = Pt9, .autoSize = true},
    {.member = member<&A::Text1>,
     .left = 1920, .top = 1680, .width = 1335, .height = 375,
     .font = Pt12, .fore = BrightGreen, .back = Blue, .tabIndex = 1},
    {.member = member<&A::Label4>,
     .left = 840, .top = 2160, .width = 2895, .height = 495,
     .font = Pt13, .fore = BrightGreen, .back = Blue, .align = Align::Center, .border = true},
    {.member = member<&A::Command1>, .caption = "ENTRAR",
     .left = 480, .top = 2760, .width = 1335, .height = 375, .font = Pt8, .back = Orange, .tabIndex = 2},
    {.member = member<&A::Command2>, .caption = "SALIR",
     .left = 2760, .top = 2760, .width = 1335, .height = 375, .font = Pt8, .back = Red, .tabIndex = 3},
};

constexpr ControlRow TitleRows[] = {
    {.member = member<&T::Label2>, .caption = "MERLOX",
     .left = 480, .top = 120, .width = 11415, .height = 615, .font = Pt18, .fore = Olive},
    {.member = member<&T::Label1>, .caption = "MERLOX2",
     .left = 5040, .top = 720, .width = 1815, .height = 555,
     .font = Pt24, .fore = Yellow, .align = Align::Center, .autoSize = true},
    {.member = member<&T::Image3>,
     .left = 720, .top = 1320, .width = 3945, .height = 6075, .border = true, .picture = ":/pictures/title_image3.jpg"},
    {.member = member<&T::Image1>,
     .left = 4560, .top = 1320, .width = 2820, .height = 3165,
     .border = true, .stretch = true, .picture = ":/pictures/title_image1.jpg"},
    {.member = member<&T::Image2>,
     .left = 4560, .top = 4440, .width = 2820, .height = 2985,
     .border = true, .stretch = true, .picture = ":/pictures/title_image2.jpg"},
    {.member = member<&T::Image4>,
     .left = 7320, .top = 1320, .width = 4005, .height = 6045,
     .border = true, .stretch = true, .picture = ":/pictures/title_image4.jpg"},
    {.member = member<&T::Frame1>, .caption = "MENU",
     .left = 720, .top = 7320, .width = 10575, .height = 975, .font = Pt13BoldItalic, .back = Orange},
    {.member = member<&T::Command1>, .caption = "ENTRAR",
     .left = 1440, .top = 7680, .width = 1935, .height = 495, .font = Pt12, .back = Yellow, .tabIndex = 3},
    {.member = member<&T::Command4>, .caption = "FORMATO",
     .left = 3720, .top = 7680, .width = 1935, .height = 495, .font = Pt12, .back = Yellow, .tabIndex = 4},
    {.member = member<&T::Command2>, .caption = "METODOLOGIA",
     .left = 6000, .top = 7680, .width = 2175, .height = 495, .font = Pt12, .back = Yellow, .tabIndex = 5},
    {.member = member<&T::Command3>, .caption = "SALIR",
     .left = 8520, .top = 7680, .width = 1935, .height = 495, .font = Pt12, .back = Red, .tabIndex = 6},
};

constexpr ControlRow MenuRows[] = {
    {.member = member<&M::Label1>, .caption = "MENU",
     .left = 1650, .top = 120, .width = 1515, .height = 555,
     .font = Pt24, .back = Orange, .align = Align::Center, .autoSize = true},
    {.member = member<&M::Label2>,
     .caption = "Elija el grado escolar que desee procesar",
     .left = 360, .top = 720, .width = 4425, .height = 240, .font = Pt9, .align = Align::Center, .autoSize = true},
    {.member = member<&M::Image1>,
     .left = 840, .top = 1080, .width = 2100, .height = 600, .picture = ":/pictures/menu_image1.gif"},
    {.member = member<&M::Image2>,
     .left = 240, .top = 1680, .width = 3090, .height = 2115, .stretch = true, .picture = ":/pictures/menu_image2.gif"},
    {.member = member<&M::Command1>, .caption = "1º GRADO",
     .left = 3720, .top = 1080, .width = 1215, .height = 495, .font = Pt9, .back = Green, .tabIndex = 1},
    {.member = member<&M::Command2>, .caption = "2º GRADO",
     .left = 3720, .top = 1800, .width = 1215, .height = 495, .font = Pt9, .back = Green, .tabIndex = 2},
    {.member = member<&M::Command3>, .caption = "3º GRADO",
     .left = 3720, .top = 2520, .width = 1215, .height = 495, .font = Pt9, .back = Green, .tabIndex = 3},
    {.member = member<&M::Command4>, .caption = "SALIR",
     .left = 3720, .top = 3240, .width = 1215, .height = 495, .font = Pt9, .back = Red, .tabIndex = 4},
};

constexpr ControlRow MethodologyRows[] = {
    {.member = member<&D::Label1>, .caption = "METODOLOGIA",
     .left = 600, .top = 120, .width = 3975, .height = 615, .font = Pt24},
    {.member = member<&D::OLE1>, .caption = "Metodología",
     .left = 1920, .top = 960, .width = 1215, .height = 855,
     .back = LightOrange, .picture = ":/documents/metodologia.rtf"},
    {.member = member<&D::Label2>,
     .caption = "Dar dos clicks con el mouse sobre el icono documento para ver las indicaciones",
     .left = 240, .top = 1920, .width = 4575, .height = 735, .font = Pt9, .align = Align::Center, .wordWrap = true},
    {.member = member<&D::Command1>, .caption = "SALIR",
     .left = 1920, .top = 2760, .width = 1215, .height = 495, .font = Pt8, .back = Red, .tabIndex = 1},
};

constexpr ControlRow FormatRows[] = {
    {.member = member<&D::Label1>, .caption = "FORMATO",
     .left = 360, .top = 120, .width = 3975, .height = 735, .font = Pt24, .align = Align::Center},
    {.member = member<&D::OLE1>, .caption = "Formato",
     .left = 1680, .top = 960, .width = 1215, .height = 735, .back = LightOrange, .picture = ":/documents/formato.rtf"},
    {.member = member<&D::Label2>,
     .caption = "Dar dos clicks sobre el icono de documento para ver el formato de llenado",
     .left = 240, .top = 1800, .width = 4335, .height = 495, .font = Pt9, .align = Align::Center, .wordWrap = true},
    {.member = member<&D::Command1>, .caption = "SALIR",
     .left = 1680, .top = 2400, .width = 1215, .height = 495, .font = Pt8, .back = Red, .tabIndex = 1},
};
// clang-format on

static_assert(fillsEachMemberOnce<AccessControls>(AccessRows));
static_assert(fillsEachMemberOnce<TitleControls>(TitleRows));
static_assert(fillsEachMemberOnce<MenuControls>(MenuRows));
static_assert(fillsEachMemberOnce<DocumentControls>(MethodologyRows));
static_assert(fillsEachMemberOnce<DocumentControls>(FormatRows));

} // namespace

const FormTable AccessLayout{.name = "CLAVESEC",
                             .caption = "MERLOX 2 EDUC. FISICA SECUNDARIA",
                             .clientWidth = 4680,
                             .clientHeight = 3195,
                             .background = Blue,
                             .placement = Placement::AtScreenPosition,
                             .screenLeft = 3570,
                             .screenTop = 2625,
                             .keyPreview = true,
                             .controls = AccessRows};

const FormTable TitleLayout{.name = "empezar",
                            .caption = "MERLOX 2 SECUNDARIA",
                            .clientWidth = 11895,
                            .clientHeight = 8415,
                            .background = DarkBlue,
                            .placement = Placement::Maximized,
                            .keyPreview = true,
                            .controls = TitleRows};

const FormTable MenuLayout{.name = "MENU",
                           .caption = "MERLOX2 MENU",
                           .clientWidth = 5310,
                           .clientHeight = 3855,
                           .background = Orange,
                           .autoDefaultButtons = true,
                           .controls = MenuRows};

const FormTable MethodologyLayout{.name = "metodologia",
                                  .caption = "MERLOX 2 SECUNDARIA",
                                  .clientWidth = 5055,
                                  .clientHeight = 3525,
                                  .background = Orange,
                                  .autoDefaultButtons = true,
                                  .controls = MethodologyRows};

const FormTable FormatLayout{.name = "formato",
                             .caption = "MERLOX 2 SECUNDARIA",
                             .clientWidth = 4680,
                             .clientHeight = 3195,
                             .background = Orange,
                             .autoDefaultButtons = true,
                             .controls = FormatRows};

} // namespace merlox2
