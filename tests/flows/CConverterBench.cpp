#include "CConverterBench.h"
#include "ModelRows.h"

#include "CFrameProtocol.h"

CConverterBench::CConverterBench(int deviceType, SimOptions options)
    : m_deviceType(deviceType), m_sim(ForDevice(deviceType, options))
{}

SimOptions CConverterBench::ForDevice(int deviceType, SimOptions options)
{
    options.model = ModelAt(deviceType);
    return options;
}

bool CConverterBench::Connect()
{
    return m_sim.start() &&
           m_port.Open(m_sim.slavePath(), CFrameProtocol::ConfigBaudRate(ModelAt(m_deviceType)), 8,
                       0, 0);
}
