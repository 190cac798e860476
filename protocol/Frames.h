#pragma once

#include <QByteArray>

// Every fixed frame the tool sends, as the hex text handed to sendHexText. Nine bytes each:
// FD, a four-byte prefix, three command bytes, DF (the address frame ends in CF).
namespace frames {

inline const QByteArray networkConfig = "FD66666666FF00FFDF";
inline const QByteArray switchPanel = "FD66666666FF01FFDF";
// Mode frame: the last command byte is C0 plus the mode selector's index.
inline const QByteArray modeResetSwitch = "FD66666667AAC9C0DF";
inline const QByteArray modeRockerSwitch = "FD66666667AAC9C1DF";
inline const QByteArray modeSensor = "FD66666667AAC9C2DF";
// Address frame: the address selector's two digits go between these two.
inline const QByteArray addressHead = "FD66666688DDFF";
inline const QByteArray addressTail = "CF";

inline const QByteArray learningStart = "FD66666666AAAAAADF";
inline const QByteArray learningEnd = "FD66666666AAAABBDF";

// Area frames carry the area number (1..3) in the low half of their eighth byte.
inline QByteArray erase(int area)
{
    return "FD66666666AABBF" + QByteArray::number(area) + "DF";
}
inline QByteArray areaStart(int area)
{
    return "FD66666666AAABA" + QByteArray::number(area) + "DF";
}
inline QByteArray areaEnd(int area)
{
    return "FD66666666AAABB" + QByteArray::number(area) + "DF";
}

// Mode frame for a mode selector index; empty for anything but 0..2 (nothing is sent).
inline QByteArray mode(int index)
{
    switch (index) {
    case 0:
        return modeResetSwitch;
    case 1:
        return modeRockerSwitch;
    case 2:
        return modeSensor;
    default:
        return {};
    }
}

} // namespace frames
