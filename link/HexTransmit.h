#pragma once

#include <QByteArray>

#include <functional>

class SerialPort;

// Tells a wait to end before its time, for instance because the window has closed and the
// procedure that waits must not go on.
using StopRequest = std::function<bool()>;

// Value of one or two 8-bit characters read as hexadecimal digits. Only "0"-"9" and the
// upper-case "A"-"F" are digits; any other character, or a missing second one, counts as 0.
int hexPairToByte(const char* pair, qsizetype length);

// The bytes a hex text stands for, two characters at a time; an odd last character is the
// high half of its byte ("ABC" gives AB C0).
QByteArray hexTextToBytes(const QByteArray& hexText);

// Lets at least `milliseconds` pass on a monotonic clock while the thread keeps handling its
// events (port deliveries, timer ticks, clicks, painting). It sleeps in the event dispatcher
// between events rather than polling, and leaves a quit request to the main loop. A stop
// request, checked after each batch of events, ends it early.
void waitWithEvents(int milliseconds, const StopRequest& stop = {});

// Converts the text with hexPairToByte, hands all bytes to the port in one send and, if the
// port took them, waits one millisecond per character so that the modules keep up.
void sendHexText(SerialPort& port, const QByteArray& hexText, const StopRequest& stop = {});
