#pragma once

#include "ArmCanFields.h"
#include "CPageSet.h"
#include "CanFields.h"
#include "ConverterModel.h"
#include "SerialFields.h"
#include "TranFields.h"

class CProfile;

// The pages as plain fields, for the command line and the tests. The fields
// are their own controls, so storing and showing do nothing; the pages' rules
// and the type-2 block operations act on the fields as the widgets would.
// The page set follows the device type: the CAN configuration page is open
// for the model that has one, the CAN page for the others.
class CPlainPageSet : public CPageSet
{
public:
    explicit CPlainPageSet(int deviceType = ConverterModels::DeviceTypeOf(ConverterModel::OstrelX),
                           int configPort = 0);

    // The fields as the window holds them once started and connected: the
    // profile's values, the device type and port confined to the selector's
    // lists, the type-2 page's register value and CAN identifier "00000000",
    // the open CAN page's rules applied, and the open CAN configuration page
    // filled from its block with filtering switched off.
    void LoadProfile(const CProfile& profile);

    int DeviceType() const override { return m_deviceType; }
    int ConfigPort() const override { return m_configPort; }

    TranFields& Tran() override { return m_tran; }
    SerialFields& Serial() override { return m_serial; }
    CanFields& Can() override { return m_can; }
    ArmCanFields& ArmCan() override { return m_armCan; }

    bool IsOpen(Page page) const override;
    void StoreControls(Page) override {}
    void ShowFields(Page) override {}
    void RefreshControls(Page page) override;
    void CollectIntoBlock() override;
    void FillFromBlock() override;

private:
    TranFields m_tran;
    SerialFields m_serial;
    CanFields m_can;
    ArmCanFields m_armCan;
    int m_deviceType;
    int m_configPort;
};
