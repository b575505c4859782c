#include "CConfigCommands.h"

#include "ArmCanFields.h"
#include "CArmCanConfig.h"
#include "CFrameProtocol.h"
#include "CMessageSink.h"
#include "CProfile.h"
#include "CSerialComm.h"
#include "CanConfigBlock.h"
#include "ParameterBlockCodec.h"
#include "ParameterDefaults.h"

#include <QThread>

using Page = CPageSet::Page;

CConfigCommands::CConfigCommands(CPageSet& pages, CSerialComm& port, CProfile& profile,
                                 CMessageSink& messages)
    : m_pages(pages), m_port(port), m_profile(profile), m_messages(messages)
{}

QString CConfigCommands::Caption()
{
    return QStringLiteral("配置");
}

void CConfigCommands::RestoreDefaults()
{
    m_pages.StoreControls(Page::Tran);
    m_pages.StoreControls(Page::Serial);
    if (m_pages.IsOpen(Page::Can))
        m_pages.StoreControls(Page::Can);
    else
        StoreIfOpen(Page::ArmCan);

    ApplyParameterDefaults(m_pages.Tran(), m_pages.Serial(), m_pages.Can());
    CArmCanConfig::ApplyDefaults(m_pages.ArmCan());

    m_pages.ShowFields(Page::Tran);
    m_pages.RefreshControls(Page::Tran);
    m_pages.ShowFields(Page::Serial);
    if (m_pages.IsOpen(Page::Can)) {
        m_pages.ShowFields(Page::Can);
        m_pages.RefreshControls(Page::Can);
    } else if (m_pages.IsOpen(Page::ArmCan)) {
        m_pages.ShowFields(Page::ArmCan);
        m_pages.FillFromBlock();
    }
}

CommandOutcome CConfigCommands::ReadConfig()
{
    if (!m_port.IsOpen())
        return CommandOutcome::NotConnected;
    m_pages.StoreControls(Page::Tran);
    m_pages.StoreControls(Page::Serial);
    StoreIfOpen(Page::Can);

    CFrameProtocol protocol(m_port);
    QByteArray parameterBlock;
    if (!protocol.ReadParameterBlock(parameterBlock) ||
        !DecodeParameterBlock(m_pages.DeviceType(), parameterBlock, m_pages.Tran(),
                              m_pages.Serial(), m_pages.Can(), m_pages.ArmCan()))
        return Fail();
    m_pages.ShowFields(Page::Tran);
    m_pages.ShowFields(Page::Serial);
    ShowIfOpen(Page::Can);

    QByteArray canBlock;
    bool complete = false;
    const CanConfigBlock received = protocol.ReadCanConfigBlock(canBlock)
                                        ? CanConfigBlock::fromBytes(canBlock, &complete)
                                        : CanConfigBlock();
    if (!complete)
        return Fail();
    received.applyTo(m_pages.ArmCan());
    if (m_pages.IsOpen(Page::ArmCan)) {
        m_profile.SaveArmCanBaud(m_pages.ArmCan());
        m_pages.FillFromBlock();
    }
    SaveProfile();
    return Succeed(QStringLiteral("读配置成功！"));
}

CommandOutcome CConfigCommands::WriteConfig()
{
    if (!m_port.IsOpen())
        return CommandOutcome::NotConnected;
    m_pages.StoreControls(Page::Tran);
    m_pages.StoreControls(Page::Serial);
    StoreIfOpen(Page::Can);
    if (m_pages.DeviceType() == ParameterBlockCodec::kArmDeviceType)
        StoreIfOpen(Page::ArmCan);

    if (!EncodeAndWrite())
        return Fail();
    SaveProfile();
    m_pages.ShowFields(Page::Tran);
    m_pages.ShowFields(Page::Serial);
    if (m_pages.IsOpen(Page::Can)) {
        m_pages.ShowFields(Page::Can);
    } else if (m_pages.IsOpen(Page::ArmCan)) {
        if (!WriteCanConfigBlock())
            return Fail();
        m_profile.SaveArmCanBaud(m_pages.ArmCan());
    }
    return Succeed(QStringLiteral("写配置成功！"));
}

bool CConfigCommands::EncodeAndWrite()
{
    const ParameterBlockEncoding encoding =
        EncodeParameterBlock(m_pages.DeviceType(), m_pages.Tran(), m_pages.Serial(), m_pages.Can(),
                             m_pages.ArmCan(), m_pages.IsOpen(Page::ArmCan));
    for (const UserMessage& message : encoding.canIdCheck.messages)
        m_messages.ShowMessage(message.caption, message.text);
    if (encoding.canIdCheck.replaced) {
        m_pages.ArmCan().m_strCanID = encoding.canIdCheck.canId;
        ShowIfOpen(Page::ArmCan);
    }
    return encoding.Accepted() && CFrameProtocol(m_port).WriteParameterBlock(encoding.block);
}

bool CConfigCommands::WriteCanConfigBlock()
{
    m_pages.CollectIntoBlock();
    // The converter needs this long after acknowledging the parameter block
    // before it takes in the CAN block.
    QThread::msleep(kCanBlockPauseMs);
    const QByteArray block = CanConfigBlock::fromFields(m_pages.ArmCan()).toBytes();
    return CFrameProtocol(m_port).WriteCanConfigBlock(block);
}

void CConfigCommands::StoreIfOpen(Page page)
{
    if (m_pages.IsOpen(page))
        m_pages.StoreControls(page);
}

void CConfigCommands::ShowIfOpen(Page page)
{
    if (m_pages.IsOpen(page))
        m_pages.ShowFields(page);
}

void CConfigCommands::SaveProfile()
{
    m_profile.Save(m_pages.Can(), m_pages.Serial(), m_pages.Tran(),
                   {m_pages.DeviceType(), m_pages.ConfigPort()});
    m_profile.SaveArmCanBaud(m_pages.ArmCan());
}

CommandOutcome CConfigCommands::Succeed(const QString& text)
{
    m_messages.ShowMessage(Caption(), text);
    return CommandOutcome::Succeeded;
}

CommandOutcome CConfigCommands::Fail()
{
    m_messages.ShowMessage(Caption(), QStringLiteral("通信出错！"));
    return CommandOutcome::Failed;
}
