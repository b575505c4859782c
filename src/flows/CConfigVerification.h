#pragma once

#include "CConfigComparison.h"

class CEncodedConfig;
class CMessageSink;
class CSerialComm;

// Whether a converter holds what a write would send it, compared as
// CConfigComparison compares.
class CConfigVerification
{
public:
    enum class Outcome
    {
        Agrees,
        Differs,
        Failed, // no or a wrong reply: "通信出错！" shown
    };

    // On a connected port: reads the parameter block and, when the write
    // sends one, the CAN configuration block, and compares them with what
    // the write sends.
    static Outcome Verify(CSerialComm& port, ConverterModel model, const CEncodedConfig& expected,
                          CMessageSink& messages, QList<KeyDifference>& differences);
};
