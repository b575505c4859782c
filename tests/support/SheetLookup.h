#pragma once

#include "CKelvaneSheet.h"
#include "ConverterModel.h"
#include "WidgetLookup.h"

#include <QComboBox>
#include <QPushButton>

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
    if (ConverterModels::HasCanConfigPage(deviceType))
        return &sheet.CanConfigPage();
    return &sheet.CanPage();
}

inline void ClickConnect(CKelvaneSheet& sheet)
{
    Control<QPushButton>(sheet, "connectButton")->click();
}
