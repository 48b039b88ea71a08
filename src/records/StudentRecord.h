#pragma once

#include "common/Result.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <array>
#include <cstddef>

namespace merlox2 {

// One student: fifteen fixed-width fields, 130 characters, kept as the 130 bytes they occupy in
// a grade file (Windows-1252), so that every byte read from a file is written back unchanged.
class StudentRecord {
public:
    enum Field {
        Nombre,
        Edad,
        Resistencia,
        Velocidad,
        Lagartijas,
        Abdominales,
        Sentadillas,
        Reservado1,
        Reservado2,
        Reservado3,
        Reservado4,
        Reservado5,
        Reservado6,
        Reservado7,
        Reservado8,
    };
    static constexpr int FieldCount = 15;
    static constexpr int BoxFieldCount = 7; // the fields shown in the worksheet's text boxes
    static constexpr int Size = 130;

    static constexpr int width(Field field) { return field == Nombre ? 30 : field <= Sentadillas ? 10 : 5; }
    static int offset(Field field);

    // A field never stored into holds NUL characters.
    StudentRecord() = default;

    // The field at its full width, trailing blanks (and NULs) included.
    QString field(Field field) const;

    // Placed from the left, filled with blanks or cut to the width, counted in characters. Text with a
    // character the file can't hold leaves the field as it was (see Windows1252::encode).
    Result<void> setField(Field field, QStringView text);

    QByteArray bytes() const;
    const char *data() const { return m_bytes.data(); }
    // Exactly Size bytes are taken; a shorter view leaves the rest NUL.
    static StudentRecord fromBytes(QByteArrayView bytes);

    friend bool operator==(const StudentRecord &, const StudentRecord &) = default;

private:
    std::array<char, Size> m_bytes{};
};

} // namespace merlox2
