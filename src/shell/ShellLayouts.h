#pragma once

#include "platform/FormLayout.h"

namespace merlox2 {

// The layouts of the access screen, the title screen, the grade menu and the two document screens.
extern const FormTable AccessLayout;      // CLAVESEC
extern const FormTable TitleLayout;       // empezar
extern const FormTable MenuLayout;        // MENU
extern const FormTable MethodologyLayout; // metodologia
extern const FormTable FormatLayout;      // formato

} // namespace merlox2
