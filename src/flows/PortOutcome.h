#pragma once

#include "CConfigComparison.h"
#include "CPortTask.h"
#include "CPortTaskObserver.h"
#include "UserMessage.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// What became of one port, in the one vocabulary every front end speaks:
// the command line's lines and its interrupt report, detect, the station's
// table and its report. Scripts read the names and the JSON fields, so they
// only ever grow.
struct PortOutcome
{
    enum class Result
    {
        Ok,
        Failed,
        Skipped,
        Cancelled,
        Interrupted,
    };

    QString port; // as the user named it
    QString device;
    Result result = Result::Failed;
    std::optional<int> status; // the command line's exit status, where one was given
    QString model;             // the model that answered; empty when none did
    QString serialNumber;      // where the system reports one
    QString reason;            // one line, for any result but ok
    QStringList messages;      // every message the port gave, one line each
    QList<KeyDifference> differences;
    QString state; // how far an interrupted port had come
    QDateTime time;

    // A finished task as it ended: a cancel is cancelled, whatever stage it
    // reached, and no fault of the line.
    static PortOutcome Of(const CPortTask& task);
    static Result ResultOf(CPortTask::Result result);

    // "ok", "failed", "skipped", "cancelled", "interrupted".
    static QString Name(Result result);
    // The same in the user's language, as the station's table shows it.
    static QString Text(Result result);
    static QString StepText(CPortTaskObserver::Step step);
    // "caption: text detail" on one line.
    static QString MessageLine(const UserMessage& message);
    // Why a port did not succeed, in one line: its last message.
    static QString ReasonOf(const QList<UserMessage>& messages);
    // Local time with its offset, to the second: "2026-03-04T05:06:07+08:00".
    static QString TimeText(const QDateTime& time);

    // The one JSON form of a port. "status", "state" and "time" are there
    // only when known; "model" is null when none answered.
    QJsonObject ToJson() const;
    // Compact, one line with its end.
    QByteArray JsonLine() const;
};
