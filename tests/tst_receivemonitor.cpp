// Bytes from the bus shown as hex in the receive log, lines ended by the idle timer.
#include "link/HexTransmit.h"
#include "link/ReceiveMonitor.h"
#include "support/WindowFixture.h"

#include <QPlainTextEdit>
#include <QTextCursor>
#include <QtTest>

class ReceiveMonitorTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void oneDeliveryIsOneLine_data();
    void oneDeliveryIsOneLine();
    void deliveriesApartMakeSeparateLines();
    void longStreamIsCutIntoLines();
    void clearWhileTimerRunsLeavesTheLineBreak();
    void appendsAtTheEndWhateverTheCaret();
    void logStopsAtItsCapacity();

private:
    ReceiveMonitor& monitor() { return m_fixture->window->receiveMonitor(); }
    std::unique_ptr<WindowFixture> m_fixture;
};

void ReceiveMonitorTest::init()
{
    m_fixture = std::make_unique<WindowFixture>();
    QVERIFY(m_fixture->openPort());
}

void ReceiveMonitorTest::cleanup()
{
    m_fixture.reset();
}

void ReceiveMonitorTest::oneDeliveryIsOneLine_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("line");
    QTest::newRow("small values get a leading zero")
        << QByteArray::fromHex("000A10FF") << QStringLiteral("00 0A 10 FF \r\n");
    QTest::newRow("nine-byte reply") << QByteArray::fromHex("FD01020304050607DF")
                                     << QStringLiteral("FD 01 02 03 04 05 06 07 DF \r\n");
}

void ReceiveMonitorTest::oneDeliveryIsOneLine()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, line);
    m_fixture->bus.reply(bytes);
    QTRY_COMPARE(monitor().logText(), line);
    QCOMPARE(monitor().idleInterval(), 0); // stopped after its one tick
}

void ReceiveMonitorTest::deliveriesApartMakeSeparateLines()
{
    m_fixture->bus.reply(QByteArray::fromHex("0102"));
    QTRY_COMPARE(monitor().logText(), QStringLiteral("01 02 \r\n"));
    waitWithEvents(30);
    m_fixture->bus.reply(QByteArray::fromHex("0304"));
    QTRY_COMPARE(monitor().logText(), QStringLiteral("01 02 \r\n03 04 \r\n"));
}

void ReceiveMonitorTest::longStreamIsCutIntoLines()
{
    // About one byte a millisecond, as 9600 baud delivers, for 120 ms.
    const int count = 120;
    for (int i = 0; i < count; ++i) {
        m_fixture->bus.reply(QByteArray(1, char(i)));
        waitWithEvents(1);
    }
    QTRY_VERIFY(monitor().logText().endsWith(QStringLiteral("\r\n")) &&
                monitor().idleInterval() == 0);
    const QStringList lines = monitor().logText().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QVERIFY2(lines.size() >= 3, qPrintable(monitor().logText()));
    // Every byte is there, in order, each as two digits and a blank.
    QString expected;
    for (int i = 0; i < count; ++i)
        expected += QStringLiteral("%1 ").arg(i, 2, 16, QLatin1Char('0')).toUpper();
    QCOMPARE(lines.join(QString()), expected);
}

void ReceiveMonitorTest::clearWhileTimerRunsLeavesTheLineBreak()
{
    m_fixture->bus.reply(QByteArray::fromHex("AA"));
    QTRY_COMPARE(monitor().logText(), QStringLiteral("AA "));
    m_fixture->click(QStringLiteral("按钮3"));
    QCOMPARE(monitor().logText(), QString());
    QTRY_COMPARE(monitor().logText(), QStringLiteral("\r\n"));
}

void ReceiveMonitorTest::appendsAtTheEndWhateverTheCaret()
{
    auto* log = m_fixture->find<QPlainTextEdit>(QStringLiteral("编辑框4"));
    QTest::keyClicks(log, QStringLiteral("note"));
    QTextCursor start = log->textCursor();
    start.movePosition(QTextCursor::Start);
    log->setTextCursor(start);
    m_fixture->bus.reply(QByteArray::fromHex("FD"));
    QTRY_COMPARE(monitor().logText(), QStringLiteral("noteFD \r\n"));
}

void ReceiveMonitorTest::logStopsAtItsCapacity()
{
    // 6666 bytes of three characters each, plus line breaks, overfill the log.
    for (int chunk = 0; chunk < 30; ++chunk) {
        m_fixture->bus.reply(QByteArray(250, char(0x5A)));
        waitWithEvents(15);
    }
    QTRY_COMPARE(monitor().logLength(), ReceiveMonitor::capacity);
    QVERIFY(monitor().logText().size() == ReceiveMonitor::capacity);
    m_fixture->bus.reply(QByteArray::fromHex("01"));
    waitWithEvents(40);
    QCOMPARE(monitor().logLength(), ReceiveMonitor::capacity);
    QVERIFY(!monitor().logText().contains(QStringLiteral("01")));

    m_fixture->click(QStringLiteral("按钮3"));
    m_fixture->bus.reply(QByteArray::fromHex("01"));
    QTRY_VERIFY(monitor().logText().contains(QStringLiteral("01 ")));
}

QTEST_MAIN(ReceiveMonitorTest)
#include "tst_receivemonitor.moc"
