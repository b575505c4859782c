#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

class CMessageSink;
class CPageSet;

// Configuration files of the window. A file holds the document that
// `kelvane-cli read -o` writes; export and import move it between a file and
// the pages without any exchange with the converter.
class CConfigFile
{
public:
    CConfigFile() = delete;

    // The document a read would report once the values on the pages were
    // written: the blocks a write would send, decoded as a read decodes them.
    // The pages' controls are stored first and nothing else on them changes.
    // The identifier check speaks as for a write; none when it refused.
    static std::optional<QByteArray> Export(CPageSet& pages, CMessageSink& messages);

    // Puts the document on the pages as the defaults command puts the
    // factory values there: keys it lacks take those values, and the pages
    // show the result. The whole document is checked first, so a refusal,
    // returned naming the key, leaves every field as it was.
    static std::optional<QString> Import(const QByteArray& text, CPageSet& pages);

    // Why the file could not be read or replaced; none when it was. A file
    // is replaced only once all of it was written (COutputFile), and read
    // only when it is a regular file or a pipe (CDocumentInput).
    static std::optional<QString> Load(const QString& path, QByteArray& text);
    static std::optional<QString> Save(const QString& path, const QByteArray& text);
};
