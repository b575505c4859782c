#pragma once

// What kelvane-cli tells the calling script. The values are part of the
// command line's interface: scripts test them, so they never change.
enum class ExitStatus : int
{
    Success = 0,
    CommunicationError = 1, // "通信出错！"
    UsageError = 2,        // bad arguments, an unreadable or invalid document, an unwritable output
    PortUnavailable = 3,   // "当前串口不可用！"
    NotConnected = 4,      // "设备未连接！"
    IdentifierRefused = 5, // the CAN ID check refused the write; nothing was sent
    Differs = 6,           // the converter, or the other document, holds other values
};
