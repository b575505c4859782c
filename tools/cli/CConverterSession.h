#pragma once

#include "CSerialComm.h"

#include <QString>

class CEncodedConfig;
class CPageSet;

// One converter for the length of one command: the port opened at the
// model's configuration bit rate and the converter confirmed by the
// handshake, as the window's connect button does. The port closes with the
// session.
class CConverterSession
{
public:
    enum class ConnectResult
    {
        Connected,
        PortUnavailable,
        NoConverter
    };

    explicit CConverterSession(int deviceType);

    ConnectResult Connect(const QString& devicePath);

    // The parameter block, then the CAN configuration block whatever the
    // device type, into the fields, the type-2 page's control states and
    // filter entries included. False when either exchange failed.
    bool Read(CPageSet& pages);
    // The parameter block; after its acknowledgement, the CAN configuration
    // block if there is one. False when either was not acknowledged.
    bool Write(const CEncodedConfig& config);

private:
    int m_deviceType;
    CSerialComm m_port;
};
