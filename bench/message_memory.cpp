// Whether the window's memory keeps growing with the messages it shows. Shows
// the window's own message box (the sink every command's messages go
// through) for a success and a failure, closed as soon as it is up, for a
// number of cycles, and prints the resident set every 500 cycles and the
// growth over the last half of the run. With --window a cycle is instead the
// real window connecting to the in-process simulator (Ostrel-A, unpaced),
// reading, writing and disconnecting, its success boxes shown and closed.
// Runs offscreen unless a display is given:
//   message_memory [--window] [CYCLES]     (default 5000)
// The first boxes load fonts and icons once; the growth is counted from the
// end of a warm-up of kWarmUp cycles. Exits 2 when it is above the goal.
#include "CKelvaneSheet.h"
#include "CMessageBoxSink.h"
#include "COstrelSimulator.h"
#include "CProfile.h"
#include "ConverterModel.h"
#include "FlowMessages.h"
#include "UserMessage.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <functional>

#include <cstdio>

namespace {

constexpr qint64 kGoalKiB = 1024;
constexpr int kReportEvery = 500;
constexpr int kWarmUp = 10;

// The resident set in KiB, from /proc; 0 where there is none.
qint64 ResidentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

// Closes each box as soon as it has shown: the user's OK, at once.
void CloseWhenShown()
{
    QTimer::singleShot(
        0,
        [] {
            if (QWidget* box = QApplication::activeModalWidget())
                box->close();
            else
                CloseWhenShown();
        });
}

// The offscreen platform says once a box that it cannot pass size hints on.
void QuietPlatform(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type != QtDebugMsg && !text.contains(QLatin1String("propagateSizeHints")))
        std::fprintf(stderr, "%s\n", qPrintable(text));
}

// Presses a button of the window and waits for the exchange it starts.
void Press(CKelvaneSheet& sheet, const char* button)
{
    QEventLoop loop;
    QObject::connect(&sheet, &CKelvaneSheet::ExchangeFinished, &loop, &QEventLoop::quit);
    sheet.findChild<QAbstractButton*>(QLatin1String(button))->click();
    if (sheet.IsExchanging())
        loop.exec();
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(QuietPlatform);
    QApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    const bool windowCycles = arguments.removeAll(QStringLiteral("--window")) > 0;
    const int cycles = arguments.isEmpty() ? 5000 : qMax(kReportEvery, arguments[0].toInt());
    const QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path()));

    SimOptions options;
    options.model = ConverterModel::OstrelA;
    options.pacing = false;
    COstrelSimulator sim(options);
    std::unique_ptr<QWidget> window;
    CMessageBoxSink sink;
    std::function<void()> cycle;
    if (windowCycles) {
        if (!sim.start()) {
            std::fprintf(stderr, "no pseudo-terminal for the simulator\n");
            return 1;
        }
        CProfile profile;
        profile.Settings().setValue(QStringLiteral("Ports/COM1"), sim.slavePath());
        profile.Settings().setValue(QStringLiteral("Kelvane/DeviceType"), 0);
        profile.Settings().sync();
        auto* sheet = new CKelvaneSheet(sink);
        window.reset(sheet);
        sink.SetOwner(sheet);
        sheet->show();
        // The simulator keeps every frame it received; it runs in this
        // process, so its history is let go each cycle, not counted as the
        // window's.
        cycle = [sheet, &sim] {
            sim.clearHistory();
            for (const char* button : {"connectButton", "readButton", "writeButton"}) {
                if (qstrcmp(button, "connectButton") != 0)
                    CloseWhenShown();
                Press(*sheet, button);
            }
            sheet->findChild<QAbstractButton*>(QStringLiteral("connectButton"))->click();
        };
    } else {
        window = std::make_unique<QWidget>();
        window->show();
        sink.SetOwner(window.get());
        cycle = [&sink] {
            const UserMessage success(FlowMessages::Caption(), QStringLiteral("读配置成功！"), {},
                                      UserMessage::Kind::Success);
            const UserMessage failure(FlowMessages::Caption(), FlowMessages::NoConverter(),
                                      QStringLiteral("/dev/ttyUSB0"));
            for (const UserMessage* message : {&success, &failure}) {
                CloseWhenShown();
                sink.ShowMessage(*message);
            }
        };
    }
    const auto showBoth = [&cycle] { cycle(); };
    const qint64 before = ResidentKiB();
    for (int cycle = 0; cycle < kWarmUp; ++cycle)
        showBoth();
    std::printf("RSS %lld KiB before the first box, %lld KiB after %d cycles of warm-up\n",
                static_cast<long long>(before), static_cast<long long>(ResidentKiB()), kWarmUp);
    std::printf("%8s %12s %12s\n", "cycles", "RSS KiB", "growth KiB");
    qint64 start = 0;
    qint64 half = 0;
    qint64 last = 0;
    for (int cycle = 0; cycle <= cycles; ++cycle) {
        if (cycle % kReportEvery == 0) {
            last = ResidentKiB();
            if (cycle == 0)
                start = last;
            if (cycle == cycles / 2 / kReportEvery * kReportEvery)
                half = last;
            std::printf("%8d %12lld %12lld\n", cycle, static_cast<long long>(last),
                        static_cast<long long>(last - start));
            std::fflush(stdout);
        }
        if (cycle < cycles)
            showBoth();
    }
    const qint64 growth = last - start;
    std::printf("growth over %d cycles: %lld KiB (goal: at most %lld), over the last half: "
                "%lld KiB\n",
                cycles, static_cast<long long>(growth), static_cast<long long>(kGoalKiB),
                static_cast<long long>(last - half));
    return growth > kGoalKiB ? 2 : 0;
}
