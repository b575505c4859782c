#include "CConsoleSink.h"

#include "CTerminalProgress.h"

#include <QString>

void CConsoleSink::Show(const UserMessage& message)
{
    if (m_progress)
        m_progress->Clear();
    QString lines = message.caption + QStringLiteral(": ") + message.text + QLatin1Char('\n');
    if (!message.detail.isEmpty())
        lines += message.detail + QLatin1Char('\n');
    WriteAll(stderr, lines.toUtf8());
}

bool CConsoleSink::WriteOutput(const QByteArray& bytes)
{
    return WriteAll(stdout, bytes);
}

bool CConsoleSink::WriteAll(std::FILE* stream, const QByteArray& bytes)
{
    const std::size_t size = std::size_t(bytes.size());
    return std::fwrite(bytes.constData(), 1, size, stream) == size && std::fflush(stream) == 0;
}
