#pragma once

#include <QByteArray>
#include <QString>

// Checking the data texts a technician types and turning one learning entry into the frame
// that teaches it to the modules.
namespace encoding {

// The three verdicts of validateHexText, exactly as shown to callers.
inline const QString verdictValid = QStringLiteral("合法");
inline const QString verdictInvalid = QStringLiteral("非法");
inline const QString verdictTooLong = QStringLiteral("数据超长");

// The two messages checkDataText shows; the text as typed follows on the next line.
inline const QString messageNotHex = QStringLiteral("请检查输入的数据是否为十六进制\r\n");
inline const QString messageTooLong = QStringLiteral("请检查数据长度\r\n");

// Longest acceptable data text after stripping, in GBK bytes.
constexpr int maxDataLength = 98;

// Removes every ASCII blank (0x20) and every full-width blank (U+3000, GBK A1 A1).
QString stripSpaces(const QString& text);

// "合法" for an empty text or one of at most 98 GBK bytes that are all "0"-"9"/"A"-"F";
// "数据超长" for more than 98 bytes, whatever they hold; "非法" otherwise.
QString validateHexText(const QString& text);

// Two upper-case hex digits for 0..255; values outside are clamped to 0 or 255.
QByteArray byteToHexPair(int value);

// The message checkDataText must show for a data text, empty when the text is acceptable.
QString dataTextProblem(const QString& typedText);

struct EntryValues
{
    int entryNumber = 1; // 1..123
    int relayIndex = 0;  // -1 when nothing is selected
    int functionIndex = 0;
    QString dataText; // as typed, spaces included
};

struct EncodedEntry
{
    bool leftOut = true;
    QByteArray frame; // hex text, when not left out
    // The scene choices made to agree (areas 1 and 2): -1 leaves the selector as it is.
    int newRelayIndex = -1;
    int newFunctionIndex = -1;
};

// The entry frame of an entry of `area` (1..3), or left out: empty data text (spaces only
// still count as data), relay "禁用", a selector holding nothing or a value none of the area's
// choices has, an entry number outside the area, or a data text that no longer passes
// validateHexText (edited after the check).
EncodedEntry encodeLearningEntry(int area, const EntryValues& entry);

// Progress bar position after the k-th entry of a page (k x 2.4391, cut toward zero); k is
// held to 0..41, so the bar stays within 0..100.
int progressAfterEntry(int k);

} // namespace encoding
