#include "records/Windows1252.h"

#include <QSet>
#include <QTest>

using namespace Qt::StringLiterals;

namespace merlox2 {

class TestWindows1252 : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyByteRoundTrips();
    void knownCharacters_data();
    void knownCharacters();
    void unrepresentableText_data();
    void unrepresentableText();
};

void TestWindows1252::everyByteRoundTrips()
{
    QByteArray all(256, Qt::Uninitialized);
    for (int byte = 0; byte < 256; ++byte)
        all[byte] = char(byte);

    const QString text = Windows1252::decode(all);
    QCOMPARE(text.size(), 256);
    QCOMPARE(QSet<QChar>(text.cbegin(), text.cend()).size(), 256); // no two bytes share a character
    QCOMPARE(Windows1252::encode(text), all);
}

void TestWindows1252::knownCharacters_data()
{
    QTest::addColumn<char32_t>("codePoint");
    QTest::addColumn<int>("byte");

    QTest::newRow("NUL of a never-stored field") << U'\0' << 0x00;
    QTest::newRow("blank") << U' ' << 0x20;
    QTest::newRow("ñ") << U'ñ' << 0xF1;
    QTest::newRow("Ñ") << U'Ñ' << 0xD1;
    QTest::newRow("é") << U'é' << 0xE9;
    QTest::newRow("ü") << U'ü' << 0xFC;
    QTest::newRow("euro sign") << U'€' << 0x80;
    QTest::newRow("left double quote") << U'“' << 0x93;
    QTest::newRow("trade mark") << U'™' << 0x99;
    QTest::newRow("Y with diaeresis, last of the high block") << U'Ÿ' << 0x9F;
    QTest::newRow("undefined 0x81 keeps its C1 control") << U'\u0081' << 0x81;
    QTest::newRow("undefined 0x8D keeps its C1 control") << U'\u008D' << 0x8D;
    QTest::newRow("undefined 0x8F keeps its C1 control") << U'\u008F' << 0x8F;
    QTest::newRow("undefined 0x90 keeps its C1 control") << U'\u0090' << 0x90;
    QTest::newRow("undefined 0x9D keeps its C1 control") << U'\u009D' << 0x9D;
    QTest::newRow("non-breaking space") << U'\u00A0' << 0xA0;
    QTest::newRow("ÿ") << U'ÿ' << 0xFF;
}

void TestWindows1252::knownCharacters()
{
    QFETCH(char32_t, codePoint);
    QFETCH(int, byte);

    QCOMPARE(uint(Windows1252::toChar(static_cast<unsigned char>(byte)).unicode()), uint(codePoint));
    QCOMPARE(int(Windows1252::fromCodePoint(codePoint)), byte);
}

void TestWindows1252::unrepresentableText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("C1 control whose byte holds the euro sign") << u"\u0080"_s << "?"_ba;
    QTest::newRow("Latin letter outside the code page") << u"Łukasz"_s << "?ukasz"_ba;
    QTest::newRow("CJK character") << u"中"_s << "?"_ba;
    QTest::newRow("character outside the BMP is one character") << u"a😀b"_s << "a?b"_ba;
    QTest::newRow("two characters outside the BMP") << u"😀😀"_s << "??"_ba;
    QTest::newRow("lone high surrogate") << QString(QChar(0xD83D)) + u"x"_s << "?x"_ba;
    QTest::newRow("lone low surrogate") << u"x"_s + QChar(0xDE00) << "x?"_ba;
}

void TestWindows1252::unrepresentableText()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);

    QCOMPARE(Windows1252::encode(text), bytes);
}

} // namespace merlox2

QTEST_APPLESS_MAIN(merlox2::TestWindows1252)
#include "TestWindows1252.moc"
