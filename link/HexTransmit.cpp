#include "link/HexTransmit.h"

#include "link/SerialPort.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

namespace {

int digitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 0;
}

} // namespace

int hexPairToByte(const char* pair, qsizetype length)
{
    const int high = length > 0 ? digitValue(pair[0]) : 0;
    const int low = length > 1 ? digitValue(pair[1]) : 0;
    return 16 * high + low;
}

QByteArray hexTextToBytes(const QByteArray& hexText)
{
    QByteArray bytes;
    bytes.reserve((hexText.size() + 1) / 2);
    for (qsizetype i = 0; i < hexText.size(); i += 2)
        bytes.append(
            char(hexPairToByte(hexText.constData() + i, qMin<qsizetype>(2, hexText.size() - i))));
    return bytes;
}

void waitWithEvents(int milliseconds, const StopRequest& stop)
{
    if (milliseconds <= 0)
        return;
    const qint64 wanted = qint64(milliseconds) * 1000000;
    QElapsedTimer clock; // monotonic
    clock.start();
    // The timer only wakes the dispatcher when nothing else does; its own tick does nothing.
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    for (;;) {
        const qint64 remaining = wanted - clock.nsecsElapsed();
        if (remaining <= 0)
            return;
        if (stop && stop())
            return;
        if (!wake.isActive())
            wake.start(int((remaining + 999999) / 1000000));
        // Straight to the dispatcher: a nested QEventLoop would be ended by a quit request,
        // which belongs to the main loop.
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
}

void sendHexText(SerialPort& port, const QByteArray& hexText, const StopRequest& stop)
{
    if (stop && stop())
        return;
    if (port.send(hexTextToBytes(hexText)))
        waitWithEvents(int(hexText.size()), stop);
}
