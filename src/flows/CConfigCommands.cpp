#include "CConfigCommands.h"

#include "ArmCanFields.h"
#include "CArmCanConfig.h"
#include "CEncodedConfig.h"
#include "CFrameProtocol.h"
#include "CMessageSink.h"
#include "CProfile.h"
#include "CSerialComm.h"
#include "CanConfigBlock.h"
#include "ConverterModel.h"
#include "FlowMessages.h"
#include "ParameterBlockCodec.h"
#include "ParameterDefaults.h"
#include "PortDiagnosis.h"
#include "UserMessage.h"

#include <QCoreApplication>

using Page = CPageSet::Page;

namespace {

struct Text
{
    Q_DECLARE_TR_FUNCTIONS(CConfigCommands)
};

UserMessage ReadCancelled()
{
    return {FlowMessages::Caption(), FlowMessages::ReadCancelled()};
}

// Only the acknowledgement tells that the converter took a block in; a write
// cut short may have left it with the parameter block alone, or part of one.
UserMessage WriteCancelled()
{
    return {FlowMessages::Caption(), FlowMessages::WriteCancelled(),
            FlowMessages::WriteCancelledDetail()};
}

} // namespace

CConfigCommands::CConfigCommands(CPageSet& pages, CSerialComm& port, CProfile& profile,
                                 CMessageSink& messages)
    : m_pages(pages), m_port(port), m_profile(profile), m_messages(messages), m_protocol(port)
{}

void CConfigCommands::RestoreDefaults()
{
    RestoreDefaults(m_pages);
}

void CConfigCommands::RestoreDefaults(CPageSet& pages)
{
    pages.StoreControls(Page::Tran);
    pages.StoreControls(Page::Serial);
    if (pages.IsOpen(Page::Can))
        pages.StoreControls(Page::Can);
    else if (pages.IsOpen(Page::ArmCan))
        pages.StoreControls(Page::ArmCan);

    ApplyParameterDefaults(pages.Tran(), pages.Serial(), pages.Can());
    CArmCanConfig::ApplyDefaults(pages.ArmCan());

    pages.ShowFields(Page::Tran);
    pages.RefreshControls(Page::Tran);
    pages.ShowFields(Page::Serial);
    if (pages.IsOpen(Page::Can)) {
        pages.ShowFields(Page::Can);
        pages.RefreshControls(Page::Can);
    } else if (pages.IsOpen(Page::ArmCan)) {
        pages.ShowFields(Page::ArmCan);
        pages.FillFromBlock();
    }
}

CommandOutcome CConfigCommands::ReadConfig()
{
    if (!m_port.IsOpen())
        return CommandOutcome::NotConnected;
    StoreForRead(m_pages);

    QByteArray parameterBlock;
    Configuration read = m_pages.Fields();
    if (!m_protocol.ReadParameterBlock(parameterBlock) ||
        !DecodeParameterBlock(parameterBlock, read))
        return Fail(ReadCancelled());
    m_pages.SetFields(read);
    m_pages.ShowFields(Page::Tran);
    m_pages.ShowFields(Page::Serial);
    ShowIfOpen(Page::Can);

    QByteArray canBlock;
    bool complete = false;
    const CanConfigBlock received = m_protocol.ReadCanConfigBlock(canBlock)
                                        ? CanConfigBlock::fromBytes(canBlock, &complete)
                                        : CanConfigBlock();
    if (!complete)
        return Fail(ReadCancelled());
    received.applyTo(m_pages.ArmCan());
    if (m_pages.IsOpen(Page::ArmCan)) {
        m_profile.SaveArmCan(m_pages.ArmCan());
        m_pages.FillFromBlock();
    }
    SaveProfile();
    return Succeed(FlowMessages::ReadSucceeded());
}

CommandOutcome CConfigCommands::WriteConfig()
{
    if (!m_port.IsOpen())
        return CommandOutcome::NotConnected;
    StoreForWrite(m_pages);

    if (!EncodeAndWrite())
        return Fail(WriteCancelled());
    SaveProfile();
    m_pages.ShowFields(Page::Tran);
    m_pages.ShowFields(Page::Serial);
    if (m_pages.IsOpen(Page::Can)) {
        m_pages.ShowFields(Page::Can);
    } else if (m_pages.IsOpen(Page::ArmCan)) {
        if (!WriteCanConfigBlock())
            return Fail(WriteCancelled());
        m_profile.SaveArmCan(m_pages.ArmCan());
    }
    return Succeed(FlowMessages::WriteSucceeded());
}

// A converter's filter table is long work to type again; one the user has
// neither read nor chosen in this connection is replaced only after saying so,
// once.
void CConfigCommands::WarnOfUnseenTable()
{
    ArmCanFields& armCan = m_pages.ArmCan();
    if (!m_pages.IsOpen(Page::ArmCan) || armCan.m_bCanConfigKnown)
        return;
    armCan.m_bCanConfigKnown = true;
    const QString text =
        armCan.m_bFilterEnabled
            ? Text::tr("写配置会用页面上的过滤表（%n 个条目）替换转换器中的过滤表。", nullptr,
                       int(armCan.m_filters.size()))
            : Text::tr("写配置会关闭转换器的滤波，并清空它的过滤表。");
    m_messages.ShowMessage(
        FlowMessages::WarningCaption(), text,
        Text::tr("连接后还没有读过转换器的配置，页面上的 CAN 参数是上次记住的。"));
}

bool CConfigCommands::EncodeAndWrite()
{
    Configuration config = m_pages.Fields();
    const ParameterBlockEncoding encoding = CEncodedConfig::EncodeParameters(config);
    for (const UserMessage& message : encoding.canIdCheck.messages)
        m_messages.ShowMessage(message.caption, message.text);
    if (encoding.canIdCheck.replaced) {
        m_pages.ArmCan().m_strCanID = config.armCan.m_strCanID;
        ShowIfOpen(Page::ArmCan);
    }
    if (!encoding.Accepted())
        return false;
    WarnOfUnseenTable();
    return m_protocol.WriteParameterBlock(encoding.block);
}

bool CConfigCommands::WriteCanConfigBlock()
{
    m_pages.CollectIntoBlock();
    const QByteArray block = CanConfigBlock::fromFields(m_pages.ArmCan()).toBytes();
    // A cancel cuts the pause short, and the cancelled port then sends nothing.
    m_port.Pause(CFrameProtocol::kCanConfigPauseMs);
    return m_protocol.WriteCanConfigBlock(block);
}

void CConfigCommands::StoreForRead(CPageSet& pages)
{
    pages.StoreControls(Page::Tran);
    pages.StoreControls(Page::Serial);
    StoreIfOpen(pages, Page::Can);
}

void CConfigCommands::StoreForWrite(CPageSet& pages)
{
    StoreForRead(pages);
    if (ConverterModels::Facts(pages.Model()).hasCanConfigPage)
        StoreIfOpen(pages, Page::ArmCan);
}

void CConfigCommands::StoreIfOpen(CPageSet& pages, Page page)
{
    if (pages.IsOpen(page))
        pages.StoreControls(page);
}

void CConfigCommands::ShowIfOpen(Page page)
{
    if (m_pages.IsOpen(page))
        m_pages.ShowFields(page);
}

void CConfigCommands::SaveProfile()
{
    m_profile.Save(m_pages.Can(), m_pages.Serial(), m_pages.Tran(),
                   {m_pages.Model(), m_pages.ConfigPort()});
    m_profile.SaveArmCan(m_pages.ArmCan());
}

CommandOutcome CConfigCommands::Succeed(const QString& text)
{
    m_messages.ShowMessage(
        UserMessage(FlowMessages::Caption(), text, {}, UserMessage::Kind::Success));
    return CommandOutcome::Succeeded;
}

CommandOutcome CConfigCommands::Fail(const UserMessage& cancelled)
{
    if (m_port.IsCancelled()) {
        m_messages.ShowMessage(cancelled);
        return CommandOutcome::Cancelled;
    }
    m_messages.ShowMessage(FlowMessages::Caption(), FlowMessages::CommunicationError(),
                           PortDiagnosis::ExchangeFailure(m_protocol.LastFailure(),
                                                          m_port.HasHungUp(), m_port.Name()));
    return CommandOutcome::Failed;
}
