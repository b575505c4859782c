#include "CEnglishTexts.h"
#include "CExitSignals.h"
#include "CFakePortDetector.h"
#include "CFrameProtocol.h"
#include "CKelvaneSheet.h"
#include "COstrelSimulator.h"
#include "CProfileSandbox.h"
#include "CRecordingSink.h"
#include "CSheetProbe.h"
#include "CStalledFileSystem.h"
#include "ModelRows.h"
#include "ProcessFiles.h"
#include "SheetLookup.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <memory>
#include <vector>

#include <csignal>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

const QString kCaption = QStringLiteral("配置");
const QString kConnect = QStringLiteral("连接设备(&C)");
const QString kDisconnect = QStringLiteral("断开设备(&C)");
constexpr quint8 kWriteParameters = 0x01;
constexpr quint8 kReadParameters = 0x03;

// This process's processor time so far, user and system.
double CpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

quint8 HandshakeCode(int deviceType)
{
    return quint8(CFrameProtocol::HandshakeRequest(ModelAt(deviceType)).at(2));
}

// Whether the window shows the connected state everywhere at once.
// Whether the port refuses every other opener but the super-user.
bool IsExclusive(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    int exclusive = 0;
    const bool read = fd >= 0 && ::ioctl(fd, TIOCGEXCL, &exclusive) == 0;
    if (fd >= 0)
        ::close(fd);
    return read && exclusive != 0;
}

void VerifyConnectedState(CKelvaneSheet& sheet, bool connected)
{
    QCOMPARE(sheet.IsConnected(), connected);
    QCOMPARE(Control<QPushButton>(sheet, "connectButton")->text(),
             connected ? kDisconnect : kConnect);
    QCOMPARE(Control<QComboBox>(sheet, "deviceList")->isEnabled(), !connected);
    QCOMPARE(Control<QComboBox>(sheet, "portList")->isEnabled(), !connected);
    for (const char* name :
         {"defaultsButton", "readButton", "writeButton", "exportButton", "importButton"})
        QCOMPARE(Control<QAbstractButton>(sheet, name)->isEnabled(), connected);
    auto* tabs = Control<QTabWidget>(sheet, "tabs");
    for (int index = 0; index < tabs->count(); ++index) {
        QWidget* page = tabs->widget(index);
        if (sheet.IsPageOpen(*page))
            QCOMPARE(page->isEnabled(), connected);
    }
}

} // namespace

class TestKelvaneConnect : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void connectsAndDisconnects_data();
    void connectsAndDisconnects();
    void swappedInPageFollowsConnection_data();
    void swappedInPageFollowsConnection();
    void reportsWhyConnectFails_data();
    void reportsWhyConnectFails();
    void readsAPluggedAdapterInFourSteps();
    void unpluggedAdapterDisconnects_data();
    void unpluggedAdapterDisconnects();
    void closingWhileConnectedClosesThePort_data();
    void closingWhileConnectedClosesThePort();
    void commandKeysWhileConnected_data();
    void commandKeysWhileConnected();
    void escapeCancelsAConnect();

private:
    // The simulator on COM1 of a fresh profile for this model.
    static void MapCom1(const COstrelSimulator& simulator, int deviceType);
};

void TestKelvaneConnect::MapCom1(const COstrelSimulator& simulator, int deviceType)
{
    CProfileSandbox::Write(
        {{"Kelvane/DeviceType", deviceType}, {"Ports/COM1", simulator.slavePath()}});
}

void TestKelvaneConnect::connectsAndDisconnects_data()
{
    QTest::addColumn<int>("deviceType");
    QTest::newRow("Ostrel-A") << 0;
    QTest::newRow("Ostrel-B") << 1;
    QTest::newRow("Ostrel-X") << 2;
}

void TestKelvaneConnect::connectsAndDisconnects()
{
    QFETCH(int, deviceType);
    SimOptions options;
    options.model = ModelAt(deviceType);
    COstrelSimulator simulator(options);
    QVERIFY(simulator.start());
    MapCom1(simulator, deviceType);
    CRecordingSink messages;
    CKelvaneSheet sheet(messages);

    ClickConnect(sheet);

    VerifyConnectedState(sheet, true);
    QCOMPARE(simulator.receivedFrames(),
             QList<QByteArray>{CFrameProtocol::HandshakeRequest(ModelAt(deviceType))});
    QCOMPARE(simulator.requestCount(HandshakeCode(deviceType)), 1);
    QVERIFY(messages.m_messages.isEmpty());

    // A CAN page first shown while connected comes up enabled.
    Control<QTabWidget>(sheet, "tabs")->setCurrentIndex(2);
    QWidget* canPage = deviceType == 2 ? static_cast<QWidget*>(&CSheetProbe::CanConfigPage(sheet))
                                       : &CSheetProbe::CanPage(sheet);
    QVERIFY(sheet.IsPageOpen(*canPage));
    QVERIFY(canPage->isEnabled());

    simulator.clearHistory();
    ClickConnect(sheet);

    VerifyConnectedState(sheet, false);
    QTest::qWait(50);
    QVERIFY(simulator.rawReceived().isEmpty());
    QVERIFY(messages.m_messages.isEmpty());
}

void TestKelvaneConnect::swappedInPageFollowsConnection_data()
{
    QTest::addColumn<int>("startType");
    QTest::addColumn<int>("chosenType");
    QTest::newRow("X, then A") << 2 << 0;
    QTest::newRow("A, then X") << 0 << 2;
}

void TestKelvaneConnect::swappedInPageFollowsConnection()
{
    QFETCH(int, startType);
    QFETCH(int, chosenType);
    SimOptions options;
    options.model = ModelAt(chosenType);
    COstrelSimulator simulator(options);
    QVERIFY(simulator.start());
    MapCom1(simulator, startType);
    CRecordingSink messages;
    CKelvaneSheet sheet(messages);
    auto* tabs = Control<QTabWidget>(sheet, "tabs");

    tabs->setCurrentIndex(2);
    QWidget* startPage = CanPageOf(sheet, startType);
    QVERIFY(sheet.IsPageOpen(*startPage));
    QVERIFY(!startPage->isEnabled());

    tabs->setCurrentIndex(0);
    ChooseDevice(sheet, chosenType);
    QWidget* chosenPage = CanPageOf(sheet, chosenType);
    QVERIFY(sheet.IsPageOpen(*chosenPage));
    QVERIFY(!chosenPage->isEnabled());
    ClickConnect(sheet);
    QVERIFY(sheet.IsConnected());
    tabs->setCurrentIndex(2);

    QVERIFY(sheet.IsPageOpen(*chosenPage));
    QVERIFY(chosenPage->isEnabled());
    for (const char* name : {"frameTypeList", "baudrateList", "baudList"})
        if (auto* list = chosenPage->findChild<QComboBox*>(QLatin1String(name)))
            QVERIFY2(list->isEnabled(), name);
    ClickConnect(sheet);
    VerifyConnectedState(sheet, false);
    QVERIFY(messages.m_messages.isEmpty());
}

void TestKelvaneConnect::reportsWhyConnectFails_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("reason"); // the box's detail holds each

    QTest::newRow("missing device")
        << "missing"
        << "当前串口不可用！"
        << QStringList{"没有设备 /nonexistent/tty", "/dev/ttyFAKE0（USB Serial）"};
    QTest::newRow("held by another program")
        << "flock"
        << "当前串口不可用！" << QStringList{"正被另一个程序占用", "flock"};
    QTest::newRow("silent converter") << "silent"
                                      << "设备未连接！" << QStringList{"Ostrel-X", "电源和接线"};
    QTest::newRow("another model answers")
        << "model A"
        << "设备未连接！" << QStringList{"应答的是 Ostrel-A：请选择该型号"};
    QTest::newRow("open without a lock")
        << "open"
        << "设备未连接！" << QStringList{"还被其他程序打开", "sleep"};
}

void TestKelvaneConnect::reportsWhyConnectFails()
{
    QFETCH(QString, obstacle);
    QFETCH(QString, text);
    QFETCH(QStringList, reason);
    SimOptions options;
    options.silent = obstacle == QLatin1String("silent") || obstacle == QLatin1String("open");
    if (obstacle == QLatin1String("model A"))
        options.model = ModelAt(0);
    COstrelSimulator simulator(options);
    QVERIFY(simulator.start());
    MapCom1(simulator, 2);
    if (obstacle == QLatin1String("missing"))
        CProfileSandbox::Write({{"Kelvane/DeviceType", 2}, {"Ports/COM1", "/nonexistent/tty"}});
    QProcess holder;
    if (obstacle == QLatin1String("flock")) {
        holder.start(QStringLiteral("flock"), {"-o", simulator.slavePath(), "sleep", "30"});
        QVERIFY(holder.waitForStarted());
        QTRY_VERIFY(ProcessHasOpen(holder.processId(), simulator.slavePath()));
        reason << QString::number(holder.processId());
    }
    if (obstacle == QLatin1String("open")) {
        // A terminal program holds a port this way: open, but never locked.
        holder.setStandardInputFile(simulator.slavePath());
        holder.start(QStringLiteral("sleep"), {"30"});
        QVERIFY(holder.waitForStarted());
        QTRY_VERIFY(ProcessHasOpen(holder.processId(), simulator.slavePath()));
        reason << QString::number(holder.processId());
    }
    CFakePortDetector detector;
    detector.m_ports = {DetectedPort{"/dev/ttyFAKE0", "USB Serial", {}, {}, {}, true}};
    CRecordingSink messages;
    CKelvaneSheet sheet(messages, detector);

    ClickConnect(sheet);
    holder.kill();
    holder.waitForFinished();

    QCOMPARE(messages.m_messages.size(), 1);
    const UserMessage shown = messages.m_messages.constFirst();
    QCOMPARE(shown.caption, kCaption);
    QCOMPARE(shown.text, text);
    for (const QString& part : reason)
        QVERIFY2(shown.detail.contains(part), qPrintable(shown.detail));
    VerifyConnectedState(sheet, false);

    // Only where another model answered does one press switch to it and connect.
    auto* switchModel = Control<QToolButton>(sheet, "switchModelButton");
    QCOMPARE(switchModel->isVisibleTo(&sheet), obstacle == QLatin1String("model A"));
    if (obstacle != QLatin1String("model A"))
        return;
    QCOMPARE(switchModel->text(), QStringLiteral("改用 Ostrel-A 连接"));
    switchModel->click();
    QVERIFY(WaitForExchange(sheet));
    VerifyConnectedState(sheet, true);
    QCOMPARE(Control<QComboBox>(sheet, "deviceList")->currentIndex(), 0);
    QVERIFY(!switchModel->isVisibleTo(&sheet));
    QCOMPARE(messages.m_messages.size(), 1);
}

// Start, connect, read: the adapter is COM1 of an empty profile, and no file
// is edited.
void TestKelvaneConnect::readsAPluggedAdapterInFourSteps()
{
    CProfileSandbox::Write({});
    COstrelSimulator simulator;
    QVERIFY(simulator.start());
    CFakePortDetector detector;
    detector.m_ports = {DetectedPort{"/dev/ttyS0", {}, {}, {}, {}, false},
                        DetectedPort{simulator.slavePath(), "USB Serial", "Maker", "A1",
                                     "/dev/serial/by-id/usb-Maker_USB_Serial_A1-if00-port0", true}};
    CRecordingSink messages;
    CKelvaneSheet sheet(messages, detector);

    QCOMPARE(Control<QComboBox>(sheet, "portList")->currentIndex(), 0);
    QCOMPARE(sheet.ResolvePortSlots().at(0).path, simulator.slavePath());
    ClickConnect(sheet);
    Control<QPushButton>(sheet, "readButton")->click();
    QVERIFY(WaitForExchange(sheet));

    QCOMPARE(messages.m_messages, (QList<UserMessage>{{kCaption, QStringLiteral("读配置成功！")}}));
    QCOMPARE(simulator.requestCount(kReadParameters), 1);
}

void TestKelvaneConnect::unpluggedAdapterDisconnects_data()
{
    QTest::addColumn<bool>("duringRead");
    QTest::newRow("idle") << false;
    // A byte every 5 ms: the read would take more than ten seconds.
    QTest::newRow("during a read") << true;
}

// The simulator is killed while connected: the window notices from its event
// loop, or from the read under way, says so, and connects again once the
// simulator is back at its path.
void TestKelvaneConnect::unpluggedAdapterDisconnects()
{
    QFETCH(bool, duringRead);
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("ttyUSB0"));
    const auto startSimulator = [&link, duringRead](QProcess& process) {
        QStringList arguments{"--link", link, "--no-pacing"};
        if (duringRead)
            arguments << "--trickle"
                      << "5";
        process.start(QStringLiteral(OSTREL_SIM_PATH), arguments);
        return process.waitForStarted() && process.waitForReadyRead(5000) &&
               process.canReadLine() && QFileInfo::exists(link);
    };
    auto simulator = std::make_unique<QProcess>();
    QVERIFY(startSimulator(*simulator));
    CProfileSandbox::Write({});
    CFakePortDetector detector;
    detector.m_ports = {DetectedPort{link, "USB Serial", {}, {}, {}, true}};
    CRecordingSink messages;
    CKelvaneSheet sheet(messages, detector);
    ClickConnect(sheet);
    VerifyConnectedState(sheet, true);
    if (duringRead) {
        Control<QPushButton>(sheet, "readButton")->click();
        QTest::qWait(300);
        QVERIFY(sheet.IsExchanging());
    }

    simulator->kill();
    simulator->waitForFinished();
    QTRY_VERIFY(!sheet.IsConnected());
    QVERIFY(!sheet.IsExchanging());
    VerifyConnectedState(sheet, false);
    QCOMPARE(messages.m_messages.size(), 1);
    QCOMPARE(messages.m_messages.constFirst().text, QStringLiteral("设备已断开！"));
    QVERIFY(messages.m_messages.constFirst().detail.contains(link));
    if (duringRead)
        return;

    simulator = std::make_unique<QProcess>();
    QTRY_VERIFY(!QFileInfo::exists(link) || QFileInfo(link).isSymLink());
    QFile::remove(link);
    QVERIFY(startSimulator(*simulator));
    ClickConnect(sheet);
    VerifyConnectedState(sheet, true);

    // Connected and idle, the window spends next to nothing. A plain event
    // loop, as the window runs, sleeps until something happens; qWait would
    // poll and count its own polling.
    const double before = CpuSeconds();
    QEventLoop idle;
    QTimer::singleShot(5000, &idle, &QEventLoop::quit);
    idle.exec();
    QVERIFY(CpuSeconds() - before < 0.05);
    QVERIFY(sheet.IsConnected());
    QCOMPARE(messages.m_messages.size(), 1);
}

void TestKelvaneConnect::closingWhileConnectedClosesThePort_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("close button") << 0;
    QTest::newRow("SIGTERM at logout") << int(SIGTERM);
    QTest::newRow("SIGHUP, its session gone") << int(SIGHUP);
}

// However the window ends, the port is released: an exclusive mode left
// behind would refuse every other user until the device is reopened.
void TestKelvaneConnect::closingWhileConnectedClosesThePort()
{
    QFETCH(int, signal);
    COstrelSimulator simulator;
    QVERIFY(simulator.start());
    MapCom1(simulator, 2);
    CRecordingSink messages;
    CKelvaneSheet sheet(messages);
    CExitSignals exitSignals;
    connect(&exitSignals, &CExitSignals::Requested, &sheet, &CKelvaneSheet::EndOnSignal);
    sheet.show();
    ClickConnect(sheet);
    QVERIFY(sheet.IsConnected());
    QVERIFY(IsExclusive(simulator.slavePath()));
    simulator.clearHistory();

    if (signal == 0)
        QVERIFY(sheet.close());
    else
        ::raise(signal);

    QTRY_VERIFY(!sheet.isVisible());
    QVERIFY(!sheet.IsConnected());
    QVERIFY(!IsExclusive(simulator.slavePath()));
    QCOMPARE(sheet.ExitStatus(), signal == 0 ? 0 : 128 + signal);
    QVERIFY(messages.m_messages.isEmpty());
    QTest::qWait(50);
    QVERIFY(simulator.rawReceived().isEmpty());
}

void TestKelvaneConnect::commandKeysWhileConnected_data()
{
    QTest::addColumn<bool>("english");
    QTest::addColumn<int>("deviceType");
    QTest::addColumn<int>("tab");
    // The serial and CAN tabs have mnemonics of their own beside the band's
    // and the buttons'.
    QTest::newRow("Chinese, serial tab") << false << 2 << 1;
    QTest::newRow("Chinese, CAN tab") << false << 0 << 2;
    QTest::newRow("English, serial tab") << true << 2 << 1;
    QTest::newRow("English, CAN tab") << true << 0 << 2;
}

void TestKelvaneConnect::commandKeysWhileConnected()
{
    QFETCH(bool, english);
    QFETCH(int, deviceType);
    QFETCH(int, tab);
    const CEnglishTexts texts(english);
    QCOMPARE(texts.IsInstalled(), english);
    SimOptions options;
    options.model = ModelAt(deviceType);
    COstrelSimulator simulator(options);
    QVERIFY(simulator.start());
    MapCom1(simulator, deviceType);
    CRecordingSink messages;
    CKelvaneSheet sheet(messages);
    QList<CKelvaneSheet::FileChoice> choices;
    sheet.SetFileChooser([&choices](CKelvaneSheet::FileChoice choice, const QString&) {
        choices.append(choice);
        return QString();
    });
    sheet.show();
    QApplication::setActiveWindow(&sheet);
    QVERIFY(QTest::qWaitForWindowActive(&sheet));
    ClickConnect(sheet);
    QVERIFY(sheet.IsConnected());
    Control<QTabWidget>(sheet, "tabs")->setCurrentIndex(tab);

    // Enter and Escape neither close the sheet nor press a command.
    auto* edit = Control<QLineEdit>(CSheetProbe::TranPage(sheet), "frameSpaceEdit");
    edit->setFocus();
    std::vector<std::unique_ptr<QSignalSpy>> spies;
    for (const char* name : {"defaultsButton", "readButton", "writeButton"}) {
        spies.push_back(
            std::make_unique<QSignalSpy>(Control<QPushButton>(sheet, name), &QPushButton::clicked));
    }
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
        QTest::keyClick(edit, key);
    QTest::qWait(200);
    QVERIFY(sheet.isVisible());
    for (const auto& spy : spies)
        QCOMPARE(spy->count(), 0);
    QCOMPARE(simulator.receivedFrames().size(), 1);

    // Each command's mnemonic presses exactly its button.
    const Qt::Key keys[] = {Qt::Key_D, Qt::Key_R, Qt::Key_W};
    for (int index = 0; index < 3; ++index) {
        QTest::keyClick(&sheet, keys[index], Qt::AltModifier);
        QTRY_COMPARE(spies.at(index)->count(), 1);
        QVERIFY(WaitForExchange(sheet));
    }
    for (const auto& spy : spies)
        QCOMPARE(spy->count(), 1);

    QCOMPARE(messages.m_messages.size(), 2);
    for (const UserMessage& message : std::as_const(messages.m_messages))
        QCOMPARE(message.kind, UserMessage::Kind::Success);
    QCOMPARE(simulator.requestCount(kReadParameters), 1);
    QCOMPARE(simulator.requestCount(kWriteParameters), 1);

    // The file commands answer to their documented shortcuts and mnemonics.
    const std::pair<Qt::Key, Qt::KeyboardModifier> fileKeys[] = {
        {Qt::Key_S, Qt::ControlModifier},
        {Qt::Key_E, Qt::AltModifier},
        {Qt::Key_O, Qt::ControlModifier},
        {Qt::Key_O, Qt::AltModifier},
    };
    for (const auto& [key, modifier] : fileKeys) {
        const qsizetype before = choices.size();
        QTest::keyClick(&sheet, key, modifier);
        QTRY_COMPARE(choices.size(), before + 1);
    }
    using Choice = CKelvaneSheet::FileChoice;
    QTRY_COMPARE(choices,
                 (QList<Choice>{Choice::Export, Choice::Export, Choice::Import, Choice::Import}));

    QTest::keyClick(&sheet, Qt::Key_C, Qt::AltModifier);
    QTRY_VERIFY(!sheet.IsConnected());
    QCOMPARE(messages.m_messages.size(), 2);
    QCOMPARE(simulator.requestCount(HandshakeCode(deviceType)), 1);
}

// Escape reaches the progress dialog, which takes the keyboard focus, and the
// connect ends there: no more handshakes, no other model asked, and another
// program's file on a file system that does not answer changes nothing.
void TestKelvaneConnect::escapeCancelsAConnect()
{
    SimOptions options;
    options.silent = true;
    COstrelSimulator simulator(options);
    QVERIFY(simulator.start());
    CStalledFileSystem fileSystem;
    if (fileSystem.Unavailable().isEmpty())
        fileSystem.Stall();
    CProfileSandbox::Write({{"Kelvane/DeviceType", 2}, {"Ports/COM1", simulator.slavePath()}});
    CRecordingSink messages;
    CKelvaneSheet sheet(messages);
    sheet.show();
    QVERIFY(QTest::qWaitForWindowExposed(&sheet));

    Control<QPushButton>(sheet, "connectButton")->click();
    auto* dialog = sheet.findChild<QDialog*>(QStringLiteral("CExchangeDialog"));
    QVERIFY(dialog);
    QTRY_VERIFY(dialog->isVisible());
    QTRY_VERIFY(QApplication::focusWidget() && QApplication::focusWidget()->window() == dialog);
    const int handshakes = simulator.requestCount(HandshakeCode(2));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QVERIFY(WaitForExchange(sheet));

    // The user asked for it: the window says so without a box.
    QVERIFY(messages.m_messages.isEmpty());
    QCOMPARE(Control<QLabel>(sheet, "statusLabel")->text(), QStringLiteral("连接已取消！"));
    VerifyConnectedState(sheet, false);
    QTest::qWait(700);
    QCOMPARE(simulator.requestCount(HandshakeCode(2)), handshakes);
    QCOMPARE(simulator.receivedFrames().size(), handshakes);
}

KELVANE_SANDBOXED_TEST_MAIN(TestKelvaneConnect)
#include "tst_KelvaneConnect.moc"
