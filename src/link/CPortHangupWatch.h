#pragma once

#include <QObject>

#include <memory>

class CSerialComm;
class QSocketNotifier;

// Tells, from the event loop, when an open port's device vanishes or its
// other end hangs up, so that the window need not wait for the next exchange
// to fail. It costs nothing while the line is quiet: the descriptor wakes the
// loop only when something happens on it. Bytes arriving between exchanges
// are read and dropped, as the next request would discard them anyway.
// Windows has no such descriptor; there the system's notice that a port was
// removed, which it sends to every top-level window, makes the watch look.
class CPortHangupWatch : public QObject
{
    Q_OBJECT
public:
    explicit CPortHangupWatch(QObject* parent = nullptr);
    ~CPortHangupWatch() override;

    // Watches the port until Stop; nothing where the platform cannot watch.
    void Watch(CSerialComm& port);
    void Stop();

    // The platform's notice of a removed port, while it is kept.
    class RemovalNotice
    {
    public:
        virtual ~RemovalNotice() = default;
    };

Q_SIGNALS:
    void HungUp();

private:
    void OnActivated();
    // None where no such notice comes, or without an application.
    std::unique_ptr<RemovalNotice> NoticeRemovals();
    CSerialComm* m_port = nullptr;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::unique_ptr<RemovalNotice> m_removalNotice;
};
