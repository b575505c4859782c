#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>
#include <memory>

// The tool's one serial port. Every call is synchronous with its own time-out,
// as the frame protocol expects: Read returns as soon as anything has arrived.
class CFrameLog;

class CSerialComm
{
public:
    CSerialComm();
    ~CSerialComm();
    CSerialComm(const CSerialComm&) = delete;
    CSerialComm& operator=(const CSerialComm&) = delete;

    // parityCode 0 = none, 1 = odd, 2 = even; stopBitsCode 0 = one, 2 = two.
    // Refused while cancelled.
    bool Open(const QString& name, quint32 baudRate, int dataBits, int parityCode,
              int stopBitsCode);
    // Does nothing on a closed port. False when the system refused to release
    // the port; it is marked closed all the same and the refusal is logged.
    bool Close();
    bool IsOpen() const;
    // The system's error code of the last failed open or close (errno, or
    // GetLastError on Windows).
    int LastError() const;
    // True once the device vanished or the other end hung up.
    bool HasHungUp() const;
    // For CPortHangupWatch: -1 where hang-ups cannot be watched.
    int WatchDescriptor() const;
    // The bit rate the port was opened at; 0 while closed.
    quint32 BaudRate() const { return m_baudRate; }
    // The device the port was last opened on, for the messages about it.
    const QString& Name() const { return m_name; }

    // Async-signal-safe, for a handler that ends the process: every open
    // port gets its line settings back and loses its exclusive mode.
    static void ReleaseAllForSignal() noexcept;

    // Bytes received (0 when nothing arrived within timeoutMs). A time-out of
    // 0 keeps the one last set, initially 1000 ms.
    int Read(void* buffer, int count, int timeoutMs);
    // Discards unread input and unsent output first, then writes everything.
    void Write(const void* buffer, int count, int timeoutMs);
    // Waits timeoutMs between the steps of an exchange; false when a cancel
    // or a hang-up cut the wait short.
    bool Pause(int timeoutMs);

    // Safe from any thread while another one talks through the port: ends
    // the wait under way at once, and every later Open, Read, Write and
    // Pause returns at once with nothing done, until ClearCancel.
    void Cancel();
    void ClearCancel();
    bool IsCancelled() const;

    // Told, on the thread of the exchange, how much of a long reply has
    // arrived; set by the port's owner while no exchange runs.
    using ReplyObserver = std::function<void(int received, int expected)>;
    void SetReplyObserver(ReplyObserver observer) { m_replyObserver = std::move(observer); }
    void NoteReply(int received, int expected) const
    {
        if (m_replyObserver)
            m_replyObserver(received, expected);
    }

    // Where the frame protocol records what went over this port; none by
    // default. Set by the port's owner while no exchange runs.
    void SetFrameLog(CFrameLog* log) { m_frameLog = log; }
    CFrameLog* FrameLog() const { return m_frameLog; }

private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
    quint32 m_baudRate = 0;
    QString m_name;
    ReplyObserver m_replyObserver;
    CFrameLog* m_frameLog = nullptr;
};
