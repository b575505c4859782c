#pragma once

// The payloads the converter exchanges, in bytes: what a configuration
// encodes into and what the frames carry.
namespace BlockSizes {
// Commands 0x01 and 0x03, every model.
inline constexpr int kParameterBlock = 28;
// Commands 0x04 and 0x05, the Ostrel-X's CAN configuration.
inline constexpr int kCanConfigBlock = 2080;
} // namespace BlockSizes
