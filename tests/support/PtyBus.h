#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

// A pseudo-terminal pair standing in for the bus. The tool opens the slave (through a
// "COM<n>" link); the test reads what crossed the tty from the master, with the time each
// piece arrived, and writes the modules' replies into it.
class PtyBus
{
public:
    using Clock = std::chrono::steady_clock;
    struct Piece
    {
        Clock::time_point at;
        QByteArray bytes;
    };

    PtyBus();
    ~PtyBus();
    PtyBus(const PtyBus&) = delete;
    PtyBus& operator=(const PtyBus&) = delete;

    bool isValid() const { return m_master >= 0; }
    QString slavePath() const { return m_slavePath; }
    // Makes `portsFolder`/COM<n> lead to the slave.
    bool linkAs(const QString& portsFolder, int portNumber) const;

    // Bytes the tool wrote, in order, with their arrival times.
    QByteArray received() const;
    std::vector<Piece> pieces() const;
    void clearReceived();
    // Waits, handling the test's Qt events, until `count` bytes have arrived.
    bool waitForBytes(qsizetype count, int timeoutMs = 5000) const;

    // Bytes from the "modules" to the tool.
    void reply(const QByteArray& bytes) const;
    // Pulls the cable: the master side goes away.
    void hangUp();

private:
    void readLoop();

    int m_master = -1;
    int m_slaveKeeper = -1; // keeps the line up between the tool's opens
    QString m_slavePath;
    std::atomic<bool> m_stop{false};
    std::thread m_reader;
    mutable std::mutex m_mutex;
    std::vector<Piece> m_pieces;
};
