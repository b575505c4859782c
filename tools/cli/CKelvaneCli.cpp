#include "CKelvaneCli.h"

#include "CArmCanConfig.h"
#include "CConfigCommands.h"
#include "CConfigDocument.h"
#include "CDocumentDiff.h"
#include "CDocumentInput.h"
#include "CEncodedConfig.h"
#include "CFilterTester.h"
#include "CFrameProtocol.h"
#include "CHeldMessages.h"
#include "CInterruptReport.h"
#include "COutputFile.h"
#include "CPlainPageSet.h"
#include "CPortReport.h"
#include "CPortTask.h"
#include "CSerialComm.h"
#include "CTimingCommand.h"
#include "ConnectFlow.h"
#include "ConverterProbe.h"
#include "ExchangeEnd.h"
#include "FlowMessages.h"
#include "PortNames.h"
#include "PortOutcome.h"

#include <QCoreApplication>
#include <QDir>

#include <memory>
#include <vector>

namespace {

struct Text
{
    Q_DECLARE_TR_FUNCTIONS(CKelvaneCli)
};

// The window's profile store is named after the window's program.
const char* const kProfileApplication = "kelvane";

bool IsStandardStream(const QString& file)
{
    return file == QLatin1String(CCliArguments::kStandardStream);
}

CPortTask::Job JobOf(const CCliArguments& arguments)
{
    if (arguments.GetCommand() == CCliArguments::Command::Verify)
        return CPortTask::Job::Verify;
    if (arguments.GetCommand() != CCliArguments::Command::Write)
        return CPortTask::Job::Connect;
    return arguments.VerifyAfterWrite() ? CPortTask::Job::WriteAndVerify : CPortTask::Job::Write;
}

// The command has already shown its message. It never finds a connected
// session's port closed.
ExitStatus StatusOf(CommandOutcome outcome)
{
    switch (outcome) {
    case CommandOutcome::Succeeded:
        return ExitStatus::Success;
    case CommandOutcome::Failed:
    case CommandOutcome::Cancelled:
        return ExitStatus::CommunicationError;
    case CommandOutcome::NotConnected:
        break;
    }
    return ExitStatus::NotConnected;
}

} // namespace

CKelvaneCli::CKelvaneCli(const QStringList& arguments)
    : m_arguments(arguments),
      m_profile(CProfile::ReadOnly(QString::fromLatin1(kProfileApplication)))
{
    m_console.SetProgress(&m_progress);
    m_progress.SetTracing(m_arguments.Trace());
}

ExitStatus CKelvaneCli::Run()
{
    switch (m_arguments.Action()) {
    case CCliArguments::Request::ShowHelp:
        CConsoleSink::WriteOutput(m_arguments.HelpText().toUtf8());
        return ExitStatus::Success;
    case CCliArguments::Request::ShowVersion:
        CConsoleSink::WriteOutput((QCoreApplication::applicationName() + QLatin1Char(' ') +
                                   QCoreApplication::applicationVersion() + QLatin1Char('\n'))
                                      .toUtf8());
        return ExitStatus::Success;
    case CCliArguments::Request::Refuse:
        return Refuse(Text::tr("%1（见 --help）").arg(m_arguments.Error()));
    case CCliArguments::Request::Run:
        break;
    }
    return RunCommand();
}

ExitStatus CKelvaneCli::RunCommand()
{
    // Only the port map is read from the profile, and the command line never
    // writes it: a file too large to be read is all there is to say.
    const std::optional<CProfile::Untouched>& untouched = m_profile.LeftUntouched();
    if (untouched && untouched->unread)
        m_console.ShowMessage(FlowMessages::WarningCaption(), untouched->why);
    switch (m_arguments.GetCommand()) {
    case CCliArguments::Command::Ports:
        return ListPorts();
    case CCliArguments::Command::ProfilePath:
        return PrintProfilePath();
    case CCliArguments::Command::Connect:
    case CCliArguments::Command::Write:
    case CCliArguments::Command::Verify:
        return ServePorts();
    case CCliArguments::Command::Read:
        return Read();
    case CCliArguments::Command::Diff:
        return CDocumentDiff(m_arguments.Model(), WithoutEffect(), m_console)
            .Run(m_arguments.DiffFiles());
    case CCliArguments::Command::Defaults:
        return PrintDefaults();
    case CCliArguments::Command::Encode:
        return Encode();
    case CCliArguments::Command::Detect:
        return Detect();
    case CCliArguments::Command::Timing:
        return CTimingCommand(m_arguments, m_console).Run();
    case CCliArguments::Command::Accepts:
        return Accepts();
    }
    return ExitStatus::UsageError;
}

// The slots as the window resolves them, then every port the system reports.
ExitStatus CKelvaneCli::ListPorts()
{
    const QList<DetectedPort> detected = m_detector.DetectPorts();
    QString text;
    for (const PortSlot& slot : PortNames::ResolveSlots(m_profile.LoadPortMap(), detected)) {
        // A slot whose device is its own name (Windows' COM1) says it once.
        QStringList fields{slot.Name(), slot.ShownDevice(), slot.device.Label()};
        while (fields.constLast().isEmpty())
            fields.removeLast();
        text += fields.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    for (const DetectedPort& port : detected) {
        text += port.path;
        for (const QString& about : {port.Label(), port.serialNumber, port.byIdPath})
            if (!about.isEmpty())
                text += QLatin1Char('\t') + about;
        text += QLatin1Char('\n');
    }
    if (!CConsoleSink::WriteOutput(text.toUtf8()))
        return Refuse(Text::tr("无法写入标准输出"));
    return ExitStatus::Success;
}

// Where the window keeps its profile, so that a user can open its folder
// (or, on Windows, its registry key) without knowing the organisation name.
ExitStatus CKelvaneCli::PrintProfilePath()
{
    if (!CConsoleSink::WriteOutput(QDir::toNativeSeparators(m_profile.FileName()).toUtf8() + '\n'))
        return Refuse(Text::tr("无法写入标准输出"));
    return ExitStatus::Success;
}

ExitStatus CKelvaneCli::Read()
{
    std::unique_ptr<COutputFile> file;
    if (const ExitStatus status = OpenOutputFile(file); status != ExitStatus::Success)
        return status;
    CPlainPageSet pages(Configuration::Defaults(m_arguments.Model()));
    CSerialComm port;
    QString path;
    m_progress.Observe(port, m_arguments.Port());
    m_progress.Step(m_arguments.Port(), FlowMessages::Connecting());
    if (const ExitStatus status = ConnectPort(port, path); status != ExitStatus::Success)
        return status;
    m_progress.Step(m_arguments.Port(), FlowMessages::Reading());
    CHeldMessages verdict;
    const CommandOutcome outcome = CConfigCommands(pages, port, m_profile, verdict).ReadConfig();
    m_progress.Clear();
    if (outcome == CommandOutcome::Failed)
        ExchangeEnd::Settle(ExchangeEnd::Of(port), verdict, path);
    if (outcome == CommandOutcome::Succeeded) {
        // The window keeps the CAN configuration block of models A and B
        // without showing it; the document reports it for every model.
        if (!pages.IsOpen(CPageSet::Page::ArmCan))
            CArmCanConfig::FillFromBlock(pages.ArmCan());
        if (const ExitStatus status = PrintJson(pages.Config(), file.get());
            status != ExitStatus::Success)
            return status;
    }
    verdict.ReplayTo(m_console);
    return StatusOf(outcome);
}

// Each port is served on a thread of its own, so that a line of converters
// takes hardly longer than one: the exchanges mostly wait for the wire and
// the converter. The identifier check speaks once, in Prepare, for all.
ExitStatus CKelvaneCli::ServePorts()
{
    Configuration config = Configuration::Defaults(m_arguments.Model());
    CEncodedConfig encoded;
    if (m_arguments.GetCommand() != CCliArguments::Command::Connect) {
        if (const ExitStatus status = Prepare(config, encoded); status != ExitStatus::Success)
            return status;
    }
    // The system's ports only when a slot needs them; a failed connect asks
    // for them itself.
    QList<DetectedPort> detected;
    for (const QString& port : m_arguments.Ports())
        if (detected.isEmpty() && PortNames::NeedsDetectedPorts(port, m_profile.LoadPortMap()))
            detected = m_detector.DetectPorts();
    std::vector<CPortTask> tasks;
    QStringList devices;
    for (const QString& port : m_arguments.Ports()) {
        const QString path = PortNames::ResolvePort(port, m_profile.LoadPortMap(), detected);
        const QString device = PortNames::DeviceKey(path);
        if (devices.contains(device))
            return Refuse(Text::tr("“%1”是前面已给出的串口").arg(port));
        devices.append(device);
        tasks.emplace_back(JobOf(m_arguments), port, path, config, encoded, m_profile, detected);
        tasks.back().SetObserver(&m_progress);
    }
    m_progress.SetPortCount(int(tasks.size()));
    if (tasks.size() == 1 && !m_arguments.JsonLines())
        return ServeOnePort(tasks.front());

    {
        const CInterruptReport report(tasks, m_arguments.JsonLines());
        CPortTask::RunAll(tasks);
    }
    m_progress.Clear();
    QByteArray lines;
    for (const CPortTask& task : tasks)
        lines += m_arguments.JsonLines() ? CPortReport::JsonLine(task) : CPortReport::Line(task);
    if (!CConsoleSink::WriteOutput(lines))
        return Refuse(Text::tr("无法写入标准输出"));
    for (const CPortTask& task : tasks)
        if (task.GetResult() != CPortTask::Result::Succeeded)
            return CPortReport::StatusOf(task.GetResult());
    return ExitStatus::Success;
}

// One port speaks as the window would: its messages on standard error, and
// the keys a verify found differing on standard output.
ExitStatus CKelvaneCli::ServeOnePort(CPortTask& task)
{
    task.Run();
    m_progress.Clear();
    QByteArray lines;
    for (const KeyDifference& difference : task.Differences())
        lines += difference.Line().toUtf8() + '\n';
    const bool written = CConsoleSink::WriteOutput(lines);
    for (const UserMessage& message : task.Messages())
        m_console.ShowMessage(message);
    if (!written)
        return Refuse(Text::tr("无法写入标准输出"));
    return CPortReport::StatusOf(task.GetResult());
}

ExitStatus CKelvaneCli::PrintDefaults()
{
    return PrintJson(Configuration::Defaults(m_arguments.Model()), nullptr);
}

ExitStatus CKelvaneCli::Encode()
{
    Configuration config = Configuration::Defaults(m_arguments.Model());
    CEncodedConfig encoded;
    if (const ExitStatus status = Prepare(config, encoded); status != ExitStatus::Success)
        return status;
    // The frames on the wire, in the order the write sends them.
    using Command = CFrameProtocol::Command;
    QList<QByteArray> frames{
        CFrameProtocol::BuildFrame(Command::WriteParameters, encoded.ParameterBlock())};
    if (!encoded.CanConfigBlock().isEmpty())
        frames.append(
            CFrameProtocol::BuildFrame(Command::WriteCanConfig, encoded.CanConfigBlock()));
    QByteArray lines;
    for (const QByteArray& frame : std::as_const(frames))
        lines += frame.toHex(' ').toUpper() + '\n';
    if (!CConsoleSink::WriteOutput(lines))
        return Refuse(Text::tr("无法写入标准输出"));
    return ExitStatus::Success;
}

// One line per port, in the order given: the model that answered, or why
// none did, as connect says it. Success when any converter answered, else the
// status connect gives for the first port.
ExitStatus CKelvaneCli::Detect()
{
    const QList<DetectedPort> detected = m_detector.DetectPorts();
    const PortMap portMap = m_profile.LoadPortMap();
    QStringList names = m_arguments.Ports();
    if (names.isEmpty())
        names = PortNames::SearchOrder(portMap, detected);
    QStringList paths;
    for (const QString& port : std::as_const(names))
        paths << PortNames::ResolvePort(port, portMap, detected);
    std::optional<ExitStatus> failure;
    bool answered = false;
    QByteArray text;
    m_progress.SetPortCount(int(paths.size()));
    const auto trying = [this](const QString& path, std::optional<ConverterModel> model) {
        if (model)
            m_progress.Step(path, FlowMessages::Connecting() + QLatin1Char(' ') +
                                      ConverterModels::DisplayName(*model));
        else
            m_progress.PortDone(path);
    };
    const QList<ConverterProbe::Result> results = ConverterProbe::ProbeAll(paths, detected, trying);
    m_progress.Clear();
    for (qsizetype index = 0; index < results.size(); ++index) {
        const ConverterProbe::Result& result = results.at(index);
        const ExitStatus status = result.model
                                      ? ExitStatus::Success
                                      : CPortReport::StatusOf(CPortTask::ResultOf(result.outcome));
        answered = answered || result.model.has_value();
        if (!result.model && !failure)
            failure = status;
        text += m_arguments.JsonLines() ? DetectJsonLine(names.value(index), result, status)
                                        : DetectLine(result);
    }
    if (!CConsoleSink::WriteOutput(text))
        return Refuse(Text::tr("无法写入标准输出"));
    return answered ? ExitStatus::Success : failure.value_or(ExitStatus::NotConnected);
}

QByteArray CKelvaneCli::DetectLine(const ConverterProbe::Result& result)
{
    QString line = result.devicePath + QLatin1Char('\t');
    if (result.model)
        line += ConverterModels::DisplayName(*result.model);
    else
        line += result.failure.text + QLatin1Char('\t') + result.failure.detail;
    return (line + QLatin1Char('\n')).toUtf8();
}

// As a port of connect --json says it, with the model that answered (null
// when none did).
QByteArray CKelvaneCli::DetectJsonLine(const QString& port, const ConverterProbe::Result& result,
                                       ExitStatus status)
{
    PortOutcome outcome;
    outcome.port = port;
    outcome.device = result.devicePath;
    outcome.status = int(status);
    if (result.model) {
        outcome.result = PortOutcome::Result::Ok;
        outcome.model = ConverterModels::DisplayName(*result.model);
    } else {
        outcome.reason = PortOutcome::ReasonOf({result.failure});
        outcome.messages << PortOutcome::MessageLine(result.failure);
    }
    return outcome.JsonLine();
}

// Status 0 when the converter, configured by the document (or the factory
// values), would take the frame, 1 when it would not.
ExitStatus CKelvaneCli::Accepts()
{
    const std::optional<CanFrameId> frame =
        CanFrameId::Parse(m_arguments.Operand(), m_arguments.ExtendedFrame());
    if (!frame)
        return Refuse(Text::tr("“%1”不是 CAN 标识符：请给出最大为 1FFFFFFF 的十六进制数")
                          .arg(m_arguments.Operand()));
    Configuration config = Configuration::Defaults(m_arguments.Model());
    if (!m_arguments.InputFile().isEmpty())
        if (const ExitStatus status = LoadDocument(config); status != ExitStatus::Success)
            return status;
    const CFilterTester::Verdict verdict = CFilterTester::Test(config, *frame);
    if (!CConsoleSink::WriteOutput(verdict.reason.toUtf8() + '\n'))
        return Refuse(Text::tr("无法写入标准输出"));
    return verdict.accepted ? ExitStatus::Success : ExitStatus::CommunicationError;
}

ExitStatus CKelvaneCli::Prepare(Configuration& config, CEncodedConfig& encoded)
{
    if (const ExitStatus status = LoadDocument(config); status != ExitStatus::Success)
        return status;
    encoded = CEncodedConfig::From(config);
    for (const UserMessage& message : encoded.CanIdCheck().messages)
        m_console.ShowMessage(message.caption, message.text);
    return encoded.Accepted() ? ExitStatus::Success : ExitStatus::IdentifierRefused;
}

ExitStatus CKelvaneCli::LoadDocument(Configuration& config)
{
    const std::optional<QByteArray> bytes = ReadInput();
    if (!bytes)
        return ExitStatus::UsageError;
    if (const std::optional<DocumentRefusal> refusal =
            CConfigDocument::Load(*bytes, config, WithoutEffect()))
        return Refuse(InputName() + (refusal->wholeText ? Text::tr("：") : QStringLiteral(": ")) +
                      refusal->text + ForceHint(*refusal));
    return ExitStatus::Success;
}

KeysWithoutEffect CKelvaneCli::WithoutEffect() const
{
    return m_arguments.Force() ? KeysWithoutEffect::Taken : KeysWithoutEffect::Refused;
}

QString CKelvaneCli::ForceHint(const DocumentRefusal& refusal)
{
    return refusal.withoutEffect ? Text::tr("（--force 照样接受）") : QString();
}

std::optional<QByteArray> CKelvaneCli::ReadInput()
{
    CDocumentInput input;
    std::optional<QByteArray> bytes = input.Read(m_arguments.InputFile());
    if (!bytes)
        Refuse(Text::tr("无法读取 %1：%2").arg(InputName(), input.Error()));
    return bytes;
}

QString CKelvaneCli::InputName() const
{
    const QString input = m_arguments.InputFile();
    return IsStandardStream(input) ? Text::tr("标准输入")
                                   : QLatin1Char('"') + input + QLatin1Char('"');
}

ExitStatus CKelvaneCli::ConnectPort(CSerialComm& port, QString& path)
{
    // An explicit device or a named slot needs no look at the system's ports
    // unless the connect fails.
    const bool needed = PortNames::NeedsDetectedPorts(m_arguments.Port(), m_profile.LoadPortMap());
    const QList<DetectedPort> detected = needed ? m_detector.DetectPorts() : QList<DetectedPort>();
    path = PortNames::ResolvePort(m_arguments.Port(), m_profile.LoadPortMap(), detected);
    const auto present = [this, needed, &detected] {
        return needed ? detected : m_detector.DetectPorts();
    };
    return CPortReport::StatusOf(
        CPortTask::Connect(port, m_arguments.Model(), path, present, m_console));
}

// Opened before the converter is asked, so that an output that cannot be
// written costs no exchange; the file is replaced only once the read is done.
ExitStatus CKelvaneCli::OpenOutputFile(std::unique_ptr<COutputFile>& file)
{
    const QString path = m_arguments.OutputFile();
    if (path.isEmpty() || IsStandardStream(path))
        return ExitStatus::Success;
    file = std::make_unique<COutputFile>(path);
    if (!file->Open())
        return Refuse(Text::tr("无法写入“%1”：%2").arg(path, file->ErrorString()));
    return ExitStatus::Success;
}

ExitStatus CKelvaneCli::PrintJson(const Configuration& config, COutputFile* file)
{
    const QByteArray json = CConfigDocument::ToText(CConfigDocument::ToJson(config));
    if (!file) {
        if (!CConsoleSink::WriteOutput(json))
            return Refuse(Text::tr("无法写入标准输出"));
        return ExitStatus::Success;
    }
    if (!file->Write(json) || !file->Commit())
        return Refuse(Text::tr("无法写入“%1”：%2").arg(file->FileName(), file->ErrorString()));
    return ExitStatus::Success;
}

ExitStatus CKelvaneCli::Refuse(const QString& text)
{
    m_console.ShowMessage(FlowMessages::RefusalCaption(), text);
    return ExitStatus::UsageError;
}
