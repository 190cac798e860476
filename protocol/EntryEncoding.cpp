#include "protocol/EntryEncoding.h"

#include "app/LearningAreas.h"
#include "config/GbkText.h"

#include <algorithm>

namespace encoding {

namespace {

constexpr int sceneRelayIndex = 17;
constexpr int sceneFunctionIndex = 4;
constexpr int lastRelayIndexFeedback = 16;
constexpr int lastFunctionIndexFeedback = 1;

bool isHexDigit(QChar character)
{
    const char16_t code = character.unicode();
    return (code >= u'0' && code <= u'9') || (code >= u'A' && code <= u'F');
}

bool isAcceptedData(const QString& strippedText)
{
    return validateHexText(strippedText) == verdictValid;
}

} // namespace

QString stripSpaces(const QString& text)
{
    QString stripped = text;
    stripped.remove(QChar(u' '));
    stripped.remove(QChar(u'\u3000'));
    return stripped;
}

QString validateHexText(const QString& text)
{
    if (text.isEmpty())
        return verdictValid;
    // The length decides first, so an overlong text reads as too long whatever it holds.
    if (gbk::encode(text).size() > maxDataLength)
        return verdictTooLong;
    // Every non-ASCII character has at least one byte above 0x7F in GBK, so judging characters
    // gives the byte verdict, and a character the code page lacks cannot slip through.
    if (!std::all_of(text.cbegin(), text.cend(), isHexDigit))
        return verdictInvalid;
    return verdictValid;
}

QByteArray byteToHexPair(int value)
{
    return QByteArray::number(std::clamp(value, 0, 255), 16).toUpper().rightJustified(2, '0');
}

QString dataTextProblem(const QString& typedText)
{
    const QString verdict = validateHexText(stripSpaces(typedText));
    if (verdict == verdictInvalid)
        return messageNotHex + typedText;
    if (verdict == verdictTooLong)
        return messageTooLong + typedText;
    return {};
}

EncodedEntry encodeLearningEntry(int area, const EntryValues& entry)
{
    const EncodedEntry leftOut;
    if (area < 1 || area > learning::areaCount)
        return leftOut;
    if (learning::areaOfEntry(entry.entryNumber) != area || entry.entryNumber < 1)
        return leftOut;
    // Spaces only is not empty: such an entry still teaches a frame without data bytes.
    if (entry.dataText.isEmpty())
        return leftOut;
    const int relay = entry.relayIndex;
    const int function = entry.functionIndex;
    // Relay 0 is "禁用"; -1 is a selector holding nothing; larger values name no choice.
    const bool isFeedbackArea = area == 3;
    const int lastRelay = isFeedbackArea ? lastRelayIndexFeedback : sceneRelayIndex;
    const int lastFunction = isFeedbackArea ? lastFunctionIndexFeedback : sceneFunctionIndex;
    if (relay < 1 || relay > lastRelay || function < 0 || function > lastFunction)
        return leftOut;
    // A text edited after the check must not reach the modules as a malformed frame.
    const QString data = stripSpaces(entry.dataText);
    if (!isAcceptedData(data))
        return leftOut;

    const QByteArray number = byteToHexPair(entry.entryNumber);
    const QByteArray dataHex = data.toLatin1();
    EncodedEntry encoded;
    encoded.leftOut = false;
    if (isFeedbackArea) {
        encoded.frame = "FDDF5D" + byteToHexPair(relay) + byteToHexPair(function) + number;
    } else if (relay == sceneRelayIndex || function == sceneFunctionIndex) {
        encoded.frame = "FDDF4DFFFF" + number;
        // Both selectors show "场景" afterwards; the relay choice decides when both could.
        if (relay == sceneRelayIndex)
            encoded.newFunctionIndex = sceneFunctionIndex;
        else
            encoded.newRelayIndex = sceneRelayIndex;
    } else {
        const QByteArray relayPair = byteToHexPair(relay);
        switch (function) {
        case 0:
            encoded.frame = "FDDF1D" + relayPair + "00" + number;
            break;
        case 1:
            encoded.frame = "FDDF1D" + relayPair + "01" + number;
            break;
        case 2:
            encoded.frame = "FDDF2D" + relayPair + "FF" + number;
            break;
        default:
            encoded.frame = "FDDF3D" + relayPair + "FF" + number;
            break;
        }
    }
    encoded.frame += dataHex;
    return encoded;
}

int progressAfterEntry(int k)
{
    // Whole numbers keep the cut toward zero exact, with no rounding of 2.4391 involved.
    const int place = std::clamp(k, 0, learning::entriesPerArea);
    return place * 24391 / 10000;
}

} // namespace encoding
