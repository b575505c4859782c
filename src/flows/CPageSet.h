#pragma once

#include "Configuration.h"

// What the read, write and defaults commands need from the sheet and its
// pages, free of widget types so that the command line runs the same
// commands. The window implements it over its page widgets, whose field
// structs the accessors return:
//
//   Tran()/Serial()/Can()/ArmCan()  the CTranPage, CSerialPage, CCanPage and
//                                   CPageArmCfgCan objects (they inherit the
//                                   structs), whether shown or not
//   IsOpen(page)                    whether the page's window exists; Tran and
//                                   Serial always, ArmCan only for a model with
//                                   the CAN configuration page, Can only for
//                                   the others
//   StoreControls(page)             UpdateData(true): controls into fields; a
//                                   refused entry has shown its prompt, and the
//                                   command goes on with the fields as they are
//   ShowFields(page)                UpdateData(false): fields into controls,
//                                   SerialFields::m_nLineMode into the line-mode
//                                   list included
//   RefreshControls(page)           the page's RefreshControls (Tran, Can)
//   CollectIntoBlock()/FillFromBlock()  those of CPageArmCfgCan
//
// The commands call StoreControls, ShowFields, RefreshControls and the two
// block operations only for pages that are open. ShowFields(ArmCan) also
// serves to redisplay m_strCanID after the identifier check replaced it.
class CPageSet
{
public:
    enum class Page
    {
        Tran,
        Serial,
        Can,
        ArmCan
    };

    virtual ~CPageSet() = default;

    virtual ConverterModel Model() const = 0; // the selector's model
    virtual int ConfigPort() const = 0;       // the selector's port index, for the profile

    virtual TranFields& Tran() = 0;
    virtual SerialFields& Serial() = 0;
    virtual CanFields& Can() = 0;
    virtual ArmCanFields& ArmCan() = 0;

    virtual bool IsOpen(Page page) const = 0;
    virtual void StoreControls(Page page) = 0;
    virtual void ShowFields(Page page) = 0;
    virtual void RefreshControls(Page page) = 0;
    virtual void CollectIntoBlock() = 0;
    virtual void FillFromBlock() = 0;

    // The fields as one value, and back: for a command that runs on a copy,
    // or on a configuration that came from elsewhere.
    Configuration Fields();
    void SetFields(const Configuration& config);
};
