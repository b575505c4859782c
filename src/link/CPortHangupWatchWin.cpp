#include "CPortHangupWatch.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>

#include <functional>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <dbt.h>

namespace {

// While installed, every port removal the system announces (it sends the
// notice to every top-level window) calls back.
class CPortRemovalFilter : public CPortHangupWatch::RemovalNotice, public QAbstractNativeEventFilter
{
public:
    explicit CPortRemovalFilter(std::function<void()> removed) : m_removed(std::move(removed))
    {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~CPortRemovalFilter() override
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
            m_removed();
        return false;
    }

private:
    std::function<void()> m_removed;
};

} // namespace

std::unique_ptr<CPortHangupWatch::RemovalNotice> CPortHangupWatch::NoticeRemovals()
{
    if (QCoreApplication::instance() == nullptr)
        return nullptr;
    return std::make_unique<CPortRemovalFilter>([this] {
        QMetaObject::invokeMethod(this, &CPortHangupWatch::OnActivated, Qt::QueuedConnection);
    });
}
