#pragma once

#include "BitTiming.h"
#include "CCliArguments.h"
#include "ExitStatus.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>

#include <optional>

class CMessageSink;

// kelvane-cli timing: a bit rate and sample point to the register values of
// each model that give them, or one register value to what it gives.
class CTimingCommand
{
public:
    CTimingCommand(const CCliArguments& arguments, CMessageSink& messages);

    ExitStatus Run();

private:
    ExitStatus Propose(double bitRate);
    ExitStatus Explain();
    std::optional<quint32> RegisterValue(CanController controller) const;
    QList<ConverterModel> Models() const;
    static QString ValueText(const BitTiming& timing);
    static QJsonObject Json(ConverterModel model, const BitTiming& timing);
    ExitStatus Write(const QByteArray& output);
    ExitStatus Refuse(const QString& text);

    const CCliArguments& m_arguments;
    CMessageSink& m_messages;
};
