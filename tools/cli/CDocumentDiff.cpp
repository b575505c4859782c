#include "CDocumentDiff.h"

#include "CBlockDocument.h"
#include "CConfigCommands.h"
#include "CConfigDocument.h"
#include "CConfigFile.h"
#include "CConfigVerification.h"
#include "CConsoleSink.h"
#include "CMessageSink.h"
#include "CPlainPageSet.h"
#include "ConverterModel.h"
#include "FlowMessages.h"
#include "ParameterKeys.h"

#include <QCoreApplication>
#include <QJsonDocument>

namespace {

struct Text
{
    Q_DECLARE_TR_FUNCTIONS(CDocumentDiff)
};

} // namespace

CDocumentDiff::CDocumentDiff(int deviceType, CMessageSink& messages)
    : m_deviceType(deviceType), m_messages(messages)
{}

ExitStatus CDocumentDiff::Run(const QStringList& files)
{
    const std::optional<QJsonObject> first = Written(files.value(0));
    if (!first)
        return m_refusal;
    const std::optional<QJsonObject> second = Written(files.value(1));
    if (!second)
        return m_refusal;
    QByteArray lines;
    const QList<KeyDifference> differences = CConfigVerification::Differences(*first, *second);
    for (const KeyDifference& difference : differences) {
        lines +=
            (difference.key + QStringLiteral(": ") + KeyDifference::Compact(difference.expected) +
             QStringLiteral(" -> ") + KeyDifference::Compact(difference.got) + QLatin1Char('\n'))
                .toUtf8();
    }
    if (!CConsoleSink::WriteOutput(lines))
        return Refuse(Text::tr("无法写入标准输出"));
    return differences.isEmpty() ? ExitStatus::Success : ExitStatus::Differs;
}

// The document as a read would report it after the document was written.
std::optional<QJsonObject> CDocumentDiff::Written(const QString& file)
{
    const QString name = QLatin1Char('"') + file + QLatin1Char('"');
    QByteArray text;
    if (const std::optional<QString> error = CConfigFile::Load(file, text)) {
        Refuse(*error);
        return std::nullopt;
    }
    QJsonParseError error{};
    const QJsonDocument json = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError || !json.isObject()) {
        Refuse(name + Text::tr("：文档必须是一个 JSON 对象"));
        return std::nullopt;
    }
    const QJsonValue named = json.object().value(QLatin1String(ParameterKeys::kDeviceType));
    const int deviceType = named.isDouble() && ConverterModels::FromDeviceType(named.toInt(-1))
                               ? named.toInt()
                               : m_deviceType;
    CPlainPageSet pages(deviceType);
    CConfigCommands::RestoreDefaults(pages);
    if (const std::optional<QString> refusal = CConfigDocument::Apply(json.object(), pages)) {
        Refuse(name + QStringLiteral(": ") + *refusal);
        return std::nullopt;
    }
    std::optional<QJsonObject> written = CBlockDocument::AsWritten(pages, {}, m_messages);
    if (!written)
        m_refusal = ExitStatus::IdentifierRefused;
    return written;
}

ExitStatus CDocumentDiff::Refuse(const QString& text)
{
    m_messages.ShowMessage(FlowMessages::RefusalCaption(), text);
    m_refusal = ExitStatus::UsageError;
    return ExitStatus::UsageError;
}
