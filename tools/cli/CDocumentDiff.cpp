#include "CDocumentDiff.h"

#include "CBlockDocument.h"
#include "CConfigComparison.h"
#include "CConfigDocument.h"
#include "CConfigFile.h"
#include "CConsoleSink.h"
#include "CMessageSink.h"
#include "FlowMessages.h"

#include <QCoreApplication>
#include <QJsonDocument>

namespace {

struct Text
{
    Q_DECLARE_TR_FUNCTIONS(CDocumentDiff)
};

} // namespace

CDocumentDiff::CDocumentDiff(ConverterModel model, KeysWithoutEffect withoutEffect,
                             CMessageSink& messages)
    : m_model(model), m_withoutEffect(withoutEffect), m_messages(messages)
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
    const QList<KeyDifference> differences =
        CConfigComparison::Differences(m_model, *first, *second);
    for (const KeyDifference& difference : differences)
        lines += difference.Change().toUtf8() + '\n';
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
    Configuration config;
    config.model = m_model;
    if (const std::optional<DocumentRefusal> refusal =
            CConfigDocument::Load(text, config, m_withoutEffect)) {
        Refuse(name + (refusal->wholeText ? Text::tr("：") : QStringLiteral(": ")) + refusal->text);
        return std::nullopt;
    }
    std::optional<QJsonObject> written = CBlockDocument::AsWritten(config, {}, m_messages);
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
