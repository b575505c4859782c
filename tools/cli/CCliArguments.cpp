#include "CCliArguments.h"

#include "ConverterModel.h"
#include "PortNames.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <array>
#include <optional>

namespace {

struct Text
{
    Q_DECLARE_TR_FUNCTIONS(CCliArguments)
};

struct CommandName
{
    const char* name;
    CCliArguments::Command command;
};

constexpr std::array<CommandName, 9> kCommands{{
    {"ports", CCliArguments::Command::Ports},
    {"connect", CCliArguments::Command::Connect},
    {"read", CCliArguments::Command::Read},
    {"write", CCliArguments::Command::Write},
    {"defaults", CCliArguments::Command::Defaults},
    {"encode", CCliArguments::Command::Encode},
    {"verify", CCliArguments::Command::Verify},
    {"diff", CCliArguments::Command::Diff},
    {"detect", CCliArguments::Command::Detect},
}};

const char* const kDescription = QT_TRANSLATE_NOOP(
    "CCliArguments",
    "Reads and writes the configuration of Ostrel CAN/serial converters without the window:\n"
    "the same frames, time-outs, attempts and messages.\n"
    "\n"
    "Commands:\n"
    "  ports             list COM1..COM8 with the device each maps to, then the serial ports\n"
    "                    the system reports\n"
    "  connect           open the port and run the handshake\n"
    "  read [-o FILE]    read the parameter block and the CAN configuration block, print the\n"
    "                    configuration as JSON\n"
    "  write -i FILE|-   write the configuration from JSON (device X: then the CAN\n"
    "                    configuration block); --verify: then verify it\n"
    "  verify -i FILE|-  compare the converter's blocks with those write would send; print\n"
    "                    \"key: expected ... got ...\" for each key that differs\n"
    "  diff A B          print the keys whose values differ between two documents\n"
    "  defaults          print the model's factory defaults as JSON\n"
    "  encode -i FILE|-  print, without any port, the frames that write would send\n"
    "  detect [-p PORT]... try every model's handshake on each port (default: every\n"
    "                    serial port the system reports), all ports at once, and print\n"
    "                    which model answers where\n"
    "\n"
    "connect, write and verify take -p more than once and serve the ports at the same time,\n"
    "printing one line per port (--json: one JSON object per port).\n"
    "\n"
    "Exit status: 0 success, 1 communication error, 2 usage error or invalid input file,\n"
    "3 port unavailable, 4 no converter answered, 5 CAN ID refused, 6 the configurations\n"
    "differ. With several ports, that of the first port that failed. 128 + N: ended by\n"
    "signal N (SIGHUP, SIGINT, SIGQUIT, SIGTERM) after releasing the port; with several\n"
    "ports, every port's state is printed first.");

std::optional<CCliArguments::Command> CommandOf(const QString& name)
{
    for (const CommandName& known : kCommands)
        if (name == QLatin1String(known.name))
            return known.command;
    return std::nullopt;
}

// A model's letter in either case, or the device type itself.
std::optional<int> DeviceTypeOf(const QString& text)
{
    if (const std::optional<ConverterModel> model = ConverterModels::FromLetter(text))
        return ConverterModels::DeviceTypeOf(*model);
    const int digit = text.size() == 1 ? text.at(0).digitValue() : -1;
    if (ConverterModels::FromDeviceType(digit))
        return digit;
    return std::nullopt;
}

} // namespace

CCliArguments::CCliArguments(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(Text::tr(kDescription));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption device({QStringLiteral("d"), QStringLiteral("device")},
                                    Text::tr("Converter model: A, B or X (or 0, 1, 2). Default X."),
                                    QStringLiteral("A|B|X"), QStringLiteral("X"));
    const QCommandLineOption port(
        {QStringLiteral("p"), QStringLiteral("port")},
        Text::tr("COM1..COM8, mapped as in the window, or a device path. Default COM1. "
                 "connect, write, verify and detect take several."),
        QStringLiteral("PORT"), QString::fromLatin1(kDefaultPort));
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    Text::tr("read: write the JSON to FILE instead."),
                                    QStringLiteral("FILE"));
    const QCommandLineOption input({QStringLiteral("i"), QStringLiteral("input")},
                                   Text::tr("write, verify, encode: the JSON document; - for "
                                            "standard input."),
                                   QStringLiteral("FILE|-"));
    const QCommandLineOption verify(QStringLiteral("verify"),
                                    Text::tr("write: verify the converter afterwards."));
    const QCommandLineOption json(
        QStringLiteral("json"),
        Text::tr("connect, write, verify: one JSON object per port on standard output."));
    parser.addOptions({device, port, output, input, verify, json});
    parser.addPositionalArgument(
        QStringLiteral("command"),
        Text::tr("ports, connect, read, write, verify, defaults, encode, diff or detect."),
        QStringLiteral("COMMAND"));
    m_helpText = parser.helpText();

    if (!parser.parse(arguments)) {
        Refuse(parser.errorText());
        return;
    }
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        m_request = Request::ShowHelp;
        return;
    }
    if (parser.isSet(version)) {
        m_request = Request::ShowVersion;
        return;
    }
    m_hasInput = parser.isSet(input);
    m_inputFile = parser.value(input);
    m_hasOutput = parser.isSet(output);
    m_outputFile = parser.value(output);
    m_verify = parser.isSet(verify);
    m_json = parser.isSet(json);
    Interpret(parser.positionalArguments(), parser.value(device),
              parser.isSet(port) ? parser.values(port) : QStringList{});
}

void CCliArguments::Interpret(const QStringList& positional, const QString& device,
                              const QStringList& ports)
{
    if (positional.isEmpty()) {
        Refuse(Text::tr("no command given"));
        return;
    }
    const std::optional<Command> command = CommandOf(positional.constFirst());
    if (!command) {
        Refuse(Text::tr("unknown command \"%1\"").arg(positional.constFirst()));
        return;
    }
    m_command = *command;
    const int operands = m_command == Command::Diff ? 2 : 0;
    if (positional.size() > 1 + operands) {
        Refuse(Text::tr("unexpected argument \"%1\"").arg(positional.at(1 + operands)));
        return;
    }
    if (positional.size() < 1 + operands) {
        Refuse(Text::tr("diff needs two documents: diff A.json B.json"));
        return;
    }
    m_diffFiles = positional.mid(1);
    const std::optional<int> deviceType = DeviceTypeOf(device);
    if (!deviceType) {
        Refuse(Text::tr("unknown device \"%1\": use A, B, X, 0, 1 or 2").arg(device));
        return;
    }
    m_deviceType = *deviceType;
    // Without -p, detect tries every port the system reports.
    if (!ports.isEmpty())
        m_ports = ports;
    else if (m_command == Command::Detect)
        m_ports.clear();
    for (const QString& port : ports) {
        if (PortNames::ResolvePort(port, nullptr).isEmpty()) {
            Refuse(Text::tr("unknown port \"%1\": use COM1..COM8 or a device path").arg(port));
            return;
        }
    }
    CheckFileOptions();
    if (m_request == Request::Run)
        CheckPortOptions();
}

void CCliArguments::CheckFileOptions()
{
    const bool takesInput =
        m_command == Command::Write || m_command == Command::Encode || m_command == Command::Verify;
    if (takesInput && (!m_hasInput || m_inputFile.isEmpty())) {
        Refuse(Text::tr("this command needs -i FILE (or -i - for standard input)"));
        return;
    }
    if (!takesInput && m_hasInput) {
        Refuse(Text::tr("-i is for write, verify and encode only"));
        return;
    }
    if (m_hasOutput && (m_command != Command::Read || m_outputFile.isEmpty()))
        Refuse(Text::tr("-o FILE is for read only"));
}

void CCliArguments::CheckPortOptions()
{
    const bool servesPorts = m_command == Command::Connect || m_command == Command::Write ||
                             m_command == Command::Verify || m_command == Command::Detect;
    if (m_verify && m_command != Command::Write)
        Refuse(Text::tr("--verify is for write only"));
    else if (m_json && (!servesPorts || m_command == Command::Detect))
        Refuse(Text::tr("--json is for connect, write and verify only"));
    else if (m_ports.size() > 1 && !servesPorts)
        Refuse(Text::tr("only connect, write, verify and detect take more than one -p"));
    else if (m_ports.removeDuplicates() > 0)
        Refuse(Text::tr("a port is given twice"));
}

void CCliArguments::Refuse(const QString& error)
{
    m_request = Request::Refuse;
    m_error = error;
}
