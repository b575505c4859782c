#pragma once

#include "CSerialComm.h"

#include <QString>

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

    // For the window's read and write commands once connected.
    CSerialComm& Port() { return m_port; }

private:
    int m_deviceType;
    CSerialComm m_port;
};
