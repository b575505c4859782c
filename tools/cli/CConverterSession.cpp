#include "CConverterSession.h"

#include "ArmCanFields.h"
#include "CArmCanConfig.h"
#include "CConfigCommands.h"
#include "CEncodedConfig.h"
#include "CFrameProtocol.h"
#include "CPageSet.h"
#include "CanConfigBlock.h"
#include "ParameterBlockCodec.h"

#include <QThread>

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

bool CConverterSession::Read(CPageSet& pages)
{
    CFrameProtocol protocol(m_port);
    QByteArray parameterBlock;
    if (!protocol.ReadParameterBlock(parameterBlock))
        return false;
    DecodeParameterBlock(pages.DeviceType(), parameterBlock, pages.Tran(), pages.Serial(),
                         pages.Can(), pages.ArmCan());

    QByteArray canBlock;
    bool complete = false;
    if (protocol.ReadCanConfigBlock(canBlock))
        CanConfigBlock::fromBytes(canBlock, &complete).applyTo(pages.ArmCan());
    if (!complete)
        return false;
    CArmCanConfig::FillFromBlock(pages.ArmCan());
    return true;
}

bool CConverterSession::Write(const CEncodedConfig& config)
{
    CFrameProtocol protocol(m_port);
    if (!protocol.WriteParameterBlock(config.ParameterBlock()))
        return false;
    if (config.CanConfigBlock().isEmpty())
        return true;
    QThread::msleep(CConfigCommands::kCanBlockPauseMs);
    return protocol.WriteCanConfigBlock(config.CanConfigBlock());
}
