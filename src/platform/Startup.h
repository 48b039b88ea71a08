#pragma once

class QApplication;

namespace merlox2 {

// What every run of the screens needs first, for the program and its GUI tests alike: the substitute
// for the screens' font, the style, the application's name and icon.
void initializePlatform(QApplication &app);

} // namespace merlox2
