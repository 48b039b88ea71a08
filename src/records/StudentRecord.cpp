#include "records/StudentRecord.h"

#include "records/Windows1252.h"

#include <algorithm>

namespace merlox2 {

namespace {

constexpr std::array<int, StudentRecord::FieldCount> Offsets = [] {
    std::array<int, StudentRecord::FieldCount> offsets{};
    int next = 0;
    for (int f = 0; f < StudentRecord::FieldCount; ++f) {
        offsets[static_cast<std::size_t>(f)] = next;
        next += StudentRecord::width(static_cast<StudentRecord::Field>(f));
    }
    return offsets;
}();

static_assert(Offsets.back() + StudentRecord::width(StudentRecord::Reservado8) == StudentRecord::Size);

} // namespace

int StudentRecord::offset(Field field) { return Offsets.at(static_cast<std::size_t>(field)); }

QString StudentRecord::field(Field field) const
{
    return Windows1252::decode(QByteArrayView(m_bytes.data() + offset(field), width(field)));
}

Result<void> StudentRecord::setField(Field field, QStringView text)
{
    // One byte per code point, so the first width() bytes are the first width() characters. The whole
    // text is checked, the part beyond the width too: the teacher sees all of it in the box.
    const Result<QByteArray> result = Windows1252::encode(text);
    if (!result)
        return result.error();
    const QByteArray &encoded = result.value();
    const qsizetype stored = std::min<qsizetype>(encoded.size(), width(field));
    char *out = m_bytes.data() + offset(field);
    for (qsizetype i = 0; i < width(field); ++i)
        out[i] = i < stored ? encoded.at(i) : ' ';
    return {};
}

QByteArray StudentRecord::bytes() const { return {m_bytes.data(), Size}; }

StudentRecord StudentRecord::fromBytes(QByteArrayView bytes)
{
    StudentRecord record;
    std::copy_n(bytes.begin(), std::min<qsizetype>(bytes.size(), Size), record.m_bytes.begin());
    return record;
}

} // namespace merlox2
