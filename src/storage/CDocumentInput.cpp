#include "CDocumentInput.h"

#include "CConfigDocument.h"

#include <QCoreApplication>

#include <cstring>

namespace {

struct Text
{
    Q_DECLARE_TR_FUNCTIONS(CDocumentInput)
};

} // namespace

QString CDocumentInput::SystemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString CDocumentInput::TooLarge()
{
    return Text::tr("大于 %1 MiB，配置文档不会这么大")
        .arg(CConfigDocument::kMaxBytes / (1024 * 1024));
}

QString CDocumentInput::NotAFile()
{
    return Text::tr("既不是普通文件也不是管道");
}

std::optional<QByteArray> CDocumentInput::Fail(const QString& error)
{
    m_error = error;
    return std::nullopt;
}
