#pragma once

#include "forms/ScreenRegistry.h"

namespace merlox2 {

// The program's screens. Every one is opened through the registry; there is no other way to name one.
enum class Screen { Access, Title, Menu, Methodology, Format, Worksheet1, Worksheet2, Worksheet3 };

// The worksheet of grade 1 to 3.
constexpr Screen worksheetScreen(int grade) { return Screen(int(Screen::Worksheet1) + grade - 1); }

using Screens = ScreenRegistryOf<Screen>;

} // namespace merlox2
