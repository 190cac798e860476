// The port on a real pseudo-terminal: opening, settings, exact writes, discards, and the
// cable pulled while open.
#include "link/PortLocator.h"
#include "link/SerialPort.h"
#include "support/PtyBus.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <ctime>

namespace {

double processCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

} // namespace

class SerialPortTest : public QObject
{
    Q_OBJECT
private slots:
    void missingDeviceFailsAndStaysClosed();
    void settingsAreClampedAsStored();
    void sendWritesEveryByteInOneGo();
    void sendDiscardsUndeliveredInput();
    void receivedBytesArriveOneAtATimeInOrder();
    void startAgainReopens();
    void hangUpClosesAtOnceWithoutErrorStorm();
    void portNumbersFollowLinksThenPresentDevices();
    void presentDevicesAreNumberedUsbFirst();
};

void SerialPortTest::missingDeviceFailsAndStaysClosed()
{
    int lookups = 0;
    SerialPort port([&](int) {
        ++lookups;
        return QStringLiteral("/nonexistent/COM9");
    });
    QVERIFY(!port.start());
    QVERIFY(!port.isOpen());
    QCOMPARE(lookups, 1);
    QVERIFY(!port.send("x"));

    SerialPort nowhere([](int) { return QString(); });
    QVERIFY(!nowhere.start());
}

void SerialPortTest::settingsAreClampedAsStored()
{
    SerialPort port([](int) { return QString(); });
    port.setPortNumber(0);
    QCOMPARE(port.portNumber(), 1);
    port.setPortNumber(-7);
    QCOMPARE(port.portNumber(), 1);
    port.setPortNumber(12);
    QCOMPARE(port.portNumber(), 12);
    port.setBaudRate(-5);
    QCOMPARE(port.baudRate(), 0);
    QCOMPARE(port.dataBits(), 8);
    QCOMPARE(port.stopBitsCode(), 1);
    QCOMPARE(port.parityCheck(), false);
    QCOMPARE(port.timeoutMs(), 1000);
}

void SerialPortTest::sendWritesEveryByteInOneGo()
{
    PtyBus bus;
    QVERIFY(bus.isValid());
    SerialPort port([&](int) { return bus.slavePath(); });
    QVERIFY(port.start());
    QVERIFY(port.send(QByteArray())); // nothing to write is a success
    const QByteArray frame = QByteArray::fromHex("FD66666666FF00FFDF");
    QVERIFY(port.send(frame));
    QVERIFY(bus.waitForBytes(frame.size()));
    QCOMPARE(bus.received(), frame);
    // Every byte value crosses unchanged: the line is raw.
    QByteArray all;
    for (int v = 0; v < 256; ++v)
        all.append(char(v));
    bus.clearReceived();
    QVERIFY(port.send(all));
    QVERIFY(bus.waitForBytes(all.size()));
    QCOMPARE(bus.received(), all);
}

void SerialPortTest::sendDiscardsUndeliveredInput()
{
    PtyBus bus;
    SerialPort port([&](int) { return bus.slavePath(); });
    QVERIFY(port.start());
    QByteArray delivered;
    connect(&port, &SerialPort::dataArrived, this, [&](int v) { delivered.append(char(v)); });
    bus.reply("stale");
    QTest::qSleep(50); // queued in the tty, not yet delivered: no events handled meanwhile
    QVERIFY(port.send("\x01"));
    QTest::qWait(50);
    QVERIFY2(delivered.isEmpty(), delivered.constData());
}

void SerialPortTest::receivedBytesArriveOneAtATimeInOrder()
{
    PtyBus bus;
    SerialPort port([&](int) { return bus.slavePath(); });
    QVERIFY(port.start());
    QList<int> values;
    connect(&port, &SerialPort::dataArrived, this, [&](int v) { values.append(v); });
    bus.reply(QByteArray::fromHex("000A10FF"));
    QTRY_COMPARE(values, (QList<int>{0x00, 0x0A, 0x10, 0xFF}));
}

void SerialPortTest::startAgainReopens()
{
    PtyBus bus;
    SerialPort port([&](int) { return bus.slavePath(); });
    QVERIFY(port.start());
    QVERIFY(port.start()); // closes and opens the same device again
    QVERIFY(port.send("\x42"));
    QVERIFY(bus.waitForBytes(1));
    port.close();
    QVERIFY(!port.isOpen());
    port.close(); // closing a closed port does nothing
}

void SerialPortTest::hangUpClosesAtOnceWithoutErrorStorm()
{
    auto bus = std::make_unique<PtyBus>();
    const QString slave = bus->slavePath();
    SerialPort port([&](int) { return slave; });
    QVERIFY(port.start());
    QSignalSpy lost(&port, &SerialPort::lost);

    bus.reset(); // the cable is pulled: the master side and every other opener are gone
    QTRY_COMPARE(lost.count(), 1);
    QVERIFY(!port.isOpen());

    // No busy loop after the loss: the thread is idle while events are handled.
    const double cpuBefore = processCpuSeconds();
    QTest::qWait(500);
    const double cpuUsed = processCpuSeconds() - cpuBefore;
    QVERIFY2(cpuUsed < 0.25, qPrintable(QString::number(cpuUsed)));
    QCOMPARE(lost.count(), 1);

    QElapsedTimer clock;
    clock.start();
    QVERIFY(!port.send(QByteArray(100, 'x')));
    QVERIFY(clock.elapsed() < 1000);
}

void SerialPortTest::portNumbersFollowLinksThenPresentDevices()
{
    QTemporaryDir folder;
    PtyBus bus;
    const QString ports = folder.path() + QStringLiteral("/ports");
    QVERIFY(bus.linkAs(ports, 3));
    PortLocator locator(ports);
    QCOMPARE(locator.deviceFor(3), ports + QStringLiteral("/COM3"));
    QVERIFY(locator.deviceFor(0).isEmpty());
    QVERIFY(locator.describeMapping().contains(bus.slavePath()));

    // A dangling link still names the technician's choice rather than another device.
    QVERIFY(QFile::link(folder.path() + QStringLiteral("/gone"), ports + QStringLiteral("/COM4")));
    QCOMPARE(locator.deviceFor(4), ports + QStringLiteral("/COM4"));
}

void SerialPortTest::presentDevicesAreNumberedUsbFirst()
{
    const QStringList present = {"/dev/ttyS1", "/dev/ttyACM0", "/dev/ttyUSB10",
                                 "/dev/ttyS0", "/dev/ttyUSB2", "/dev/ttyAMA0"};
    const QStringList expected = {"/dev/ttyUSB2", "/dev/ttyUSB10", "/dev/ttyACM0",
                                  "/dev/ttyAMA0", "/dev/ttyS0",    "/dev/ttyS1"};
    QCOMPARE(PortLocator::orderedDevices(present), expected);
}

QTEST_GUILESS_MAIN(SerialPortTest)
#include "tst_serialport.moc"
