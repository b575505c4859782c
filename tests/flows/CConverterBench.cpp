#include "CConverterBench.h"

#include "CFrameProtocol.h"

CConverterBench::CConverterBench(ConverterModel model, SimOptions options)
    : m_model(model), m_sim(ForModel(model, options))
{}

SimOptions CConverterBench::ForModel(ConverterModel model, SimOptions options)
{
    options.model = model;
    return options;
}

bool CConverterBench::Connect()
{
    return m_sim.start() &&
           m_port.Open(m_sim.slavePath(), CFrameProtocol::ConfigBaudRate(m_model), 8, 0, 0);
}
