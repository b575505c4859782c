#pragma once

#include "ArmCanFields.h"
#include "CanFields.h"
#include "ConverterModel.h"
#include "SerialFields.h"
#include "TranFields.h"

// A converter's whole configuration as the pages hold it: the model and the
// fields of its four pages. Whatever copies, compares, encodes or documents a
// configuration takes this one value.
struct Configuration
{
    ConverterModel model = ConverterModel::OstrelX;
    TranFields tran;
    SerialFields serial;
    CanFields can;
    ArmCanFields armCan;

    // What the defaults command puts on the pages of the model.
    static Configuration Defaults(ConverterModel model);

    // Brings fields that did not come through the pages' controls (a
    // document's) into what the controls would hold: the CAN page's rules, or
    // the CAN configuration block collected from its page's values.
    void Settle();

    bool HasCanConfigPage() const { return ConverterModels::Facts(model).hasCanConfigPage; }
};
