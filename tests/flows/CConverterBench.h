#pragma once

#include "COstrelSimulator.h"
#include "CSerialComm.h"

// A simulated converter of one device type on a pty, with the tool's port
// connected to it at the model's configuration bit rate.
class CConverterBench
{
public:
    explicit CConverterBench(int deviceType, SimOptions options = {});

    bool Connect();
    COstrelSimulator& Sim() { return m_sim; }
    CSerialComm& Port() { return m_port; }

private:
    static SimOptions ForDevice(int deviceType, SimOptions options);

    int m_deviceType;
    COstrelSimulator m_sim;
    CSerialComm m_port;
};
