#include "CPortReport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

namespace {

// One line, the detail after the text.
QString MessageText(const UserMessage& message)
{
    QString text = message.caption + QStringLiteral(": ") + message.text;
    if (!message.detail.isEmpty())
        text +=
            QLatin1Char(' ') + QString(message.detail).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

} // namespace

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

QByteArray CPortReport::Line(const CPortTask& task)
{
    QStringList texts;
    for (const UserMessage& message : task.Messages())
        texts.append(MessageText(message));
    for (const KeyDifference& difference : task.Differences())
        texts.append(difference.Line());
    const ExitStatus status = StatusOf(task.GetResult());
    const QString result = status == ExitStatus::Success
                               ? QStringLiteral("ok")
                               : QStringLiteral("failed %1").arg(int(status));
    return (task.Port() + QLatin1Char('\t') + result + QLatin1Char('\t') +
            texts.join(QStringLiteral("; ")) + QLatin1Char('\n'))
        .toUtf8();
}

QByteArray CPortReport::JsonLine(const CPortTask& task)
{
    QJsonArray messages;
    for (const UserMessage& message : task.Messages())
        messages.append(MessageText(message));
    QJsonArray differences;
    for (const KeyDifference& difference : task.Differences()) {
        differences.append(QJsonObject{{QStringLiteral("key"), difference.key},
                                       {QStringLiteral("expected"), difference.expected},
                                       {QStringLiteral("got"), difference.got}});
    }
    const ExitStatus status = StatusOf(task.GetResult());
    const QJsonObject line{
        {QStringLiteral("port"), task.Port()},
        {QStringLiteral("device"), task.DevicePath()},
        {QStringLiteral("status"), int(status)},
        {QStringLiteral("result"),
         status == ExitStatus::Success ? QStringLiteral("ok") : QStringLiteral("failed")},
        {QStringLiteral("messages"), messages},
        {QStringLiteral("differences"), differences},
    };
    return QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n';
}
