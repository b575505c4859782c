#pragma once

#include "CPageSet.h"
#include "Configuration.h"

class CProfile;

// The pages as plain fields, for the command line and the tests. The fields
// are their own controls, so storing and showing do nothing; the pages' rules
// and the Ostrel-X block operations act on the fields as the widgets would.
// The page set follows the model: the CAN configuration page is open for the
// model that has one, the CAN page for the others.
class CPlainPageSet : public CPageSet
{
public:
    explicit CPlainPageSet(ConverterModel model = ConverterModel::OstrelX, int configPort = 0);
    explicit CPlainPageSet(const Configuration& config, int configPort = 0);

    // The fields as the window holds them once started and connected: the
    // profile's values, the model and port confined to the selector's lists,
    // the open CAN page's rules applied, and the open CAN configuration page
    // filled from the block its remembered values make.
    void LoadProfile(const CProfile& profile);

    const Configuration& Config() const { return m_config; }
    Configuration& Config() { return m_config; }

    ConverterModel Model() const override { return m_config.model; }
    int ConfigPort() const override { return m_configPort; }

    TranFields& Tran() override { return m_config.tran; }
    SerialFields& Serial() override { return m_config.serial; }
    CanFields& Can() override { return m_config.can; }
    ArmCanFields& ArmCan() override { return m_config.armCan; }

    bool IsOpen(Page page) const override;
    void StoreControls(Page) override {}
    void ShowFields(Page) override {}
    void RefreshControls(Page page) override;
    void CollectIntoBlock() override;
    void FillFromBlock() override;

private:
    Configuration m_config;
    int m_configPort;
};
