#include "CConsoleSink.h"

#include <QString>

void CConsoleSink::ShowMessage(const QString& caption, const QString& text)
{
    WriteAll(stderr, (caption + QStringLiteral(": ") + text + QLatin1Char('\n')).toUtf8());
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
