#pragma once

#include "forms/FormLayout.h"

class QLineEdit;

namespace merlox2 {

class BandFrame;
class DocumentIcon;
class FaceButton;
class FormLabel;
class ImageBox;

// The controls of each screen, one member per row of its layout table, in the table's order.
struct AccessControls {
    FormLabel *Label1;
    ImageBox *Image1;
    FormLabel *Label5, *Label2, *Label3;
    QLineEdit *Text1;
    FormLabel *Label4;
    FaceButton *Command1, *Command2;
};

struct TitleControls {
    FormLabel *Label2, *Label1;
    ImageBox *Image3, *Image1, *Image2, *Image4;
    BandFrame *Frame1;
    FaceButton *Command1, *Command4, *Command2, *Command3;
};

struct MenuControls {
    FormLabel *Label1, *Label2;
    ImageBox *Image1, *Image2;
    FaceButton *Command1, *Command2, *Command3, *Command4;
};

// metodologia and formato.
struct DocumentControls {
    FormLabel *Label1;
    DocumentIcon *OLE1;
    FormLabel *Label2;
    FaceButton *Command1;
};

// The layouts of the access screen, the title screen, the grade menu and the two document screens.
extern const FormTable AccessLayout;      // CLAVESEC
extern const FormTable TitleLayout;       // empezar
extern const FormTable MenuLayout;        // MENU
extern const FormTable MethodologyLayout; // metodologia
extern const FormTable FormatLayout;      // formato

} // namespace merlox2
