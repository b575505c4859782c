#pragma once

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
    // deviceType stands for a document without "DeviceType".
    CDocumentDiff(int deviceType, CMessageSink& messages);

    // Prints "key: <first> -> <second>" per differing key on standard output.
    ExitStatus Run(const QStringList& files);

private:
    std::optional<QJsonObject> Written(const QString& file);
    ExitStatus Refuse(const QString& text);

    int m_deviceType;
    CMessageSink& m_messages;
    ExitStatus m_refusal = ExitStatus::UsageError;
};
