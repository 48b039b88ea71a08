#include "records/Windows1252.h"

#include <array>

namespace merlox2::Windows1252 {

namespace {

// Bytes 0x80 to 0x9F; every other byte is the Latin-1 character of the same value. The five bytes
// the code page leaves undefined keep their C1 control, so that a file's bytes all survive a load
// and a store.
constexpr std::array<char16_t, 32> HighBlock = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 0x98
};

constexpr std::array<char16_t, 256> ByteToChar = [] {
    std::array<char16_t, 256> table{};
    for (std::size_t byte = 0; byte < table.size(); ++byte)
        table[byte] = byte >= 0x80 && byte <= 0x9F ? HighBlock[byte - 0x80] : char16_t(byte);
    return table;
}();

} // namespace

QChar toChar(unsigned char byte) { return {ByteToChar[byte]}; }

std::optional<unsigned char> fromCodePoint(char32_t codePoint)
{
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
        return static_cast<unsigned char>(codePoint);
    // Only 32 candidates, and names rarely hold any of them.
    for (std::size_t i = 0; i < HighBlock.size(); ++i) {
        if (HighBlock[i] == codePoint)
            return static_cast<unsigned char>(0x80 + i);
    }
    return std::nullopt;
}

bool canEncode(char32_t codePoint) { return fromCodePoint(codePoint).has_value(); }

QString decode(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char byte : bytes)
        *out++ = toChar(static_cast<unsigned char>(byte));
    return text;
}

Result<QByteArray> encode(QStringView text)
{
    QByteArray bytes(text.size(), Qt::Uninitialized); // never more bytes than UTF-16 units
    char *out = bytes.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype start = i;
        const char16_t unit = text[i].unicode();
        char32_t codePoint = unit;
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            codePoint = QChar::surrogateToUcs4(unit, text[++i].unicode());
        // A lone surrogate falls through as a code point the code page lacks.
        const std::optional<unsigned char> byte = fromCodePoint(codePoint);
        if (!byte) {
            return Error{.action = Action::SaveGradeFile,
                         .cause = Cause::Unstorable,
                         .detail = text.sliced(start, i + 1 - start).toString()};
        }
        *out++ = static_cast<char>(*byte);
    }
    bytes.truncate(out - bytes.data());
    return bytes;
}

} // namespace merlox2::Windows1252
