#include "CConfigFile.h"

#include "ArmCanFields.h"
#include "CArmCanConfig.h"
#include "CBlockDocument.h"
#include "CConfigCommands.h"
#include "CConfigDocument.h"
#include "CDocumentInput.h"
#include "CMessageSink.h"
#include "COutputFile.h"
#include "CPlainPageSet.h"
#include "CanConfigBlock.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>

#include <array>

using Page = CPageSet::Page;

namespace {

struct Text
{
    Q_DECLARE_TR_FUNCTIONS(CConfigFile)
};

constexpr std::array<Page, 4> kPages{Page::Tran, Page::Serial, Page::Can, Page::ArmCan};

// A scratch copy of the pages' fields, on which encoding and applying a
// document may change what they like.
CPlainPageSet CopyOf(CPageSet& pages)
{
    CPlainPageSet copy(pages.DeviceType(), pages.ConfigPort());
    copy.Tran() = pages.Tran();
    copy.Serial() = pages.Serial();
    copy.Can() = pages.Can();
    copy.ArmCan() = pages.ArmCan();
    return copy;
}

} // namespace

std::optional<QByteArray> CConfigFile::Export(CPageSet& pages, CMessageSink& messages)
{
    for (const Page page : kPages)
        if (pages.IsOpen(page))
            pages.StoreControls(page);
    CPlainPageSet copy = CopyOf(pages);
    // A model without the CAN configuration page keeps the block last read,
    // unshown, and a read reports it all the same.
    const std::optional<QJsonObject> document = CBlockDocument::AsWritten(
        copy, CanConfigBlock::fromFields(copy.ArmCan()).toBytes(), messages);
    if (!document)
        return std::nullopt;
    return CConfigDocument::ToText(*document);
}

std::optional<QString> CConfigFile::Import(const QByteArray& text, CPageSet& pages)
{
    QJsonParseError error{};
    const QJsonDocument json = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError)
        return Text::tr("%1，位于第 %2 字节").arg(error.errorString()).arg(error.offset);
    if (!json.isObject())
        return Text::tr("文档必须是一个 JSON 对象");
    if (std::optional<QString> refusal = CConfigDocument::FindRepeatedKey(text))
        return refusal;
    CPlainPageSet scratch(pages.DeviceType(), pages.ConfigPort());
    CConfigCommands::RestoreDefaults(scratch);
    if (std::optional<QString> refusal = CConfigDocument::Apply(json.object(), scratch))
        return refusal;
    // The block members follow the page's controls, as a write collects them,
    // so that showing them puts the document's filtering on the page.
    CArmCanConfig::CollectIntoBlock(scratch.ArmCan());

    pages.Tran() = scratch.Tran();
    pages.Serial() = scratch.Serial();
    pages.Can() = scratch.Can();
    ArmCanFields& armCan = pages.ArmCan();
    const ArmCanFields& imported = scratch.ArmCan();
    armCan.m_dwBtr = imported.m_dwBtr;
    armCan.m_nFrameType = imported.m_nFrameType;
    armCan.m_strCanID = imported.m_strCanID;
    armCan.m_acceptance = imported.m_acceptance;

    for (const Page page : {Page::Tran, Page::Serial, Page::Can, Page::ArmCan})
        if (pages.IsOpen(page))
            pages.ShowFields(page);
    if (pages.IsOpen(Page::ArmCan))
        pages.FillFromBlock();
    return std::nullopt;
}

// Bounded as the command line's input is, so that a device or a FIFO chosen
// by mistake neither blocks the window nor fills its memory: a FIFO's writer
// gets half a second.
std::optional<QString> CConfigFile::Load(const QString& path, QByteArray& text)
{
    constexpr int kPipeDeadlineMs = 500;
    CDocumentInput input(kPipeDeadlineMs);
    std::optional<QByteArray> bytes = input.Read(path);
    if (!bytes)
        return Text::tr("无法读取“%1”：%2").arg(path, input.Error());
    text = std::move(*bytes);
    return std::nullopt;
}

std::optional<QString> CConfigFile::Save(const QString& path, const QByteArray& text)
{
    if (const std::optional<QString> error = COutputFile::WriteWhole(path, text))
        return Text::tr("无法写入“%1”：%2").arg(path, *error);
    return std::nullopt;
}
