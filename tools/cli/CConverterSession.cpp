#include "CConverterSession.h"

#include "CFrameProtocol.h"

namespace {

constexpr int kDataBits = 8;
constexpr int kNoParity = 0;
constexpr int kOneStopBit = 0;

} // namespace

CConverterSession::CConverterSession(int deviceType) : m_deviceType(deviceType) {}

CConverterSession::ConnectResult CConverterSession::Connect(const QString& devicePath)
{
    if (!m_port.Open(devicePath, CFrameProtocol::ConfigBaudRate(m_deviceType), kDataBits, kNoParity,
                     kOneStopBit))
        return ConnectResult::PortUnavailable;
    if (!CFrameProtocol(m_port).Handshake(m_deviceType)) {
        m_port.Close();
        return ConnectResult::NoConverter;
    }
    return ConnectResult::Connected;
}
