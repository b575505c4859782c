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

// One key of the profile's section and of the configuration document, with
// the field it names and what the window's control for it can hold: a list's
// indices, 0 or 1 for a box, a byte for a number edit (the block has one
// byte), or at most `groups` blank-separated hexadecimal bytes for a hex edit.
// Exactly one of integer and text is set. The factory values are those the
// field structs hold after ApplyParameterDefaults.
struct ParameterKey
{
    const char* name;
    int& (*integer)(ParameterFields fields);
    QString& (*text)(ParameterFields fields);
    int min = 0;
    int max = 0;    // the Ostrel-X's longer serial bit-rate list: kOstrelXSerialBaudrateMax
    int groups = 0; // texts only

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
constexpr const char* kSerialBaudrate = "SerialBaudrate";
constexpr int kOstrelXSerialBaudrateMax = 12;
} // namespace ParameterKeys
