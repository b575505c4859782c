#pragma once

#include "CKelvaneSheet.h"
#include "CSheetProbe.h"
#include "ConverterModel.h"
#include "ModelRows.h"
#include "WidgetLookup.h"

#include <QComboBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

// As the user picks a model: the list's selection, then its notification.
inline void ChooseDevice(CKelvaneSheet& sheet, int deviceType)
{
    auto* list = Control<QComboBox>(sheet, "deviceList");
    list->setCurrentIndex(deviceType);
    Q_EMIT list->activated(deviceType);
}

// The page the third tab holds for a device type.
inline QWidget* CanPageOf(CKelvaneSheet& sheet, int deviceType)
{
    if (ConverterModels::Facts(ModelAt(deviceType)).hasCanConfigPage)
        return &CSheetProbe::CanConfigPage(sheet);
    return &CSheetProbe::CanPage(sheet);
}

// Lets the exchange that a click or key has started run to its end, its
// outcome shown and its profile saves written; true at once when none was
// started.
inline bool WaitForExchange(CKelvaneSheet& sheet, int timeoutMs = 30000)
{
    if (sheet.IsExchanging()) {
        QSignalSpy finished(&sheet, &CKelvaneSheet::ExchangeFinished);
        if (!finished.wait(timeoutMs))
            return false;
    }
    return QTest::qWaitFor([&sheet] { return !sheet.IsSavingProfile(); }, timeoutMs);
}

inline bool ClickConnect(CKelvaneSheet& sheet)
{
    Control<QPushButton>(sheet, "connectButton")->click();
    return WaitForExchange(sheet);
}
