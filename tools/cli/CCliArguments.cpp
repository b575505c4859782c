#include "CCliArguments.h"

#include "ConfigKeys.h"
#include "ConverterModel.h"
#include "PortNames.h"
#include "ValueNames.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

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

constexpr std::array<CommandName, 12> kCommands{{
    {"ports", CCliArguments::Command::Ports},
    {"connect", CCliArguments::Command::Connect},
    {"read", CCliArguments::Command::Read},
    {"write", CCliArguments::Command::Write},
    {"defaults", CCliArguments::Command::Defaults},
    {"encode", CCliArguments::Command::Encode},
    {"verify", CCliArguments::Command::Verify},
    {"diff", CCliArguments::Command::Diff},
    {"detect", CCliArguments::Command::Detect},
    {"timing", CCliArguments::Command::Timing},
    {"accepts", CCliArguments::Command::Accepts},
    {"profile-path", CCliArguments::Command::ProfilePath},
}};

const char* const kDescription = QT_TRANSLATE_NOOP(
    "CCliArguments",
    "不开窗口读写 Ostrel CAN/串口转换器的配置：帧、超时、重试次数和消息都与窗口相同。\n"
    "\n"
    "命令：\n"
    "  ports             列出 COM1..COM8 及各自对应的设备，然后列出系统报告的串口\n"
    "  connect           打开串口并握手\n"
    "  read [-o FILE]    读参数块和 CAN 配置块，以 JSON 输出配置\n"
    "  write -i FILE|-   把 JSON 中的配置写入转换器（型号 X 随后写 CAN 配置块）；\n"
    "                    --verify：写完后校验\n"
    "  verify -i FILE|-  把转换器中的块与 write 将发送的块比较；每个不同的键输出一行\n"
    "                    “键：应为 …，读到 …”\n"
    "  diff A B          输出两个文档中取值不同的键\n"
    "  defaults          以 JSON 输出该型号的出厂默认值\n"
    "  encode -i FILE|-  不用串口，输出 write 将发送的帧\n"
    "  detect [-p PORT]... 在每个串口上（默认：配置文件中指定的串口，然后是系统报告的\n"
    "                    所有串口）同时尝试每种型号的握手，输出哪个型号在哪里应答\n"
    "  timing RATE [--sample-point P]  为每个型号（或 -d 给出的型号）列出给出该波特率\n"
    "                    和采样点的寄存器值，最好的在前（RATE 如 250K、83.333K、1M）\n"
    "  timing -d X|A|B VALUE  说明寄存器值给出的波特率、采样点、SJW 和时间份额\n"
    "                    （X：ArmCanBaud 的数值，或 0x 开头的十六进制；A、B：BTR0 BTR1，如 \"01 "
    "1C\"）\n"
    "  accepts ID [-i FILE] [--extended]  转换器按文档（默认：出厂值）的配置是否接收该\n"
    "                    十六进制标识符；接收时退出状态为 0，否则为 1\n"
    "  profile-path      输出窗口的配置文件所在的位置（Windows 上为注册表项）\n"
    "\n"
    "connect、write 和 verify 可以给多个 -p，同时为这些串口服务，每个串口输出一行\n"
    "（--json：每个串口一个 JSON 对象）。\n"
    "\n"
    "退出状态：0 成功，1 通信出错，2 用法错误或输入文件无效，3 串口不可用，\n"
    "4 没有转换器应答，5 CAN ID 被拒绝，6 配置不同。有多个串口时，为第一个失败的串口的状态。\n"
    "128 + N：被信号 N（SIGHUP、SIGINT、SIGQUIT、SIGTERM）结束，结束前已释放串口；\n"
    "有多个串口时，先输出每个串口的状态。");

constexpr int kHelpColumns = 79;

// Columns on a terminal: CJK characters take two.
int Columns(const QString& text)
{
    int columns = 0;
    for (const QChar c : text)
        columns += c.unicode() >= 0x1100 ? 2 : 1;
    return columns;
}

// "  Key: 0 text, 1 text, ..." wrapped under its first entry.
QString WrappedEntries(const QString& head, const QStringList& entries)
{
    const QString indent(Columns(head), QLatin1Char(' '));
    const QString separator = Text::tr("，");
    QString text = head;
    int column = Columns(head);
    for (qsizetype index = 0; index < entries.size(); ++index) {
        const QString entry =
            entries.at(index) + (index + 1 < entries.size() ? separator : QString());
        if (column + Columns(entry) > kHelpColumns && column > Columns(head)) {
            text += QLatin1Char('\n') + indent;
            column = Columns(indent);
        }
        text += entry;
        column += Columns(entry);
    }
    return text + QLatin1Char('\n');
}

// Each list key's positions with the texts the window's list shows there,
// which a document may give instead of the position.
QString ValueTables()
{
    QString text =
        QStringLiteral("\n\n") +
        Text::tr("列表键的取值：位置，或窗口的列表中显示的文字（如 \"115200\"、\"250K\"）；"
                 "标有 X 的只用于 Ostrel-X。") +
        QLatin1Char('\n');
    for (const ConfigKey& key : ConfigKeys::All()) {
        const QStringList classic = key.Texts(ConverterModel::OstrelA);
        const QStringList arm = key.Texts(ConverterModel::OstrelX);
        if (key.kind == KeyKind::Register)
            text += WrappedEntries(QStringLiteral("  ") + key.Name() + QStringLiteral(":  "),
                                   arm + QStringList{Text::tr("或寄存器值")});
        if (key.kind != KeyKind::List)
            continue;
        QStringList entries;
        for (qsizetype index = 0; index < arm.size(); ++index) {
            QString entry = QStringLiteral("%1 %2").arg(index).arg(
                index < classic.size() ? classic.at(index) : arm.at(index));
            if (index >= classic.size())
                entry += QStringLiteral(" (X)");
            else if (classic.at(index) != arm.at(index))
                entry += QStringLiteral(" (X: %1)").arg(arm.at(index));
            entries << entry;
        }
        // Two blanks after the key, as after an option: the manual page then
        // keeps each key's table apart.
        text += WrappedEntries(QStringLiteral("  ") + key.Name() + QStringLiteral(":  "), entries);
    }
    return text;
}

std::optional<CCliArguments::Command> CommandOf(const QString& name)
{
    for (const CommandName& known : kCommands)
        if (name == QLatin1String(known.name))
            return known.command;
    return std::nullopt;
}

// A model's letter in either case, or its number in the selector's list.
std::optional<ConverterModel> ModelOf(const QString& text)
{
    if (const std::optional<ConverterModel> model = ConverterModels::FromLetter(text))
        return model;
    const int digit = text.size() == 1 ? text.at(0).digitValue() : -1;
    return ConverterModels::FromDeviceType(digit);
}

} // namespace

CCliArguments::CCliArguments(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(Text::tr(kDescription) + ValueTables());
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption device(
        {QStringLiteral("d"), QStringLiteral("device"), QStringLiteral("model")},
        Text::tr("转换器型号：A、B 或 X（或 0、1、2），默认为 X。"), QStringLiteral("A|B|X"),
        QStringLiteral("X"));
    const QCommandLineOption port(
        {QStringLiteral("p"), QStringLiteral("port")},
        Text::tr("串口：COM1..COM8（与窗口中的对应相同）或设备路径，默认为 "
                 "COM1。connect、write、verify 和 detect 可以给多个。"),
        QStringLiteral("PORT"), QString::fromLatin1(kDefaultPort));
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    Text::tr("read：把 JSON 写入 FILE，而不是标准输出。"),
                                    QStringLiteral("FILE"));
    const QCommandLineOption input({QStringLiteral("i"), QStringLiteral("input")},
                                   Text::tr("write、verify、encode：JSON 文档；- 表示标准输入。"),
                                   QStringLiteral("FILE|-"));
    const QCommandLineOption verify(QStringLiteral("verify"),
                                    Text::tr("write：写完后校验转换器。"));
    const QCommandLineOption force(
        QStringLiteral("force"),
        Text::tr("write、verify、encode、diff、accepts：照样接受文档中对该型号没有作用的键。"));
    const QCommandLineOption json(
        QStringLiteral("json"),
        Text::tr("connect、write、verify、detect：每个串口在标准输出上输出一个 JSON 对象；"
                 "timing：以 JSON 输出。"));
    const QCommandLineOption samplePoint(QStringLiteral("sample-point"),
                                         Text::tr("timing：想要的采样点（百分比），默认为 87.5。"),
                                         QStringLiteral("P"));
    const QCommandLineOption extended(QStringLiteral("extended"),
                                      Text::tr("accepts：标识符属于扩展帧（大于 7FF 的总是）。"));
    const QCommandLineOption trace(
        QStringLiteral("trace"),
        Text::tr(
            "在标准错误上逐行输出经过串口的每一帧：时间、方向、命令、长度、校验和十六进制字节。"));
    parser.addOptions(
        {device, port, output, input, verify, force, json, samplePoint, extended, trace});
    parser.addPositionalArgument(
        QStringLiteral("command"),
        Text::tr("ports、connect、read、write、verify、defaults、encode、diff、detect、timing、"
                 "accepts 或 profile-path。"),
        QStringLiteral("COMMAND"));
    // The usage line names the program as it is typed, not the path it was
    // started by.
    m_helpText = parser.helpText();
    const QString program = arguments.value(0);
    if (const qsizetype at = m_helpText.indexOf(program); !program.isEmpty() && at >= 0)
        m_helpText.replace(at, program.size(), QFileInfo(program).fileName());

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
    m_force = parser.isSet(force);
    m_json = parser.isSet(json);
    m_modelGiven = parser.isSet(device);
    m_extended = parser.isSet(extended);
    m_trace = parser.isSet(trace);
    Interpret(parser.positionalArguments(), parser.value(device),
              parser.isSet(port) ? parser.values(port) : QStringList{});
    if (m_request == Request::Run)
        CheckOperandOptions(parser.isSet(samplePoint) ? parser.value(samplePoint) : QString());
}

void CCliArguments::Interpret(const QStringList& positional, const QString& device,
                              const QStringList& ports)
{
    if (positional.isEmpty()) {
        Refuse(Text::tr("没有给出命令"));
        return;
    }
    const std::optional<Command> command = CommandOf(positional.constFirst());
    if (!command) {
        Refuse(Text::tr("未知命令“%1”").arg(positional.constFirst()));
        return;
    }
    m_command = *command;
    const bool takesOperand = m_command == Command::Timing || m_command == Command::Accepts;
    const int operands = m_command == Command::Diff ? 2 : takesOperand ? 1 : 0;
    if (positional.size() > 1 + operands) {
        Refuse(Text::tr("多余的参数“%1”").arg(positional.at(1 + operands)));
        return;
    }
    if (positional.size() < 1 + operands) {
        if (m_command == Command::Timing)
            Refuse(Text::tr("timing 需要一个波特率（如 250K）或寄存器值"));
        else if (m_command == Command::Accepts)
            Refuse(Text::tr("accepts 需要一个十六进制标识符，如 accepts 123"));
        else
            Refuse(Text::tr("diff 需要两个文档：diff A.json B.json"));
        return;
    }
    if (takesOperand)
        m_operand = positional.at(1);
    else
        m_diffFiles = positional.mid(1);
    const std::optional<ConverterModel> model = ModelOf(device);
    if (!model) {
        Refuse(Text::tr("未知型号“%1”：请用 A、B、X、0、1 或 2").arg(device));
        return;
    }
    m_model = *model;
    // Without -p, detect tries every port the system reports.
    if (!ports.isEmpty())
        m_ports = ports;
    else if (m_command == Command::Detect)
        m_ports.clear();
    for (const QString& port : ports) {
        if (PortNames::ResolvePort(port, PortMap()).isEmpty()) {
            Refuse(Text::tr("未知串口“%1”：请用 COM1..COM8 或设备路径").arg(port));
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
    const bool mayTakeInput = takesInput || m_command == Command::Accepts;
    if (takesInput && (!m_hasInput || m_inputFile.isEmpty())) {
        Refuse(Text::tr("此命令需要 -i FILE（或用 -i - 表示标准输入）"));
        return;
    }
    if (m_hasInput && (!mayTakeInput || m_inputFile.isEmpty())) {
        Refuse(Text::tr("-i 只用于 write、verify、encode 和 accepts"));
        return;
    }
    if (m_hasOutput && (m_command != Command::Read || m_outputFile.isEmpty()))
        Refuse(Text::tr("-o FILE 只用于 read"));
}

void CCliArguments::CheckPortOptions()
{
    const bool servesPorts = m_command == Command::Connect || m_command == Command::Write ||
                             m_command == Command::Verify || m_command == Command::Detect;
    if (m_verify && m_command != Command::Write)
        Refuse(Text::tr("--verify 只用于 write"));
    else if (m_json && !servesPorts && m_command != Command::Timing)
        Refuse(Text::tr("--json 只用于 connect、write、verify、detect 和 timing"));
    else if (m_ports.size() > 1 && !servesPorts)
        Refuse(Text::tr("只有 connect、write、verify 和 detect 可以给多个 -p"));
    else if (m_ports.removeDuplicates() > 0)
        Refuse(Text::tr("同一个串口给了两次"));
}

void CCliArguments::CheckOperandOptions(const QString& samplePoint)
{
    if (!samplePoint.isEmpty()) {
        bool number = false;
        const double percent = samplePoint.trimmed().remove(QLatin1Char('%')).toDouble(&number);
        if (m_command != Command::Timing)
            Refuse(Text::tr("--sample-point 只用于 timing"));
        else if (!number || percent <= 0 || percent >= 100)
            Refuse(Text::tr("采样点“%1”不是 0 到 100 之间的百分比").arg(samplePoint));
        else
            m_samplePoint = percent;
    }
    if (m_extended && m_command != Command::Accepts && m_request == Request::Run)
        Refuse(Text::tr("--extended 只用于 accepts"));
}

void CCliArguments::Refuse(const QString& error)
{
    m_request = Request::Refuse;
    m_error = error;
}
