#include "CKelvaneCli.h"

#include "CArmCanConfig.h"
#include "CConfigCommands.h"
#include "CConfigDocument.h"
#include "CDocumentInput.h"
#include "CEncodedConfig.h"
#include "CHeldMessages.h"
#include "COutputFile.h"
#include "CPlainPageSet.h"
#include "CSerialComm.h"
#include "ConnectFlow.h"
#include "FlowMessages.h"
#include "PortNames.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QSerialPortInfo>

#include <memory>

namespace {

// The window's profile store is named after the window's program.
const char* const kProfileApplication = "kelvane";
const char* const kRefusalCaption = "错误";

QString Utf8(const char* text)
{
    return QString::fromUtf8(text);
}

bool IsStandardStream(const QString& file)
{
    return file == QLatin1String(CCliArguments::kStandardStream);
}

// The command has already shown its message. It never finds a connected
// session's port closed.
ExitStatus StatusOf(CommandOutcome outcome)
{
    switch (outcome) {
    case CommandOutcome::Succeeded:
        return ExitStatus::Success;
    case CommandOutcome::Failed:
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
{}

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
        return Refuse(m_arguments.Error() + QStringLiteral(" (see --help)"));
    case CCliArguments::Request::Run:
        break;
    }
    return RunCommand();
}

ExitStatus CKelvaneCli::RunCommand()
{
    switch (m_arguments.GetCommand()) {
    case CCliArguments::Command::Ports:
        return ListPorts();
    case CCliArguments::Command::Connect:
        return Connect();
    case CCliArguments::Command::Read:
        return Read();
    case CCliArguments::Command::Write:
        return Write();
    case CCliArguments::Command::Defaults:
        return PrintDefaults();
    case CCliArguments::Command::Encode:
        return Encode();
    }
    return ExitStatus::UsageError;
}

ExitStatus CKelvaneCli::ListPorts()
{
    QString text;
    for (int index = 0; index < PortNames::kPortCount; ++index) {
        text += PortNames::DisplayName(index) + QLatin1Char('\t') +
                PortNames::DevicePath(index, &m_profile.Settings()) + QLatin1Char('\n');
    }
    for (const QSerialPortInfo& port : QSerialPortInfo::availablePorts()) {
        text += port.systemLocation();
        if (!port.description().isEmpty())
            text += QLatin1Char('\t') + port.description();
        text += QLatin1Char('\n');
    }
    if (!CConsoleSink::WriteOutput(text.toUtf8()))
        return Refuse(QStringLiteral("cannot write to standard output"));
    return ExitStatus::Success;
}

ExitStatus CKelvaneCli::Connect()
{
    CSerialComm port;
    return ConnectPort(port);
}

ExitStatus CKelvaneCli::Read()
{
    std::unique_ptr<COutputFile> file;
    if (const ExitStatus status = OpenOutputFile(file); status != ExitStatus::Success)
        return status;
    CPlainPageSet pages(m_arguments.DeviceType());
    ApplyFactoryDefaults(pages);
    CSerialComm port;
    if (const ExitStatus status = ConnectPort(port); status != ExitStatus::Success)
        return status;
    CHeldMessages verdict;
    const CommandOutcome outcome = CConfigCommands(pages, port, m_profile, verdict).ReadConfig();
    if (outcome == CommandOutcome::Succeeded) {
        // The window keeps the CAN configuration block of models A and B
        // without showing it; the document reports it for every model.
        if (!pages.IsOpen(CPageSet::Page::ArmCan))
            CArmCanConfig::FillFromBlock(pages.ArmCan());
        if (const ExitStatus status = PrintJson(pages, file.get()); status != ExitStatus::Success)
            return status;
    }
    verdict.ReplayTo(m_console);
    return StatusOf(outcome);
}

// The identifier check has run and spoken in Prepare, before the handshake;
// its replacement is in the pages, so the command's own check passes them
// silently.
ExitStatus CKelvaneCli::Write()
{
    CPlainPageSet pages(m_arguments.DeviceType());
    CEncodedConfig config;
    if (const ExitStatus status = Prepare(pages, config); status != ExitStatus::Success)
        return status;
    CSerialComm port;
    if (const ExitStatus status = ConnectPort(port); status != ExitStatus::Success)
        return status;
    return StatusOf(CConfigCommands(pages, port, m_profile, m_console).WriteConfig());
}

ExitStatus CKelvaneCli::PrintDefaults()
{
    CPlainPageSet pages(m_arguments.DeviceType());
    ApplyFactoryDefaults(pages);
    return PrintJson(pages, nullptr);
}

ExitStatus CKelvaneCli::Encode()
{
    CPlainPageSet pages(m_arguments.DeviceType());
    CEncodedConfig config;
    if (const ExitStatus status = Prepare(pages, config); status != ExitStatus::Success)
        return status;
    QByteArray lines;
    for (const QByteArray& frame : config.Frames())
        lines += frame.toHex(' ').toUpper() + '\n';
    if (!CConsoleSink::WriteOutput(lines))
        return Refuse(QStringLiteral("cannot write to standard output"));
    return ExitStatus::Success;
}

// What the pages show after the window's defaults command, the open CAN
// page's rules included. The command touches neither the port nor the profile.
void CKelvaneCli::ApplyFactoryDefaults(CPlainPageSet& pages)
{
    CSerialComm closedPort;
    CConfigCommands(pages, closedPort, m_profile, m_console).RestoreDefaults();
}

ExitStatus CKelvaneCli::Prepare(CPlainPageSet& pages, CEncodedConfig& config)
{
    ApplyFactoryDefaults(pages);
    if (const ExitStatus status = LoadDocument(pages); status != ExitStatus::Success)
        return status;
    config = CEncodedConfig::FromPages(pages);
    for (const UserMessage& message : config.CanIdCheck().messages)
        m_console.ShowMessage(message.caption, message.text);
    return config.Accepted() ? ExitStatus::Success : ExitStatus::IdentifierRefused;
}

ExitStatus CKelvaneCli::LoadDocument(CPlainPageSet& pages)
{
    const std::optional<QByteArray> bytes = ReadInput();
    if (!bytes)
        return ExitStatus::UsageError;
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(*bytes, &error);
    if (error.error != QJsonParseError::NoError)
        return Refuse(QStringLiteral("%1: %2 at offset %3")
                          .arg(InputName(), error.errorString())
                          .arg(error.offset));
    if (!document.isObject())
        return Refuse(InputName() + QStringLiteral(": the document must be one JSON object"));
    if (const std::optional<QString> refusal = CConfigDocument::FindRepeatedKey(*bytes))
        return Refuse(InputName() + QStringLiteral(": ") + *refusal);
    if (const std::optional<QString> refusal = CConfigDocument::Apply(document.object(), pages))
        return Refuse(InputName() + QStringLiteral(": ") + *refusal);
    return ExitStatus::Success;
}

std::optional<QByteArray> CKelvaneCli::ReadInput()
{
    CDocumentInput input;
    std::optional<QByteArray> bytes = input.Read(m_arguments.InputFile());
    if (!bytes)
        Refuse(QStringLiteral("cannot read %1: %2").arg(InputName(), input.Error()));
    return bytes;
}

QString CKelvaneCli::InputName() const
{
    const QString input = m_arguments.InputFile();
    return IsStandardStream(input) ? QStringLiteral("standard input")
                                   : QLatin1Char('"') + input + QLatin1Char('"');
}

ExitStatus CKelvaneCli::ConnectPort(CSerialComm& port)
{
    const QString path = PortNames::ResolvePort(m_arguments.Port(), &m_profile.Settings());
    const ConnectFlow::Outcome outcome = ConnectFlow::Connect(port, m_arguments.DeviceType(), path);
    if (const std::optional<UserMessage> message = ConnectFlow::MessageOf(outcome))
        m_console.ShowMessage(message->caption, message->text);
    switch (outcome) {
    case ConnectFlow::Outcome::Connected:
        return ExitStatus::Success;
    case ConnectFlow::Outcome::PortUnavailable:
        return ExitStatus::PortUnavailable;
    case ConnectFlow::Outcome::NoConverter:
        break;
    }
    return ExitStatus::NotConnected;
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
        return Refuse(QStringLiteral("cannot write \"%1\": %2").arg(path, file->ErrorString()));
    return ExitStatus::Success;
}

ExitStatus CKelvaneCli::PrintJson(CPlainPageSet& pages, COutputFile* file)
{
    const QByteArray json = QJsonDocument(CConfigDocument::ToJson(pages)).toJson();
    if (!file) {
        if (!CConsoleSink::WriteOutput(json))
            return Refuse(QStringLiteral("cannot write to standard output"));
        return ExitStatus::Success;
    }
    if (!file->Write(json) || !file->Commit())
        return Refuse(
            QStringLiteral("cannot write \"%1\": %2").arg(file->FileName(), file->ErrorString()));
    return ExitStatus::Success;
}

ExitStatus CKelvaneCli::Refuse(const QString& text)
{
    m_console.ShowMessage(Utf8(kRefusalCaption), text);
    return ExitStatus::UsageError;
}
