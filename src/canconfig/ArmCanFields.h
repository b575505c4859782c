#pragma once

#include "CanAcceptance.h"
#include "FilterEntry.h"

#include <QList>
#include <QString>

// Values of the device-type-2 CAN configuration page. Besides the block
// members it mirrors the few control states that the codec and the flows
// read (register text, frame type selection, the filtering check box), so
// that the command line can act exactly as the window does.
struct ArmCanFields
{
    static constexpr quint32 kDefaultBtr = 0x003AC00B;

    CanAcceptance m_acceptance;
    quint32 m_dwBtr = kDefaultBtr;
    qint32 m_nFrameType = 0;
    QString m_strCanID;
    QString m_strStartID = QStringLiteral("00000000");
    QString m_strEndID = QStringLiteral("00000000");
    QList<FilterEntry> m_filters; // controller 0, insertion order

    QString m_strRegister;         // text of the register edit
    int m_nFrameTypeSel = 0;       // selection of the frame type list (-1 = none)
    bool m_bFilterEnabled = false; // the "使能滤波" check box
    // The CAN configuration shown is the converter's (read), or one the user
    // or a document chose. The window clears it on connecting, as the
    // configuration then shown is only the one remembered from an earlier
    // run, and a write would put its filter table over the converter's.
    bool m_bCanConfigKnown = true;
};
