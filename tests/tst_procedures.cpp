// The bus procedures driven through their buttons, with the frames read off a real tty.
#include "app/LearningTable.h"
#include "link/HexTransmit.h"
#include "link/ReceiveMonitor.h"
#include "link/SerialPort.h"
#include "support/WindowFixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QSerialPort>
#include <QTimer>
#include <QtTest>

#include <chrono>
#include <thread>
#include <utility>

namespace {

using Clock = PtyBus::Clock;
using Ms = std::chrono::milliseconds;

const QString infoCaption = QStringLiteral("信息：");
const QString notHexMessage = QStringLiteral("请检查输入的数据是否为十六进制\r\n");
const QString tooLongMessage = QStringLiteral("请检查数据长度\r\n");
const QString fullWidthBlank = QStringLiteral("\u3000");

const QByteArray learningStartFrame = "FD66666666AAAAAADF";
const QByteArray learningEndFrame = "FD66666666AAAABBDF";
const char* const pageButtons[] = {"按钮001", "按钮9", "按钮12"};
// Every button that starts a bus procedure, the hidden address button included.
const char* const sendingButtons[] = {"按钮001", "按钮002", "按钮007", "按钮008",
                                      "按钮005", "按钮9",   "按钮10",  "按钮11",
                                      "按钮12",  "按钮13",  "按钮006"};

QByteArray areaStartFrame(int area)
{
    return QByteArray("FD66666666AAABA%1DF").replace("%1", QByteArray::number(area));
}

QByteArray areaEndFrame(int area)
{
    return QByteArray("FD66666666AAABB%1DF").replace("%1", QByteArray::number(area));
}

QString digits(int count)
{
    QString text;
    for (int i = 0; i < count; ++i)
        text += QChar(u"0123456789ABCDEF"[i % 16]);
    return text;
}

struct EntrySetting
{
    int entry;
    int relay;
    int function;
    QString data;
};
using EntrySettings = QList<EntrySetting>;

// Every entry of the area starts out "禁用", "关", empty; then the given ones are set.
void fillArea(LearningTable& table, int area, const EntrySettings& settings)
{
    const LearningAreaInfo& info = LearningTable::area(area);
    for (int entry = info.firstEntry; entry <= info.lastEntry(); ++entry) {
        table.setRelayIndex(entry, 0);
        table.setFunctionIndex(entry, 0);
        table.setDataText(entry, {});
    }
    for (const EntrySetting& s : settings) {
        table.setRelayIndex(s.entry, s.relay);
        table.setFunctionIndex(s.entry, s.function);
        table.setDataText(s.entry, s.data);
    }
}

QList<QPair<int, int>> selectorsOf(LearningTable& table, int area)
{
    QList<QPair<int, int>> selectors;
    const LearningAreaInfo& info = LearningTable::area(area);
    for (int entry = info.firstEntry; entry <= info.lastEntry(); ++entry)
        selectors.append({table.relayIndex(entry), table.functionIndex(entry)});
    return selectors;
}

// What reached the tty once `expected` bytes are there and stragglers had time to follow.
QByteArray busBytes(const PtyBus& bus, qsizetype expected = 0)
{
    bus.waitForBytes(expected, 10000);
    waitWithEvents(40);
    return bus.received();
}

QByteArray spaced(const QByteArray& bytes)
{
    return bytes.toHex(' ').toUpper();
}

// One step of a procedure as seen from outside: a frame on the tty, or a moment the test saw
// (a click, a box being shown). `waitBefore` is the least time since the previous step.
// A span between two steps runs from the earlier one's `from` to the later one's `to`. A
// frame is seen only after it was written: on the tty, and in the port's report of the
// write; it ends a span at its arrival and starts one at the earlier of the two sightings.
struct Step
{
    QByteArray frame; // hex text as sent; empty for a moment of the test
    int waitBefore = 0;
    Clock::time_point from{};
    Clock::time_point to{};
};

QByteArray bytesOf(const std::vector<Step>& steps)
{
    QByteArray bytes;
    for (const Step& step : steps)
        bytes += hexTextToBytes(step.frame);
    return bytes;
}

// For each frame step, the time stamp of the chunk holding its first byte.
template <typename Chunk, typename Stamp>
void stampFrames(std::vector<Step>& steps, const std::vector<Chunk>& chunks, Stamp stamp)
{
    qsizetype offset = 0;
    for (Step& step : steps) {
        if (step.frame.isEmpty())
            continue;
        qsizetype chunkStart = 0;
        for (const Chunk& chunk : chunks) {
            if (offset < chunkStart + qsizetype(chunk.size)) {
                stamp(step, chunk.at);
                break;
            }
            chunkStart += qsizetype(chunk.size);
        }
        offset += hexTextToBytes(step.frame).size();
    }
}

void stampArrivals(std::vector<Step>& steps, const std::vector<PtyBus::Piece>& pieces)
{
    struct Arrival
    {
        Clock::time_point at;
        qsizetype size;
    };
    std::vector<Arrival> arrivals;
    for (const PtyBus::Piece& piece : pieces)
        arrivals.push_back({piece.at, piece.bytes.size()});
    stampFrames(steps, arrivals, [](Step& step, Clock::time_point at) {
        step.to = at;
        if (step.from == Clock::time_point() || at < step.from)
            step.from = at;
    });
}

// The port's reports of finished writes, handled on the window's thread as soon as the wait
// after the write processes events. The tty reader alone can see a frame several
// milliseconds late on a busy machine, too late to time the wait after a frame from there.
class WriteReports
{
public:
    struct Report
    {
        Clock::time_point at;
        qint64 size;
    };

    explicit WriteReports(SerialPort& port)
    {
        if (auto* device = port.findChild<QSerialPort*>())
            m_connection = QObject::connect(device, &QSerialPort::bytesWritten, [this](qint64 n) {
                m_reports.push_back({Clock::now(), n});
            });
    }
    ~WriteReports() { QObject::disconnect(m_connection); }

    void stamp(std::vector<Step>& steps) const
    {
        stampFrames(steps, m_reports, [](Step& step, Clock::time_point at) { step.from = at; });
    }

private:
    QMetaObject::Connection m_connection;
    std::vector<Report> m_reports;
};

// Every step comes no earlier than the waits since any earlier step allow.
QString firstEarlyStep(const std::vector<Step>& steps)
{
    for (std::size_t later = 1; later < steps.size(); ++later) {
        int least = 0;
        for (std::size_t earlier = later; earlier-- > 0;) {
            least += steps[earlier + 1].waitBefore;
            const auto span = steps[later].to - steps[earlier].from;
            if (steps[earlier].from == Clock::time_point() || span < Ms(least))
                return QStringLiteral("step %1 came %2 ms after step %3, at least %4 expected")
                    .arg(later)
                    .arg(std::chrono::duration<double, std::milli>(span).count(), 0, 'f', 2)
                    .arg(earlier)
                    .arg(least);
        }
    }
    return {};
}

// The steps of a page write from its click to its return. sendHexText waits one millisecond
// per character after each frame, on top of the procedure's own waits.
std::vector<Step> pageWriteSteps(int area, const QByteArrayList& entryFrames, bool confirmed)
{
    const int fixedFrameWait = 18;
    std::vector<Step> steps{{{}, 0}};
    steps.push_back({learningStartFrame, 20});
    steps.push_back({areaStartFrame(area), fixedFrameWait + 200});
    steps.push_back({{}, fixedFrameWait + (area == 3 ? 100 : 200)}); // "确认写入" shown
    if (confirmed) {
        int owed = 0;
        for (const QByteArray& frame : entryFrames) {
            steps.push_back({frame, owed});
            owed = int(frame.size()) + 150;
        }
        steps.push_back({areaEndFrame(area), owed + 200});
    } else {
        steps.push_back({areaEndFrame(area), 20});
    }
    steps.push_back({learningEndFrame, fixedFrameWait + 200});
    steps.push_back({{}, fixedFrameWait + 100}); // the click returned
    return steps;
}

void markStep(Step& step)
{
    step.from = step.to = Clock::now();
}

// Runs a page write through its button, noting the click, the confirmation box, the return
// and the port's write reports; the arrivals on the tty are for the caller to stamp.
std::vector<Step> runPageWrite(WindowFixture& f, int area, const QByteArrayList& entryFrames,
                               bool confirmed)
{
    std::vector<Step> steps = pageWriteSteps(area, entryFrames, confirmed);
    const auto previousOnShow = f.dialogs.onShow;
    f.dialogs.onShow = [&](const ScriptedDialogs::Shown& shown) {
        if (previousOnShow)
            previousOnShow(shown);
        if (shown.text == QStringLiteral("确认写入"))
            markStep(steps[3]); // after any callback: the box closes after this moment
    };
    if (!confirmed)
        f.dialogs.answerNext(UserDialogs::answerCancel);
    const WriteReports writes(f.window->serialPort());
    markStep(steps.front());
    f.click(QString::fromUtf8(pageButtons[area - 1]));
    markStep(steps.back());
    writes.stamp(steps);
    f.dialogs.onShow = previousOnShow;
    return steps;
}

// A disabled button ignores clicks; its handler is still reached through its signal.
void runHandlerOf(QPushButton* button)
{
    emit button->clicked(false);
}

// Every position the progress bar takes, in order.
QProgressBar* recordProgress(const WindowFixture& f, QList<int>& positions)
{
    auto* progress = f.find<QProgressBar>(QStringLiteral("进度条1"));
    QObject::connect(progress, &QProgressBar::valueChanged, progress,
                     [&positions](int value) { positions.append(value); });
    return progress;
}

} // namespace

Q_DECLARE_METATYPE(EntrySetting)

class ProceduresTest : public QObject
{
    Q_OBJECT
private slots:
    void managementCommands_data();
    void managementCommands();
    void eraseLearningArea_data();
    void eraseLearningArea();
    void pageWrite_data();
    void pageWrite();
    void rejectedTextStopsThePageWrite_data();
    void rejectedTextStopsThePageWrite();
    void otherProceduresWaitForTheWrite();
    void editsDuringTheWriteAreNotSentUnchecked();
    void windowClosedDuringTheWrite_data();
    void windowClosedDuringTheWrite();
    void testSend_data();
    void testSend();
};

void ProceduresTest::managementCommands_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("modeIndex");
    QTest::addColumn<int>("addressIndex");
    QTest::addColumn<QString>("confirmation");
    QTest::addColumn<QByteArray>("frame"); // empty: nothing is sent

    const QString modeText = QStringLiteral("即将对总线上_所有_模块进行干接点模式设置；");
    const QString addressText = QStringLiteral("即将对总线上_所有_面板进行写地址操作；");
    QTest::newRow("network config")
        << QStringLiteral("按钮007") << 0 << 0 << QStringLiteral("总线上_所有_模块将进入配网状态；")
        << QByteArray("FD66666666FF00FFDF");
    QTest::newRow("switch panel") << QStringLiteral("按钮008") << 0 << 0
                                  << QStringLiteral("尽量避免多次点击生成面板")
                                  << QByteArray("FD66666666FF01FFDF");
    QTest::newRow("mode 复位开关")
        << QStringLiteral("按钮005") << 0 << 0 << modeText << QByteArray("FD66666667AAC9C0DF");
    QTest::newRow("mode 船型开关")
        << QStringLiteral("按钮005") << 1 << 0 << modeText << QByteArray("FD66666667AAC9C1DF");
    QTest::newRow("mode 传感器") << QStringLiteral("按钮005") << 2 << 0 << modeText
                                 << QByteArray("FD66666667AAC9C2DF");
    QTest::newRow("no mode selected")
        << QStringLiteral("按钮005") << -1 << 0 << modeText << QByteArray();
    QTest::newRow("address FE") << QStringLiteral("按钮006") << 0 << 254 << addressText
                                << QByteArray("FD66666688DDFFFECF");
    QTest::newRow("no address selected")
        << QStringLiteral("按钮006") << 0 << -1 << addressText << QByteArray("FD66666688DDFFCF");
}

void ProceduresTest::managementCommands()
{
    QFETCH(QString, button);
    QFETCH(int, modeIndex);
    QFETCH(int, addressIndex);
    QFETCH(QString, confirmation);
    QFETCH(QByteArray, frame);

    WindowFixture f;
    QVERIFY(f.openPort());
    f.bus.clearReceived();
    f.find<QComboBox>(QStringLiteral("组合框1"))->setCurrentIndex(modeIndex);
    f.find<QComboBox>(QStringLiteral("组合框2"))->setCurrentIndex(addressIndex);

    f.dialogs.answerNext(UserDialogs::answerCancel);
    f.click(button);
    QCOMPARE(busBytes(f.bus), QByteArray());

    Clock::time_point boxClosed;
    f.dialogs.onShow = [&](const ScriptedDialogs::Shown&) { boxClosed = Clock::now(); };
    f.click(button);
    const Clock::time_point returned = Clock::now();
    const QByteArray bytes = hexTextToBytes(frame);
    QCOMPARE(spaced(busBytes(f.bus, bytes.size())), spaced(bytes));

    QCOMPARE(f.dialogs.shown.size(), std::size_t(2));
    for (const ScriptedDialogs::Shown& shown : f.dialogs.shown) {
        QCOMPARE(shown.text, confirmation);
        QCOMPARE(shown.caption, infoCaption);
        QVERIFY(shown.withCancel);
    }
    if (!bytes.isEmpty())
        QVERIFY(f.bus.pieces().front().at >= boxClosed + Ms(100));
    // Both waits are taken, also when there was no frame to send.
    QVERIFY(returned >= boxClosed + Ms(100 + frame.size() + 100));
    QVERIFY(f.window->receiveMonitor().logText().isEmpty());
}

void ProceduresTest::eraseLearningArea_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QByteArray>("frame");
    QTest::newRow("area 1") << QStringLiteral("按钮002") << QByteArray("FD66666666AABBF1DF");
    QTest::newRow("area 2") << QStringLiteral("按钮10") << QByteArray("FD66666666AABBF2DF");
    QTest::newRow("feedback area") << QStringLiteral("按钮11") << QByteArray("FD66666666AABBF3DF");
}

void ProceduresTest::eraseLearningArea()
{
    QFETCH(QString, button);
    QFETCH(QByteArray, frame);

    QList<int> progressValues;
    WindowFixture f;
    QVERIFY(f.openPort());
    f.bus.clearReceived();
    QProgressBar* progress = recordProgress(f, progressValues);

    f.dialogs.answerNext(UserDialogs::answerCancel);
    f.click(button);
    QCOMPARE(busBytes(f.bus), QByteArray());
    QVERIFY(progressValues.isEmpty());

    Clock::time_point confirmed;
    Clock::time_point doneShown;
    int progressWhileDone = -1;
    f.dialogs.onShow = [&](const ScriptedDialogs::Shown& shown) {
        if (shown.text == QStringLiteral("完成擦除")) {
            doneShown = Clock::now();
            progressWhileDone = progress->value();
        } else {
            confirmed = Clock::now();
        }
    };
    f.click(button);
    QCOMPARE(spaced(busBytes(f.bus, 9)), spaced(hexTextToBytes(frame)));

    const QString confirm = QStringLiteral("确认擦除");
    const QString done = QStringLiteral("完成擦除");
    QCOMPARE(f.dialogs.shown.size(), std::size_t(3));
    for (int i : {0, 1}) {
        QCOMPARE(f.dialogs.shown[i].text, confirm);
        QCOMPARE(f.dialogs.shown[i].caption, confirm);
        QVERIFY(f.dialogs.shown[i].withCancel);
    }
    QCOMPARE(f.dialogs.shown[2].text, done);
    QCOMPARE(f.dialogs.shown[2].caption, done);
    QVERIFY(!f.dialogs.shown[2].withCancel);

    QCOMPARE(progressValues, (QList<int>{50, 100, 0}));
    QCOMPARE(progressWhileDone, 100);
    QVERIFY(f.bus.pieces().front().at >= confirmed + Ms(20));
    QVERIFY(doneShown >= confirmed + Ms(20 + 18 + 100));
}

void ProceduresTest::pageWrite_data()
{
    QTest::addColumn<int>("area");
    QTest::addColumn<bool>("confirmed");
    QTest::addColumn<EntrySettings>("entries");
    QTest::addColumn<QByteArrayList>("entryFrames");    // hex texts, as sent, when confirmed
    QTest::addColumn<EntrySettings>("sceneWriteBacks"); // selectors changed by a confirmed write

    const QString sceneData = QStringLiteral("01 00 FF 01 00 00 00 00 7E");
    struct Page
    {
        const char* name;
        int area;
        EntrySettings entries;
        QByteArrayList frames;
        EntrySettings writeBacks;
    };
    const Page pages[] = {
        {"area 1",
         1,
         {{1, 1, 0, QStringLiteral("01 02")},
          {2, 2, 1, QStringLiteral("  ")},
          {3, 10, 2, QStringLiteral("AB")},
          {4, 16, 3, "0A" + fullWidthBlank + "1B"},
          {5, 3, 4, sceneData},
          {6, 17, 1, QStringLiteral("ABC")},
          {7, 0, 4, QStringLiteral("11")},
          {8, 1, 1, QString()},
          {9, -1, 1, QStringLiteral("22")},
          {10, 1, -1, QStringLiteral("33")},
          {20, 4, 1, digits(98)},
          {41, 16, 3, QStringLiteral("55")}},
         {"FDDF1D0100010102", "FDDF1D020102", "FDDF2D0AFF03AB", "FDDF3D10FF040A1B",
          "FDDF4DFFFF050100FF01000000007E", "FDDF4DFFFF06ABC",
          "FDDF1D040114" + digits(98).toLatin1(), "FDDF3D10FF2955"},
         {{5, 17, 4, {}}, {6, 17, 4, {}}}},
        {"area 2",
         2,
         {{42, 10, 2, QStringLiteral("AB")},
          {60, 17, 0, QStringLiteral("01 00")},
          {82, 5, 4, QStringLiteral("7E")}},
         {"FDDF2D0AFF2AAB", "FDDF4DFFFF3C0100", "FDDF4DFFFF527E"},
         {{60, 17, 4, {}}, {82, 17, 4, {}}}},
        {"feedback area",
         3,
         {{83, 16, 1, QStringLiteral("AABB")},
          {100, 0, 1, QStringLiteral("11")},
          {123, 1, 0, QStringLiteral("7E 7E")}},
         {"FDDF5D100153AABB", "FDDF5D01007B7E7E"},
         {}},
        {"every entry left out",
         2,
         {{42, 0, 4, QStringLiteral("11")},
          {43, 3, 1, QString()},
          {44, -1, 1, QStringLiteral("22")}},
         {},
         {}},
    };
    for (const Page& page : pages) {
        for (const bool confirmed : {true, false}) {
            QTest::addRow("%s, %s", page.name, confirmed ? "confirmed" : "cancelled")
                << page.area << confirmed << page.entries << page.frames << page.writeBacks;
        }
    }
}

void ProceduresTest::pageWrite()
{
    QFETCH(int, area);
    QFETCH(bool, confirmed);
    QFETCH(EntrySettings, entries);
    QFETCH(QByteArrayList, entryFrames);
    QFETCH(EntrySettings, sceneWriteBacks);

    QList<int> progressValues;
    WindowFixture f;
    QVERIFY(f.openPort());
    f.bus.clearReceived();
    LearningTable& table = f.window->learningTable();
    fillArea(table, area, entries);
    QList<QPair<int, int>> expectedSelectors = selectorsOf(table, area);
    if (confirmed) {
        for (const EntrySetting& s : sceneWriteBacks)
            expectedSelectors[s.entry - LearningTable::area(area).firstEntry] = {s.relay,
                                                                                 s.function};
    }
    QProgressBar* progress = recordProgress(f, progressValues);
    int progressWhileConfirming = -1;
    f.dialogs.onShow = [&](const ScriptedDialogs::Shown&) {
        progressWhileConfirming = progress->value();
    };

    std::vector<Step> steps = runPageWrite(f, area, entryFrames, confirmed);

    const QByteArray expected = bytesOf(steps);
    QCOMPARE(spaced(busBytes(f.bus, expected.size())), spaced(expected));
    stampArrivals(steps, f.bus.pieces());
    const QString early = firstEarlyStep(steps);
    QVERIFY2(early.isEmpty(), qPrintable(early));

    QCOMPARE(f.dialogs.shown.size(), std::size_t(1));
    QCOMPARE(f.dialogs.shown[0].text, QStringLiteral("确认写入"));
    QCOMPARE(f.dialogs.shown[0].caption, infoCaption);
    QVERIFY(f.dialogs.shown[0].withCancel);
    QCOMPARE(progressWhileConfirming, 0);

    QList<int> expectedProgress;
    if (confirmed) {
        // k x 2.4391 after the k-th entry; the closing 100 is already there, then back to 0.
        expectedProgress = {2,  4,  7,  9,  12, 14, 17, 19, 21, 24, 26, 29, 31,  34,
                            36, 39, 41, 43, 46, 48, 51, 53, 56, 58, 60, 63, 65,  68,
                            70, 73, 75, 78, 80, 82, 85, 87, 90, 92, 95, 97, 100, 0};
    }
    QCOMPARE(progressValues, expectedProgress);
    QCOMPARE(progress->value(), 0);
    QCOMPARE(f.window->receiveMonitor().logText(), confirmed
                                                       ? QStringLiteral("\r\n发送完成！\r\n")
                                                       : QStringLiteral("\r\n取消学习！\r\n"));
    QCOMPARE(selectorsOf(table, area), expectedSelectors);
}

void ProceduresTest::rejectedTextStopsThePageWrite_data()
{
    QTest::addColumn<int>("area");
    QTest::addColumn<EntrySettings>("entries");
    QTest::addColumn<QString>("message");

    const QString tooLong = digits(98) + "G";
    const QString typed = "0A" + fullWidthBlank + "1G ";
    QTest::newRow("in a disabled entry, later ones not reported")
        << 1
        << EntrySettings{{1, 17, 0, QStringLiteral("01")},
                         {3, 0, 1, QStringLiteral("1X")},
                         {30, 1, 1, digits(99)}}
        << notHexMessage + QStringLiteral("1X");
    QTest::newRow("shown as typed, blanks included")
        << 1 << EntrySettings{{2, 3, 4, QStringLiteral("01")}, {41, 1, 1, typed}}
        << notHexMessage + typed;
    QTest::newRow("too long before any character is looked at")
        << 2 << EntrySettings{{60, 0, 0, tooLong}, {70, 1, 1, QStringLiteral("ZZ")}}
        << tooLongMessage + tooLong;
    QTest::newRow("tab in a feedback entry")
        << 3
        << EntrySettings{{83, 1, 1, QStringLiteral("AA")}, {100, 2, 0, QStringLiteral("AA\tBB")}}
        << notHexMessage + QStringLiteral("AA\tBB");
}

void ProceduresTest::rejectedTextStopsThePageWrite()
{
    QFETCH(int, area);
    QFETCH(EntrySettings, entries);
    QFETCH(QString, message);

    QList<int> progressValues;
    WindowFixture f;
    QVERIFY(f.openPort());
    f.bus.clearReceived();
    LearningTable& table = f.window->learningTable();
    fillArea(table, area, entries);
    const QList<QPair<int, int>> selectors = selectorsOf(table, area);
    recordProgress(f, progressValues);

    f.click(QString::fromUtf8(pageButtons[area - 1]));

    QCOMPARE(f.dialogs.shown.size(), std::size_t(1));
    QCOMPARE(f.dialogs.shown[0].text, message);
    QCOMPARE(f.dialogs.shown[0].caption, infoCaption);
    QVERIFY(f.dialogs.shown[0].withCancel);
    QCOMPARE(busBytes(f.bus), QByteArray());
    QVERIFY(f.window->receiveMonitor().logText().isEmpty());
    QVERIFY(progressValues.isEmpty());
    QCOMPARE(selectorsOf(table, area), selectors);
}

void ProceduresTest::otherProceduresWaitForTheWrite()
{
    WindowFixture f;
    QVERIFY(f.openPort());
    f.bus.clearReceived();
    fillArea(f.window->learningTable(), 1,
             {{1, 1, 1, QStringLiteral("01")},
              {2, 2, 1, QStringLiteral("02")},
              {3, 3, 1, QStringLiteral("03")},
              {4, 4, 1, QStringLiteral("04")}});
    f.find<QLineEdit>(QStringLiteral("编辑框5"))->setText(QStringLiteral("AA BB"));

    QStringList enabledDuringWrite;
    QStringList enabledAfterStart;
    bool poked = false; // once: a procedure let through would show boxes of its own
    f.dialogs.onShow = [&](const ScriptedDialogs::Shown&) {
        if (std::exchange(poked, true))
            return;
        QTimer::singleShot(200, f.window.get(), [&] {
            for (const char* name : sendingButtons) {
                QPushButton* button = f.button(QString::fromUtf8(name));
                if (button->isEnabled())
                    enabledDuringWrite.append(button->objectName());
                runHandlerOf(button);
            }
            // "启动" stays usable and reopens the port; it must not free the buttons early.
            f.click(QStringLiteral("按钮1"));
            for (const char* name : sendingButtons) {
                if (f.button(QString::fromUtf8(name))->isEnabled())
                    enabledAfterStart.append(QString::fromUtf8(name));
            }
        });
    };
    std::vector<Step> steps = runPageWrite(
        f, 1, {"FDDF1D01010101", "FDDF1D02010202", "FDDF1D03010303", "FDDF1D04010404"}, true);

    const QByteArray expected = bytesOf(steps);
    QCOMPARE(spaced(busBytes(f.bus, expected.size())), spaced(expected));
    QCOMPARE(enabledDuringWrite, QStringList());
    QCOMPARE(enabledAfterStart, QStringList());
    QCOMPARE(f.dialogs.shown.size(), std::size_t(1)); // no other procedure asked anything
    QCOMPARE(f.window->receiveMonitor().logText(), QStringLiteral("\r\n发送完成！\r\n"));
    QVERIFY(f.window->serialPort().isOpen());
    for (const char* name : sendingButtons)
        QVERIFY2(f.button(QString::fromUtf8(name))->isEnabled(), name);
}

void ProceduresTest::editsDuringTheWriteAreNotSentUnchecked()
{
    WindowFixture f;
    QVERIFY(f.openPort());
    f.bus.clearReceived();
    LearningTable& table = f.window->learningTable();
    fillArea(table, 1,
             {{1, 1, 1, QStringLiteral("01")},
              {2, 1, 1, QStringLiteral("02")},
              {5, 1, 1, QStringLiteral("05")},
              {6, 1, 1, QStringLiteral("06")}});

    f.dialogs.onShow = [&](const ScriptedDialogs::Shown&) {
        QTimer::singleShot(100, f.window.get(), [&] {
            table.setDataText(5, QStringLiteral("GG"));
            table.setDataText(6, QStringLiteral("EE"));
            table.setRelayIndex(6, 2); // selectors are read as each entry is reached
        });
    };
    std::vector<Step> steps = runPageWrite(
        f, 1, {"FDDF1D01010101", "FDDF1D01010202", "FDDF1D01010505", "FDDF1D02010606"}, true);

    const QByteArray expected = bytesOf(steps);
    QCOMPARE(spaced(busBytes(f.bus, expected.size())), spaced(expected));
    QCOMPARE(table.dataText(5), QStringLiteral("GG"));
    QCOMPARE(f.dialogs.shown.size(), std::size_t(1));
}

void ProceduresTest::windowClosedDuringTheWrite_data()
{
    QTest::addColumn<bool>("beforeConfirmation");
    QTest::newRow("while the opening frames are paced") << true;
    QTest::newRow("while the entries are paced") << false;
}

void ProceduresTest::windowClosedDuringTheWrite()
{
    QFETCH(bool, beforeConfirmation);

    QList<int> progressValues;
    WindowFixture f;
    QVERIFY(f.openPort());
    f.bus.clearReceived();
    fillArea(f.window->learningTable(), 1,
             {{1, 1, 1, QStringLiteral("01")},
              {2, 2, 1, QStringLiteral("02")},
              {3, 3, 1, QStringLiteral("03")},
              {4, 4, 1, QStringLiteral("04")}});
    auto* progress = f.find<QProgressBar>(QStringLiteral("进度条1"));
    auto* monitor = &f.window->receiveMonitor();

    qsizetype bytesAtClose = -1;
    auto closeWindow = [&] {
        // Nothing is written while this runs: let a frame just written reach the reader.
        std::this_thread::sleep_for(Ms(20));
        bytesAtClose = f.bus.received().size();
        f.window->close();
        connect(progress, &QProgressBar::valueChanged, progress,
                [&](int value) { progressValues.append(value); });
    };
    if (beforeConfirmation)
        QTimer::singleShot(100, f.window.get(), closeWindow);
    else
        f.dialogs.onShow = [&](const ScriptedDialogs::Shown&) {
            QTimer::singleShot(250, f.window.get(), closeWindow);
        };
    const std::vector<Step> steps = pageWriteSteps(
        1, {"FDDF1D01010101", "FDDF1D02010202", "FDDF1D03010303", "FDDF1D04010404"}, true);
    f.click(QStringLiteral("按钮001"));

    QVERIFY(bytesAtClose > 0);
    const QByteArray sent = busBytes(f.bus);
    QCOMPARE(sent.size(), bytesAtClose);
    QVERIFY(bytesOf(steps).startsWith(sent));
    QCOMPARE(f.dialogs.shown.size(), std::size_t(beforeConfirmation ? 0 : 1));
    QVERIFY(progressValues.isEmpty());
    QVERIFY(!monitor->logText().contains(QStringLiteral("完成")));
    QVERIFY(!monitor->logText().contains(QStringLiteral("取消")));
    f.window.reset();
}

void ProceduresTest::testSend_data()
{
    QTest::addColumn<bool>("portOpen");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message"); // empty: no box
    QTest::addColumn<QString>("log");
    QTest::addColumn<QString>("editedDuringWait"); // typed into the box during the wait

    const QString withFullWidth = "0A" + fullWidthBlank + "1B";
    QTest::newRow("blanks kept in the echo, removed on the bus")
        << true << QStringLiteral("FD DF 1D") << QByteArray::fromHex("FDDF1D") << QString()
        << QStringLiteral("FD DF 1D\r\n") << QString();
    QTest::newRow("full-width blank") << true << withFullWidth << QByteArray::fromHex("0A1B")
                                      << QString() << withFullWidth + "\r\n"
                                      << QString();
    QTest::newRow("odd digit count") << true << QStringLiteral("ABC") << QByteArray::fromHex("ABC0")
                                     << QString() << QStringLiteral("ABC\r\n") << QString();
    QTest::newRow("empty") << true << QString() << QByteArray() << QString()
                           << QStringLiteral("\r\n") << QString();
    QTest::newRow("not hex") << true << QStringLiteral("FD DG") << QByteArray()
                             << notHexMessage + QStringLiteral("FD DG") << QString() << QString();
    QTest::newRow("99 digits") << true << digits(99) << QByteArray() << tooLongMessage + digits(99)
                               << QString() << QString();
    QTest::newRow("port closed") << false << QStringLiteral("FD DF") << QByteArray() << QString()
                                 << QStringLiteral("FD DF\r\n") << QString();
    QTest::newRow("edited during the wait")
        << true << QStringLiteral("FD DF") << QByteArray::fromHex("FDDF") << QString()
        << QStringLiteral("FD DF\r\n") << QStringLiteral("GG GG");
}

void ProceduresTest::testSend()
{
    QFETCH(bool, portOpen);
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    QFETCH(QString, log);
    QFETCH(QString, editedDuringWait);

    WindowFixture f;
    if (portOpen)
        QVERIFY(f.openPort());
    f.bus.clearReceived();
    auto* testBox = f.find<QLineEdit>(QStringLiteral("编辑框5"));
    testBox->setText(text);
    if (!editedDuringWait.isEmpty())
        QTimer::singleShot(10, testBox, [&] { testBox->setText(editedDuringWait); });

    const Clock::time_point clicked = Clock::now();
    f.click(QStringLiteral("按钮13"));
    const Clock::time_point returned = Clock::now();

    QCOMPARE(spaced(busBytes(f.bus, bytes.size())), spaced(bytes));
    QCOMPARE(f.window->receiveMonitor().logText(), log);
    if (message.isEmpty()) {
        QVERIFY(f.dialogs.shown.empty());
        QVERIFY(returned >= clicked + Ms(50));
    } else {
        QCOMPARE(f.dialogs.shown.size(), std::size_t(1));
        QCOMPARE(f.dialogs.shown[0].text, message);
        QCOMPARE(f.dialogs.shown[0].caption, infoCaption);
        QVERIFY(f.dialogs.shown[0].withCancel);
    }
    if (!bytes.isEmpty()) {
        QVERIFY(f.bus.pieces().front().at >= clicked + Ms(50));
        const qsizetype digitCount = QString(text).remove(u' ').remove(fullWidthBlank).size();
        QVERIFY(returned >= clicked + Ms(50 + digitCount));
    }
}

QTEST_MAIN(ProceduresTest)
#include "tst_procedures.moc"
