#pragma once

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>

#include <functional>

// The tool's one serial port: opened on request with the typed port number and baud rate,
// 8N1 without flow control. Received bytes are handed to the window's thread one at a time,
// in order. Each send is one complete, blocking write that first discards anything pending.
class SerialPort : public QObject
{
    Q_OBJECT
public:
    // Turns a port number into the device to open; empty when there is none.
    using DeviceLocator = std::function<QString(int portNumber)>;

    explicit SerialPort(DeviceLocator locate, QObject* parent = nullptr);
    ~SerialPort() override;

    void setPortNumber(int number) { m_portNumber = number < 1 ? 1 : number; }
    void setBaudRate(int rate) { m_baudRate = rate < 0 ? 0 : rate; }
    int portNumber() const { return m_portNumber; }
    int baudRate() const { return m_baudRate; }
    int dataBits() const { return m_dataBits; }
    int stopBitsCode() const { return m_stopBitsCode; } // 1 one, 2 one and a half, 3 two
    bool parityCheck() const { return m_parityCheck; }
    int timeoutMs() const { return m_timeoutMs; }

    // Closes the port if open, then opens the device for the port number with the settings.
    bool start();
    // Releases the device and drops bytes not yet delivered. Nothing when already closed.
    void close();
    // Discards pending input and output, writes all bytes and blocks until they are written
    // or the time-out (1000 ms per byte plus 1000 ms) has passed. False at once when closed.
    bool send(const QByteArray& bytes);

    bool isOpen() const { return m_port != nullptr; }
    QString deviceName() const { return m_deviceName; }

signals:
    // One received byte, 0..255.
    void dataArrived(int byteValue);
    // The same bytes, once per delivery, after their dataArrived signals: for a receiver
    // that shows a whole delivery at once.
    void deliveryArrived(const QByteArray& bytes);
    // The device went away while open (adapter unplugged, line hung up); the port is closed.
    void lost();

private:
    void deliverReceivedBytes();
    void handleError(QSerialPort::SerialPortError error);
    void releaseDevice();

    DeviceLocator m_locate;
    QSerialPort* m_port = nullptr;
    QString m_deviceName;
    int m_portNumber = 1;
    int m_baudRate = 9600;
    int m_dataBits = 8;
    int m_stopBitsCode = 1;
    bool m_parityCheck = false;
    int m_timeoutMs = 1000;
};
