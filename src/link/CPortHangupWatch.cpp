#include "CPortHangupWatch.h"

#include "CSerialComm.h"

#include <QSocketNotifier>

#ifdef Q_OS_WIN
#include <QAbstractNativeEventFilter>
#include <QCoreApplication>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <dbt.h>

// While installed, every port removal the system announces makes the watch
// ask its port whether it is still there.
class CPortHangupWatch::RemovalNotice : public QAbstractNativeEventFilter
{
public:
    explicit RemovalNotice(CPortHangupWatch& watch) : m_watch(watch)
    {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~RemovalNotice() override
    {
        if (QCoreApplication* app = QCoreApplication::instance())
            app->removeNativeEventFilter(this);
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (eventType != "windows_generic_MSG")
            return false;
        const MSG* msg = static_cast<const MSG*>(message);
        if (msg->message != WM_DEVICECHANGE || msg->wParam != DBT_DEVICEREMOVECOMPLETE)
            return false;
        const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(msg->lParam);
        if (header != nullptr && header->dbch_devicetype == DBT_DEVTYP_PORT)
            QMetaObject::invokeMethod(&m_watch, &CPortHangupWatch::OnActivated,
                                      Qt::QueuedConnection);
        return false;
    }

private:
    CPortHangupWatch& m_watch;
};
#else
class CPortHangupWatch::RemovalNotice
{};
#endif

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
#ifdef Q_OS_WIN
    if (descriptor < 0 && QCoreApplication::instance() != nullptr) {
        m_port = &port;
        m_removalNotice = std::make_unique<RemovalNotice>(*this);
        return;
    }
#endif
    if (descriptor < 0)
        return;
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
