#include "CDocumentTransfer.h"

#include "CBlockDocument.h"
#include "CPageSet.h"
#include "CanConfigBlock.h"

#include <array>

using Page = CPageSet::Page;

namespace {

constexpr std::array<Page, 4> kPages{Page::Tran, Page::Serial, Page::Can, Page::ArmCan};

} // namespace

std::optional<QByteArray> CDocumentTransfer::Export(CPageSet& pages, CMessageSink& messages)
{
    for (const Page page : kPages)
        if (pages.IsOpen(page))
            pages.StoreControls(page);
    const Configuration config = pages.Fields();
    // A model without the CAN configuration page keeps the block last read,
    // unshown, and a read reports it all the same.
    const std::optional<QJsonObject> document = CBlockDocument::AsWritten(
        config, CanConfigBlock::fromFields(config.armCan).toBytes(), messages);
    if (!document)
        return std::nullopt;
    return CConfigDocument::ToText(*document);
}

std::optional<DocumentRefusal> CDocumentTransfer::Import(const QByteArray& text, CPageSet& pages)
{
    Configuration loaded;
    loaded.model = pages.Model();
    if (std::optional<DocumentRefusal> refusal = CConfigDocument::Load(text, loaded))
        return refusal;
    Show(loaded, pages);
    return std::nullopt;
}

void CDocumentTransfer::Show(Configuration loaded, CPageSet& pages)
{
    // The page's own control states follow from the block members once the
    // page is filled from them.
    ArmCanFields armCan = pages.ArmCan();
    armCan.m_dwBtr = loaded.armCan.m_dwBtr;
    armCan.m_nFrameType = loaded.armCan.m_nFrameType;
    armCan.m_strCanID = loaded.armCan.m_strCanID;
    armCan.m_acceptance = loaded.armCan.m_acceptance;
    loaded.armCan = armCan;
    pages.SetFields(loaded);

    for (const Page page : kPages)
        if (pages.IsOpen(page))
            pages.ShowFields(page);
    if (pages.IsOpen(Page::ArmCan))
        pages.FillFromBlock();
}
