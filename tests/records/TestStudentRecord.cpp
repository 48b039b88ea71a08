#include "records/StudentRecord.h"

#include "records/Windows1252.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace merlox2 {

class TestStudentRecord : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fieldLiesAtItsPlace_data();
    void fieldLiesAtItsPlace();
    void storingText_data();
    void storingText();
    void neverStoredBytesAreNul();
};

namespace {

// Every byte different from its neighbours and from blank and NUL, so a stray write shows.
QByteArray patternRecord()
{
    QByteArray bytes(StudentRecord::Size, Qt::Uninitialized);
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char(0x80 + i);
    return bytes;
}

} // namespace

void TestStudentRecord::fieldLiesAtItsPlace_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("width");

    const std::pair<const char *, int> fields[] = {
        {"Nombre", 30},      {"Edad", 10},        {"Resistencia", 10}, {"Velocidad", 10}, {"Lagartijas", 10},
        {"Abdominales", 10}, {"Sentadillas", 10}, {"Reservado1", 5},   {"Reservado2", 5}, {"Reservado3", 5},
        {"Reservado4", 5},   {"Reservado5", 5},   {"Reservado6", 5},   {"Reservado7", 5}, {"Reservado8", 5},
    };
    int offset = 0;
    for (int field = 0; field < StudentRecord::FieldCount; ++field) {
        const auto [name, width] = fields[field];
        QTest::addRow("%s at %d, %d wide", name, offset, width) << field << offset << width;
        offset += width;
    }
}

void TestStudentRecord::fieldLiesAtItsPlace()
{
    QFETCH(int, field);
    QFETCH(int, offset);
    QFETCH(int, width);

    StudentRecord record = StudentRecord::fromBytes(patternRecord());
    QVERIFY(record.setField(StudentRecord::Field(field), u"X"_s));

    QByteArray expected = patternRecord();
    expected.replace(offset, width, "X" + QByteArray(width - 1, ' '));
    QCOMPARE(record.bytes(), expected);
    QCOMPARE(record.field(StudentRecord::Field(field)), u"X"_s + QString(width - 1, u' '));
}

void TestStudentRecord::storingText_data()
{
    QTest::addColumn<StudentRecord::Field>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("stored");

    QTest::newRow("age 12 followed by eight blanks") << StudentRecord::Edad << u"12"_s << "12        "_ba;
    QTest::newRow("35-character name keeps its first 30")
        << StudentRecord::Nombre << u"Maximiliano Hernández Garza Olvera"_s.leftJustified(35, u'Z')
        << "Maximiliano Hern\xE1ndez Garza Ol"_ba;
    QTest::newRow("ñ and é take one byte each")
        << StudentRecord::Nombre << u"Muñoz José"_s << "Mu\xF1oz Jos\xE9"_ba + QByteArray(20, ' ');
    // Refused, the field as it was (never stored: NULs), so no '?' stands in a name.
    QTest::newRow("character outside the BMP refused")
        << StudentRecord::Nombre << u"😀"_s + QString(29, u'a') << QByteArray(30, '\0');
    QTest::newRow("unrepresentable character refused, also beyond the width")
        << StudentRecord::Sentadillas << u"25        中"_s << QByteArray(10, '\0');
    QTest::newRow("empty text gives blanks") << StudentRecord::Velocidad << QString() << QByteArray(10, ' ');
    QTest::newRow("exactly the width, nothing added")
        << StudentRecord::Lagartijas << u"1234567890"_s << "1234567890"_ba;
}

void TestStudentRecord::storingText()
{
    QFETCH(StudentRecord::Field, field);
    QFETCH(QString, text);
    QFETCH(QByteArray, stored);

    StudentRecord record;
    const Result<void> set = record.setField(field, text);

    QCOMPARE(set.ok(), !stored.startsWith('\0'));
    QCOMPARE(record.bytes().mid(StudentRecord::offset(field), StudentRecord::width(field)), stored);
    QCOMPARE(record.field(field), Windows1252::decode(stored)); // full width, trailing blanks included
}

void TestStudentRecord::neverStoredBytesAreNul()
{
    QCOMPARE(StudentRecord().field(StudentRecord::Nombre), QString(30, QChar(0)));
    QCOMPARE(StudentRecord().bytes(), QByteArray(StudentRecord::Size, '\0'));
    const QByteArray pattern = patternRecord();
    QCOMPARE(StudentRecord::fromBytes(pattern + "extra").bytes(), pattern);
    QCOMPARE(StudentRecord::fromBytes(pattern.left(70)).bytes(), pattern.left(70) + QByteArray(60, '\0'));
}

} // namespace merlox2

QTEST_APPLESS_MAIN(merlox2::TestStudentRecord)
#include "TestStudentRecord.moc"
