#include "protocol/EntryEncoding.h"

#include <QtTest>

using namespace encoding;

namespace {

// Frames in the tables are written as spaced bytes for reading.
QByteArray hexBytes(const char* spaced)
{
    return QByteArray(spaced).replace(' ', "");
}

QString digits(int count)
{
    QString text;
    for (int i = 0; i < count; ++i)
        text += QChar(u"0123456789ABCDEF"[i % 16]);
    return text;
}

const QString fullWidthBlank = QStringLiteral("\u3000");

} // namespace

class TestEntryEncoding : public QObject
{
    Q_OBJECT

private slots:
    void verdicts_data();
    void verdicts();
    void stripSpaces_data();
    void stripSpaces();
    void byteToHexPair_data();
    void byteToHexPair();
    void byteToHexPairReadsBackForEveryByte();
    void encodeLearningEntry_data();
    void encodeLearningEntry();
    void entryNumberByteForEveryEntry();
    void progressPositions();
};

// asIs: validateHexText on the text itself; typed: the check a data box gets, spaces removed
// first, together with the message shown for it.
void TestEntryEncoding::verdicts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("asIs");
    QTest::addColumn<QString>("typed");

    const QString ok = verdictValid;
    const QString bad = verdictInvalid;
    const QString longText = verdictTooLong;
    const QString chinese = QStringLiteral("数");

    QTest::newRow("empty") << QString() << ok << ok;
    QTest::newRow("spaces only") << QStringLiteral("  ") << bad << ok;
    QTest::newRow("full-width blank only") << fullWidthBlank << bad << ok;
    QTest::newRow("lower case") << QStringLiteral("0a") << bad << bad;
    QTest::newRow("lower case letters") << QStringLiteral("abcdef") << bad << bad;
    QTest::newRow("upper case") << QStringLiteral("0A") << ok << ok;
    QTest::newRow("all digits") << QStringLiteral("0123456789ABCDEF") << ok << ok;
    QTest::newRow("letter past F") << QStringLiteral("7G") << bad << bad;
    QTest::newRow("blank between") << QStringLiteral("0A 1B") << bad << ok;
    QTest::newRow("full-width blank between") << "0A" + fullWidthBlank + "1B" << bad << ok;
    QTest::newRow("tab") << QStringLiteral("0A\t1B") << bad << bad;
    QTest::newRow("line feed") << QStringLiteral("0A\n1B") << bad << bad;
    QTest::newRow("line break") << QStringLiteral("0A\r\n1B") << bad << bad;
    QTest::newRow("odd count") << QStringLiteral("ABC") << ok << ok;
    QTest::newRow("full-width digits") << QStringLiteral("０Ａ") << bad << bad;
    QTest::newRow("chinese character") << chinese << bad << bad;
    QTest::newRow("outside the code page") << QStringLiteral("0A\U0001F600") << bad << bad;
    QTest::newRow("98 digits") << digits(98) << ok << ok;
    QTest::newRow("99 digits") << digits(99) << longText << longText;
    QTest::newRow("99 chars with G first") << "G" + digits(98) << longText << longText;
    QTest::newRow("98 digits and a blank") << digits(98) + " " << longText << ok;
    QTest::newRow("98 digits and a full-width blank")
        << digits(49) + fullWidthBlank + digits(49) << longText << ok;
    // A Chinese character is two bytes: 98 characters, 99 bytes.
    QTest::newRow("97 digits and a chinese character")
        << digits(97) + chinese << longText << longText;
    QTest::newRow("96 digits and a chinese character") << digits(96) + chinese << bad << bad;
}

void TestEntryEncoding::verdicts()
{
    QFETCH(QString, text);
    QFETCH(QString, asIs);
    QFETCH(QString, typed);

    QCOMPARE(validateHexText(text), asIs);
    QCOMPARE(validateHexText(encoding::stripSpaces(text)), typed);

    // The message carries the text as typed, spaces included.
    QString expectedProblem;
    if (typed == verdictInvalid)
        expectedProblem = messageNotHex + text;
    else if (typed == verdictTooLong)
        expectedProblem = messageTooLong + text;
    QCOMPARE(dataTextProblem(text), expectedProblem);
}

void TestEntryEncoding::stripSpaces_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("stripped");

    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("spaces only") << QStringLiteral("   ") << QString();
    QTest::newRow("full-width blanks only") << fullWidthBlank + fullWidthBlank << QString();
    QTest::newRow("blank between bytes") << QStringLiteral("0A 1B") << QStringLiteral("0A1B");
    QTest::newRow("full-width blank") << "0A" + fullWidthBlank + "1B" << QStringLiteral("0A1B");
    QTest::newRow("mixed, at both ends")
        << " 0A" + fullWidthBlank + " 1B " + fullWidthBlank << QStringLiteral("0A1B");
    QTest::newRow("inside a digit pair") << QStringLiteral("0 A") << QStringLiteral("0A");
    QTest::newRow("tab stays") << QStringLiteral("0A\t1B") << QStringLiteral("0A\t1B");
    QTest::newRow("line break stays") << QStringLiteral("0A\r\n1B") << QStringLiteral("0A\r\n1B");
    QTest::newRow("no-break space stays")
        << QStringLiteral("0A\u00A01B") << QStringLiteral("0A\u00A01B");
    QTest::newRow("chinese text") << QStringLiteral("数 据") << QStringLiteral("数据");
    // In GBK these two are B0 A1 A1 A2: the A1 A1 in the middle is no full-width blank.
    QTest::newRow("A1 A1 across two characters")
        << QStringLiteral("啊、") << QStringLiteral("啊、");
}

void TestEntryEncoding::stripSpaces()
{
    QFETCH(QString, text);
    QFETCH(QString, stripped);

    QCOMPARE(encoding::stripSpaces(text), stripped);
}

void TestEntryEncoding::byteToHexPair_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QByteArray>("pair");

    QTest::newRow("0") << 0 << QByteArray("00");
    QTest::newRow("9") << 9 << QByteArray("09");
    QTest::newRow("10") << 10 << QByteArray("0A");
    QTest::newRow("16") << 16 << QByteArray("10");
    QTest::newRow("123") << 123 << QByteArray("7B");
    QTest::newRow("255") << 255 << QByteArray("FF");
    QTest::newRow("below range clamps") << -1 << QByteArray("00");
    QTest::newRow("above range clamps") << 256 << QByteArray("FF");
    QTest::newRow("far above range clamps") << 4096 << QByteArray("FF");
}

void TestEntryEncoding::byteToHexPair()
{
    QFETCH(int, value);
    QFETCH(QByteArray, pair);

    QCOMPARE(encoding::byteToHexPair(value), pair);
}

void TestEntryEncoding::byteToHexPairReadsBackForEveryByte()
{
    for (int value = 0; value <= 255; ++value) {
        const QByteArray pair = encoding::byteToHexPair(value);
        QCOMPARE(pair.size(), 2);
        QCOMPARE(validateHexText(QString::fromLatin1(pair)), verdictValid);
        bool parsed = false;
        QCOMPARE(pair.toInt(&parsed, 16), value);
        QVERIFY(parsed);
    }
}

void TestEntryEncoding::encodeLearningEntry_data()
{
    QTest::addColumn<int>("area");
    QTest::addColumn<int>("entryNumber");
    QTest::addColumn<int>("relay");
    QTest::addColumn<int>("function");
    QTest::addColumn<QString>("dataText");
    QTest::addColumn<QByteArray>("frame"); // empty: left out
    QTest::addColumn<int>("newRelay");
    QTest::addColumn<int>("newFunction");

    enum Relay { disabled = 0, scene = 17 };
    enum Function { off = 0, on = 1, toggle = 2, jog = 3, sceneFunction = 4 };
    const QByteArray leftOut;
    const QString sceneData = QStringLiteral("01 00 FF 01 00 FF 01 00 AA");

    // Frames of the documented examples.
    QTest::newRow("entry 1, relay 1, off") << 1 << 1 << 1 << int(off) << QStringLiteral("01 02")
                                           << hexBytes("FD DF 1D 01 00 01 01 02") << -1 << -1;
    QTest::newRow("entry 42, relay 10, toggle")
        << 2 << 42 << 10 << int(toggle) << QStringLiteral("AB") << hexBytes("FD DF 2D 0A FF 2A AB")
        << -1 << -1;
    QTest::newRow("entry 41, relay 16, jog") << 1 << 41 << 16 << int(jog) << QStringLiteral("55")
                                             << hexBytes("FD DF 3D 10 FF 29 55") << -1 << -1;
    QTest::newRow("entry 5, scene function moves relay")
        << 1 << 5 << 3 << int(sceneFunction) << sceneData
        << hexBytes("FD DF 4D FF FF 05 01 00 FF 01 00 FF 01 00 AA") << int(scene) << -1;
    QTest::newRow("entry 5, scene relay moves function")
        << 1 << 5 << int(scene) << int(on) << sceneData
        << hexBytes("FD DF 4D FF FF 05 01 00 FF 01 00 FF 01 00 AA") << -1 << int(sceneFunction);
    QTest::newRow("scene on both selectors")
        << 1 << 5 << int(scene) << int(sceneFunction) << QStringLiteral("01")
        << hexBytes("FD DF 4D FF FF 05 01") << -1 << int(sceneFunction);
    QTest::newRow("area 2 scene") << 2 << 60 << 5 << int(sceneFunction) << QStringLiteral("00")
                                  << hexBytes("FD DF 4D FF FF 3C 00") << int(scene) << -1;
    QTest::newRow("entry 83, feedback on") << 3 << 83 << 16 << int(on) << QStringLiteral("AABB")
                                           << hexBytes("FD DF 5D 10 01 53 AA BB") << -1 << -1;
    QTest::newRow("entry 123, feedback off") << 3 << 123 << 1 << int(off) << QStringLiteral("00")
                                             << hexBytes("FD DF 5D 01 00 7B 00") << -1 << -1;
    QTest::newRow("entry 7, spaces only") << 1 << 7 << 2 << int(on) << QStringLiteral("  ")
                                          << hexBytes("FD DF 1D 02 01 07") << -1 << -1;
    QTest::newRow("full-width blank only")
        << 1 << 7 << 2 << int(on) << fullWidthBlank << hexBytes("FD DF 1D 02 01 07") << -1 << -1;

    // Entry-number bytes at the area boundaries.
    QTest::newRow("entry 82, relay 4, on") << 2 << 82 << 4 << int(on) << QStringLiteral("12")
                                           << hexBytes("FD DF 1D 04 01 52 12") << -1 << -1;
    QTest::newRow("entry 123, relay 9, on") << 3 << 123 << 9 << int(on) << QStringLiteral("34")
                                            << hexBytes("FD DF 5D 09 01 7B 34") << -1 << -1;

    // Data as it goes into the frame.
    QTest::newRow("full-width blanks in data")
        << 1 << 2 << 1 << int(on) << fullWidthBlank + "0A" + fullWidthBlank + "1B "
        << hexBytes("FD DF 1D 01 01 02 0A 1B") << -1 << -1;
    QTest::newRow("odd digit count") << 1 << 3 << 1 << int(on) << QStringLiteral("ABC")
                                     << QByteArray("FDDF1D010103ABC") << -1 << -1;
    QTest::newRow("98 digits, longest frame") << 1 << 4 << 1 << int(on) << digits(98)
                                              << "FDDF1D010104" + digits(98).toLatin1() << -1 << -1;

    // Left out, with no selector changed.
    QTest::newRow("disabled with scene function") << 1 << 5 << int(disabled) << int(sceneFunction)
                                                  << QStringLiteral("01") << leftOut << -1 << -1;
    QTest::newRow("disabled with off")
        << 2 << 50 << int(disabled) << int(off) << QStringLiteral("01") << leftOut << -1 << -1;
    QTest::newRow("disabled, feedback")
        << 3 << 90 << int(disabled) << int(on) << QStringLiteral("01") << leftOut << -1 << -1;
    QTest::newRow("empty data") << 1 << 1 << 1 << int(off) << QString() << leftOut << -1 << -1;
    QTest::newRow("empty data, scene relay")
        << 1 << 1 << int(scene) << int(on) << QString() << leftOut << -1 << -1;
    QTest::newRow("empty data, feedback")
        << 3 << 83 << 1 << int(on) << QString() << leftOut << -1 << -1;
    QTest::newRow("relay holds nothing")
        << 1 << 1 << -1 << int(on) << QStringLiteral("01") << leftOut << -1 << -1;
    QTest::newRow("function holds nothing")
        << 1 << 1 << 3 << -1 << QStringLiteral("01") << leftOut << -1 << -1;
    QTest::newRow("scene relay, function holds nothing")
        << 1 << 1 << int(scene) << -1 << QStringLiteral("01") << leftOut << -1 << -1;
    QTest::newRow("feedback relay holds nothing")
        << 3 << 83 << -1 << int(on) << QStringLiteral("01") << leftOut << -1 << -1;
    QTest::newRow("feedback function holds nothing")
        << 3 << 83 << 1 << -1 << QStringLiteral("01") << leftOut << -1 << -1;

    // Values no selector of the area can hold.
    QTest::newRow("relay past scene")
        << 1 << 1 << 18 << int(on) << QStringLiteral("01") << leftOut << -1 << -1;
    QTest::newRow("function past scene")
        << 1 << 1 << 1 << 5 << QStringLiteral("01") << leftOut << -1 << -1;
    QTest::newRow("scene relay in feedback area")
        << 3 << 83 << int(scene) << int(on) << QStringLiteral("01") << leftOut << -1 << -1;
    QTest::newRow("toggle in feedback area")
        << 3 << 83 << 1 << int(toggle) << QStringLiteral("01") << leftOut << -1 << -1;
    QTest::newRow("scene function in feedback area")
        << 3 << 83 << 1 << int(sceneFunction) << QStringLiteral("01") << leftOut << -1 << -1;
    QTest::newRow("entry of another area")
        << 1 << 42 << 1 << int(on) << QStringLiteral("01") << leftOut << -1 << -1;
    QTest::newRow("entry 0") << 1 << 0 << 1 << int(on) << QStringLiteral("01") << leftOut << -1
                             << -1;
    QTest::newRow("no such area") << 4 << 124 << 1 << int(on) << QStringLiteral("01") << leftOut
                                  << -1 << -1;

    // A data text changed after the check never goes out malformed.
    QTest::newRow("not hex") << 1 << 1 << 1 << int(on) << QStringLiteral("0G") << leftOut << -1
                             << -1;
    QTest::newRow("lower case") << 1 << 1 << 1 << int(on) << QStringLiteral("ab") << leftOut << -1
                                << -1;
    QTest::newRow("too long") << 1 << 1 << 1 << int(on) << digits(99) << leftOut << -1 << -1;
    QTest::newRow("not hex, scene")
        << 1 << 1 << 3 << int(sceneFunction) << QStringLiteral("数据") << leftOut << -1 << -1;
}

void TestEntryEncoding::encodeLearningEntry()
{
    QFETCH(int, area);
    QFETCH(int, entryNumber);
    QFETCH(int, relay);
    QFETCH(int, function);
    QFETCH(QString, dataText);
    QFETCH(QByteArray, frame);
    QFETCH(int, newRelay);
    QFETCH(int, newFunction);

    EntryValues entry;
    entry.entryNumber = entryNumber;
    entry.relayIndex = relay;
    entry.functionIndex = function;
    entry.dataText = dataText;

    const EncodedEntry encoded = encoding::encodeLearningEntry(area, entry);
    QCOMPARE(encoded.leftOut, frame.isEmpty());
    QCOMPARE(encoded.frame, frame);
    QCOMPARE(encoded.newRelayIndex, newRelay);
    QCOMPARE(encoded.newFunctionIndex, newFunction);
}

void TestEntryEncoding::entryNumberByteForEveryEntry()
{
    for (int number = 1; number <= 123; ++number) {
        const int area = (number - 1) / 41 + 1;
        EntryValues entry;
        entry.entryNumber = number;
        entry.relayIndex = 1;
        entry.functionIndex = 1;
        entry.dataText = QStringLiteral("00");

        const EncodedEntry encoded = encoding::encodeLearningEntry(area, entry);
        QVERIFY2(!encoded.leftOut, qPrintable(QString::number(number)));
        const QByteArray kind = area == 3 ? "5D" : "1D";
        const QByteArray numberPair =
            QByteArray::number(number, 16).toUpper().rightJustified(2, '0');
        QCOMPARE(encoded.frame, "FDDF" + kind + "0101" + numberPair + "00");
    }
}

void TestEntryEncoding::progressPositions()
{
    const QList<int> expected = {2,  4,  7,  9,  12, 14, 17, 19, 21, 24, 26, 29, 31, 34,
                                 36, 39, 41, 43, 46, 48, 51, 53, 56, 58, 60, 63, 65, 68,
                                 70, 73, 75, 78, 80, 82, 85, 87, 90, 92, 95, 97, 100};
    QList<int> positions;
    for (int k = 1; k <= 41; ++k)
        positions.append(progressAfterEntry(k));
    QCOMPARE(positions, expected);

    // Outside a page's entries the bar stays within its range.
    QCOMPARE(progressAfterEntry(0), 0);
    QCOMPARE(progressAfterEntry(-3), 0);
    QCOMPARE(progressAfterEntry(42), 100);
}

QTEST_GUILESS_MAIN(TestEntryEncoding)
#include "tst_entryencoding.moc"
