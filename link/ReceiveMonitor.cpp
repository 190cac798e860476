#include "link/ReceiveMonitor.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>

ReceiveMonitor::ReceiveMonitor(QPlainTextEdit* log, QTimer* idleTimer, QObject* parent)
    : QObject(parent), m_log(log), m_timer(idleTimer)
{
    m_timer->setSingleShot(false);
    m_timer->setTimerType(Qt::PreciseTimer);
    m_timer->stop();
    connect(m_timer, &QTimer::timeout, this, &ReceiveMonitor::endLogLine);
    // The monitor's own insertions are not the user's edits to undo.
    m_log->setUndoRedoEnabled(false);
}

void ReceiveMonitor::showReceivedByte(int value)
{
    showReceivedBytes(QByteArray(1, char(value)));
}

void ReceiveMonitor::showReceivedBytes(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return;
    static const char digits[] = "0123456789ABCDEF";
    QString pieces;
    pieces.reserve(bytes.size() * 3);
    for (const char byte : bytes) {
        pieces.append(QLatin1Char(digits[(quint8(byte) >> 4) & 0xF]));
        pieces.append(QLatin1Char(digits[quint8(byte) & 0xF]));
        pieces.append(QLatin1Char(' '));
    }
    appendToLog(pieces);
    setIdleInterval(idleIntervalMs);
}

void ReceiveMonitor::endLogLine()
{
    appendToLog(QStringLiteral("\r\n"));
    setIdleInterval(0);
}

void ReceiveMonitor::clearLog()
{
    m_log->clear();
}

void ReceiveMonitor::setIdleInterval(int milliseconds)
{
    if (milliseconds == m_interval)
        return;
    m_timer->stop();
    m_interval = milliseconds;
    if (milliseconds > 0)
        m_timer->start(milliseconds);
}

int ReceiveMonitor::logLength() const
{
    // A block separator stands for CR LF, as the log counts them.
    const QTextDocument* document = m_log->document();
    return document->characterCount() - 1 + (document->blockCount() - 1);
}

QString ReceiveMonitor::logText() const
{
    QString text = m_log->toPlainText();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

void ReceiveMonitor::appendToLog(const QString& text)
{
    int room = capacity - logLength();
    if (room <= 0 || text.isEmpty())
        return;
    // CR LF is one block break in the document; a lone CR or LF is one as well.
    QString fitting;
    fitting.reserve(qMin<qsizetype>(text.size(), room));
    for (qsizetype i = 0; i < text.size() && room > 0; ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            const bool pair =
                c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n');
            const int width = pair ? 2 : 1;
            if (width > room)
                break;
            fitting.append(QLatin1Char('\n'));
            room -= width;
            if (pair)
                ++i;
        } else {
            fitting.append(c);
            --room;
        }
    }
    QTextCursor end(m_log->document());
    end.movePosition(QTextCursor::End);
    m_log->setTextCursor(end);
    end.insertText(fitting);
    m_log->setTextCursor(end);
    m_log->ensureCursorVisible();
}
