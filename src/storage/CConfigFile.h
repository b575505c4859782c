#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Configuration files of the window. A file holds the document that
// `kelvane-cli read -o` writes.
class CConfigFile
{
public:
    CConfigFile() = delete;

    // Why the file could not be read or replaced; none when it was. A file
    // is replaced only once all of it was written (COutputFile), and read
    // only when it is a regular file or a pipe (CDocumentInput).
    static std::optional<QString> Load(const QString& path, QByteArray& text);
    static std::optional<QString> Save(const QString& path, const QByteArray& text);
};
