#include "support/PtyBus.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

PtyBus::PtyBus()
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0)
        return;
    if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
        ::close(m_master);
        m_master = -1;
        return;
    }
    m_slavePath = QString::fromLocal8Bit(::ptsname(m_master));
    // Raw from the start, so nothing written before the tool opens the line is echoed.
    m_slaveKeeper = ::open(m_slavePath.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    if (m_slaveKeeper >= 0) {
        termios raw{};
        ::tcgetattr(m_slaveKeeper, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(m_slaveKeeper, TCSANOW, &raw);
    }
    m_reader = std::thread([this] { readLoop(); });
}

PtyBus::~PtyBus()
{
    m_stop = true;
    if (m_reader.joinable())
        m_reader.join();
    if (m_slaveKeeper >= 0)
        ::close(m_slaveKeeper);
    if (m_master >= 0)
        ::close(m_master);
}

bool PtyBus::linkAs(const QString& portsFolder, int portNumber) const
{
    QDir().mkpath(portsFolder);
    const QString link = portsFolder + QStringLiteral("/COM") + QString::number(portNumber);
    QFile::remove(link);
    return QFile::link(m_slavePath, link);
}

void PtyBus::readLoop()
{
    char buffer[4096];
    while (!m_stop) {
        int fd;
        {
            std::lock_guard lock(m_mutex);
            fd = m_master;
        }
        if (fd < 0)
            return;
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, 5);
        if (ready <= 0)
            continue;
        if (p.revents & POLLIN) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n > 0) {
                std::lock_guard lock(m_mutex);
                m_pieces.push_back({Clock::now(), QByteArray(buffer, n)});
                continue;
            }
        }
        // No slave open at the moment: nothing to read until the tool opens it again.
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

QByteArray PtyBus::received() const
{
    std::lock_guard lock(m_mutex);
    QByteArray all;
    for (const Piece& piece : m_pieces)
        all += piece.bytes;
    return all;
}

std::vector<PtyBus::Piece> PtyBus::pieces() const
{
    std::lock_guard lock(m_mutex);
    return m_pieces;
}

void PtyBus::clearReceived()
{
    std::lock_guard lock(m_mutex);
    m_pieces.clear();
}

bool PtyBus::waitForBytes(qsizetype count, int timeoutMs) const
{
    QDeadlineTimer deadline(timeoutMs);
    while (received().size() < count) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void PtyBus::reply(const QByteArray& bytes) const
{
    std::lock_guard lock(m_mutex);
    if (m_master >= 0) [[maybe_unused]]
        const ssize_t n = ::write(m_master, bytes.constData(), size_t(bytes.size()));
}

void PtyBus::hangUp()
{
    std::lock_guard lock(m_mutex);
    if (m_master >= 0) {
        ::close(m_master);
        m_master = -1;
    }
}
