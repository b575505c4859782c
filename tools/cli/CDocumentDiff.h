#pragma once

#include "CConfigDocument.h"
#include "ConverterModel.h"
#include "ExitStatus.h"

#include <QJsonObject>
#include <QStringList>

#include <optional>

class CMessageSink;

// The keys whose values differ between two documents, each taken as a write
// takes it (missing keys are the factory defaults) and compared by what the
// write would leave in a converter: a hex text in another letter case or
// filter entries in another order are no difference.
class CDocumentDiff
{
public:
    // Both documents are for model, as a write to it takes them: one naming
    // another model is refused.
    CDocumentDiff(ConverterModel model, KeysWithoutEffect withoutEffect, CMessageSink& messages);

    // Prints "key: <first> -> <second>" per differing key on standard output,
    // a list's positions with their texts.
    ExitStatus Run(const QStringList& files);

private:
    std::optional<QJsonObject> Written(const QString& file);
    ExitStatus Refuse(const QString& text);

    ConverterModel m_model;
    KeysWithoutEffect m_withoutEffect;
    CMessageSink& m_messages;
    ExitStatus m_refusal = ExitStatus::UsageError;
};
