#include "CScreenshotRun.h"

#include "CBatchDialog.h"
#include "CKelvaneSheet.h"
#include "CLoggingSink.h"
#include "COstrelSimulator.h"
#include "ConverterModel.h"
#include "DemoConfiguration.h"
#include "FlowMessages.h"
#include "UiLanguage.h"

#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDialog>
#include <QEventLoop>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QTableWidget>
#include <QThread>
#include <QWindow>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

const char* const kTabNames[] = {"conversion", "serial", "can"};

// The model's letter in lower case, as the pictures' names have it.
QString ModelName(ConverterModel model)
{
    return QString(QLatin1Char(ConverterModels::Facts(model).letter)).toLower();
}

void Settle(QWidget& window)
{
    const QDeadlineTimer deadline(2000);
    while (!deadline.hasExpired() &&
           (window.windowHandle() == nullptr || !window.windowHandle()->isExposed())) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(10);
    }
    for (int round = 0; round < 5; ++round)
        QApplication::processEvents();
}

// The English window's pictures carry the language in their names.
QString LanguageSuffix()
{
    return UiLanguage::PrefersEnglish(QLocale::system()) ? QStringLiteral("-en") : QString();
}

template <typename T> T& Child(QWidget& parent, const char* name)
{
    T* child = parent.findChild<T*>(QLatin1String(name));
    if (child == nullptr) {
        std::fprintf(stderr, "kelvane-screenshot: the window has no control %s\n", name);
        std::abort();
    }
    return *child;
}

// As the user would: click, then wait while the window talks to the converter.
void Press(CKelvaneSheet& sheet, const char* button)
{
    QEventLoop loop;
    QObject::connect(&sheet, &CKelvaneSheet::ExchangeFinished, &loop, &QEventLoop::quit);
    Child<QPushButton>(sheet, button).click();
    if (sheet.IsExchanging())
        loop.exec();
}

// As the user would: pick from the list, which swaps the pages.
void Choose(QComboBox& list, int index)
{
    list.setCurrentIndex(index);
    Q_EMIT list.activated(index);
}

} // namespace

CScreenshotRun::CScreenshotRun(const QDir& outDir, const QString& portPath)
    : m_outDir(outDir), m_portPath(portPath)
{}

bool CScreenshotRun::Shoot(ConverterModel model)
{
    if (!m_portPath.isEmpty())
        return ShootWithPort(model, m_portPath);
    SimOptions options;
    options.model = model;
    COstrelSimulator simulator(options);
    if (!simulator.start()) {
        std::fprintf(stderr, "kelvane-screenshot: cannot start the simulator\n");
        return false;
    }
    simulator.setParameterBlock(DemoConfiguration::ParameterBlock(model));
    simulator.setCanConfigBlock(DemoConfiguration::CanBlock());
    return ShootWithPort(model, simulator.slavePath(), &simulator);
}

bool CScreenshotRun::ShootWithPort(ConverterModel model, const QString& portPath,
                                   COstrelSimulator* simulator)
{
    CLoggingSink messages;
    CKelvaneSheet sheet(messages);
    sheet.AssignPort(0, portPath);
    sheet.show();
    Choose(Child<QComboBox>(sheet, "deviceList"), ConverterModels::DeviceTypeOf(model));
    Choose(Child<QComboBox>(sheet, "portList"), 0);
    Settle(sheet);

    // Showing every tab once also gives each page its window, so the read
    // below fills all of them.
    bool ok = ShootTabs(sheet, model, QStringLiteral("disconnected"));
    Press(sheet, "connectButton");
    if (!sheet.IsConnected()) {
        std::fprintf(stderr, "kelvane-screenshot: could not connect to %s\n", qPrintable(portPath));
        return false;
    }
    Press(sheet, "readButton");
    if (messages.Messages() != QStringList{FlowMessages::ReadSucceeded()}) {
        std::fprintf(stderr, "kelvane-screenshot: the read from %s did not succeed\n",
                     qPrintable(portPath));
        ok = false;
    }
    ok = ShootTabs(sheet, model, QStringLiteral("read")) && ok;
    // The converter with the CAN configuration page shows the progress of its
    // block best; a trickling line keeps the dialog up long enough.
    if (simulator != nullptr && ConverterModels::Facts(model).hasCanConfigPage) {
        ok = ShootProgress(sheet, model, *simulator) && ok;
        ok = ShootVerify(sheet, model, *simulator) && ok;
    }
    Press(sheet, "connectButton");
    if (simulator != nullptr && ConverterModels::Facts(model).hasCanConfigPage)
        ok = ShootBatch(sheet, model) && ok;
    sheet.close();
    return ok;
}

bool CScreenshotRun::ShootProgress(CKelvaneSheet& sheet, ConverterModel model,
                                   COstrelSimulator& simulator)
{
    SimOptions options = simulator.options();
    options.trickleMs = 1;
    simulator.setOptions(options);
    auto& dialog = Child<QDialog>(sheet, "CExchangeDialog");
    auto& bar = Child<QProgressBar>(dialog, "progressBar");
    QEventLoop loop;
    QObject::connect(&sheet, &CKelvaneSheet::ExchangeFinished, &loop, &QEventLoop::quit);
    Child<QPushButton>(sheet, "readButton").click();
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired() && (!dialog.isVisible() || bar.value() < bar.maximum() / 2))
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    Settle(dialog);
    const QString path =
        m_outDir.filePath(QStringLiteral("ostrel-%1-progress-read%2-%3.png")
                              .arg(ModelName(model), LanguageSuffix())
                              .arg(int(std::lround(dialog.devicePixelRatioF() * 100))));
    const bool saved = dialog.isVisible() && dialog.grab().save(path);
    if (!saved)
        std::fprintf(stderr, "kelvane-screenshot: cannot write %s\n", qPrintable(path));
    sheet.CancelExchange();
    if (sheet.IsExchanging())
        loop.exec();
    options.trickleMs = 0;
    simulator.setOptions(options);
    return saved;
}

QString CScreenshotRun::PicturePath(const QString& name, const QWidget& window) const
{
    return m_outDir.filePath(QStringLiteral("%1%2-%3.png")
                                 .arg(name, LanguageSuffix())
                                 .arg(int(std::lround(window.devicePixelRatioF() * 100))));
}

// Another program set the converter back to its factory values after the
// read: the verify marks what a write would change.
bool CScreenshotRun::ShootVerify(CKelvaneSheet& sheet, ConverterModel model,
                                 COstrelSimulator& simulator)
{
    const QByteArray held = simulator.parameterBlock();
    simulator.setParameterBlock(COstrelSimulator::DefaultParameterBlock(model));
    Press(sheet, "verifyButton");
    Settle(sheet);
    const QString path =
        PicturePath(QStringLiteral("ostrel-%1-verify-marks").arg(ModelName(model)), sheet);
    const bool saved = !sheet.MarkedKeys().isEmpty() && sheet.grab().save(path);
    if (!saved)
        std::fprintf(stderr, "kelvane-screenshot: no marks, or cannot write %s\n",
                     qPrintable(path));
    simulator.setParameterBlock(held);
    return saved;
}

// The pages' values to the converter on COM1, two more on COM2 and COM3 and
// a silent one on COM4, as a line operator would: the batch button, select
// all, write and verify.
bool CScreenshotRun::ShootBatch(CKelvaneSheet& sheet, ConverterModel model)
{
    std::vector<std::unique_ptr<COstrelSimulator>> others;
    for (int index = 1; index <= 3; ++index) {
        SimOptions options;
        options.model = model;
        options.silent = index == 3;
        others.push_back(std::make_unique<COstrelSimulator>(options));
        if (!others.back()->start())
            return false;
        sheet.AssignPort(index, others.back()->slavePath());
    }
    Child<QAbstractButton>(sheet, "batchButton").click();
    auto* dialog = sheet.findChild<CBatchDialog*>();
    if (dialog == nullptr)
        return false;
    Settle(*dialog);
    Child<QPushButton>(*dialog, "selectAllButton").click();
    QEventLoop loop;
    QObject::connect(dialog, &CBatchDialog::RunFinished, &loop, &QEventLoop::quit);
    Child<QPushButton>(*dialog, "startButton").click();
    if (dialog->IsRunning())
        loop.exec();
    // The silent converter's row, its whole story in the detail below.
    Child<QTableWidget>(*dialog, "portTable").selectRow(3);
    dialog->resize(dialog->sizeHint().expandedTo(QSize(760, 360)));
    Settle(*dialog);
    const QString path = PicturePath(QStringLiteral("batch-run"), *dialog);
    const bool saved = dialog->grab().save(path);
    if (!saved)
        std::fprintf(stderr, "kelvane-screenshot: cannot write %s\n", qPrintable(path));
    dialog->close();
    for (int index = 1; index <= 3; ++index)
        sheet.AssignPort(index, QString());
    return saved;
}

bool CScreenshotRun::ShootTabs(CKelvaneSheet& sheet, ConverterModel model, const QString& state)
{
    auto& tabs = Child<QTabWidget>(sheet, "tabs");
    const int scale = int(std::lround(sheet.devicePixelRatioF() * 100));
    bool ok = true;
    for (int index = 0; index < tabs.count(); ++index) {
        tabs.setCurrentIndex(index);
        Settle(sheet);
        const QString name =
            QStringLiteral("ostrel-%1-%2-%3%4-%5.png")
                .arg(ModelName(model), QLatin1String(kTabNames[index]), state, LanguageSuffix())
                .arg(scale);
        const QString path = m_outDir.filePath(name);
        if (!sheet.grab().save(path)) {
            std::fprintf(stderr, "kelvane-screenshot: cannot write %s\n", qPrintable(path));
            ok = false;
        }
    }
    tabs.setCurrentIndex(0);
    return ok;
}
