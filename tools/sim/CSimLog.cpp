#include "CSimLog.h"

void CSimLog::setPath(const QString& path)
{
    if (path == m_path)
        return;
    m_file.close();
    m_path = path;
    if (m_path.isEmpty())
        return;
    m_file.setFileName(m_path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        qWarning("ostrel-sim: cannot write the log %s", qPrintable(m_path));
}

void CSimLog::write(const char* tag, const QByteArray& bytes)
{
    if (!m_file.isOpen())
        return;
    m_file.write(HexLine(tag, bytes));
    m_file.flush();
}

QByteArray CSimLog::HexLine(const char* tag, const QByteArray& bytes)
{
    return QByteArray(tag) + ' ' + bytes.toHex(' ').toUpper() + '\n';
}
