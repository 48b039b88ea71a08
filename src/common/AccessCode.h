#pragma once

#include <QString>
#include <QStringView>

namespace merlox2 {

// The code that stands in front of everything the program shows: the access screen asks for it, and so
// does the reports window when it is opened alone. Exactly these digits, no blanks, no limit on attempts.
inline constexpr QStringView AccessCode = u"418357";

inline bool isAccessCode(QStringView typed) { return typed == AccessCode; }

// What a wrong code is told, in the access screen and the reports window alike (the leading blank is the
// access screen's own).
inline QString wrongAccessCodeText() { return QStringLiteral(" Dar la clave correcta por favor"); }

} // namespace merlox2
