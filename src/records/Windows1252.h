#pragma once

#include "common/Result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QChar>
#include <QString>
#include <QStringView>

#include <optional>

namespace merlox2::Windows1252 {

// One byte per character, and every one of the 256 byte values round-trips: the five bytes that
// Windows-1252 leaves undefined (0x81 0x8D 0x8F 0x90 0x9D) map to the C1 controls of the same value.
QChar toChar(unsigned char byte);

// The byte for one code point; nothing for a character the code page can't hold.
std::optional<unsigned char> fromCodePoint(char32_t codePoint);

// Whether the code page holds this character, so that it survives a store and a load.
bool canEncode(char32_t codePoint);

QString decode(QByteArrayView bytes);

// One byte per code point. Text with a character the code page can't hold is not encoded at all (no
// character ever turns into '?', which would garble a name without a word): the error's cause is
// Cause::Unstorable, with that character in Error::detail (a character outside the BMP whole).
Result<QByteArray> encode(QStringView text);

} // namespace merlox2::Windows1252
