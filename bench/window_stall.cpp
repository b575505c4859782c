// How long the window's event loop stands still while the window talks to a
// converter. A timer on the window's thread ticks every millisecond, as a
// repaint would need the loop; the longest gap between two ticks during an
// exchange is the longest time the window could not repaint. Before the
// exchanges moved to a worker the window stood still for the whole exchange,
// so the exchange's own length is today's figure beside the new one. Runs the
// real window offscreen against the in-process simulator, per model, for a
// converter that answers, one that is silent and ones that trickle their
// replies a byte at a time; then how soon a cancel ends a silent read.
#include "CFrameProtocol.h"
#include "CKelvaneSheet.h"
#include "CMessageSink.h"
#include "COstrelSimulator.h"
#include "CProfile.h"
#include "CSerialComm.h"
#include "ConverterModel.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

namespace {

// The longest stall the issue measured with every exchange on the window's thread.
constexpr qint64 kBeforeWorstMs = 4147;
// The median read of each model, A, B and X, as the window made it on its own
// thread before the worker, measured on the machine that measured the stall.
double BeforeReadMs(ConverterModel model)
{
    switch (model) {
    case ConverterModel::OstrelA:
        return 536;
    case ConverterModel::OstrelB:
        return 1142;
    case ConverterModel::OstrelX:
        break;
    }
    return 556;
}
constexpr qint64 kGoalMs = 100;
constexpr int kReadRuns = 5;
constexpr qint64 kFailed = 1000000;
constexpr int kHugeFilterCount = 74896;
// A cancel during a connect falls after the model's own handshakes, while
// the other models are asked.
constexpr int kConnectCancelAfterMs = 2300;

class CLastMessage : public CMessageSink
{
public:
    QString Take() { return std::exchange(m_text, QStringLiteral("-")); }

protected:
    void Show(const UserMessage& message) override { m_text = message.text; }

private:
    QString m_text = QStringLiteral("-");
};

struct Line
{
    const char* name;
    bool silent;
    int trickleMs;
};

constexpr Line kLines[] = {
    {"answering", false, 0},        {"silent", true, 0},
    {"trickle 30 ms", false, 30},   {"trickle 300 ms", false, 300},
    {"trickle 900 ms", false, 900}, {"trickle 1900 ms", false, 1900},
};

struct Timing
{
    qint64 exchangeMs = 0;
    qint64 stallMs = 0;
};

// Presses the button and runs the event loop, as the window would, until the
// exchange has ended; cancelAfterMs >= 0 cancels it that long after the press
// and the exchange's time counts from the cancel.
Timing Press(CKelvaneSheet& sheet, const char* button, int cancelAfterMs = -1)
{
    QElapsedTimer clock;
    QElapsedTimer sinceTick;
    qint64 stallNs = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        stallNs = std::max(stallNs, sinceTick.nsecsElapsed());
        sinceTick.restart();
    });
    QEventLoop loop;
    QObject::connect(&sheet, &CKelvaneSheet::ExchangeFinished, &loop, &QEventLoop::quit);
    QTimer cancel;
    cancel.setSingleShot(true);
    QObject::connect(&cancel, &QTimer::timeout, [&] {
        sheet.CancelExchange();
        clock.restart();
    });
    clock.start();
    sinceTick.start();
    ticker.start();
    sheet.findChild<QAbstractButton*>(QLatin1String(button))->click();
    if (cancelAfterMs >= 0)
        cancel.start(cancelAfterMs);
    if (sheet.IsExchanging())
        loop.exec();
    stallNs = std::max(stallNs, sinceTick.nsecsElapsed());
    return {clock.elapsed(), stallNs / 1000000};
}

double WireMs(int bytes, quint32 bitRate)
{
    return bytes * 10.0 * 1000.0 / bitRate;
}

// The least time a read can take on a real line: each request and reply at
// ten bit times a byte with the simulator's turnaround, the CAN block's reply
// overlapping its mandated pause.
double MinimumReadMs(quint32 bitRate, int turnaroundMs)
{
    const double parameters = WireMs(6, bitRate) + turnaroundMs + WireMs(33, bitRate);
    const double canBlock =
        WireMs(6, bitRate) + std::max<double>(500, turnaroundMs + WireMs(2085, bitRate));
    return parameters + canBlock;
}

double Median(std::vector<qint64> samples)
{
    std::sort(samples.begin(), samples.end());
    return double(samples[samples.size() / 2]);
}

bool MapCom1(const COstrelSimulator& sim, ConverterModel model)
{
    CProfile profile;
    profile.Settings().setValue(QStringLiteral("Ports/COM1"), sim.slavePath());
    profile.Settings().setValue(QStringLiteral("Kelvane/DeviceType"),
                                ConverterModels::DeviceTypeOf(model));
    profile.Settings().sync();
    return true;
}

// The document of the issue: some 75,000 filter entries, far more than a
// converter's table holds.
QByteArray HugeDocument()
{
    QByteArray filters;
    for (int id = 0; id < kHugeFilterCount; ++id) {
        const QByteArray hex = "0x" + QByteArray::number(id, 16).toUpper();
        filters += (id == 0 ? "" : ",\n    ") + QByteArray(R"({"kind": 0, "start": ")") + hex +
                   R"(", "end": ")" + hex + "\"}";
    }
    return "{\n  \"DeviceType\": 2,\n  \"Filters\": [\n    " + filters + "\n  ]\n}\n";
}

// The longest stall while the window imports the huge document.
Timing MeasureImport(QApplication& app, const QString& folder, QString& message)
{
    SimOptions options;
    COstrelSimulator sim(options);
    const QString path = folder + QStringLiteral("/huge.json");
    QFile file(path);
    const QByteArray document = HugeDocument();
    if (!sim.start() || !MapCom1(sim, options.model) || !file.open(QIODevice::WriteOnly) ||
        file.write(document) != document.size())
        return {kFailed, kFailed};
    file.close();
    CLastMessage messages;
    CKelvaneSheet sheet(messages);
    sheet.SetFileChooser([&path](CKelvaneSheet::FileChoice, const QString&) { return path; });
    sheet.show();
    app.processEvents();
    Press(sheet, "connectButton");
    const Timing timing = Press(sheet, "importButton");
    message = messages.Take();
    return timing;
}

} // namespace

// Every exchange kind on every model and line; the longest stall seen.
qint64 MeasureStalls(QApplication& app)
{
    std::printf("%-9s %-16s %-8s %12s %9s  %s\n", "model", "converter", "command", "before (ms)",
                "stall ms", "message");
    qint64 longest = 0;
    for (const ConverterModelFacts& facts : ConverterModels::kFacts) {
        SimOptions answering;
        answering.model = facts.model;
        for (const Line& line : kLines) {
            for (const char* command : {"connect", "read", "write"}) {
                // A fresh converter each time: a trickled reply goes on for
                // minutes and would spoil the next exchange.
                COstrelSimulator sim(answering);
                if (!sim.start() || !MapCom1(sim, facts.model))
                    return kFailed;
                CLastMessage messages;
                CKelvaneSheet sheet(messages);
                sheet.show();
                app.processEvents();
                const bool connecting = QByteArray(command) == "connect";
                if (!connecting) {
                    Press(sheet, "connectButton");
                    if (!sheet.IsConnected())
                        return kFailed;
                }
                SimOptions options = answering;
                options.silent = line.silent;
                options.trickleMs = line.trickleMs;
                sim.setOptions(options);
                const QByteArray button = QByteArray(command) + "Button";
                const Timing timing = Press(sheet, button.constData());
                longest = std::max(longest, timing.stallMs);
                std::printf("%-9s %-16s %-8s %12lld %9lld  %s\n", facts.displayName, line.name,
                            command, static_cast<long long>(timing.exchangeMs),
                            static_cast<long long>(timing.stallMs), qPrintable(messages.Take()));
                std::fflush(stdout);
            }
        }
    }
    std::printf("longest time without a repaint: %lld ms (before: %lld ms; goal: %lld ms or "
                "less)\n\n",
                static_cast<long long>(longest), static_cast<long long>(kBeforeWorstMs),
                static_cast<long long>(kGoalMs));

    return longest;
}

int main(int argc, char* argv[])
{
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path()));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    // --reads: only the read's length and the cancel, which take seconds
    // rather than minutes.
    qint64 longest = 0;
    if (!QCoreApplication::arguments().contains(QStringLiteral("--reads")))
        longest = MeasureStalls(app);
    // The window's read against its length before the worker, against the
    // same two exchanges made straight on the port and against the least
    // they can take: the worker must not make the read slower.
    std::printf("%-9s %9s %9s %6s %9s %6s %9s %6s   %s\n", "model", "read ms", "before", "ratio",
                "direct", "ratio", "minimum", "ratio",
                "cancel of a silent read, then connect, ends after (ms)");
    for (const ConverterModelFacts& facts : ConverterModels::kFacts) {
        SimOptions options;
        options.model = facts.model;
        COstrelSimulator sim(options);
        if (!sim.start() || !MapCom1(sim, facts.model))
            return 1;
        const quint32 bitRate = CFrameProtocol::ConfigBaudRate(facts.model);
        std::vector<qint64> direct;
        {
            CSerialComm port;
            if (!port.Open(sim.slavePath(), bitRate, 8, 0, 0))
                return 1;
            CFrameProtocol protocol(port);
            for (int run = 0; run < kReadRuns; ++run) {
                QElapsedTimer clock;
                clock.start();
                QByteArray block;
                protocol.ReadParameterBlock(block);
                protocol.ReadCanConfigBlock(block);
                direct.push_back(clock.elapsed());
            }
        }
        CLastMessage messages;
        CKelvaneSheet sheet(messages);
        sheet.show();
        app.processEvents();
        Press(sheet, "connectButton");
        if (!sheet.IsConnected())
            return 1;
        std::vector<qint64> reads;
        for (int run = 0; run < kReadRuns; ++run)
            reads.push_back(Press(sheet, "readButton").exchangeMs);
        const double median = Median(reads);
        const double directMedian = Median(direct);
        const double minimum = MinimumReadMs(bitRate, options.turnaroundMs);
        options.silent = true;
        sim.setOptions(options);
        const Timing cancelled = Press(sheet, "readButton", 1500);
        const QString readMessage = messages.Take();
        Press(sheet, "connectButton");
        const Timing cancelledConnect = Press(sheet, "connectButton", kConnectCancelAfterMs);
        const double before = BeforeReadMs(facts.model);
        std::printf("%-9s %9.0f %9.0f %6.3f %9.0f %6.3f %9.1f %6.3f   %lld  %s, %lld  %s\n",
                    facts.displayName, median, before, median / before, directMedian,
                    median / directMedian, minimum, median / minimum,
                    static_cast<long long>(cancelled.exchangeMs), qPrintable(readMessage),
                    static_cast<long long>(cancelledConnect.exchangeMs),
                    qPrintable(messages.Take()));
        std::fflush(stdout);
    }
    std::printf("read ms: median of the window's reads. before: the same, measured on the window\n"
                "that made its exchanges on its own thread; the shown pages no longer hold up the\n"
                "CAN block's request. direct: the two exchanges on the bare port, without the\n"
                "window's work on the pages and the profile. minimum: requests and\n"
                "replies at 10 bit times per byte plus the simulator's turnaround, the CAN\n"
                "block's pause overlapping its reply. In the first table, before is the\n"
                "exchange's length, for which the window stood still before it talked to the\n"
                "converter from a worker.\n\n");
    QString refusal;
    const Timing import = MeasureImport(app, home.path(), refusal);
    std::printf("import of %d filter entries: %lld ms in all, the window stood still for at most\n"
                "%lld ms (goal: %lld ms or less): %s\n",
                kHugeFilterCount, static_cast<long long>(import.exchangeMs),
                static_cast<long long>(import.stallMs), static_cast<long long>(kGoalMs),
                qPrintable(refusal));
    longest = std::max(longest, import.stallMs);
    return longest <= kGoalMs ? 0 : 1;
}
