#pragma once

#include "CKelvaneSheet.h"
#include "CSheetProbe.h"
#include "ConverterModel.h"
#include "ModelRows.h"
#include "WidgetLookup.h"

#include <QComboBox>
#include <QPushButton>
#include <QSignalSpy>

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
// outcome shown; true at once when none was started.
inline bool WaitForExchange(CKelvaneSheet& sheet, int timeoutMs = 30000)
{
    if (!sheet.IsExchanging())
        return true;
    QSignalSpy finished(&sheet, &CKelvaneSheet::ExchangeFinished);
    return finished.wait(timeoutMs);
}

inline bool ClickConnect(CKelvaneSheet& sheet)
{
    Control<QPushButton>(sheet, "connectButton")->click();
    return WaitForExchange(sheet);
}
