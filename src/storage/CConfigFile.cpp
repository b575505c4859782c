#include "CConfigFile.h"

#include "CDocumentInput.h"
#include "COutputFile.h"

#include <QCoreApplication>

namespace {

struct Text
{
    Q_DECLARE_TR_FUNCTIONS(CConfigFile)
};

} // namespace

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
