#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The input document of write and encode, from a file or standard input. Only
// a regular file or a pipe is read, and never more than a document's cap, so
// that neither a device (a serial port given by mistake, /dev/zero) nor an
// endless stream can hold the command up or exhaust the memory.
class CDocumentInput
{
public:
    // path "-" is standard input. On failure the bytes are empty and Error()
    // says why.
    std::optional<QByteArray> Read(const QString& path);
    QString Error() const { return m_error; }

private:
    std::optional<QByteArray> Fail(const QString& error);

    QString m_error;
};
