#pragma once

#include "CanFields.h"
#include "SerialFields.h"
#include "TranFields.h"

#include <QString>

#include <array>

// The parameter fields of the conversion, serial and CAN pages, as the keys
// below reach them.
struct ParameterFields
{
    CanFields& can;
    SerialFields& serial;
    TranFields& tran;
};

// The three field structs held by value.
struct ParameterValues
{
    CanFields can;
    SerialFields serial;
    TranFields tran;

    ParameterFields Refs() { return {can, serial, tran}; }
    // What the defaults command puts on the pages.
    static ParameterValues Factory();
};

// One key of the profile's section and of the configuration document, with
// the field it names. Exactly one of integer and text is set.
struct ParameterKey
{
    const char* name;
    int& (*integer)(ParameterFields fields);
    QString& (*text)(ParameterFields fields);

    QString Name() const { return QLatin1String(name); }
};

namespace ParameterKeys {
constexpr int kCount = 21;
// CanBaudrate to TranLength. "CanFiterMode" is spelt as every profile and
// document written so far has it.
const std::array<ParameterKey, kCount>& All();

// The keys beside the table, named here so that the profile and the document
// spell them alike.
constexpr const char* kDeviceType = "DeviceType";
constexpr const char* kConfigPort = "ConfigPort";
constexpr const char* kArmCanBaud = "ArmCanBaud";
} // namespace ParameterKeys
