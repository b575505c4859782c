#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The one way a file the user chose is read: the input document of write and
// encode, and the window's import. Only a regular file or a pipe is read, and
// never more than a document's cap, so that neither a device (a serial port
// given by mistake, /dev/zero) nor an endless stream can hold the reader up or
// exhaust the memory. A pipe is never waited for in open(); how long its
// writer may take is the caller's choice.
class CDocumentInput
{
public:
    // pipeDeadlineMs: the longest a pipe may take to deliver all of the
    // document, writer's arrival included; negative for no limit (a script's
    // producer on standard input).
    explicit CDocumentInput(int pipeDeadlineMs = -1) : m_pipeDeadlineMs(pipeDeadlineMs) {}

    // path "-" is standard input. On failure the bytes are empty and Error()
    // says why.
    std::optional<QByteArray> Read(const QString& path);
    QString Error() const { return m_error; }

private:
    std::optional<QByteArray> ReadPipe(int fd); // POSIX
    std::optional<QByteArray> Fail(const QString& error);
    static QString SystemError(int error);
    static QString TooLarge();
    static QString NotAFile();

    int m_pipeDeadlineMs;
    QString m_error;
};
