// Times the window from the start of its process to its first frame on the
// screen, and sets it against a bare Qt dialog started the same way: what the
// window does before it first appears (the profile, its pages, asking the
// system for its ports) shows as the ratio above 1. Run it on a display, e.g.
// `xvfb-run -a build/bin/window_start`.
#include "CFontWarmUp.h"
#include "CKelvaneSheet.h"
#include "CMessageSink.h"
#include "CProfile.h"
#include "UiLanguage.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

namespace {

constexpr int kRuns = 31;
constexpr int kRunLimitMs = 20000;
constexpr double kGoalRatio = 1.25;

class CSilentSink : public CMessageSink
{
protected:
    void Show(const UserMessage&) override {}
};

// Says "shown" once the window has handled its first expose, which paints it.
class CFirstFrame : public QObject
{
public:
    explicit CFirstFrame(QWindow* window) : m_window(window) { window->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_window && event->type() == QEvent::Expose && m_window->isExposed()) {
            m_window->removeEventFilter(this);
            // Closed as the user closes it, so that the window keeps what it
            // keeps for its next start.
            QTimer::singleShot(0, m_window, [this] {
                std::fputs("shown\n", stdout);
                std::fflush(stdout);
                m_window->close();
            });
        }
        return false;
    }

private:
    QWindow* m_window;
};

int ShowWindow(int argc, char* argv[], bool bare)
{
    // Started as the tool's main() starts it.
    std::optional<CFontWarmUp> fonts;
    if (!bare)
        fonts.emplace();
    QApplication app(argc, argv);
    app.setOrganizationName(CProfile::OrganizationName());
    UiLanguage::Install(app);
    if (fonts)
        fonts->ApplyTo(app);
    CSilentSink messages;
    std::unique_ptr<QDialog> dialog;
    if (bare) {
        dialog = std::make_unique<QDialog>();
        auto* layout = new QVBoxLayout(dialog.get());
        layout->addWidget(new QLabel(QStringLiteral("Kelvane"), dialog.get()));
    } else {
        dialog = std::make_unique<CKelvaneSheet>(messages);
    }
    dialog->show();
    // Installed last, so that it hears of the first expose before the window
    // itself queues what follows its first frame.
    const CFirstFrame firstFrame(dialog->windowHandle());
    return app.exec();
}

double StartMs(const QString& mode, const QString& configHome)
{
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    child.setProcessEnvironment(environment);
    QElapsedTimer clock;
    clock.start();
    child.start(QCoreApplication::applicationFilePath(), {mode});
    while (child.waitForReadyRead(kRunLimitMs))
        if (child.readAllStandardOutput().contains("shown"))
            break;
    const double elapsed = double(clock.nsecsElapsed()) / 1e6;
    if (!child.waitForFinished(kRunLimitMs) || child.exitCode() != 0)
        return -1;
    return elapsed;
}

double MedianMs(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc == 2 && (qstrcmp(argv[1], "bare") == 0 || qstrcmp(argv[1], "window") == 0))
        return ShowWindow(argc, argv, qstrcmp(argv[1], "bare") == 0);

    QCoreApplication app(argc, argv);
    const QTemporaryDir configHome;
    // The tool's first start measures its tabs before it first shows and
    // keeps their size for every later one; the figure is that of a later.
    if (StartMs(QStringLiteral("window"), configHome.path()) < 0) {
        std::fprintf(stderr, "window_start: no window appeared (is there a display?)\n");
        return 1;
    }
    std::vector<double> window;
    std::vector<double> bare;
    // Alternating, so that a busy moment of the machine costs both alike.
    for (int run = 0; run < kRuns; ++run) {
        window.push_back(StartMs(QStringLiteral("window"), configHome.path()));
        bare.push_back(StartMs(QStringLiteral("bare"), configHome.path()));
        if (window.back() < 0 || bare.back() < 0) {
            std::fprintf(stderr, "window_start: no window appeared (is there a display?)\n");
            return 1;
        }
    }
    const double ratio = MedianMs(window) / MedianMs(bare);
    std::printf("%-12s %9s\n", "start to", "ms");
    std::printf("%-12s %9.1f\n", "Kelvane", MedianMs(window));
    std::printf("%-12s %9.1f\n", "bare dialog", MedianMs(bare));
    std::printf("ratio %.2f (goal <= %.2f). ms: median of %d process starts to the first\n"
                "frame, alternating the two.\n",
                ratio, kGoalRatio, kRuns);
    return ratio <= kGoalRatio ? 0 : 2;
}
