#include "CPortSlots.h"

#include "CKelvaneDlg.h"
#include "CMessageSink.h"
#include "CPortAssignDialog.h"
#include "CProfile.h"
#include "CProfileSaver.h"
#include "FlowMessages.h"

CPortSlots::CPortSlots(CProfile& profile, CProfileSaver& saver, const CPortDetector& detector,
                       CMessageSink& messages, CKelvaneDlg& selector, QWidget& dialogParent)
    : m_profile(profile), m_saver(saver), m_detector(detector), m_messages(messages),
      m_selector(selector), m_dialogParent(dialogParent)
{}

QList<PortSlot> CPortSlots::Resolve()
{
    return Resolve(m_detector.DetectPorts());
}

QList<PortSlot> CPortSlots::Resolve(const QList<DetectedPort>& detected)
{
    return PortNames::ResolveSlots(Shown(), detected);
}

PortMap CPortSlots::Shown()
{
    m_profile.Reload();
    PortMap shown = m_profile.LoadPortMap();
    for (const auto& [portIndex, pending] : m_pending)
        shown.paths.at(std::size_t(portIndex)) = pending.path;
    return shown;
}

void CPortSlots::Show()
{
    m_selector.ShowPortSlots(Resolve());
}

CPortSlots::Target CPortSlots::TargetOf(int portIndex)
{
    const PortMap portMap = Shown();
    Target target;
    target.detectedNeeded =
        PortNames::NeedsDetectedPorts(PortNames::DisplayName(portIndex), portMap);
    if (target.detectedNeeded)
        target.detected = m_detector.DetectPorts();
    target.portSlots = PortNames::ResolveSlots(portMap, target.detected);
    if (portIndex >= 0 && portIndex < target.portSlots.size())
        target.path = target.portSlots.at(portIndex).path;
    return target;
}

void CPortSlots::Ask(int portIndex)
{
    if (portIndex < 0 || portIndex >= PortNames::kPortCount)
        return;
    CPortAssignDialog dialog(PortNames::DisplayName(portIndex), Shown().PathOf(portIndex),
                             m_detector.DetectPorts(), &m_dialogParent);
    if (dialog.exec() == QDialog::Accepted)
        Assign(portIndex, dialog.Path());
}

void CPortSlots::Assign(int portIndex, const QString& path)
{
    if (portIndex < 0 || portIndex >= PortNames::kPortCount)
        return;
    const QList<DetectedPort> detected = m_detector.DetectPorts();
    const QList<PortSlot> before = Resolve(detected);
    CProfile portSave = CProfile::Deferred();
    portSave.SavePortPath(portIndex, path);
    const quint64 save = ++m_saves;
    m_pending[portIndex] = {save, path};
    m_saver.Commit(portSave, [this, portIndex, save](bool written, const QString&) {
        QMetaObject::invokeMethod(
            this, [this, portIndex, save, written] { OnSaved(portIndex, save, written); },
            Qt::QueuedConnection);
    });
    const QList<PortSlot> after = Resolve(detected);
    m_selector.ShowPortSlots(after);
    // The ports the assignment pushed aside are named, so that nobody looks
    // for an adapter under the slot it had.
    Q_EMIT Moved(PortNames::DescribeMoves(before, after));
}

void CPortSlots::OnSaved(int portIndex, quint64 save, bool written)
{
    const auto pending = m_pending.find(portIndex);
    if (pending != m_pending.end() && pending->second.save == save)
        m_pending.erase(pending);
    if (written)
        return;
    m_messages.ShowMessage(FlowMessages::Caption(), FlowMessages::PortsNotSaved(),
                           m_profile.FileName());
    Show();
}
