// How much the paced wait costs, how exact it is, and how fast the receive log takes bytes.
#include "link/HexTransmit.h"
#include "link/ReceiveMonitor.h"
#include "support/WindowFixture.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <thread>
#include <vector>

namespace {

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

void waitCost()
{
    // The way procedures use it: an 18 ms wait after each frame, then a longer pause.
    QElapsedTimer wall;
    const double cpuStart = cpuSeconds();
    wall.start();
    for (int round = 0; round < 10; ++round) {
        waitWithEvents(18);
        waitWithEvents(150);
    }
    waitWithEvents(1000);
    const double cpu = cpuSeconds() - cpuStart;
    const double seconds = double(wall.nsecsElapsed()) / 1e9;
    std::printf("waitWithEvents: %.4f CPU seconds per second over %.2f s (goal <= 0.02)\n",
                cpu / seconds, seconds);
}

void waitOvershoot()
{
    std::vector<double> overshootMs;
    for (int i = 0; i < 200; ++i) {
        QElapsedTimer clock;
        clock.start();
        waitWithEvents(20);
        overshootMs.push_back(double(clock.nsecsElapsed()) / 1e6 - 20.0);
    }
    std::sort(overshootMs.begin(), overshootMs.end());
    std::printf("20 ms wait overshoot: median %.3f ms, worst %.3f ms, shortest %.3f ms "
                "(200 waits)\n",
                overshootMs[overshootMs.size() / 2], overshootMs.back(), overshootMs.front());
}

void logAbsorption()
{
    WindowFixture f;
    if (!f.openPort()) {
        std::printf("receive log: the pseudo-terminal did not open\n");
        return;
    }
    ReceiveMonitor& monitor = f.window->receiveMonitor();
    // Enough bytes to fill the log (three characters each, plus line breaks).
    const int total = 7000;
    QByteArray stream(total, 0);
    for (int i = 0; i < total; ++i)
        stream[i] = char(i * 37);

    QElapsedTimer wall;
    const double cpuStart = cpuSeconds();
    wall.start();
    std::thread feeder([&] {
        for (int at = 0; at < total; at += 64) {
            f.bus.reply(stream.mid(at, 64));
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    QElapsedTimer safety;
    safety.start();
    while (monitor.logLength() < ReceiveMonitor::capacity && safety.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    const double seconds = double(wall.nsecsElapsed()) / 1e9;
    const double cpu = cpuSeconds() - cpuStart;
    feeder.join();
    // Bytes shown: every piece is three characters; line breaks take two.
    const QString text = monitor.logText();
    const qsizetype shownBytes = (text.size() - text.count(QStringLiteral("\r\n")) * 2) / 3;
    std::printf("receive log: %lld bytes shown until the %d-character cap in %.3f s: "
                "%.0f bytes/s, %.1f CPU us per byte\n",
                static_cast<long long>(shownBytes), ReceiveMonitor::capacity, seconds,
                double(shownBytes) / seconds, cpu * 1e6 / double(shownBytes));
}

// Deliveries of one byte each, the worst case for the log: every byte is its own append.
void logSingleByteAppends()
{
    WindowFixture f;
    ReceiveMonitor& monitor = f.window->receiveMonitor();
    QElapsedTimer wall;
    const double cpuStart = cpuSeconds();
    wall.start();
    int bytes = 0;
    while (monitor.logLength() < ReceiveMonitor::capacity) {
        monitor.showReceivedByte(bytes & 0xFF);
        ++bytes;
        if (bytes % 13 == 0)
            monitor.endLogLine();
    }
    const double seconds = double(wall.nsecsElapsed()) / 1e9;
    const double cpu = cpuSeconds() - cpuStart;
    std::printf("receive log, one byte per append: %d bytes in %.3f s: %.0f bytes/s, "
                "%.1f CPU us per byte\n",
                bytes, seconds, double(bytes) / seconds, cpu * 1e6 / double(bytes));
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    waitCost();
    waitOvershoot();
    logAbsorption();
    logSingleByteAppends();
    return 0;
}
