#pragma once

class QApplication;
class QString;

namespace merlox2 {

// What every run of the screens needs first, for the program and its GUI tests alike: the substitute
// for the screens' font, the style, the application's name and icon.
void initializePlatform(QApplication &app);

// The family the screens' texts ask for ("MS Sans Serif", or on Windows the outline font that stands in
// for it), chosen by initializePlatform().
const QString &screensFontFamily();

} // namespace merlox2
