#include "link/SerialPort.h"

#include <QDeadlineTimer>

namespace {

QSerialPort::StopBits stopBitsFor(int code)
{
    switch (code) {
    case 2:
        return QSerialPort::OneAndHalfStop;
    case 3:
        return QSerialPort::TwoStop;
    default:
        return QSerialPort::OneStop;
    }
}

} // namespace

SerialPort::SerialPort(DeviceLocator locate, QObject* parent)
    : QObject(parent), m_locate(std::move(locate))
{
}

SerialPort::~SerialPort()
{
    close();
}

bool SerialPort::start()
{
    close();
    if (m_portNumber < 1)
        return false;
    const QString device = m_locate ? m_locate(m_portNumber) : QString();
    if (device.isEmpty())
        return false;

    auto* port = new QSerialPort(this);
    port->setPortName(device);
    const bool configured =
        port->open(QIODevice::ReadWrite) && port->setBaudRate(m_baudRate) && m_baudRate > 0 &&
        port->setDataBits(QSerialPort::DataBits(m_dataBits)) &&
        port->setStopBits(stopBitsFor(m_stopBitsCode)) && port->setParity(QSerialPort::NoParity) &&
        port->setFlowControl(QSerialPort::NoFlowControl);
    if (!configured) {
        delete port;
        return false;
    }
    // Some devices (a pseudo-terminal among them) have no RTS line; that is not a failure.
    port->setRequestToSend(true);
    port->clearError();
    port->clear(QSerialPort::AllDirections);

    m_port = port;
    m_deviceName = device;
    connect(port, &QSerialPort::readyRead, this, &SerialPort::deliverReceivedBytes);
    connect(port, &QSerialPort::errorOccurred, this, &SerialPort::handleError);
    return true;
}

void SerialPort::close()
{
    if (!m_port)
        return;
    releaseDevice();
}

void SerialPort::releaseDevice()
{
    QSerialPort* port = m_port;
    m_port = nullptr;
    m_deviceName.clear();
    port->disconnect(this);
    port->close(); // undelivered bytes go with it
    // The port may be inside its own signal (an error report), so it is deleted later.
    port->deleteLater();
}

bool SerialPort::send(const QByteArray& bytes)
{
    if (!m_port)
        return false;
    if (bytes.isEmpty())
        return true;
    m_port->clear(QSerialPort::AllDirections);
    QDeadlineTimer deadline(qint64(m_timeoutMs) * (bytes.size() + 1));
    if (m_port->write(bytes) != bytes.size())
        return false;
    while (m_port && m_port->bytesToWrite() > 0) {
        const qint64 left = deadline.remainingTime();
        if (left <= 0 || !m_port->waitForBytesWritten(int(left)))
            break;
    }
    // A hang-up seen while waiting has closed the port already.
    if (!m_port)
        return false;
    if (m_port->bytesToWrite() > 0) {
        // Unsent bytes must not leak into the next frame.
        m_port->clear(QSerialPort::Output);
        return false;
    }
    return true;
}

void SerialPort::deliverReceivedBytes()
{
    if (!m_port)
        return;
    const QByteArray received = m_port->readAll();
    QSerialPort* current = m_port;
    for (const char byte : received) {
        emit dataArrived(int(quint8(byte)));
        if (m_port != current) // a receiver restarted or closed the port
            return;
    }
    emit deliveryArrived(received);
}

void SerialPort::handleError(QSerialPort::SerialPortError error)
{
    // A device that disappeared keeps failing every read; reporting it again and again
    // would spin the window's thread, so the port is released at the first report.
    if (error == QSerialPort::ResourceError || error == QSerialPort::ReadError ||
        error == QSerialPort::WriteError) {
        if (!m_port)
            return;
        releaseDevice();
        emit lost();
    }
}
