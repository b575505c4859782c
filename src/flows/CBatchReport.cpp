#include "CBatchReport.h"

#include "COutputFile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QString TimeText(const QDateTime& time)
{
    return time.isValid() ? time.toString(Qt::ISODateWithMs) : QString();
}

// Quoted only when it must be, as spreadsheets read it.
QString CsvField(const QString& value)
{
    if (!value.contains(QLatin1Char(',')) && !value.contains(QLatin1Char('"')) &&
        !value.contains(QLatin1Char('\n')) && !value.contains(QLatin1Char('\r')))
        return value;
    return QLatin1Char('"') + QString(value).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

} // namespace

QByteArray CBatchReport::Csv(const QList<BatchOutcome>& outcomes)
{
    QString text =
        QStringLiteral("port,device,model,serial_number,result,reason,differing_keys,time\r\n");
    for (const BatchOutcome& outcome : outcomes) {
        const QStringList fields{outcome.port,
                                 outcome.device,
                                 outcome.model,
                                 outcome.serialNumber,
                                 outcome.result,
                                 outcome.reason,
                                 outcome.differingKeys.join(QLatin1Char(' ')),
                                 TimeText(outcome.time)};
        QStringList quoted;
        for (const QString& field : fields)
            quoted << CsvField(field);
        text += quoted.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return text.toUtf8();
}

QByteArray CBatchReport::Json(const QList<BatchOutcome>& outcomes)
{
    QJsonArray ports;
    for (const BatchOutcome& outcome : outcomes) {
        ports.append(QJsonObject{
            {QStringLiteral("port"), outcome.port},
            {QStringLiteral("device"), outcome.device},
            {QStringLiteral("model"), outcome.model},
            {QStringLiteral("serial_number"), outcome.serialNumber},
            {QStringLiteral("result"), outcome.result},
            {QStringLiteral("reason"), outcome.reason},
            {QStringLiteral("differing_keys"), QJsonArray::fromStringList(outcome.differingKeys)},
            {QStringLiteral("time"), TimeText(outcome.time)},
        });
    }
    return QJsonDocument(ports).toJson();
}

std::optional<CBatchReport::Failure> CBatchReport::Save(const QString& base,
                                                        const QList<BatchOutcome>& outcomes)
{
    const QString csv = base + QStringLiteral(".csv");
    if (const std::optional<QString> error = COutputFile::WriteWhole(csv, Csv(outcomes)))
        return Failure{csv, *error};
    const QString json = base + QStringLiteral(".json");
    if (const std::optional<QString> error = COutputFile::WriteWhole(json, Json(outcomes)))
        return Failure{json, *error};
    return std::nullopt;
}

QString CBatchReport::BaseOf(const QString& path)
{
    for (const QLatin1String suffix : {QLatin1String(".csv"), QLatin1String(".json")})
        if (path.endsWith(suffix, Qt::CaseInsensitive))
            return path.left(path.size() - suffix.size());
    return path;
}
