#include "config/ConfigKeys.h"
#include "config/GbkText.h"
#include "config/IniDocument.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

namespace {

// Names as Windows stores them in code page 936, spelled out byte by byte so that the
// converter is checked against known bytes.
const QByteArray portSection = "\xB4\xAE\xBF\xDA\xC5\xE4\xD6\xC3";            // 串口配置
const QByteArray portNumberKey = "\xB6\xCB\xBF\xDA\xBA\xC5";                  // 端口号
const QByteArray baudRateKey = "\xB2\xA8\xCC\xD8\xC2\xCA";                    // 波特率
const QByteArray learningArea = "\xD1\xA7\xCF\xB0\xC7\xF8";                   // 学习区
const QByteArray command = "\xD6\xB8\xC1\xEE";                                // 指令
const QByteArray relays = "\xBC\xCC\xB5\xE7\xC6\xF7";                         // 继电器
const QByteArray state = "\xD7\xB4\xCC\xAC";                                  // 状态
const QByteArray feedbackArea = "\xB7\xB4\xC0\xA1\xC7\xF8";                   // 反馈区
const QByteArray dataPrefix = "\xCA\xFD\xBE\xDD";                             // 数据
const QByteArray relayPrefix = "\xBC\xCC\xB5\xE7\xC6\xF7\xBF\xF2";            // 继电器框
const QByteArray functionPrefix = "\xB9\xA6\xC4\xDC\xC5\xE4\xD6\xC3\xBF\xF2"; // 功能配置框

struct SectionBytes
{
    QByteArray name;
    QByteArray keyPrefix;
    int firstEntry;
};

// The nine sections of the learning table, in file order.
QList<SectionBytes> tableSections()
{
    return {
        {learningArea + command + "1", dataPrefix, 1},
        {learningArea + command + "2", dataPrefix, 42},
        {learningArea + command + "3", dataPrefix, 83},
        {learningArea + "1" + relays, relayPrefix, 1},
        {learningArea + "2" + relays, relayPrefix, 42},
        {feedbackArea + relays, relayPrefix, 83},
        {learningArea + "1" + state, functionPrefix, 1},
        {learningArea + "2" + state, functionPrefix, 42},
        {feedbackArea + state, functionPrefix, 83},
    };
}

QByteArray entryKey(const QByteArray& prefix, int entry)
{
    return prefix + (entry < 10 ? "0" : "") + QByteArray::number(entry);
}

// A file as the program writes it; valueOf gives each value's bytes from the section and
// the key's bytes.
QByteArray configFile(const std::function<QByteArray(const QByteArray&, int)>& valueOf,
                      const QByteArray& portNumber, const QByteArray& baudRate)
{
    QByteArray file = "[" + portSection + "]\r\n" + portNumberKey + "=" + portNumber + "\r\n" +
                      baudRateKey + "=" + baudRate + "\r\n";
    for (const SectionBytes& section : tableSections()) {
        file += "[" + section.name + "]\r\n";
        for (int entry = section.firstEntry; entry < section.firstEntry + 41; ++entry)
            file += entryKey(section.keyPrefix, entry) + "=" + valueOf(section.keyPrefix, entry) +
                    "\r\n";
    }
    return file;
}

QByteArray defaultValue(const QByteArray& prefix, int)
{
    return prefix == dataPrefix ? QByteArray() : QByteArray("0");
}

// Distinct values for every key; data texts hold Chinese text and inner blanks.
ConfigValues distinctValues()
{
    ConfigValues values;
    values.portNumber = QStringLiteral("12");
    values.baudRate = QStringLiteral("115200");
    for (int i = 0; i < 123; ++i) {
        values.dataText[size_t(i)] =
            i % 5 == 0 ? QStringLiteral("数据%1 ＡＢ").arg(i + 1)
                       : QStringLiteral("%1 %2 FD").arg(i, 2, 16, QLatin1Char('0')).arg(i * 7);
        values.relayIndex[size_t(i)] = i % 19 - 1;
        values.functionIndex[size_t(i)] = (i + 2) % 6 - 1;
    }
    values.dataText[40] = QString();
    return values;
}

void compareValues(const ConfigValues& actual, const ConfigValues& expected)
{
    QCOMPARE(actual.portNumber, expected.portNumber);
    QCOMPARE(actual.baudRate, expected.baudRate);
    for (size_t i = 0; i < 123; ++i) {
        QCOMPARE(actual.dataText[i], expected.dataText[i]);
        QCOMPARE(actual.relayIndex[i], expected.relayIndex[i]);
        QCOMPARE(actual.functionIndex[i], expected.functionIndex[i]);
    }
}

} // namespace

class ConfigKeysTest : public QObject
{
    Q_OBJECT

private slots:
    void keyOfEntry_data();
    void keyOfEntry();
    void keysInFileOrder();

    void newFileWithDefaults();
    void windowsFileWrittenBackUnchanged();
    void savingOverExistingFile();

    void readSelector_data();
    void readSelector();
    void readTexts_data();
    void readTexts();
    void missingKeysReadEmpty();

    void roundTripThroughFile();
    void lineBreakInTextSavedAsBlank();
};

void ConfigKeysTest::keyOfEntry_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("entryNumber");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");

    const auto row = [](const char* name, int position, ConfigKey::Kind kind, int entry,
                        const QString& section, const QString& key) {
        QTest::newRow(name) << position << int(kind) << entry << section << key;
    };
    using Kind = ConfigKey::Kind;
    row("port number", 0, Kind::PortNumber, 0, "串口配置", "端口号");
    row("baud rate", 1, Kind::BaudRate, 0, "串口配置", "波特率");
    row("data 1", 2, Kind::Data, 1, "学习区指令1", "数据01");
    row("data 7", 8, Kind::Data, 7, "学习区指令1", "数据07");
    row("data 41", 42, Kind::Data, 41, "学习区指令1", "数据41");
    row("data 42", 43, Kind::Data, 42, "学习区指令2", "数据42");
    row("data 83", 84, Kind::Data, 83, "学习区指令3", "数据83");
    row("data 100", 101, Kind::Data, 100, "学习区指令3", "数据100");
    row("data 123", 124, Kind::Data, 123, "学习区指令3", "数据123");
    row("relay 1", 125, Kind::Relay, 1, "学习区1继电器", "继电器框01");
    row("relay 7", 131, Kind::Relay, 7, "学习区1继电器", "继电器框07");
    row("relay 42", 166, Kind::Relay, 42, "学习区2继电器", "继电器框42");
    row("relay 100", 224, Kind::Relay, 100, "反馈区继电器", "继电器框100");
    row("function 7", 254, Kind::Function, 7, "学习区1状态", "功能配置框07");
    row("function 82", 329, Kind::Function, 82, "学习区2状态", "功能配置框82");
    row("function 100", 347, Kind::Function, 100, "反馈区状态", "功能配置框100");
    row("function 123", 370, Kind::Function, 123, "反馈区状态", "功能配置框123");
}

void ConfigKeysTest::keyOfEntry()
{
    QFETCH(int, position);
    QFETCH(int, kind);
    QFETCH(int, entryNumber);
    QFETCH(QString, section);
    QFETCH(QString, key);

    QCOMPARE(configKeys().size(), size_t(371));
    const ConfigKey& found = configKeys()[size_t(position)];
    QCOMPARE(int(found.kind), kind);
    QCOMPARE(found.entryNumber, entryNumber);
    QCOMPARE(found.section, section);
    QCOMPARE(found.key, key);
}

// The key list is the file: a new file holds exactly the keys of the list, in its order.
void ConfigKeysTest::keysInFileOrder()
{
    IniDocument document;
    writeConfigValues(document, ConfigValues());
    const QList<QByteArray> lines = document.content().split('\n');
    QList<QByteArray> keyLines;
    for (const QByteArray& line : lines) {
        if (line.contains('='))
            keyLines += line.left(line.indexOf('='));
    }
    QCOMPARE(keyLines.size(), qsizetype(configKeys().size()));
    for (size_t i = 0; i < configKeys().size(); ++i)
        QCOMPARE(gbk::decode(keyLines[qsizetype(i)]), configKeys()[i].key);
}

void ConfigKeysTest::newFileWithDefaults()
{
    IniDocument document;
    writeConfigValues(document, ConfigValues());
    QCOMPARE(document.content(), configFile(defaultValue, "", ""));

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("配置.tvk"));
    QString reason;
    QVERIFY2(writeIniFile(path, document, &reason), qPrintable(reason));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), configFile(defaultValue, "", ""));
}

void ConfigKeysTest::windowsFileWrittenBackUnchanged()
{
    const QByteArray chinese = "\xD6\xD0\xCE\xC4"; // 中文
    const auto valueOf = [&](const QByteArray& prefix, int entry) -> QByteArray {
        if (prefix == dataPrefix)
            return entry == 5 ? "01 " + chinese + " 02" : entry % 2 ? QByteArray("FD 0A") : "";
        if (prefix == relayPrefix)
            return entry == 9 ? "-1" : QByteArray::number(entry % 18);
        return QByteArray::number(entry % 5);
    };
    const QByteArray windowsFile = configFile(valueOf, "3", "9600");

    const ConfigValues values = readConfigValues(IniDocument(windowsFile));
    QCOMPARE(values.portNumber, QStringLiteral("3"));
    QCOMPARE(values.baudRate, QStringLiteral("9600"));
    QCOMPARE(values.dataText[4], QStringLiteral("01 中文 02"));
    QCOMPARE(values.dataText[6], QStringLiteral("FD 0A"));
    QCOMPARE(values.dataText[7], QString());
    QCOMPARE(values.relayIndex[8], -1);
    QCOMPARE(values.relayIndex[16], 17);
    QCOMPARE(values.relayIndex[99], 100 % 18);
    QCOMPARE(values.functionIndex[122], 123 % 5);

    IniDocument document(windowsFile);
    writeConfigValues(document, values);
    QCOMPARE(document.content(), windowsFile);
}

void ConfigKeysTest::savingOverExistingFile()
{
    const QByteArray other = "\xC6\xE4\xCB\xFB"; // 其他
    const QByteArray head = "; " + other + "\r\n[" + other + "]\r\nx = 1\r\n\r\n";
    const QByteArray before = head + "  [ " + portSection + " ]\r\n  " + portNumberKey +
                              " = 7 \r\n; note\r\n[" + other + "2]\r\ny=2";
    ConfigValues values;
    values.portNumber = QStringLiteral("3");
    values.baudRate = QStringLiteral("9600");

    IniDocument document(before);
    writeConfigValues(document, values);

    // The extra sections and the comment stay, the port number is replaced in place, the
    // baud rate joins its section and the missing sections follow at the end.
    QByteArray expected = head + "  [ " + portSection + " ]\r\n  " + portNumberKey + " =3\r\n" +
                          baudRateKey + "=9600\r\n; note\r\n[" + other + "2]\r\ny=2\r\n";
    const QByteArray fullFile = configFile(defaultValue, "", "");
    expected += fullFile.mid(fullFile.indexOf("[" + tableSections().first().name));
    QCOMPARE(document.content(), expected);
}

void ConfigKeysTest::readSelector_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<int>("index");

    QTest::newRow("number") << QByteArray("17") << 17;
    QTest::newRow("none selected") << QByteArray("-1") << -1;
    QTest::newRow("leading blanks") << QByteArray("  5") << 5;
    QTest::newRow("trailing text") << QByteArray("5abc") << 5;
    QTest::newRow("no number") << QByteArray("abc") << 0;
    QTest::newRow("empty") << QByteArray() << 0;
    QTest::newRow("plus sign") << QByteArray("+3") << 3;
    QTest::newRow("full-width digits") << QByteArray("\xA3\xB1\xA3\xB7") << 17; // １７
    QTest::newRow("full-width minus") << QByteArray("\xA3\xAD\xA3\xB1") << -1;  // －１
    QTest::newRow("full-width blank") << QByteArray("\xA1\xA1"
                                                    "4")
                                      << 4; // 　4
    QTest::newRow("above the last choice, not clamped") << QByteArray("99") << 99;
    QTest::newRow("quoted") << QByteArray("\"2\"") << 2;
}

void ConfigKeysTest::readSelector()
{
    QFETCH(QByteArray, stored);
    QFETCH(int, index);

    const QByteArray file = "[" + learningArea + "1" + relays + "]\r\n" + relayPrefix +
                            "01=" + stored + "\r\n[" + feedbackArea + state + "]\r\n" +
                            functionPrefix + "100=" + stored + "\r\n";
    const ConfigValues values = readConfigValues(IniDocument(file));
    QCOMPARE(values.relayIndex[0], index);
    QCOMPARE(values.functionIndex[99], index);
    QCOMPARE(values.relayIndex[1], 0);
}

void ConfigKeysTest::readTexts_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("text");

    QTest::newRow("hex text") << QByteArray("01 02 0A") << QStringLiteral("01 02 0A");
    QTest::newRow("blanks at the ends") << QByteArray("  01 02\t ") << QStringLiteral("01 02");
    QTest::newRow("Chinese") << QByteArray("\xD6\xD0\xCE\xC4"
                                           "01")
                             << QStringLiteral("中文01");
    QTest::newRow("10300 bytes") << QByteArray(10300, 'F') << QString(10239, u'F');
    QTest::newRow("empty") << QByteArray() << QString();
}

void ConfigKeysTest::readTexts()
{
    QFETCH(QByteArray, stored);
    QFETCH(QString, text);

    const QByteArray file = "[" + portSection + "]\r\n" + portNumberKey + "=" + stored + "\r\n" +
                            baudRateKey + "=" + stored + "\r\n[" + learningArea + command +
                            "3]\r\n" + dataPrefix + "123=" + stored + "\r\n";
    const ConfigValues values = readConfigValues(IniDocument(file));
    QCOMPARE(values.portNumber, text);
    QCOMPARE(values.baudRate, text);
    QCOMPARE(values.dataText[122], text);
}

void ConfigKeysTest::missingKeysReadEmpty()
{
    QTemporaryDir folder;
    const ConfigValues values =
        readConfigValues(readIniFile(folder.filePath(QStringLiteral("missing.tvkcf"))));
    ConfigValues expected;
    expected.relayIndex.fill(0);
    expected.functionIndex.fill(0);
    compareValues(values, expected);
}

void ConfigKeysTest::roundTripThroughFile()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("round.tvkcf"));
    const ConfigValues values = distinctValues();

    IniDocument document = readIniFile(path);
    writeConfigValues(document, values);
    QString reason;
    QVERIFY2(writeIniFile(path, document, &reason), qPrintable(reason));
    compareValues(readConfigValues(readIniFile(path)), values);

    // Saving the same values again changes nothing.
    IniDocument again = readIniFile(path);
    writeConfigValues(again, values);
    QCOMPARE(again.content(), document.content());
}

void ConfigKeysTest::lineBreakInTextSavedAsBlank()
{
    ConfigValues values;
    values.dataText[0] = QStringLiteral("01\r\n02");
    values.dataText[1] = QStringLiteral("03\n[学习区指令2]\n数据42=FF");
    IniDocument document;
    writeConfigValues(document, values);

    QCOMPARE(document.content().count('\n'), qsizetype(371 + 10));
    const ConfigValues read = readConfigValues(IniDocument(document.content()));
    QCOMPARE(read.dataText[0], QStringLiteral("01  02"));
    QCOMPARE(read.dataText[1], QStringLiteral("03 [学习区指令2] 数据42=FF"));
    QCOMPARE(read.dataText[41], QString());
}

QTEST_GUILESS_MAIN(ConfigKeysTest)
#include "tst_configkeys.moc"
