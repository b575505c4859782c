#include "CTimingCommand.h"

#include "CBitTiming.h"
#include "CConsoleSink.h"
#include "CMessageSink.h"
#include "FlowMessages.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QStringList>

namespace {

struct Text
{
    Q_DECLARE_TR_FUNCTIONS(CTimingCommand)
};

constexpr double kDefaultSamplePoint = 87.5;

// A rate names its unit ("250K", "1M"), so that a plain number is the X
// register as documents hold it.
bool NamesRate(const QString& operand)
{
    static const QRegularExpression unit(QStringLiteral("[kKmM]\\s*(bps|bit/s)?\\s*$"));
    return unit.match(operand).hasMatch();
}

} // namespace

CTimingCommand::CTimingCommand(const CCliArguments& arguments, CMessageSink& messages)
    : m_arguments(arguments), m_messages(messages)
{}

ExitStatus CTimingCommand::Run()
{
    if (!NamesRate(m_arguments.Operand()))
        return Explain();
    const std::optional<double> rate = CBitTiming::ParseRate(m_arguments.Operand());
    if (!rate)
        return Refuse(
            Text::tr("“%1”不是波特率：请写成 250K、83.333K 或 1M").arg(m_arguments.Operand()));
    return Propose(*rate);
}

QList<ConverterModel> CTimingCommand::Models() const
{
    if (m_arguments.ModelGiven())
        return {m_arguments.Model()};
    return {ConverterModel::OstrelA, ConverterModel::OstrelB, ConverterModel::OstrelX};
}

ExitStatus CTimingCommand::Propose(double bitRate)
{
    CBitTiming::Request request;
    request.bitRate = bitRate;
    request.samplePoint = m_arguments.SamplePoint().value_or(kDefaultSamplePoint);
    QByteArray text;
    QJsonArray models;
    bool found = false;
    QStringList named; // models of the controller whose list comes next
    const QList<ConverterModel> asked = Models();
    for (qsizetype index = 0; index < asked.size(); ++index) {
        const ConverterModel model = asked.at(index);
        const CanController controller = CBitTiming::ControllerOf(model);
        const QList<BitTiming> proposals = CBitTiming::Propose(controller, request);
        found = found || !proposals.isEmpty();
        QJsonArray values;
        for (const BitTiming& timing : proposals)
            values.append(Json(model, timing));
        models.append(QJsonObject{{QStringLiteral("model"), ConverterModels::DisplayName(model)},
                                  {QStringLiteral("proposals"), values}});
        // Models with one controller share one list.
        named << ConverterModels::DisplayName(model);
        if (index + 1 < asked.size() && CBitTiming::ControllerOf(asked.at(index + 1)) == controller)
            continue;
        text += named.join(QStringLiteral(", ")).toUtf8() + ":\n";
        named.clear();
        if (proposals.isEmpty())
            text += "  " + Text::tr("没有寄存器值能在 0.5% 以内给出这个波特率").toUtf8() + '\n';
        for (const BitTiming& timing : proposals)
            text += "  " + ValueText(timing).toUtf8() + "  " +
                    CBitTiming::Sentence(timing).toUtf8() + '\n';
    }
    if (m_arguments.JsonLines())
        text = QJsonDocument(QJsonObject{{QStringLiteral("bitRate"), bitRate},
                                         {QStringLiteral("samplePoint"), request.samplePoint},
                                         {QStringLiteral("models"), models}})
                   .toJson();
    const ExitStatus status = Write(text);
    // No controller can make the rate: as wrong an argument as a bad one.
    if (status == ExitStatus::Success && !found)
        return ExitStatus::UsageError;
    return status;
}

ExitStatus CTimingCommand::Explain()
{
    const ConverterModel model = m_arguments.Model();
    const CanController controller = CBitTiming::ControllerOf(model);
    const std::optional<quint32> value = RegisterValue(controller);
    if (!value)
        return Refuse(controller == CanController::Arm
                          ? Text::tr("“%1”既不是波特率（如 250K）也不是寄存器值（如 3850245 或 "
                                     "0x3ac005）")
                                .arg(m_arguments.Operand())
                          : Text::tr("“%1”不是 BTR0 BTR1 两个十六进制字节（如 \"01 1C\"）")
                                .arg(m_arguments.Operand()));
    const BitTiming timing = CBitTiming::Explain(controller, *value);
    QByteArray text;
    if (m_arguments.JsonLines()) {
        text = QJsonDocument(Json(model, timing)).toJson();
    } else {
        text += (controller == CanController::Arm
                     ? CBitTiming::DescribedRegister(timing.value)
                     : ValueText(timing) + QStringLiteral(" (") + CBitTiming::Described(timing) +
                           QLatin1Char(')'))
                    .toUtf8() +
                '\n';
        text += CBitTiming::RegisterText(timing).toUtf8() + ": " +
                CBitTiming::Sentence(timing).toUtf8() + '\n';
        for (const QString& warning : CBitTiming::Warnings(timing))
            text += Text::tr("警告：%1").arg(warning).toUtf8() + '\n';
    }
    return Write(text);
}

// The X register as documents hold it (decimal) or as the page shows it
// (0x and hexadecimal); the A/B pair as two hexadecimal bytes.
std::optional<quint32> CTimingCommand::RegisterValue(CanController controller) const
{
    QString operand = m_arguments.Operand().trimmed();
    bool ok = false;
    if (controller == CanController::Classic) {
        operand.remove(QRegularExpression(QStringLiteral("[\\s:]")));
        const uint value = operand.toUInt(&ok, 16);
        if (!ok || operand.size() != 4)
            return std::nullopt;
        return quint32(value);
    }
    const bool hex = operand.startsWith(QLatin1String("0x"), Qt::CaseInsensitive);
    const qulonglong value =
        hex ? operand.mid(2).toULongLong(&ok, 16) : operand.toULongLong(&ok, 10);
    if (!ok || value > 0xFFFFFFFFull)
        return std::nullopt;
    return quint32(value);
}

QString CTimingCommand::ValueText(const BitTiming& timing)
{
    if (timing.controller == CanController::Classic)
        return QStringLiteral("%1 %2")
            .arg(timing.value >> 8 & 0xFF, 2, 16, QLatin1Char('0'))
            .arg(timing.value & 0xFF, 2, 16, QLatin1Char('0'))
            .toUpper();
    return QStringLiteral("%1 (0x%2)").arg(timing.value).arg(timing.value, 8, 16, QLatin1Char('0'));
}

QJsonObject CTimingCommand::Json(ConverterModel model, const BitTiming& timing)
{
    const QJsonValue value = timing.controller == CanController::Classic
                                 ? QJsonValue(ValueText(timing))
                                 : QJsonValue(qint64(timing.value));
    return QJsonObject{
        {QStringLiteral("model"), ConverterModels::DisplayName(model)},
        {QStringLiteral("register"), value},
        {QStringLiteral("bitRate"), timing.BitRate()},
        {QStringLiteral("samplePoint"), timing.SamplePoint()},
        {QStringLiteral("sjw"), timing.sjw},
        {QStringLiteral("quanta"), timing.Quanta()},
        {QStringLiteral("segment1"), timing.segment1},
        {QStringLiteral("segment2"), timing.segment2},
        {QStringLiteral("tripleSampling"), timing.tripleSampling},
        {QStringLiteral("warnings"), QJsonArray::fromStringList(CBitTiming::Warnings(timing))},
    };
}

ExitStatus CTimingCommand::Write(const QByteArray& output)
{
    if (!CConsoleSink::WriteOutput(output))
        return Refuse(Text::tr("无法写入标准输出"));
    return ExitStatus::Success;
}

ExitStatus CTimingCommand::Refuse(const QString& text)
{
    m_messages.ShowMessage(FlowMessages::RefusalCaption(), text);
    return ExitStatus::UsageError;
}
