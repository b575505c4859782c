#pragma once

#include "PortOutcome.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

// What a station run wrote, for the report to name on every line: a report
// read weeks later, or lines of several stations pasted together, still say
// which configuration went where and from which tool.
struct BatchRun
{
    QString document;       // the file name, or "页面上的值"
    QString documentSha256; // of the bytes written, in hex
    QString model;          // the model the configuration is for
    QString station;        // the host name
    QString toolVersion;

    // The run of document's bytes for model on this host, by this build.
    static BatchRun Of(const QString& document, const QByteArray& bytes, const QString& model);
};

// A station run's results for a file. CSV in UTF-8 with a byte-order mark
// and CRLF line ends, as spreadsheets on any desktop read it: a header line,
// then one line per port, differing keys separated by blanks, the local time
// beside its offset, and no cell a spreadsheet would take for a formula. JSON: the run's fields and
// "ports", an array of the ports' objects as every front end writes them.
class CBatchReport
{
public:
    CBatchReport() = delete;

    static QByteArray Csv(const BatchRun& run, const QList<PortOutcome>& outcomes);
    static QByteArray Json(const BatchRun& run, const QList<PortOutcome>& outcomes);
    struct Failure
    {
        QString file;
        QString error;
    };
    // Both, beside each other: base + ".csv" and base + ".json", as a pair
    // or not at all: neither is replaced unless both could be written. Which
    // could not be and why; none when both were.
    static std::optional<Failure> Save(const QString& base, const BatchRun& run,
                                       const QList<PortOutcome>& outcomes);
    // The chosen file name without a ".csv" or ".json" it may end in.
    static QString BaseOf(const QString& path);
    // "batch-Ostrel-X-20260304-050607.csv".
    static QString ProposedName(const QString& model, const QDateTime& time);
    // A field as a spreadsheet reads it back: quoted when it must be, and
    // text, not a formula, when it starts like one.
    static QString CsvCell(const QString& value);
};
