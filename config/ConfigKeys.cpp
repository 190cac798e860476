#include "config/ConfigKeys.h"

#include "app/LearningAreas.h"
#include "config/GbkText.h"
#include "config/IniDocument.h"
#include "link/NumberText.h"

namespace {

// Entry numbers in key names have at least two digits: "数据07", "数据42", "数据100".
QString keyName(const QString& prefix, int entryNumber)
{
    return prefix + QStringLiteral("%1").arg(entryNumber, 2, 10, QLatin1Char('0'));
}

std::vector<ConfigKey> buildKeys()
{
    struct KindSections
    {
        ConfigKey::Kind kind;
        const char16_t* prefix;
        const char16_t* sections[learning::areaCount];
    };
    static const KindSections kinds[] = {
        {ConfigKey::Kind::Data, u"数据", {u"学习区指令1", u"学习区指令2", u"学习区指令3"}},
        {ConfigKey::Kind::Relay,
         u"继电器框",
         {u"学习区1继电器", u"学习区2继电器", u"反馈区继电器"}},
        {ConfigKey::Kind::Function, u"功能配置框", {u"学习区1状态", u"学习区2状态", u"反馈区状态"}},
    };

    std::vector<ConfigKey> keys;
    keys.reserve(2 + 3 * learning::entryCount);
    const QString portSection = QStringLiteral("串口配置");
    keys.push_back({ConfigKey::Kind::PortNumber, 0, portSection, QStringLiteral("端口号")});
    keys.push_back({ConfigKey::Kind::BaudRate, 0, portSection, QStringLiteral("波特率")});
    for (const KindSections& kind : kinds) {
        const QString prefix = QString::fromUtf16(kind.prefix);
        for (int area = 1; area <= learning::areaCount; ++area) {
            const QString section = QString::fromUtf16(kind.sections[area - 1]);
            for (int place = 0; place < learning::entriesPerArea; ++place) {
                const int entryNumber = learning::firstEntryOfArea(area) + place;
                keys.push_back({kind.kind, entryNumber, section, keyName(prefix, entryNumber)});
            }
        }
    }
    return keys;
}

// The names as the file holds them, converted once.
struct EncodedKey
{
    QByteArray section;
    QByteArray key;
};

const std::vector<EncodedKey>& encodedKeys()
{
    static const std::vector<EncodedKey> encoded = [] {
        std::vector<EncodedKey> result;
        result.reserve(configKeys().size());
        for (const ConfigKey& key : configKeys())
            result.push_back({gbk::encode(key.section), gbk::encode(key.key)});
        return result;
    }();
    return encoded;
}

// Stored indices are short ASCII numbers nearly always; those are read without building a
// string on the heap.
int storedIndex(const QByteArray& stored)
{
    constexpr qsizetype shortText = 32;
    char16_t widened[shortText];
    if (stored.size() > shortText)
        return leadingNumber(gbk::decode(stored));
    for (qsizetype i = 0; i < stored.size(); ++i) {
        const auto byte = static_cast<unsigned char>(stored[i]);
        if (byte >= 0x80)
            return leadingNumber(gbk::decode(stored));
        widened[i] = byte;
    }
    return leadingNumber(
        QString::fromRawData(reinterpret_cast<const QChar*>(widened), stored.size()));
}

} // namespace

const std::vector<ConfigKey>& configKeys()
{
    static const std::vector<ConfigKey> keys = buildKeys();
    return keys;
}

ConfigValues readConfigValues(const IniDocument& document)
{
    ConfigValues values;
    const std::vector<ConfigKey>& keys = configKeys();
    const std::vector<EncodedKey>& names = encodedKeys();
    for (size_t i = 0; i < keys.size(); ++i) {
        const QByteArray stored = document.value(names[i].section, names[i].key);
        const ConfigKey& key = keys[i];
        const size_t entry = size_t(key.entryNumber - 1);
        switch (key.kind) {
        case ConfigKey::Kind::PortNumber:
            values.portNumber = gbk::decode(stored);
            break;
        case ConfigKey::Kind::BaudRate:
            values.baudRate = gbk::decode(stored);
            break;
        case ConfigKey::Kind::Data:
            values.dataText[entry] = gbk::decode(stored);
            break;
        case ConfigKey::Kind::Relay:
            values.relayIndex[entry] = storedIndex(stored);
            break;
        case ConfigKey::Kind::Function:
            values.functionIndex[entry] = storedIndex(stored);
            break;
        }
    }
    return values;
}

void writeConfigValues(IniDocument& document, const ConfigValues& values)
{
    const std::vector<ConfigKey>& keys = configKeys();
    const std::vector<EncodedKey>& names = encodedKeys();
    for (size_t i = 0; i < keys.size(); ++i) {
        const ConfigKey& key = keys[i];
        const size_t entry = size_t(key.entryNumber - 1);
        QByteArray value;
        switch (key.kind) {
        case ConfigKey::Kind::PortNumber:
            value = gbk::encode(values.portNumber);
            break;
        case ConfigKey::Kind::BaudRate:
            value = gbk::encode(values.baudRate);
            break;
        case ConfigKey::Kind::Data:
            value = gbk::encode(values.dataText[entry]);
            break;
        case ConfigKey::Kind::Relay:
            value = QByteArray::number(values.relayIndex[entry]);
            break;
        case ConfigKey::Kind::Function:
            value = QByteArray::number(values.functionIndex[entry]);
            break;
        }
        document.setValue(names[i].section, names[i].key, value);
    }
}
