#include "CPortHangupWatch.h"

#include "CSerialComm.h"

#include <QSocketNotifier>

namespace {

constexpr int kDrainChunk = 256;
constexpr int kDrainTimeoutMs = 1;

} // namespace

CPortHangupWatch::CPortHangupWatch(QObject* parent) : QObject(parent) {}

CPortHangupWatch::~CPortHangupWatch() = default;

void CPortHangupWatch::Watch(CSerialComm& port)
{
    Stop();
    const int descriptor = port.WatchDescriptor();
    if (descriptor < 0) {
        // Without a descriptor the system's notice of a removed port, where
        // there is one, makes the watch look.
        m_removalNotice = NoticeRemovals();
        if (m_removalNotice)
            m_port = &port;
        return;
    }
    m_port = &port;
    // A hang-up or an error makes the descriptor readable, as data does.
    m_notifier = std::make_unique<QSocketNotifier>(descriptor, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &CPortHangupWatch::OnActivated);
}

void CPortHangupWatch::Stop()
{
    m_removalNotice.reset();
    m_notifier.reset();
    m_port = nullptr;
}

void CPortHangupWatch::OnActivated()
{
    if (m_port == nullptr)
        return;
    if (m_port->HasHungUp()) {
        Stop();
        Q_EMIT HungUp();
        return;
    }
    // Unread bytes would wake the loop again at once.
    char scrap[kDrainChunk];
    while (m_port->Read(scrap, kDrainChunk, kDrainTimeoutMs) == kDrainChunk) {
    }
}
