#include "CSimStateFile.h"

#include "CSimFrame.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <algorithm>

namespace {

const QLatin1String kFormatKey("format");
const QLatin1String kFormat("ostrel-sim-state/1");
const QLatin1String kParameterKey("parameterBlock");
const QLatin1String kCanConfigKey("canConfigBlock");
constexpr qint64 kMaxFileSize = 64 * 1024;

// QByteArray::fromHex skips what is not a digit, which would turn a damaged
// file into a shifted block; only an exact hex string of the expected size counts.
std::optional<QByteArray> decodeHex(const QJsonValue& value, int size)
{
    const QByteArray text = value.toString().toLatin1();
    const bool allHex = std::all_of(text.cbegin(), text.cend(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    });
    if (!allHex || text.size() != 2 * size)
        return std::nullopt;
    return QByteArray::fromHex(text);
}

} // namespace

std::optional<SimBlocks> CSimStateFile::Load(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileSize)
        return std::nullopt;
    const QJsonObject root = QJsonDocument::fromJson(file.readAll()).object();
    if (root.value(kFormatKey).toString() != kFormat)
        return std::nullopt;
    const auto parameters = decodeHex(root.value(kParameterKey), CSimFrame::kParameterBlockSize);
    const auto canConfig = decodeHex(root.value(kCanConfigKey), CSimFrame::kCanConfigBlockSize);
    if (!parameters || !canConfig)
        return std::nullopt;
    return SimBlocks{*parameters, *canConfig};
}

bool CSimStateFile::Save(const QString& path, const SimBlocks& blocks)
{
    const QJsonObject root{
        {kFormatKey, kFormat},
        {kParameterKey, QString::fromLatin1(blocks.parameterBlock.toHex().toUpper())},
        {kCanConfigKey, QString::fromLatin1(blocks.canConfigBlock.toHex().toUpper())},
    };
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QJsonDocument(root).toJson());
    return file.commit();
}
