#include "CBatchReport.h"

#include "COutputFile.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSysInfo>

namespace {

const QByteArray kByteOrderMark("\xEF\xBB\xBF");
// A report of 512 ports is some 200 kB; a larger file is no report of ours
// and is not held in memory to be put back.
constexpr qint64 kEarlierLimit = 16 * 1024 * 1024;

QString Line(const QStringList& fields)
{
    QStringList cells;
    for (const QString& field : fields)
        cells << CBatchReport::CsvCell(field);
    return cells.join(QLatin1Char(',')) + QStringLiteral("\r\n");
}

// The local time as spreadsheets read a date and time: with an offset
// after it they take the whole for text, so the offset has a column of its
// own ("UTC+08:00": a cell starting with a sign would be taken for a formula).
QString LocalTime(const QDateTime& time)
{
    return time.isValid() ? time.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) : QString();
}

QString TimeZone(const QDateTime& time)
{
    const QString withOffset = PortOutcome::TimeText(time);
    return withOffset.isEmpty() ? withOffset : QStringLiteral("UTC") + withOffset.right(6);
}

QString KeysOf(const QList<KeyDifference>& differences)
{
    QStringList keys;
    for (const KeyDifference& difference : differences)
        keys << difference.key;
    return keys.join(QLatin1Char(' '));
}

// The earlier file, to put back should its partner fail after it was
// replaced; none when there was none.
std::optional<QByteArray> Earlier(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kEarlierLimit)
        return std::nullopt;
    return file.readAll();
}

} // namespace

BatchRun BatchRun::Of(const QString& document, const QByteArray& bytes, const QString& model)
{
    return {
        document,
        QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex()),
        model, QSysInfo::machineHostName(), QStringLiteral(KELVANE_VERSION)};
}

QString CBatchReport::CsvCell(const QString& value)
{
    QString cell = value;
    static const QString formulaStarts = QStringLiteral("=+-@\t\r");
    if (!cell.isEmpty() && formulaStarts.contains(cell.front()))
        cell.prepend(QLatin1Char('\''));
    if (!cell.contains(QLatin1Char(',')) && !cell.contains(QLatin1Char('"')) &&
        !cell.contains(QLatin1Char('\n')) && !cell.contains(QLatin1Char('\r')))
        return cell;
    return QLatin1Char('"') + cell.replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

QByteArray CBatchReport::Csv(const BatchRun& run, const QList<PortOutcome>& outcomes)
{
    QString text =
        Line({QStringLiteral("port"), QStringLiteral("device"), QStringLiteral("model"),
              QStringLiteral("serial_number"), QStringLiteral("result"), QStringLiteral("reason"),
              QStringLiteral("differences"), QStringLiteral("time"), QStringLiteral("time_zone"),
              QStringLiteral("document"), QStringLiteral("document_sha256"),
              QStringLiteral("written_model"), QStringLiteral("station"),
              QStringLiteral("tool_version")});
    for (const PortOutcome& outcome : outcomes)
        text += Line({outcome.port, outcome.device, outcome.model, outcome.serialNumber,
                      PortOutcome::Name(outcome.result), outcome.reason,
                      KeysOf(outcome.differences), LocalTime(outcome.time), TimeZone(outcome.time),
                      run.document, run.documentSha256, run.model, run.station, run.toolVersion});
    return kByteOrderMark + text.toUtf8();
}

QByteArray CBatchReport::Json(const BatchRun& run, const QList<PortOutcome>& outcomes)
{
    QJsonArray ports;
    for (const PortOutcome& outcome : outcomes)
        ports.append(outcome.ToJson());
    return QJsonDocument(QJsonObject{
                             {QStringLiteral("document"), run.document},
                             {QStringLiteral("document_sha256"), run.documentSha256},
                             {QStringLiteral("written_model"), run.model},
                             {QStringLiteral("station"), run.station},
                             {QStringLiteral("tool_version"), run.toolVersion},
                             {QStringLiteral("ports"), ports},
                         })
        .toJson();
}

// Both files are written in full before either is replaced; should the
// second then fail to take its place, the first is put back as it was.
std::optional<CBatchReport::Failure> CBatchReport::Save(const QString& base, const BatchRun& run,
                                                        const QList<PortOutcome>& outcomes)
{
    COutputFile csv(base + QStringLiteral(".csv"));
    COutputFile json(base + QStringLiteral(".json"));
    for (const auto& [file, bytes] :
         {std::pair<COutputFile*, QByteArray>{&csv, Csv(run, outcomes)},
          std::pair<COutputFile*, QByteArray>{&json, Json(run, outcomes)}})
        if (!file->Open() || !file->Write(bytes))
            return Failure{file->FileName(), file->ErrorString()};
    const bool hadCsv = QFile::exists(csv.FileName());
    const std::optional<QByteArray> earlierCsv = Earlier(csv.FileName());
    if (!csv.Commit())
        return Failure{csv.FileName(), csv.ErrorString()};
    if (json.Commit())
        return std::nullopt;
    const Failure failure{json.FileName(), json.ErrorString()};
    if (earlierCsv)
        COutputFile::WriteWhole(csv.FileName(), *earlierCsv);
    else if (!hadCsv)
        QFile::remove(csv.FileName());
    return failure;
}

QString CBatchReport::BaseOf(const QString& path)
{
    for (const QLatin1String suffix : {QLatin1String(".csv"), QLatin1String(".json")})
        if (path.endsWith(suffix, Qt::CaseInsensitive))
            return path.left(path.size() - suffix.size());
    return path;
}

QString CBatchReport::ProposedName(const QString& model, const QDateTime& time)
{
    return QStringLiteral("batch-%1-%2.csv")
        .arg(model, time.toString(QStringLiteral("yyyyMMdd-HHmmss")));
}
