#include "FrameLogText.h"

#include <QCoreApplication>
#include <QDateTime>

namespace {

struct Text
{
    Q_DECLARE_TR_FUNCTIONS(FrameLogText)
};

QString OutcomeText(const FrameRecord& record)
{
    const int received = int(record.bytes.size());
    switch (record.outcome) {
    case FrameRecord::Outcome::Complete:
        return QString();
    case FrameRecord::Outcome::CutOff:
        return Text::tr("被截断：%1/%2 字节").arg(received).arg(record.expected);
    case FrameRecord::Outcome::TooSlow:
        return Text::tr("太慢：时限到时只收到 %1/%2 字节").arg(received).arg(record.expected);
    case FrameRecord::Outcome::BadCheck:
        return Text::tr("校验字节错误");
    case FrameRecord::Outcome::WrongReply:
        return Text::tr("不是所要的应答（其他命令或其他型号的）");
    case FrameRecord::Outcome::NoReply:
        return Text::tr("没有应答");
    }
    return QString();
}

} // namespace

namespace FrameLogText {

QString Line(const FrameRecord& record)
{
    const bool sent = record.direction == FrameRecord::Direction::Sent;
    QStringList parts{
        QDateTime::fromMSecsSinceEpoch(record.msecsSinceEpoch)
            .toString(QStringLiteral("HH:mm:ss.zzz")),
        sent ? Text::tr("发送") : Text::tr("接收"),
        record.Command() >= 0
            ? QStringLiteral("0x%1").arg(record.Command(), 2, 16, QLatin1Char('0'))
            : QStringLiteral("--"),
        Text::tr("%1 字节").arg(record.bytes.size()),
    };
    if (record.HasCheck())
        parts << (record.CheckGood() ? Text::tr("校验正确") : Text::tr("校验错误"));
    if (const QString outcome = OutcomeText(record); !outcome.isEmpty())
        parts << outcome;
    if (record.passedOver > 0)
        parts << Text::tr("之前跳过 %1 字节").arg(record.passedOver);
    if (!record.bytes.isEmpty())
        parts << QString::fromLatin1(record.bytes.toHex(' ').toUpper());
    return parts.join(QLatin1Char(' '));
}

QString Lines(const QList<FrameRecord>& records)
{
    QString text;
    for (const FrameRecord& record : records)
        text += Line(record) + QLatin1Char('\n');
    return text;
}

} // namespace FrameLogText
