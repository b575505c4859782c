#pragma once

#include "ArmCanFields.h"
#include "CPageSet.h"
#include "CanFields.h"
#include "SerialFields.h"
#include "TranFields.h"

#include <QList>

// A page set's fields copied away from its pages, so that a command can run
// on another thread while the pages stay with the window. The copy answers
// as the pages did when it was taken. Storing does nothing: the pages stored
// their controls before the copy was taken. The rules and the block
// operations act on the copied fields as the pages would, and every step
// that shows fields is remembered, for ApplyTo to repeat on the pages once
// the command has ended.
class CPageSetCopy : public CPageSet
{
public:
    explicit CPageSetCopy(CPageSet& pages);

    // The fields back into pages, then the steps that showed them, in order.
    void ApplyTo(CPageSet& pages) const;

    int DeviceType() const override { return m_deviceType; }
    int ConfigPort() const override { return m_configPort; }

    TranFields& Tran() override { return m_tran; }
    SerialFields& Serial() override { return m_serial; }
    CanFields& Can() override { return m_can; }
    ArmCanFields& ArmCan() override { return m_armCan; }

    bool IsOpen(Page page) const override;
    void StoreControls(Page) override {}
    void ShowFields(Page page) override;
    void RefreshControls(Page page) override;
    void CollectIntoBlock() override;
    void FillFromBlock() override;

private:
    enum class Step
    {
        Show,
        Refresh,
        FillFromBlock,
    };
    struct Shown
    {
        Step step;
        Page page;
    };

    TranFields m_tran;
    SerialFields m_serial;
    CanFields m_can;
    ArmCanFields m_armCan;
    int m_deviceType;
    int m_configPort;
    bool m_open[4];
    QList<Shown> m_steps;
};
