#include "CTerminalProgress.h"

#include "CFrameLog.h"
#include "FrameLogText.h"

#include "CSerialComm.h"
#include "Console.h"
#include "PortOutcome.h"

#include <cstdio>

namespace {

// A terminal keeps up with far fewer redraws than a trickling line has bytes.
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

// Columns on the terminal: CJK characters take two.
int Columns(const QString& text)
{
    int columns = 0;
    for (const QChar c : text)
        columns += c.unicode() >= 0x1100 ? 2 : 1;
    return columns;
}

// At most `columns` columns of line, the port's path shortened from its
// start first, since its end and the count are what tell the ports apart.
QString Fitted(const QString& prefix, QString port, const QString& rest, int columns)
{
    const QString ellipsis(QChar(0x2026));
    while (Columns(prefix + port + rest) > columns && port.size() > 1)
        port = ellipsis + port.mid(2);
    QString line = prefix + port + rest;
    while (Columns(line) > columns && !line.isEmpty())
        line.chop(1);
    return line;
}

void Write(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

} // namespace

CTerminalProgress::CTerminalProgress() : m_shown(Console::ErrorIsTerminal()) {}

CTerminalProgress::~CTerminalProgress()
{
    Clear();
}

void CTerminalProgress::SetPortCount(int count)
{
    const std::lock_guard<std::mutex> lock(m_lock);
    m_portCount = count;
    m_portsDone = 0;
}

void CTerminalProgress::Step(const QString& port, const QString& step)
{
    if (!m_shown)
        return;
    const std::lock_guard<std::mutex> lock(m_lock);
    m_port = port;
    m_step = step;
    m_received = 0;
    m_expected = 0;
    Draw();
}

void CTerminalProgress::Stepped(const QString& port, CPortTaskObserver::Step step)
{
    Step(port, PortOutcome::StepText(step));
}

void CTerminalProgress::Observe(CSerialComm& serial, const QString& port)
{
    if (m_tracing) {
        const std::lock_guard<std::mutex> lock(m_lock);
        CFrameLog& log = m_logs.emplace_back();
        log.SetListener(
            [this, port](const FrameRecord& record) { Trace(port, FrameLogText::Line(record)); });
        serial.SetFrameLog(&log);
    }
    if (!m_shown)
        return;
    serial.SetReplyObserver(
        [this, port](int received, int expected) { Received(port, received, expected); });
}

void CTerminalProgress::Trace(const QString& port, const QString& line)
{
    const std::lock_guard<std::mutex> lock(m_lock);
    if (m_shown)
        Erase();
    const QByteArray bytes = (port + QLatin1Char(' ') + line + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

void CTerminalProgress::Received(const QString& port, int received, int expected)
{
    const std::lock_guard<std::mutex> lock(m_lock);
    const bool finished = received >= expected;
    if (port != m_port && !finished) {
        m_port = port;
        m_drawnAt = {};
    }
    if (port != m_port)
        return;
    m_received = received;
    m_expected = expected;
    if (finished || Clock::now() - m_drawnAt >= kRedrawInterval)
        Draw();
}

void CTerminalProgress::PortDone(const QString& port)
{
    if (!m_shown)
        return;
    const std::lock_guard<std::mutex> lock(m_lock);
    ++m_portsDone;
    if (port == m_port) {
        m_step.clear();
        m_expected = 0;
    }
    Draw();
}

void CTerminalProgress::Clear()
{
    if (!m_shown)
        return;
    const std::lock_guard<std::mutex> lock(m_lock);
    Erase();
}

void CTerminalProgress::Draw()
{
    QString prefix;
    QString port;
    QString rest;
    if (m_portCount > 1)
        prefix = QStringLiteral("[%1/%2] ").arg(m_portsDone).arg(m_portCount);
    if (!m_step.isEmpty()) {
        port = m_port;
        rest = QLatin1Char(' ') + m_step;
    }
    if (m_expected > 0)
        rest += QStringLiteral(" %1/%2").arg(m_received).arg(m_expected);
    // A line that wraps cannot be rewritten in place: the carriage return
    // goes back to its last row only. The last column stays free, as some
    // terminals wrap once it is written.
    const int width = Console::ErrorColumns();
    const QString line = width > 1 ? Fitted(prefix, port, rest, width - 1) : prefix + port + rest;
    const int columns = Columns(line);
    Write(QLatin1Char('\r') + line + QString(qMax(0, m_drawnColumns - columns), QLatin1Char(' ')) +
          QLatin1Char('\r') + line);
    m_drawnColumns = columns;
    m_drawnAt = Clock::now();
}

void CTerminalProgress::Erase()
{
    if (m_drawnColumns == 0)
        return;
    Write(QLatin1Char('\r') + QString(m_drawnColumns, QLatin1Char(' ')) + QLatin1Char('\r'));
    m_drawnColumns = 0;
}
