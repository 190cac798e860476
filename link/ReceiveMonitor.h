#pragma once

#include <QObject>
#include <QString>

class QPlainTextEdit;
class QTimer;

// Shows every byte from the bus as two hex digits and a blank in the receive log; a pause in
// the traffic ends the line. The line break is timed from the first byte of a group, so a
// long stream is cut into lines of about 11 ms each.
class ReceiveMonitor : public QObject
{
    Q_OBJECT
public:
    static constexpr int capacity = 20000; // characters, a line break counting as CR LF
    static constexpr int idleIntervalMs = 11;

    ReceiveMonitor(QPlainTextEdit* log, QTimer* idleTimer, QObject* parent = nullptr);

    void showReceivedByte(int value);
    // A whole delivery at once: the same text as byte by byte, since the idle timer cannot
    // tick between the bytes of one delivery.
    void showReceivedBytes(const QByteArray& bytes);
    void endLogLine();
    void clearLog();
    // Inserts at the end of the log whatever the caret, and scrolls the end into view. What
    // does not fit under the capacity is cut off.
    void appendToLog(const QString& text);

    // The log's text with its line breaks as CR LF.
    QString logText() const;
    int logLength() const;
    // The idle timer's interval: 0 when stopped.
    int idleInterval() const { return m_interval; }

private:
    // Setting the interval it already has leaves a running timer alone.
    void setIdleInterval(int milliseconds);

    QPlainTextEdit* m_log;
    QTimer* m_timer;
    int m_interval = 0;
};
