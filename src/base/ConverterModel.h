#pragma once

#include <QString>
#include <QStringView>
#include <QtGlobal>

#include <array>
#include <optional>

// The converter models the tool knows. The selector's list, the profile's
// DeviceType and the command line's -d all number them from 0 in this order.
enum class ConverterModel
{
    OstrelA,
    OstrelB,
    OstrelX,
};

// What follows from a model: how its configuration port is reached and which
// CAN page it has.
struct ConverterModelFacts
{
    ConverterModel model;
    char letter;             // the command line's and the simulator's name
    const char* displayName; // the selector's list entry
    quint32 configBaudRate;  // bit/s of the configuration port
    quint8 handshakeCode;    // the model byte of the handshake request
    bool hasCanConfigPage;   // the CAN configuration page instead of the CAN page
};

namespace ConverterModels {
constexpr int kCount = 3;

constexpr std::array<ConverterModelFacts, kCount> kFacts{{
    {ConverterModel::OstrelA, 'A', "Ostrel-A", 57600, 0x04, false},
    {ConverterModel::OstrelB, 'B', "Ostrel-B", 19200, 0x06, false},
    {ConverterModel::OstrelX, 'X', "Ostrel-X", 57600, 0x08, true},
}};

constexpr const ConverterModelFacts& Facts(ConverterModel model)
{
    return kFacts[static_cast<std::size_t>(model)];
}

constexpr int DeviceTypeOf(ConverterModel model)
{
    return static_cast<int>(model);
}

// Where a model is stored or shown as its number (the profile's and the
// document's DeviceType, the selector's list index): none for a number outside
// the list, which only a damaged profile or document holds.
std::optional<ConverterModel> FromDeviceType(int deviceType);
// "A", "B" or "X" in either case.
std::optional<ConverterModel> FromLetter(QStringView text);
QString DisplayName(ConverterModel model);
} // namespace ConverterModels
