#pragma once

#include "platform/FormLayout.h"

namespace merlox2 {

// The layouts of the access screen, the title screen, the grade menu and the two document screens.
extern const FormSpec AccessLayout;      // CLAVESEC
extern const FormSpec TitleLayout;       // empezar
extern const FormSpec MenuLayout;        // MENU
extern const FormSpec MethodologyLayout; // metodologia
extern const FormSpec FormatLayout;      // formato

} // namespace merlox2
