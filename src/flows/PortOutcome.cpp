#include "PortOutcome.h"

#include "FlowMessages.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>

#include <cstdlib>

namespace {

struct Text
{
    Q_DECLARE_TR_FUNCTIONS(PortOutcome)
};

// The converter that answered: the task's own model once connected, else
// the other one that answered the probe.
QString AnsweredModel(const CPortTask& task)
{
    const CPortTask::Result result = task.GetResult();
    if (result == CPortTask::Result::Succeeded ||
        result == CPortTask::Result::CommunicationFailed || result == CPortTask::Result::Differs ||
        task.CurrentStage() != CPortTask::Stage::Failed)
        return ConverterModels::DisplayName(task.Model());
    if (const std::optional<ConverterModel> answering = task.AnsweringModel())
        return ConverterModels::DisplayName(*answering);
    return {};
}

QString OneLine(QString text)
{
    return text.replace(QLatin1Char('\n'), QLatin1Char(' '));
}

} // namespace

PortOutcome PortOutcome::Of(const CPortTask& task)
{
    PortOutcome outcome;
    outcome.port = task.Port();
    outcome.device = task.DevicePath();
    outcome.result = ResultOf(task.GetResult());
    outcome.model = AnsweredModel(task);
    for (const UserMessage& message : task.Messages())
        outcome.messages << MessageLine(message);
    if (outcome.result != Result::Ok)
        outcome.reason = ReasonOf(task.Messages());
    outcome.differences = task.Differences();
    outcome.time = QDateTime::currentDateTime();
    return outcome;
}

PortOutcome::Result PortOutcome::ResultOf(CPortTask::Result result)
{
    switch (result) {
    case CPortTask::Result::Succeeded:
        return Result::Ok;
    case CPortTask::Result::Cancelled:
        return Result::Cancelled;
    case CPortTask::Result::CommunicationFailed:
    case CPortTask::Result::PortUnavailable:
    case CPortTask::Result::NotConnected:
    case CPortTask::Result::Differs:
        break;
    }
    return Result::Failed;
}

QString PortOutcome::Name(Result result)
{
    switch (result) {
    case Result::Ok:
        return QStringLiteral("ok");
    case Result::Skipped:
        return QStringLiteral("skipped");
    case Result::Cancelled:
        return QStringLiteral("cancelled");
    case Result::Interrupted:
        return QStringLiteral("interrupted");
    case Result::Failed:
        break;
    }
    return QStringLiteral("failed");
}

QString PortOutcome::Text(Result result)
{
    switch (result) {
    case Result::Ok:
        return Text::tr("成功");
    case Result::Skipped:
        return Text::tr("跳过");
    case Result::Cancelled:
        return Text::tr("已取消");
    case Result::Interrupted:
        return Text::tr("已中断");
    case Result::Failed:
        break;
    }
    return Text::tr("失败");
}

QString PortOutcome::StepText(CPortTaskObserver::Step step)
{
    switch (step) {
    case CPortTaskObserver::Step::Connecting:
        return FlowMessages::Connecting();
    case CPortTaskObserver::Step::Writing:
        return FlowMessages::Writing();
    case CPortTaskObserver::Step::Verifying:
        break;
    }
    return FlowMessages::Verifying();
}

QString PortOutcome::MessageLine(const UserMessage& message)
{
    QString text = message.caption + QStringLiteral(": ") + message.text;
    if (!message.detail.isEmpty())
        text += QLatin1Char(' ') + OneLine(message.detail);
    return text;
}

QString PortOutcome::ReasonOf(const QList<UserMessage>& messages)
{
    if (messages.isEmpty())
        return {};
    const UserMessage& last = messages.constLast();
    return last.detail.isEmpty() ? last.text : last.text + QLatin1Char(' ') + OneLine(last.detail);
}

QString PortOutcome::TimeText(const QDateTime& time)
{
    if (!time.isValid())
        return {};
    const int offset = time.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return time.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) +
           QLatin1Char(offset < 0 ? '-' : '+') +
           QStringLiteral("%1:%2")
               .arg(minutes / 60, 2, 10, QLatin1Char('0'))
               .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QJsonObject PortOutcome::ToJson() const
{
    QJsonArray differenceList;
    for (const KeyDifference& difference : differences) {
        differenceList.append(QJsonObject{{QStringLiteral("key"), difference.key},
                                          {QStringLiteral("expected"), difference.expected},
                                          {QStringLiteral("got"), difference.got}});
    }
    QJsonObject object{
        {QStringLiteral("port"), port},
        {QStringLiteral("device"), device},
        {QStringLiteral("result"), Name(result)},
        {QStringLiteral("model"), model.isEmpty() ? QJsonValue(QJsonValue::Null) : model},
        {QStringLiteral("serial_number"), serialNumber},
        {QStringLiteral("reason"), reason},
        {QStringLiteral("messages"), QJsonArray::fromStringList(messages)},
        {QStringLiteral("differences"), differenceList},
    };
    if (status)
        object.insert(QStringLiteral("status"), *status);
    if (result == Result::Interrupted)
        object.insert(QStringLiteral("state"), state);
    if (time.isValid())
        object.insert(QStringLiteral("time"), TimeText(time));
    return object;
}

QByteArray PortOutcome::JsonLine() const
{
    return QJsonDocument(ToJson()).toJson(QJsonDocument::Compact) + '\n';
}
