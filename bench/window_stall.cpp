// How long the window stops repainting while it talks to a converter. Every
// command runs on the window's thread, so the event loop, and with it every
// repaint, waits for the whole command: the time a button's click takes is
// the time the window stands still. Runs the real window offscreen against
// the in-process simulator, per model, for a converter that answers, one that
// is silent and ones that trickle their replies a byte at a time.
#include "CKelvaneSheet.h"
#include "CMessageSink.h"
#include "COstrelSimulator.h"
#include "CProfile.h"
#include "ConverterModel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {

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

qint64 Click(CKelvaneSheet& sheet, const char* button)
{
    QElapsedTimer clock;
    clock.start();
    sheet.findChild<QPushButton*>(QLatin1String(button))->click();
    return clock.elapsed();
}

} // namespace

int main(int argc, char* argv[])
{
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path()));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    std::printf("%-9s %-16s %-8s %9s  %s\n", "model", "converter", "command", "still ms",
                "message");
    qint64 longest = 0;
    for (const ConverterModelFacts& facts : ConverterModels::kFacts) {
        const int deviceType = ConverterModels::DeviceTypeOf(facts.model);
        SimOptions answering;
        answering.deviceType = deviceType;
        for (const Line& line : kLines) {
            for (const char* command : {"connect", "read", "write"}) {
                // A fresh converter each time: a trickled reply goes on for
                // minutes and would spoil the next exchange.
                COstrelSimulator sim(answering);
                if (!sim.start())
                    return 1;
                {
                    CProfile profile;
                    profile.Settings().setValue(QStringLiteral("Ports/COM1"), sim.slavePath());
                    profile.Settings().setValue(QStringLiteral("Kelvane/DeviceType"), deviceType);
                    profile.Settings().sync();
                }
                CLastMessage messages;
                CKelvaneSheet sheet(messages);
                sheet.show();
                app.processEvents();
                const bool connecting = QByteArray(command) == "connect";
                if (!connecting) {
                    Click(sheet, "connectButton");
                    if (!sheet.Port().IsOpen())
                        return 1;
                }
                SimOptions options = answering;
                options.silent = line.silent;
                options.trickleMs = line.trickleMs;
                sim.setOptions(options);
                const QByteArray button = QByteArray(command) + "Button";
                const qint64 ms = Click(sheet, button.constData());
                longest = std::max(longest, ms);
                std::printf("%-9s %-16s %-8s %9lld  %s\n", facts.displayName, line.name, command,
                            static_cast<long long>(ms), qPrintable(messages.Take()));
                std::fflush(stdout);
            }
        }
    }
    std::printf("longest time without a repaint: %lld ms\n", static_cast<long long>(longest));
    return 0;
}
