#include "config/GbkText.h"

#include <QTextCodec>

namespace gbk {

namespace {

// "GBK" is Windows code page 936 in the converter (0x80 is the euro sign, as on Windows);
// the other names are fallbacks for converters that spell it differently.
QTextCodec* codec()
{
    static QTextCodec* const found = [] {
        for (const char* name : {"GBK", "windows-936", "CP936", "GB18030"}) {
            if (QTextCodec* candidate = QTextCodec::codecForName(name))
                return candidate;
        }
        return static_cast<QTextCodec*>(nullptr);
    }();
    return found;
}

// Bytes 0x00..0x7F are single-byte ASCII characters in code page 936, so pure ASCII text,
// which most values are, needs no trip through the converter.
bool isAscii(const QByteArray& bytes)
{
    for (const char byte : bytes) {
        if (static_cast<unsigned char>(byte) >= 0x80)
            return false;
    }
    return true;
}

bool isAscii(const QString& text)
{
    for (const QChar character : text) {
        if (character.unicode() >= 0x80)
            return false;
    }
    return true;
}

} // namespace

QByteArray encode(const QString& text)
{
    if (isAscii(text))
        return text.toLatin1();
    if (QTextCodec* converter = codec())
        return converter->fromUnicode(text);
    return text.toLocal8Bit();
}

QString decode(const QByteArray& bytes)
{
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    if (QTextCodec* converter = codec())
        return converter->toUnicode(bytes);
    return QString::fromLocal8Bit(bytes);
}

} // namespace gbk
