#include "CInterruptReport.h"

#include "CExitSignals.h"
#include "CPortReport.h"
#include "Console.h"
#include "PortOutcome.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <atomic>

namespace {

std::atomic<const CInterruptReport*> g_active{nullptr};

using Stage = CPortTask::Stage;
using Job = CPortTask::Job;

QString StateOf(Job job, Stage stage)
{
    const bool writes = job == Job::Write || job == Job::WriteAndVerify;
    switch (stage) {
    case Stage::NotStarted:
        return QStringLiteral("not started");
    case Stage::Writing:
        return QStringLiteral("interrupted during the write");
    case Stage::Written:
        return QStringLiteral("written");
    case Stage::Verifying:
        return writes ? QStringLiteral("written, interrupted during the verify")
                      : QStringLiteral("interrupted during the verify");
    case Stage::Verified:
        return writes ? QStringLiteral("written and verified") : QStringLiteral("verified");
    case Stage::Connected:
        return QStringLiteral("connected");
    case Stage::Failed:
        break;
    }
    return QStringLiteral("failed");
}

} // namespace

CInterruptReport::CInterruptReport(const std::vector<CPortTask>& tasks, bool json) : m_json(json)
{
    constexpr int kStages = int(Stage::Failed);
    m_entries.reserve(tasks.size());
    for (const CPortTask& task : tasks) {
        Entry entry{&task, {}};
        for (int stage = 0; stage < kStages; ++stage)
            entry.stages.push_back(MakeText(task, StateOf(task.GetJob(), Stage(stage))));
        for (int status = 0; status < kFailures; ++status)
            entry.stages.push_back(MakeText(task, QStringLiteral("failed %1").arg(status)));
        m_entries.push_back(std::move(entry));
    }
    g_active.store(this);
    CExitSignals::SetLastWords(&CInterruptReport::Speak);
}

CInterruptReport::~CInterruptReport()
{
    CExitSignals::SetLastWords(nullptr);
    g_active.store(nullptr);
}

CInterruptReport::Text CInterruptReport::MakeText(const CPortTask& task, const QString& state) const
{
    PortOutcome outcome;
    outcome.port = task.Port();
    outcome.device = task.DevicePath();
    outcome.result = PortOutcome::Result::Interrupted;
    outcome.state = state;
    if (!m_json)
        return {(outcome.port + QLatin1Char('\t') + PortOutcome::Name(outcome.result) +
                 QLatin1Char('\t') + state + QLatin1Char('\n'))
                    .toUtf8(),
                {}};
    // The object is written with a marker where the status goes, then split there.
    QJsonObject line = outcome.ToJson();
    line.insert(QStringLiteral("status"), QStringLiteral("\x01"));
    const QByteArray text = QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n';
    const QByteArray marker("\"\\u0001\"");
    const qsizetype at = text.indexOf(marker);
    return {text.left(at), text.mid(at + marker.size())};
}

void CInterruptReport::Speak(int signal) noexcept
{
    const CInterruptReport* report = g_active.load();
    if (report == nullptr)
        return;
    // The progress line would otherwise stand in front of the first port.
    Console::ClearErrorLineFromSignal();
    for (const Entry& entry : report->m_entries)
        report->SpeakOf(entry, signal);
}

void CInterruptReport::SpeakOf(const Entry& entry, int signal) const noexcept
{
    const Stage stage = entry.task->CurrentStage();
    std::size_t index = std::size_t(stage);
    if (stage == Stage::Failed) {
        const int status = int(CPortReport::StatusOf(entry.task->GetResult()));
        index += std::size_t(status >= 0 && status < kFailures ? status : 0);
    }
    const Text& text = entry.stages[index];
    Console::WriteOutputFromSignal(text.head.constData(), text.head.size());
    if (!m_json)
        return;
    // The exit status, 129..159, in digits without any library call.
    const int status = 128 + signal;
    const char digits[3] = {char('0' + status / 100), char('0' + status / 10 % 10),
                            char('0' + status % 10)};
    Console::WriteOutputFromSignal(digits, 3);
    Console::WriteOutputFromSignal(text.tail.constData(), text.tail.size());
}
