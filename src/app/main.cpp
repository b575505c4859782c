#include "CKelvaneApp.h"
#include "UiLanguage.h"

#include <QByteArray>
#include <QList>
#include <QMessageLogContext>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <cstring>

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

// The exit status when no display can be reached.
constexpr int kNoDisplay = 1;

const char* const kNoDisplayText = QT_TRANSLATE_NOOP(
    "CKelvaneApp", "kelvane：需要图形界面（无法连接到显示）。没有图形界面时请使用命令行工具 "
                   "kelvane-cli（见 kelvane-cli --help）。");

bool IsOption(const char* argument, const char* shortName, const char* longName)
{
    return std::strcmp(argument, shortName) == 0 || std::strcmp(argument, longName) == 0;
}

// Qt ends the process with a fatal message, an abort and advice to reinstall
// when no platform plugin reaches a display. While the application object
// is being made, its messages are held back: a fatal one becomes one line
// that says what is wrong and what to use instead; otherwise they are let
// through once the object exists.
struct HeldMessage
{
    QtMsgType type;
    QString text;
};

struct StartupMessages
{
    QtMessageHandler previous = nullptr;
    QList<HeldMessage> held;
};

StartupMessages& Startup()
{
    static StartupMessages messages;
    return messages;
}

void HoldStartupMessage(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type != QtFatalMsg) {
        Startup().held.append({type, text});
        return;
    }
    const QByteArray line =
        UiLanguage::TranslateEarly("CKelvaneApp", kNoDisplayText).toLocal8Bit() + '\n';
    std::fwrite(line.constData(), 1, std::size_t(line.size()), stderr);
    std::fflush(stderr);
    std::_Exit(kNoDisplay);
}

void ReleaseStartupMessages()
{
    StartupMessages& startup = Startup();
    qInstallMessageHandler(startup.previous);
    for (const HeldMessage& message : startup.held) {
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
    startup.held.clear();
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
    Startup().previous = qInstallMessageHandler(HoldStartupMessage);
    CKelvaneApp app(argc, argv);
    ReleaseStartupMessages();
    return app.Run();
}
