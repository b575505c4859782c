#pragma once

#include "CConfigDocument.h"
#include "Configuration.h"

#include <QByteArray>

#include <optional>

class CMessageSink;
class CPageSet;

// Configuration documents between the pages and a file's text, without any
// exchange with the converter: the window's export and import.
class CDocumentTransfer
{
public:
    CDocumentTransfer() = delete;

    // The document a read would report once the values on the pages were
    // written: the blocks a write would send, decoded as a read decodes them.
    // The pages' controls are stored first and nothing else on them changes.
    // The identifier check speaks as for a write; none when it refused.
    static std::optional<QByteArray> Export(CPageSet& pages, CMessageSink& messages);

    // Puts the document on the pages as the defaults command puts the
    // factory values there, loaded as every command loads a document
    // (CConfigDocument::Load), and shows it. A refusal leaves every field as
    // it was.
    static std::optional<DocumentRefusal> Import(const QByteArray& text, CPageSet& pages);
    // Import's second half, for a document loaded elsewhere (off the
    // window's thread) for a configuration of the pages' model.
    static void Show(Configuration loaded, CPageSet& pages);
};
