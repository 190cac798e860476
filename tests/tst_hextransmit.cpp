// Hex text to bytes on a real tty, the pacing wait after each frame, and the wait itself.
#include "link/HexTransmit.h"
#include "link/SerialPort.h"
#include "support/PtyBus.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>

class HexTransmitTest : public QObject
{
    Q_OBJECT
private slots:
    void conversion_data();
    void conversion();
    void frameCrossesTheTtyThenWaits_data();
    void frameCrossesTheTtyThenWaits();
    void closedPortSendsNothingAndDoesNotWait();
    void waitIsNeverShorterThanAsked_data();
    void waitIsNeverShorterThanAsked();
    void waitHandlesDeliveriesAndTimers();
    void stopRequestEndsTheWait();
    // Last: a quit request stays noted for the rest of the process.
    void waitLeavesTheQuitRequestToTheMainLoop();
};

void HexTransmitTest::conversion_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("fixed frame") << QByteArray("FD66666666FF01FFDF")
                                 << QByteArray::fromHex("FD66666666FF01FFDF");
    QTest::newRow("odd length: last digit is a high half")
        << QByteArray("ABC") << QByteArray::fromHex("ABC0");
    QTest::newRow("lower case is not a digit") << QByteArray("fd") << QByteArray::fromHex("00");
    QTest::newRow("mixed case") << QByteArray("Fd") << QByteArray::fromHex("F0");
    QTest::newRow("letter past F, low") << QByteArray("7G") << QByteArray::fromHex("70");
    QTest::newRow("letter past F, high") << QByteArray("G7") << QByteArray::fromHex("07");
    QTest::newRow("blank is not removed") << QByteArray("FD 66") << QByteArray::fromHex("FD0660");
    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("all digits") << QByteArray("0123456789ABCDEF")
                                << QByteArray::fromHex("0123456789ABCDEF");
}

void HexTransmitTest::conversion()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(hexTextToBytes(text), bytes);
}

void HexTransmitTest::frameCrossesTheTtyThenWaits_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("nine-byte frame, 18 ms") << QByteArray("FD66666666FF01FFDF");
    QTest::newRow("odd text, 3 ms") << QByteArray("ABC");
    QTest::newRow("long entry frame") << QByteArray("FDDF1D01000101020304050607080910111213141516");
}

void HexTransmitTest::frameCrossesTheTtyThenWaits()
{
    QFETCH(QByteArray, text);
    PtyBus bus;
    QVERIFY(bus.isValid());
    SerialPort port([&](int) { return bus.slavePath(); });
    QVERIFY(port.start());

    QElapsedTimer clock;
    clock.start();
    sendHexText(port, text);
    const qint64 elapsedMs = clock.elapsed();

    QVERIFY(bus.waitForBytes(hexTextToBytes(text).size()));
    QCOMPARE(bus.received(), hexTextToBytes(text));
    QVERIFY2(elapsedMs >= text.size(), qPrintable(QString::number(elapsedMs)));
}

void HexTransmitTest::closedPortSendsNothingAndDoesNotWait()
{
    PtyBus bus;
    SerialPort port([&](int) { return bus.slavePath(); });
    QVERIFY(!port.send(QByteArray("\xFD", 1)));

    const QByteArray longText(4000, 'A'); // would wait four seconds if it were sent
    QElapsedTimer clock;
    clock.start();
    sendHexText(port, longText);
    QVERIFY(clock.elapsed() < 2000);
    QTest::qWait(50);
    QVERIFY(bus.received().isEmpty());
}

void HexTransmitTest::waitIsNeverShorterThanAsked_data()
{
    QTest::addColumn<int>("milliseconds");
    QTest::newRow("1 ms") << 1;
    QTest::newRow("18 ms") << 18;
    QTest::newRow("100 ms") << 100;
}

void HexTransmitTest::waitIsNeverShorterThanAsked()
{
    QFETCH(int, milliseconds);
    for (int round = 0; round < 5; ++round) {
        QElapsedTimer clock;
        clock.start();
        waitWithEvents(milliseconds);
        QVERIFY2(clock.nsecsElapsed() >= qint64(milliseconds) * 1000000,
                 qPrintable(QString::number(clock.nsecsElapsed())));
    }
}

void HexTransmitTest::waitHandlesDeliveriesAndTimers()
{
    PtyBus bus;
    SerialPort port([&](int) { return bus.slavePath(); });
    QVERIFY(port.start());
    QByteArray delivered;
    connect(&port, &SerialPort::dataArrived, this,
            [&](int value) { delivered.append(char(value)); });
    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, this, [&] { ++ticks; });
    ticker.start(10);

    QTimer::singleShot(20, this, [&] { bus.reply(QByteArray::fromHex("FD0102DF")); });
    waitWithEvents(150);

    QCOMPARE(delivered, QByteArray::fromHex("FD0102DF"));
    QVERIFY(ticks >= 3);
}

void HexTransmitTest::waitLeavesTheQuitRequestToTheMainLoop()
{
    QEventLoop mainLoop;
    qint64 waitedNs = 0;
    bool loopEnded = false;
    QTimer::singleShot(0, this, [&] {
        QTimer::singleShot(10, this, [] { QCoreApplication::exit(0); });
        QElapsedTimer clock;
        clock.start();
        waitWithEvents(100);
        waitedNs = clock.nsecsElapsed();
    });
    QTimer::singleShot(3000, &mainLoop, [&] { mainLoop.exit(1); }); // safety net
    loopEnded = mainLoop.exec() == 0;
    QVERIFY(waitedNs >= 100LL * 1000000);
    QVERIFY(loopEnded); // the quit request still reached the loop that owns it
}

void HexTransmitTest::stopRequestEndsTheWait()
{
    bool stop = false;
    QTimer::singleShot(20, this, [&] { stop = true; });
    QElapsedTimer clock;
    clock.start();
    waitWithEvents(5000, [&] { return stop; });
    QVERIFY(clock.elapsed() < 4000);
}

QTEST_MAIN(HexTransmitTest)
#include "tst_hextransmit.moc"
