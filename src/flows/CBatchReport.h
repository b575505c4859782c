#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// What a batch did on one port, as its table shows it and its report keeps it.
struct BatchOutcome
{
    QString port;
    QString device;
    QString model;        // the model that answered; empty when none did
    QString serialNumber; // where the system reports one
    QString result;       // "ok", "failed", "skipped" or "cancelled"
    QString reason;       // why, for any result but "ok"
    QStringList differingKeys;
    QDateTime time; // when the port's result came
};

// A batch's results for a file: CSV (a header line, then one line per port,
// keys separated by blanks) and JSON (an array of objects).
class CBatchReport
{
public:
    CBatchReport() = delete;

    static QByteArray Csv(const QList<BatchOutcome>& outcomes);
    static QByteArray Json(const QList<BatchOutcome>& outcomes);
    struct Failure
    {
        QString file;
        QString error;
    };
    // Both, beside each other: base + ".csv" and base + ".json", each
    // replaced only once all of it was written. Which could not be and why;
    // none when both were.
    static std::optional<Failure> Save(const QString& base, const QList<BatchOutcome>& outcomes);
    // The chosen file name without a ".csv" or ".json" it may end in.
    static QString BaseOf(const QString& path);
};
