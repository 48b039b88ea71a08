#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

class QApplication;

namespace merlox2 {

// What every run of the screens needs first, for the program and its GUI tests alike: the substitute
// for the screens' font, the style, the application's name and icon.
void initializePlatform(QApplication &app);

// The screens' texts at a size: the family "MS Sans Serif" (on Windows the outline font that stands in
// for it) and its hinting, as initializePlatform() chose them.
QFont screensFont(qreal pointSize);

struct ScreensFontChoice {
    QString family;
    QFont::HintingPreference hinting = QFont::PreferDefaultHinting;
};

// The screens' font on Windows, from the families the system has: Microsoft Sans Serif, the outline
// font of the layouts, hinted as Windows hints it; where it is missing (Wine), Liberation Sans or
// Arial, which keep its widths, else the system's own font. A stand-in is hinted only vertically, as
// Linux hints it: under Wine, full hinting of Liberation Sans at 11 pixels loses the capital I.
ScreensFontChoice chooseWindowsScreensFont(const QStringList &families, const QString &systemFamily);

} // namespace merlox2
