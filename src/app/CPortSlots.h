#pragma once

#include "PortNames.h"

#include <QList>
#include <QObject>
#include <QString>

#include <map>

class CKelvaneDlg;
class CMessageSink;
class CPortDetector;
class CProfile;
class CProfileSaver;
class QWidget;

// The COM slots of the port list: resolved from the profile's [Ports]
// section and the ports the detector reports each time the list opens and
// before each connect, and named anew by the user. A name the user gave
// counts from the moment it is given, while the saver writes it.
class CPortSlots : public QObject
{
    Q_OBJECT
public:
    CPortSlots(CProfile& profile, CProfileSaver& saver, const CPortDetector& detector,
               CMessageSink& messages, CKelvaneDlg& selector, QWidget& dialogParent);

    // The slots as the port list shows them now.
    QList<PortSlot> Resolve();
    QList<PortSlot> Resolve(const QList<DetectedPort>& detected);
    // The profile's port map with the paths still being saved put over it.
    PortMap Shown();
    // The slots resolved afresh into the port list.
    void Show();

    // What a connect to a slot opens. Asking the system for its ports takes
    // a moment: only for a slot without a [Ports] entry.
    struct Target
    {
        QString path;
        bool detectedNeeded = false;
        QList<DetectedPort> detected;
        QList<PortSlot> portSlots;
    };
    Target TargetOf(int portIndex);

    // Asks the user for the device of a slot.
    void Ask(int portIndex);
    // Names the device of a slot in the profile's [Ports] section (an empty
    // path gives the slot back to the automatic choice).
    void Assign(int portIndex, const QString& path);

Q_SIGNALS:
    // After an assignment: which of the system's ports it moved, or nothing.
    void Moved(const QString& moves);

private:
    void OnSaved(int portIndex, quint64 save, bool written);

    CProfile& m_profile;
    CProfileSaver& m_saver;
    const CPortDetector& m_detector;
    CMessageSink& m_messages;
    CKelvaneDlg& m_selector;
    QWidget& m_dialogParent;
    // The paths the user named whose save has not landed yet, by slot. Each
    // keeps the number of its save, so that only the last save of a slot
    // clears it.
    struct Pending
    {
        quint64 save = 0;
        QString path;
    };
    std::map<int, Pending> m_pending;
    quint64 m_saves = 0;
};
