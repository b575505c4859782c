#include "CPortReport.h"

#include <QStringList>

ExitStatus CPortReport::StatusOf(CPortTask::Result result) noexcept
{
    switch (result) {
    case CPortTask::Result::Succeeded:
        return ExitStatus::Success;
    case CPortTask::Result::PortUnavailable:
        return ExitStatus::PortUnavailable;
    case CPortTask::Result::NotConnected:
        return ExitStatus::NotConnected;
    case CPortTask::Result::Differs:
        return ExitStatus::Differs;
    case CPortTask::Result::CommunicationFailed:
    case CPortTask::Result::Cancelled:
        break;
    }
    return ExitStatus::CommunicationError;
}

PortOutcome CPortReport::OutcomeOf(const CPortTask& task)
{
    PortOutcome outcome = PortOutcome::Of(task);
    outcome.status = int(StatusOf(task.GetResult()));
    return outcome;
}

QByteArray CPortReport::Line(const CPortTask& task)
{
    const PortOutcome outcome = OutcomeOf(task);
    QStringList texts = outcome.messages;
    for (const KeyDifference& difference : outcome.differences)
        texts.append(difference.Line());
    QString result = PortOutcome::Name(outcome.result);
    if (outcome.result != PortOutcome::Result::Ok)
        result += QLatin1Char(' ') + QString::number(*outcome.status);
    return (outcome.port + QLatin1Char('\t') + result + QLatin1Char('\t') +
            texts.join(QStringLiteral("; ")) + QLatin1Char('\n'))
        .toUtf8();
}

QByteArray CPortReport::JsonLine(const CPortTask& task)
{
    return OutcomeOf(task).JsonLine();
}
