#pragma once

#include <QByteArray>
#include <QString>

// The far end of the simulator's line as the plainest client would drive it:
// open(), raw termios, write(), poll() and read(). Deliberately independent
// of the application's serial port code.
class CRawPtyClient
{
public:
    CRawPtyClient() = default;
    ~CRawPtyClient() { close(); }
    CRawPtyClient(const CRawPtyClient&) = delete;
    CRawPtyClient& operator=(const CRawPtyClient&) = delete;

    // Discards whatever an earlier client left unread.
    bool open(const QString& path);
    void close();
    bool write(const QByteArray& bytes);
    // Reads until at least count bytes arrived or timeoutMs passed.
    QByteArray read(int count, int timeoutMs);
    // Everything that arrives until the line has been quiet for quietMs.
    QByteArray readUntilQuiet(int quietMs);

private:
    // Waits up to timeoutMs for data and returns what one read() gives.
    QByteArray readSome(int timeoutMs);

    int m_fd = -1;
};
