#include "CFontWarmUp.h"
#include "CKelvaneApp.h"
#include "OpenFileLimit.h"
#include "UiLanguage.h"

#include <QByteArray>
#include <QList>
#include <QMessageLogContext>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <utility>

namespace {

const char* const kUsage = QT_TRANSLATE_NOOP(
    "CKelvaneApp",
    "用法：kelvane [选项]\n"
    "配置 Ostrel CAN 总线/串口协议转换器：选择型号和串口，连接，把转换器的参数读到各个\n"
    "标签页上，修改后写回。最后读出或写入的值保存在每个用户的配置文件中。\n"
    "\n"
    "选项：\n"
    "  -h, --help     显示命令行选项的帮助。\n"
    "  -v, --version  显示版本信息。\n"
    "\n"
    "也接受 Qt 的标准选项，例如 -platform NAME 或 -style NAME。\n"
    "没有图形界面时以状态 1 退出；kelvane-cli 可在那里完成同样的工作。\n");

// The exit status when the window cannot be shown, for want of a display or
// for any other reason Qt gives.
constexpr int kCannotStart = 1;

const char* const kNoDisplayText = QT_TRANSLATE_NOOP(
    "CKelvaneApp", "kelvane：需要图形界面（无法连接到显示）。没有图形界面时请使用命令行工具 "
                   "kelvane-cli（见 kelvane-cli --help）。");

bool IsOption(const char* argument, const char* shortName, const char* longName)
{
    return std::strcmp(argument, shortName) == 0 || std::strcmp(argument, longName) == 0;
}

// Qt ends the process with a fatal message, an abort and advice to reinstall
// when no platform plugin reaches a display. While the application object
// is being made, its messages are held back: a fatal one that comes from a
// missing display becomes one line that says what is wrong and what to use
// instead, any other keeps Qt's own reason; without a fatal one they are let
// through once the object exists.
struct HeldMessage
{
    QtMsgType type;
    QString text;
    QString line; // as Qt would have printed it
};

struct StartupMessages
{
    QtMessageHandler previous = nullptr;
    // The platform plugin may report from its own event thread.
    std::mutex mutex;
    QList<HeldMessage> held;
    bool displayRefused = false;
    bool pluginMissing = false;
};

StartupMessages& Startup()
{
    static StartupMessages messages;
    return messages;
}

// What the platform plugins say when the display named would not take them.
bool SaysDisplayRefused(const QString& text)
{
    return text.contains(QLatin1String("connect to display"), Qt::CaseInsensitive) ||
           text.contains(QLatin1String("wl_display"));
}

bool SaysPluginMissing(const QString& text)
{
    return text.contains(QLatin1String("Could not find the Qt platform plugin"));
}

bool NoDisplayNamed()
{
    return qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

void WriteLine(const QString& text)
{
    const QByteArray line = text.toLocal8Bit() + '\n';
    std::fwrite(line.constData(), 1, std::size_t(line.size()), stderr);
}

void HoldStartupMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    StartupMessages& startup = Startup();
    const std::lock_guard lock(startup.mutex);
    if (type != QtFatalMsg) {
        startup.held.append({type, text, qFormatLogMessage(type, context, text)});
        startup.displayRefused = startup.displayRefused || SaysDisplayRefused(text);
        startup.pluginMissing = startup.pluginMissing || SaysPluginMissing(text);
        return;
    }
    // A platform asked for by name that does not exist is the reason, display or not.
    if (!startup.pluginMissing && (startup.displayRefused || NoDisplayNamed())) {
        WriteLine(UiLanguage::TranslateEarly("CKelvaneApp", kNoDisplayText));
    } else {
        for (const HeldMessage& message : std::as_const(startup.held))
            WriteLine(message.line);
        WriteLine(qFormatLogMessage(type, context, text));
    }
    std::fflush(stderr);
    std::_Exit(kCannotStart);
}

void ReleaseStartupMessages()
{
    StartupMessages& startup = Startup();
    qInstallMessageHandler(startup.previous);
    QList<HeldMessage> held;
    {
        const std::lock_guard lock(startup.mutex);
        held.swap(startup.held);
    }
    for (const HeldMessage& message : std::as_const(held)) {
        const QMessageLogger logger;
        const QByteArray text = message.text.toLocal8Bit();
        switch (message.type) {
        case QtDebugMsg:
            logger.debug("%s", text.constData());
            break;
        case QtInfoMsg:
            logger.info("%s", text.constData());
            break;
        case QtWarningMsg:
            logger.warning("%s", text.constData());
            break;
        default:
            logger.critical("%s", text.constData());
            break;
        }
    }
}

} // namespace

int main(int argc, char* argv[])
{
    // Answered before the application object exists, so they need no display.
    for (int i = 1; i < argc; ++i) {
        if (IsOption(argv[i], "-h", "--help")) {
            std::fputs(UiLanguage::TranslateEarly("CKelvaneApp", kUsage).toLocal8Bit().constData(),
                       stdout);
            return 0;
        }
        if (IsOption(argv[i], "-v", "--version")) {
            std::printf("kelvane %s\n", KELVANE_VERSION);
            return 0;
        }
    }
    // The station serves many ports at once, each holding descriptors of its own.
    OpenFileLimit::RaiseToHard();
    CFontWarmUp fonts;
    Startup().previous = qInstallMessageHandler(HoldStartupMessage);
    CKelvaneApp app(argc, argv);
    ReleaseStartupMessages();
    fonts.ApplyTo(app);
    return app.Run();
}
