#include "records/Windows1252.h"

#include <QSet>
#include <QStringDecoder>
#include <QTest>

using namespace Qt::StringLiterals;

namespace merlox2 {

class TestWindows1252 : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyByteRoundTrips();
    void encode_data();
    void encode();
};

void TestWindows1252::everyByteRoundTrips()
{
    QByteArray all(256, Qt::Uninitialized);
    for (int byte = 0; byte < 256; ++byte)
        all[byte] = char(byte);

    const QString text = Windows1252::decode(all);
    QCOMPARE(text.size(), 256);
    QCOMPARE(QSet<QChar>(text.cbegin(), text.cend()).size(), 256); // no two bytes share a character
    QCOMPARE(Windows1252::encode(text).value(), all);
    // An independent table where Qt has ICU's codecs; ICU also keeps the undefined bytes as C1 controls.
    if (QStringDecoder windows1252("windows-1252"); windows1252.isValid())
        QCOMPARE(text, windows1252.decode(all));
}

void TestWindows1252::encode_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("unstorable"); // the character the failure names; empty when encoded

    QTest::newRow("ñ Ñ é take one byte each") << u"ñÑé"_s << "\xF1\xD1\xE9"_ba << QString();
    QTest::newRow("euro sign and Ÿ, ends of the high block") << u"€Ÿ"_s << "\x80\x9F"_ba << QString();
    QTest::newRow("the five undefined bytes keep their C1 controls")
        << u"\u0081\u008D\u008F\u0090\u009D"_s << "\x81\x8D\x8F\x90\x9D"_ba << QString();
    QTest::newRow("NUL, no-break space and ÿ keep their value")
        << u"\0\u00A0ÿ"_s << "\0\xA0\xFF"_ba << QString();
    QTest::newRow("a question mark of its own is kept") << u"¿Sí?"_s << "\xBFS\xED?"_ba << QString();
    // Refused whole, never a '?' in its place.
    QTest::newRow("C1 control whose byte holds the euro sign") << u"\u0080"_s << QByteArray() << u"\u0080"_s;
    QTest::newRow("Latin letter outside the code page") << u"Łukasz"_s << QByteArray() << u"Ł"_s;
    QTest::newRow("character outside the BMP is named whole") << u"a😀b"_s << QByteArray() << u"😀"_s;
    QTest::newRow("the first of two is named") << u"Ana 😀 李"_s << QByteArray() << u"😀"_s;
    QTest::newRow("lone high surrogate")
        << QString(QChar(0xD83D)) + u"x"_s << QByteArray() << QString(QChar(0xD83D));
    QTest::newRow("lone low surrogate") << u"x"_s + QChar(0xDE00) << QByteArray() << QString(QChar(0xDE00));
}

void TestWindows1252::encode()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, unstorable);

    const Result<QByteArray> encoded = Windows1252::encode(text);
    if (!unstorable.isEmpty()) {
        QVERIFY(!encoded);
        QCOMPARE(encoded.error().cause, Cause::Unstorable);
        QCOMPARE(encoded.error().detail, unstorable);
        return;
    }
    QVERIFY(encoded);
    QCOMPARE(encoded.value(), bytes);
    QCOMPARE(Windows1252::decode(bytes), text);
}

} // namespace merlox2

QTEST_APPLESS_MAIN(merlox2::TestWindows1252)
#include "TestWindows1252.moc"
