// A full page write (41 entries in use) through a pseudo-terminal, window offscreen.
// Prints how close the write comes to its pacing floor and how much processor it uses while
// it waits. Usage: bench_pagewrite [rounds]
#include "app/LearningTable.h"
#include "link/HexTransmit.h"
#include "support/WindowFixture.h"

#include <QApplication>
#include <QStringList>

#include <chrono>
#include <cstdio>
#include <ctime>

namespace {

using Clock = PtyBus::Clock;

QByteArray hexPair(int value)
{
    return QByteArray::number(value, 16).rightJustified(2, '0').toUpper();
}

// Realistic entries: every frame kind of area 1, 8 to 20 data bytes typed with blanks.
// Returns the hex texts the write must send for them, in order.
QByteArrayList fillRealisticPage(LearningTable& table)
{
    const char* kinds[] = {"1D", "1D", "2D", "3D", "4D"}; // by function index
    const char* parameters[] = {"00", "01", "FF", "FF", "FF"};
    QByteArrayList frames;
    for (int entry = 1; entry <= 41; ++entry) {
        const int relay = (entry - 1) % 16 + 1;
        const int function = (entry - 1) % 5; // 4 is "场景"
        const int byteCount = 8 + (entry * 7) % 13;
        QStringList typed;
        QByteArray data;
        for (int i = 0; i < byteCount; ++i) {
            const QByteArray pair = hexPair((entry * 31 + i * 17) % 256);
            typed.append(QString::fromLatin1(pair));
            data += pair;
        }
        table.setRelayIndex(entry, relay);
        table.setFunctionIndex(entry, function);
        table.setDataText(entry, typed.join(u' '));
        frames.append("FDDF" + QByteArray(kinds[function]) +
                      (function == 4 ? QByteArray("FF") : hexPair(relay)) + parameters[function] +
                      hexPair(entry) + data);
    }
    return frames;
}

double seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

struct Round
{
    double wallToLastFrame = 0;
    double floor = 0;
    double cpuShare = 0;
    bool framesRight = false;
};

Round runRound()
{
    WindowFixture f;
    Round round;
    if (!f.openPort())
        return round;
    LearningTable& table = f.window->learningTable();
    const QByteArrayList frames = fillRealisticPage(table);

    // Waits owed before the learning end frame goes out, counted from the confirmation.
    int floorMs = 0;
    QByteArray expected =
        hexTextToBytes("FD66666666AAAAAADF") + hexTextToBytes("FD66666666AAABA1DF");
    for (const QByteArray& frame : frames) {
        floorMs += int(frame.size()) + 150;
        expected += hexTextToBytes(frame);
    }
    floorMs += 200 + 18 + 200; // before the area end frame, its own wait, the wait after it
    expected += hexTextToBytes("FD66666666AAABB1DF") + hexTextToBytes("FD66666666AAAABBDF");

    Clock::time_point confirmed;
    std::clock_t cpuAtConfirmation = 0;
    f.dialogs.onShow = [&](const ScriptedDialogs::Shown&) {
        cpuAtConfirmation = std::clock();
        confirmed = Clock::now();
    };
    f.bus.clearReceived();
    f.click(QStringLiteral("按钮001"));
    const Clock::time_point returned = Clock::now();
    const std::clock_t cpuAtReturn = std::clock();

    f.bus.waitForBytes(expected.size(), 10000);
    const std::vector<PtyBus::Piece> pieces = f.bus.pieces();
    round.framesRight = f.bus.received() == expected;
    if (pieces.empty())
        return round;
    round.wallToLastFrame = seconds(pieces.back().at - confirmed);
    round.floor = floorMs / 1000.0;
    round.cpuShare =
        (double(cpuAtReturn - cpuAtConfirmation) / CLOCKS_PER_SEC) / seconds(returned - confirmed);
    return round;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? qMax(1, QByteArray(argv[1]).toInt()) : 3;

    std::printf("page write, 41 entries in use, through a pty (goals: wall/floor <= 1.03, "
                "cpu/wall <= 0.03)\n");
    double worstRatio = 0;
    double worstCpu = 0;
    bool allRight = true;
    for (int i = 1; i <= rounds; ++i) {
        const Round r = runRound();
        const double ratio = r.floor > 0 ? r.wallToLastFrame / r.floor : 0;
        std::printf("round %d: confirmation to last frame %.3f s, floor %.3f s, wall/floor %.4f, "
                    "cpu/wall %.4f%s\n",
                    i, r.wallToLastFrame, r.floor, ratio, r.cpuShare,
                    r.framesRight ? "" : "  (FRAMES WRONG)");
        worstRatio = qMax(worstRatio, ratio);
        worstCpu = qMax(worstCpu, r.cpuShare);
        allRight = allRight && r.framesRight;
    }
    std::printf("worst: wall/floor %.4f (goal <= 1.03) %s, cpu/wall %.4f (goal <= 0.03) %s\n",
                worstRatio, worstRatio <= 1.03 ? "met" : "MISSED", worstCpu,
                worstCpu <= 0.03 ? "met" : "MISSED");
    return allRight ? 0 : 1;
}
