#pragma once

#include "COstrelSimulator.h"
#include "CSerialComm.h"

// A simulated converter of one model on a pty, with the tool's port
// connected to it at the model's configuration bit rate.
class CConverterBench
{
public:
    explicit CConverterBench(ConverterModel model, SimOptions options = {});

    bool Connect();
    COstrelSimulator& Sim() { return m_sim; }
    CSerialComm& Port() { return m_port; }

private:
    static SimOptions ForModel(ConverterModel model, SimOptions options);

    ConverterModel m_model;
    COstrelSimulator m_sim;
    CSerialComm m_port;
};
