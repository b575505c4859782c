#include "CArmCanConfig.h"
#include "CFrameProtocol.h"
#include "CKelvaneSheet.h"
#include "COstrelSimulator.h"
#include "CProfile.h"
#include "CProfileSandbox.h"
#include "CRecordingSink.h"
#include "CSheetProbe.h"
#include "CanConfigBlock.h"
#include "ModelRows.h"
#include "SheetLookup.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <memory>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

using Messages = QList<UserMessage>;
// Control states by "<page>.<objectName>"; lists give their selected index,
// check boxes 0 or 1, the filter list its rows as "kind start end; ...".
using Shown = QMap<QString, QString>;

const QString kCaption = QStringLiteral("配置");
const QString kReadDone = QStringLiteral("读配置成功！");
const QString kWriteDone = QStringLiteral("写配置成功！");
const QString kCommError = QStringLiteral("通信出错！");

constexpr quint8 kWriteParameters = 0x01;
constexpr quint8 kReadParameters = 0x03;
constexpr quint8 kWriteCanConfig = 0x04;
constexpr quint8 kReadCanConfig = 0x05;
constexpr int kConverterPort = 2; // COM3

// As the user picks an item: the selection, then the list's notification.
void Choose(QWidget& page, const char* list, int index)
{
    auto* combo = Control<QComboBox>(page, list);
    combo->setCurrentIndex(index);
    Q_EMIT combo->activated(index);
}

void Type(QWidget& page, const char* edit, const QString& text)
{
    Control<QLineEdit>(page, edit)->setText(text);
}

// As the user clicks, then waits for the exchange it may start to end.
void Click(QWidget& window, const char* button)
{
    Control<QAbstractButton>(window, button)->click();
    if (auto* sheet = qobject_cast<CKelvaneSheet*>(window.window()))
        QVERIFY(WaitForExchange(*sheet));
}

QByteArray Hex(const char* bytes)
{
    return QByteArray::fromHex(bytes);
}

QByteArray CanBlock(quint32 btr, int frameType, const QList<FilterEntry>& filters)
{
    ArmCanFields fields;
    fields.m_strRegister = CArmCanConfig::FormatRegister(btr);
    fields.m_nFrameTypeSel = frameType;
    fields.m_bFilterEnabled = true;
    fields.m_filters = filters;
    CArmCanConfig::CollectIntoBlock(fields);
    return CanConfigBlock::fromFields(fields).toBytes();
}

void AddShown(Shown& shown, QWidget& page, const QString& prefix)
{
    for (const QComboBox* list : page.findChildren<QComboBox*>())
        shown.insert(prefix + list->objectName(), QString::number(list->currentIndex()));
    for (const QLineEdit* edit : page.findChildren<QLineEdit*>())
        if (!edit->objectName().isEmpty())
            shown.insert(prefix + edit->objectName(), edit->text());
    for (const QCheckBox* box : page.findChildren<QCheckBox*>())
        shown.insert(prefix + box->objectName(), box->isChecked() ? "1" : "0");
    for (const QTreeWidget* list : page.findChildren<QTreeWidget*>()) {
        QStringList rows;
        for (int index = 0; index < list->topLevelItemCount(); ++index) {
            const QTreeWidgetItem* item = list->topLevelItem(index);
            rows.append(item->text(0) + ' ' + item->text(1) + ' ' + item->text(2));
        }
        shown.insert(prefix + "rows", rows.join("; "));
    }
}

// Every difference between what the pages show and what is expected.
QString Mismatches(CKelvaneSheet& sheet, const Shown& expected)
{
    Shown shown;
    AddShown(shown, CSheetProbe::TranPage(sheet), "tran.");
    AddShown(shown, CSheetProbe::SerialPage(sheet), "serial.");
    AddShown(shown, CSheetProbe::CanPage(sheet), "can.");
    AddShown(shown, CSheetProbe::CanConfigPage(sheet), "arm.");
    QStringList mismatches;
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        if (!shown.contains(it.key())) {
            mismatches.append(it.key() + " missing");
        } else if (shown.value(it.key()) != it.value()) {
            mismatches.append(QStringLiteral("%1 shows \"%2\", not \"%3\"")
                                  .arg(it.key(), shown.value(it.key()), it.value()));
        }
    }
    return mismatches.join('\n');
}

#define VERIFY_SHOWN(sheet, ...)                                                                   \
    do {                                                                                           \
        const QString mismatches = Mismatches(sheet, Shown(__VA_ARGS__));                          \
        QVERIFY2(mismatches.isEmpty(), qPrintable(mismatches));                                    \
    } while (false)

Shown Merged(Shown base, const Shown& more)
{
    base.insert(more);
    return base;
}

QByteArray ProfileBytes()
{
    QFile file(CProfile().FileName());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QVariant ProfileValue(const char* key)
{
    return CProfile().Settings().value(QLatin1String(key));
}

const Shown kTranDefaults{
    {"tran.modeList", "0"},       {"tran.directionList", "0"},    {"tran.frameSpaceEdit", "2"},
    {"tran.forwardIdCheck", "0"}, {"tran.forwardInfoCheck", "0"}, {"tran.idOffsetEdit", "0"},
    {"tran.idLengthEdit", "1"},
};

// The converter of device types 0 and 1 as the tests find it: 57600 bit/s,
// even parity, 500 K with its BTR pair, standard frames, single filter on
// code 123 and mask 700, identifier 555, transparent with identifier in
// CAN-to-serial direction, gap 7, frame information on, offset 4, length 3.
const QByteArray kClassicBlock =
    Hex("02 08 01 02 0C 00 1C 01 24600000 E01FFFFF 02 02 07 01 00 00 AAA00000 03 04");
const Shown kClassicRead{
    {"tran.modeList", "1"},
    {"tran.directionList", "2"},
    {"tran.frameSpaceEdit", "7"},
    {"tran.forwardInfoCheck", "1"},
    {"tran.forwardIdCheck", "0"},
    {"tran.idOffsetEdit", "4"},
    {"tran.idLengthEdit", "3"},
    {"serial.baudrateList", "8"},
    {"serial.parityList", "2"},
    {"can.baudrateList", "12"},
    {"can.btr0Edit", "00"},
    {"can.btr1Edit", "1C"},
    {"can.frameTypeList", "0"},
    {"can.filterModeList", "1"},
    {"can.sendIdEdit", "00 00 05 55"},
    {"can.acptCodeEdit", "00 00 01 23"},
    {"can.acptMaskEdit", "00 00 07 00"},
    {"can.customMaskCheck", "1"},
};
const Shown kClassicWritten{
    {"tran.modeList", "0"},
    {"tran.directionList", "1"},
    {"tran.frameSpaceEdit", "7"},
    {"tran.forwardInfoCheck", "1"},
    {"tran.forwardIdCheck", "1"},
    {"tran.idOffsetEdit", "4"},
    {"tran.idLengthEdit", "3"},
    {"serial.baudrateList", "9"},
    {"serial.parityList", "1"},
    {"can.baudrateList", "0"},
    {"can.btr0Edit", "03"},
    {"can.btr1Edit", "2F"},
    {"can.frameTypeList", "1"},
    {"can.filterModeList", "1"},
    {"can.sendIdEdit", "1F FF FF FF"},
    {"can.acptCodeEdit", "00 00 01 23"},
    {"can.acptMaskEdit", "00 00 07 00"},
};
const QByteArray kClassicWriteBlock =
    Hex("01 08 01 01 00 03 2F 01 00000918 00003807 01 01 07 01 01 01 FFFFFFF8 03 04");
const Shown kClassicDefaults = Merged(kTranDefaults, {
                                                         {"serial.baudrateList", "4"},
                                                         {"serial.parityList", "0"},
                                                         {"can.baudrateList", "10"},
                                                         {"can.btr0Edit", "01"},
                                                         {"can.btr1Edit", "1C"},
                                                         {"can.frameTypeList", "0"},
                                                         {"can.filterModeList", "1"},
                                                         {"can.sendIdEdit", "00 00 00 00"},
                                                         {"can.acptCodeEdit", "00 00 00 00"},
                                                         {"can.acptMaskEdit", "FF FF FF FF"},
                                                         {"can.customMaskCheck", "1"},
                                                     });

// Device type 2: 460800 bit/s, 7 data bits, 2 stop bits, odd parity, RS-485,
// format conversion serial-to-CAN, gap 5, identifier forwarded, offset 6,
// length 2, CAN ID 12345678; its CAN block 50K, extended frames, filtering on
// with one standard identifier and one extended range.
const QByteArray kArmBlock =
    Hex("0C 02 01 01 0A 01 1C 02 00000000 FFFFFFFF 03 01 05 00 01 01 78563412 02 06");
const QByteArray kArmCanBlock = CanBlock(0x3AC01D, 1, {{0, 0x123, 0x123}, {1, 0x1000, 0x10FF}});
const Shown kArmRead{
    {"tran.modeList", "2"},
    {"tran.directionList", "1"},
    {"tran.frameSpaceEdit", "5"},
    {"tran.forwardInfoCheck", "0"},
    {"tran.forwardIdCheck", "1"},
    {"tran.idOffsetEdit", "6"},
    {"tran.idLengthEdit", "2"},
    {"serial.baudrateList", "11"},
    {"serial.dataBitsList", "2"},
    {"serial.stopBitsList", "1"},
    {"serial.parityList", "1"},
    {"serial.lineModeList", "1"},
    {"arm.registerEdit", "003ac01d"},
    {"arm.baudList", "6"},
    {"arm.canIdEdit", "12345678"},
    {"arm.frameTypeList", "1"},
    {"arm.filterEnableCheck", "1"},
    {"arm.rows", "扩展帧组ID滤波 0x00001000 0x000010ff; 标准帧单ID滤波 0x00000123 0x00000123"},
};
const Shown kArmWritten{
    {"tran.modeList", "1"},       {"tran.directionList", "1"},      {"tran.frameSpaceEdit", "9"},
    {"tran.idOffsetEdit", "1"},   {"tran.idLengthEdit", "4"},       {"serial.baudrateList", "12"},
    {"serial.dataBitsList", "3"}, {"serial.stopBitsList", "0"},     {"serial.parityList", "0"},
    {"serial.lineModeList", "2"}, {"arm.registerEdit", "003ac002"}, {"arm.baudList", "2"},
};
const QByteArray kArmWriteBlock =
    Hex("0D 03 00 00 0A 01 1C 03 00000000 FFFFFFFF 02 01 09 00 01 01 FFFFFF1F 04 01");
const QByteArray kArmWriteCanBlock =
    CanBlock(0x3AC002, 1, {{0, 0x123, 0x123}, {0, 0x7FF, 0x7FF}, {1, 0x1000, 0x10FF}});
const Shown kArmDefaults = Merged(kTranDefaults, {
                                                     {"serial.baudrateList", "4"},
                                                     {"serial.dataBitsList", "3"},
                                                     {"serial.stopBitsList", "0"},
                                                     {"serial.parityList", "0"},
                                                     {"serial.lineModeList", "0"},
                                                     {"arm.registerEdit", "003ac00b"},
                                                     {"arm.baudList", "4"},
                                                     {"arm.canIdEdit", "00000000"},
                                                     {"arm.frameTypeList", "0"},
                                                     {"arm.filterEnableCheck", "0"},
                                                 });

// The user's changes on every page, as typed and picked.
void EditClassicPages(CKelvaneSheet& sheet)
{
    Choose(CSheetProbe::TranPage(sheet), "modeList", 0);
    Choose(CSheetProbe::TranPage(sheet), "directionList", 1);
    Click(CSheetProbe::TranPage(sheet), "forwardIdCheck");
    Choose(CSheetProbe::SerialPage(sheet), "baudrateList", 9);
    Choose(CSheetProbe::SerialPage(sheet), "parityList", 1);
    Choose(CSheetProbe::CanPage(sheet), "baudrateList", 0);
    Type(CSheetProbe::CanPage(sheet), "btr0Edit", "03");
    Type(CSheetProbe::CanPage(sheet), "btr1Edit", "2F");
    Choose(CSheetProbe::CanPage(sheet), "frameTypeList", 1);
    Type(CSheetProbe::CanPage(sheet), "sendIdEdit", "1F FF FF FF");
    // After the frame type: its change puts the mask back to all ones.
    Type(CSheetProbe::CanPage(sheet), "acptMaskEdit", "00 00 07 00");
}

void EditArmPages(CKelvaneSheet& sheet)
{
    Choose(CSheetProbe::TranPage(sheet), "modeList", 1);
    Type(CSheetProbe::TranPage(sheet), "frameSpaceEdit", "9");
    Type(CSheetProbe::TranPage(sheet), "idOffsetEdit", "1");
    Type(CSheetProbe::TranPage(sheet), "idLengthEdit", "4");
    Choose(CSheetProbe::SerialPage(sheet), "baudrateList", 12);
    Choose(CSheetProbe::SerialPage(sheet), "dataBitsList", 3);
    Choose(CSheetProbe::SerialPage(sheet), "stopBitsList", 0);
    Choose(CSheetProbe::SerialPage(sheet), "parityList", 0);
    Choose(CSheetProbe::SerialPage(sheet), "lineModeList", 2);
    CPageArmCfgCan& page = CSheetProbe::CanConfigPage(sheet);
    Choose(page, "baudList", 2);
    Type(page, "canIdEdit", "1fffffff");
    Choose(page, "kindList", 0);
    Type(page, "startIdEdit", "7ff");
    Click(page, "addButton");
}

// count extended identifiers as filter entries, each taking four bytes of the table.
QByteArray ExtendedIds(int count)
{
    QByteArray entries;
    for (int index = 0; index < count; ++index)
        entries += QStringLiteral(R"(%1{"kind": 2, "start": "0x%2", "end": "0x%2"})")
                       .arg(index == 0 ? "" : ",")
                       .arg(0x10000 + index, 0, 16)
                       .toUtf8();
    return entries;
}

} // namespace

class TestKelvaneCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readWriteRestartDefaults_data();
    void readWriteRestartDefaults();
    void failedReadKeepsProfile_data();
    void failedReadKeepsProfile();
    void cancelledReadKeepsPortAndProfile();
    void shortExchangeShowsNoProgress();
    void closeWaitsForTheExchange();
    void commandsNeedOpenPort();
    void refusedCanIdSendsNothing();
    void unvisitedCanTabWritesBackWhatWasRead();
    void exportedFileImportsTheReadValuesBack_data();
    void exportedFileImportsTheReadValuesBack();
    void importedDocumentIsWrittenAsEncodeSendsIt_data();
    void importedDocumentIsWrittenAsEncodeSendsIt();
    void refusedImportChangesNoField_data();
    void refusedImportChangesNoField();
    void fileThatIsNoRegularFileIsHandledAtOnce_data();
    void fileThatIsNoRegularFileIsHandledAtOnce();

private:
    // A sheet on a profile whose COM1 leads to the simulator, connected as
    // the user would, with the CAN tab shown once.
    static std::unique_ptr<CKelvaneSheet> Connected(COstrelSimulator& simulator,
                                                    CRecordingSink& messages, int deviceType);
};

std::unique_ptr<CKelvaneSheet> TestKelvaneCommands::Connected(COstrelSimulator& simulator,
                                                              CRecordingSink& messages,
                                                              int deviceType)
{
    CProfileSandbox::Write(
        {{"Kelvane/DeviceType", deviceType}, {"Ports/COM1", simulator.slavePath()}});
    auto sheet = std::make_unique<CKelvaneSheet>(messages);
    Control<QTabWidget>(*sheet, "tabs")->setCurrentIndex(2);
    Click(*sheet, "connectButton");
    return sheet;
}

void TestKelvaneCommands::readWriteRestartDefaults_data()
{
    QTest::addColumn<int>("deviceType");
    QTest::newRow("Ostrel-A") << 0;
    QTest::newRow("Ostrel-B") << 1;
    QTest::newRow("Ostrel-X") << 2;
}

void TestKelvaneCommands::readWriteRestartDefaults()
{
    QFETCH(int, deviceType);
    const bool arm = deviceType == 2;
    SimOptions options;
    options.model = ModelAt(deviceType);
    options.pacing = false;
    COstrelSimulator simulator(options);
    QVERIFY(simulator.start());
    simulator.setParameterBlock(arm ? kArmBlock : kClassicBlock);
    if (arm)
        simulator.setCanConfigBlock(kArmCanBlock);
    // Another model on COM1 last time: the user picks this one and COM3.
    CProfileSandbox::Write(
        {{"Kelvane/DeviceType", arm ? 0 : 2},
         {QStringLiteral("Ports/COM%1").arg(kConverterPort + 1), simulator.slavePath()}});
    CRecordingSink messages;
    auto sheet = std::make_unique<CKelvaneSheet>(messages);
    Choose(*sheet, "deviceList", deviceType);
    Control<QComboBox>(*sheet, "portList")->setCurrentIndex(kConverterPort);
    Control<QTabWidget>(*sheet, "tabs")->setCurrentIndex(2);
    Click(*sheet, "connectButton");
    QVERIFY(sheet->IsConnected());

    Click(*sheet, "readButton");

    QCOMPARE(messages.m_messages, (Messages{{kCaption, kReadDone}}));
    VERIFY_SHOWN(*sheet, arm ? kArmRead : kClassicRead);
    // The controls follow the values read, not those shown before: the
    // identifier position only in mode 1, forwarding only in mode 0, the
    // mask with its box ticked.
    QCOMPARE(Control<QLineEdit>(CSheetProbe::TranPage(*sheet), "idOffsetEdit")->isEnabled(), !arm);
    QVERIFY(!Control<QCheckBox>(CSheetProbe::TranPage(*sheet), "forwardIdCheck")->isEnabled());
    if (!arm)
        QVERIFY(Control<QLineEdit>(CSheetProbe::CanPage(*sheet), "acptMaskEdit")->isEnabled());
    QCOMPARE(ProfileValue("Kelvane/TranSpace").toInt(), arm ? 5 : 7);
    QCOMPARE(ProfileValue("Kelvane/DeviceType").toInt(), deviceType);
    QCOMPARE(ProfileValue("Kelvane/ConfigPort").toInt(), kConverterPort);
    if (arm)
        QCOMPARE(ProfileValue("Kelvane/ArmCanBaud").toUInt(), 0x3AC01Du);

    if (arm)
        EditArmPages(*sheet);
    else
        EditClassicPages(*sheet);
    simulator.clearHistory();
    Click(*sheet, "writeButton");

    QCOMPARE(messages.m_messages, (Messages{{kCaption, kReadDone}, {kCaption, kWriteDone}}));
    QCOMPARE(simulator.parameterBlock().toHex(' '),
             (arm ? kArmWriteBlock : kClassicWriteBlock).toHex(' '));
    QCOMPARE(simulator.requestCount(kWriteCanConfig), arm ? 1 : 0);
    if (arm) {
        QVERIFY(simulator.canConfigBlock() == kArmWriteCanBlock);
        VERIFY_SHOWN(*sheet, Merged(kArmWritten, {{"arm.canIdEdit", "1fffffff"}}));
    } else {
        VERIFY_SHOWN(*sheet, kClassicWritten);
    }

    // Defaults touch only the pages: nothing goes out, nothing is saved.
    const QByteArray savedProfile = ProfileBytes();
    simulator.clearHistory();
    Click(*sheet, "defaultsButton");

    VERIFY_SHOWN(*sheet, arm ? kArmDefaults : kClassicDefaults);
    if (arm) {
        // The filter rows stay for the next time filtering is switched on.
        QCOMPARE(Control<QTreeWidget>(CSheetProbe::CanConfigPage(*sheet), "filterList")
                     ->topLevelItemCount(),
                 3);
    }
    QCOMPARE(messages.m_messages.size(), 2);
    QTest::qWait(50);
    QVERIFY(simulator.rawReceived().isEmpty());
    QCOMPARE(ProfileBytes(), savedProfile);

    // A restart shows what was written last, on the same model and port, the
    // Ostrel-X's CAN ID included.
    sheet.reset();
    sheet = std::make_unique<CKelvaneSheet>(messages);
    QCOMPARE(Control<QComboBox>(*sheet, "deviceList")->currentIndex(), deviceType);
    QCOMPARE(Control<QComboBox>(*sheet, "portList")->currentIndex(), kConverterPort);
    Control<QTabWidget>(*sheet, "tabs")->setCurrentIndex(2);
    if (arm)
        VERIFY_SHOWN(*sheet, Merged(kArmWritten, {{"arm.canIdEdit", "1fffffff"}}));
    else
        VERIFY_SHOWN(*sheet, kClassicWritten);
    QCOMPARE(messages.m_messages.size(), 2);
}

void TestKelvaneCommands::failedReadKeepsProfile_data()
{
    QTest::addColumn<bool>("badCheck");
    QTest::addColumn<bool>("pagesChanged");
    QTest::addColumn<int>("canBlockRequests");
    QTest::addColumn<int>("trickleMs");
    QTest::addColumn<QString>("detail"); // starts with this
    // The parameter block fails at once: no field changes.
    QTest::newRow("wrong check byte") << true << false << 0 << 0 << "应答的校验字节错误。";
    // The pages already show the parameter block when the CAN block fails.
    QTest::newRow("no CAN block") << false << true << 1 << 0 << "转换器没有应答。";
    // A byte every 20 ms lets the parameter block through, but the CAN block
    // would take 42 s: the window gives up on it at its deadline.
    QTest::newRow("CAN block trickling") << false << true << 1 << 20 << "转换器应答太慢";
}

void TestKelvaneCommands::failedReadKeepsProfile()
{
    QFETCH(bool, badCheck);
    QFETCH(bool, pagesChanged);
    QFETCH(int, canBlockRequests);
    QFETCH(int, trickleMs);
    QFETCH(QString, detail);
    SimOptions options;
    options.model = ModelAt(0);
    options.pacing = false;
    options.badCheck = badCheck;
    options.noCanConfig = !badCheck && trickleMs == 0;
    COstrelSimulator simulator(options);
    QVERIFY(simulator.start());
    simulator.setParameterBlock(kClassicBlock);
    CRecordingSink messages;
    const auto sheet = Connected(simulator, messages, 0);
    QVERIFY(sheet->IsConnected());
    const QByteArray profile = ProfileBytes();
    options.trickleMs = trickleMs;
    simulator.setOptions(options);

    QElapsedTimer clock;
    clock.start();
    Click(*sheet, "readButton");

    QCOMPARE(messages.m_messages.size(), 1);
    QCOMPARE(messages.m_messages.constFirst().text, kCommError);
    QVERIFY2(messages.m_messages.constFirst().detail.startsWith(detail),
             qPrintable(messages.m_messages.constFirst().detail));
    // "Too slow" says the read ended before the block was in; the clock only
    // guards against a read that waits for all of it (42 s at 20 ms a byte),
    // with room for a busy machine.
    QVERIFY2(clock.elapsed() < 2 * (1100 + 500 + CFrameProtocol::CanConfigReadBudgetMs(57600)),
             qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(simulator.requestCount(kReadParameters), 1);
    QCOMPARE(simulator.requestCount(kReadCanConfig), canBlockRequests);
    QCOMPARE(ProfileBytes(), profile);
    if (pagesChanged) {
        VERIFY_SHOWN(*sheet, kClassicRead);
    } else {
        VERIFY_SHOWN(*sheet, Merged(kTranDefaults, {{"serial.baudrateList", "4"},
                                                    {"can.baudrateList", "10"},
                                                    {"can.sendIdEdit", "00 00 00 00"}}));
    }
}

// The CAN block trickles in a byte a millisecond; Escape in the progress
// dialog cancels the read part-way. Nothing changes but the converter's line,
// which the next read, at full speed, finds usable without a reconnect.
void TestKelvaneCommands::cancelledReadKeepsPortAndProfile()
{
    SimOptions options;
    options.model = ModelAt(0);
    options.pacing = false;
    COstrelSimulator simulator(options);
    QVERIFY(simulator.start());
    simulator.setParameterBlock(kClassicBlock);
    CRecordingSink messages;
    const auto sheet = Connected(simulator, messages, 0);
    QVERIFY(sheet->IsConnected());
    const QByteArray profile = ProfileBytes();
    options.trickleMs = 1;
    simulator.setOptions(options);
    simulator.clearHistory();

    Control<QPushButton>(*sheet, "readButton")->click();
    auto* dialog = sheet->findChild<QDialog*>(QStringLiteral("CExchangeDialog"));
    QVERIFY(dialog);
    auto* bar = Control<QProgressBar>(*dialog, "progressBar");
    QTRY_VERIFY(dialog->isVisible() && bar->value() > 0);
    QCOMPARE(bar->maximum(), 2085);
    QTest::keyClick(dialog, Qt::Key_Escape);
    QVERIFY(WaitForExchange(*sheet));

    // The user asked for it: the window says so, without a box.
    QVERIFY(messages.m_messages.isEmpty());
    QCOMPARE(Control<QLabel>(*sheet, "statusLabel")->text(), QStringLiteral("读配置已取消！"));
    QVERIFY(!dialog->isVisible());
    QVERIFY(sheet->IsConnected());
    QCOMPARE(ProfileBytes(), profile);
    VERIFY_SHOWN(*sheet, Merged(kTranDefaults, {{"serial.baudrateList", "4"},
                                                {"can.baudrateList", "10"},
                                                {"can.sendIdEdit", "00 00 00 00"}}));
    QCOMPARE(simulator.requestCount(kReadParameters), 1);
    QCOMPARE(simulator.requestCount(kReadCanConfig), 1);

    options.trickleMs = 0;
    simulator.setOptions(options);
    Click(*sheet, "readButton");

    QCOMPARE(messages.m_messages, (Messages{{kCaption, kReadDone}}));
    QCOMPARE(messages.m_messages.constFirst().kind, UserMessage::Kind::Success);
    QVERIFY(Control<QLabel>(*sheet, "statusLabel")->text().isEmpty());
    VERIFY_SHOWN(*sheet, kClassicRead);
    QCOMPARE(simulator.receivedFrames().size(), 4);
    QCOMPARE(simulator.requestCount(kReadParameters), 2);
    QCOMPARE(simulator.requestCount(kReadCanConfig), 2);
    QCOMPARE(ProfileValue("Kelvane/TranSpace").toInt(), 7);
}

// A close asked for during a read waits for its end: the read is shown and
// saved whole, then the window closes and lets the port go. A window
// destroyed during a read takes its worker down first.
// A read that is over in a moment shows no progress dialog, which would only
// flash; the connect before it made the dialog, so every showing is counted.
void TestKelvaneCommands::shortExchangeShowsNoProgress()
{
    SimOptions options;
    options.model = ModelAt(0);
    options.pacing = false;
    COstrelSimulator simulator(options);
    QVERIFY(simulator.start());
    CRecordingSink messages;
    const auto sheet = Connected(simulator, messages, 0);
    QVERIFY(sheet->IsConnected());
    auto* dialog = sheet->findChild<QDialog*>(QStringLiteral("CExchangeDialog"));
    QVERIFY(dialog);
    struct ShowCounter : QObject
    {
        int shown = 0;
        bool eventFilter(QObject*, QEvent* event) override
        {
            shown += event->type() == QEvent::Show ? 1 : 0;
            return false;
        }
    } counter;
    dialog->installEventFilter(&counter);

    Click(*sheet, "readButton");

    QCOMPARE(messages.m_messages, (Messages{{kCaption, kReadDone}}));
    QCOMPARE(counter.shown, 0);
}

void TestKelvaneCommands::closeWaitsForTheExchange()
{
    SimOptions options;
    options.model = ModelAt(0);
    COstrelSimulator simulator(options);
    QVERIFY(simulator.start());
    simulator.setParameterBlock(kClassicBlock);
    CRecordingSink messages;
    auto sheet = Connected(simulator, messages, 0);
    sheet->show();
    QVERIFY(sheet->IsConnected());

    Control<QPushButton>(*sheet, "readButton")->click();
    QVERIFY(!sheet->close());
    QVERIFY(sheet->isVisible());
    QVERIFY(WaitForExchange(*sheet));

    QVERIFY(!sheet->isVisible());
    QVERIFY(!sheet->IsConnected());
    QCOMPARE(messages.m_messages, (Messages{{kCaption, kReadDone}}));
    QCOMPARE(ProfileValue("Kelvane/TranSpace").toInt(), 7);
    QCOMPARE(ProfileValue("Kelvane/CanBaudrate").toInt(), 12);

    sheet = Connected(simulator, messages, 0);
    Control<QPushButton>(*sheet, "readButton")->click();
    QVERIFY(sheet->IsExchanging());
    sheet.reset();
    QCOMPARE(messages.m_messages.size(), 1);
}

void TestKelvaneCommands::commandsNeedOpenPort()
{
    COstrelSimulator simulator;
    QVERIFY(simulator.start());
    CRecordingSink messages;
    const auto sheet = Connected(simulator, messages, 2);
    Click(*sheet, "connectButton");
    QVERIFY(!sheet->IsConnected());
    Type(CSheetProbe::CanConfigPage(*sheet), "canIdEdit", "800");
    simulator.clearHistory();
    const QByteArray profile = ProfileBytes();

    // The buttons are disabled now; the handlers must refuse by themselves.
    sheet->OnRead();
    sheet->OnWrite();

    QTest::qWait(50);
    QVERIFY(simulator.rawReceived().isEmpty());
    QVERIFY(messages.m_messages.isEmpty());
    QCOMPARE(ProfileBytes(), profile);
    VERIFY_SHOWN(*sheet, Merged(kTranDefaults, {{"arm.canIdEdit", "800"}}));
}

void TestKelvaneCommands::refusedCanIdSendsNothing()
{
    COstrelSimulator simulator;
    QVERIFY(simulator.start());
    CRecordingSink messages;
    const auto sheet = Connected(simulator, messages, 2);
    QVERIFY(sheet->IsConnected());
    Type(CSheetProbe::CanConfigPage(*sheet), "canIdEdit", "800");
    simulator.clearHistory();
    const QByteArray profile = ProfileBytes();

    Click(*sheet, "writeButton");

    QCOMPARE(
        messages.m_messages,
        (Messages{{QStringLiteral("错误"), QStringLiteral("CAN ID长度错误，必须为8位十六进制数！")},
                  {kCaption, kCommError}}));
    QTest::qWait(50);
    QVERIFY(simulator.rawReceived().isEmpty());
    QCOMPARE(ProfileBytes(), profile);
    VERIFY_SHOWN(*sheet, {{"arm.canIdEdit", "800"}});
}

// The CAN configuration tab is never looked at between the read and the
// write: the converter must get back its own extended frame type, identifier
// and CAN configuration block, without a warning.
void TestKelvaneCommands::unvisitedCanTabWritesBackWhatWasRead()
{
    const QByteArray parameters =
        Hex("05 03 00 00 0A 00 14 01 00000000 FFFFFFFF 01 00 02 00 00 01 E550FF18 01 00");
    const QByteArray canBlock = CanBlock(0x3AC005, 1, {});
    SimOptions options;
    options.pacing = false;
    COstrelSimulator simulator(options);
    QVERIFY(simulator.start());
    simulator.setParameterBlock(parameters);
    simulator.setCanConfigBlock(canBlock);
    CProfileSandbox::Write({{"Kelvane/DeviceType", 2}, {"Ports/COM1", simulator.slavePath()}});
    CRecordingSink messages;
    CKelvaneSheet sheet(messages);
    Click(sheet, "connectButton");
    QVERIFY(sheet.IsConnected());

    Click(sheet, "readButton");
    Click(sheet, "writeButton");

    QCOMPARE(messages.m_messages, (Messages{{kCaption, kReadDone}, {kCaption, kWriteDone}}));
    QCOMPARE(simulator.requestCount(kWriteCanConfig), 1);
    QCOMPARE(simulator.parameterBlock().toHex(' '), parameters.toHex(' '));
    QCOMPARE(simulator.canConfigBlock(), canBlock);
}

void TestKelvaneCommands::exportedFileImportsTheReadValuesBack_data()
{
    QTest::addColumn<int>("deviceType");
    QTest::newRow("Ostrel-A") << 0;
    QTest::newRow("Ostrel-X") << 2;
}

// The exported file is the command line's own read of the converter, and
// importing it undoes the user's edits without any exchange or save.
void TestKelvaneCommands::exportedFileImportsTheReadValuesBack()
{
    QFETCH(int, deviceType);
    const bool arm = deviceType == 2;
    SimOptions options;
    options.model = ModelAt(deviceType);
    options.pacing = false;
    COstrelSimulator simulator(options);
    QVERIFY(simulator.start());
    simulator.setParameterBlock(arm ? kArmBlock : kClassicBlock);
    simulator.setCanConfigBlock(kArmCanBlock);
    const QTemporaryDir dir;
    const QString cliFile = dir.filePath(QStringLiteral("cli.json"));
    const QString exported = dir.filePath(QStringLiteral("exported.json"));
    // Typed without its suffix, which the export adds.
    const QString typed = dir.filePath(QStringLiteral("exported"));
    QProcess cli;
    cli.start(QStringLiteral(KELVANE_CLI_PATH), {"-d", QString::number(deviceType), "-p",
                                                 simulator.slavePath(), "read", "-o", cliFile});
    QVERIFY(cli.waitForFinished(30000));
    QCOMPARE(cli.exitCode(), 0);

    CRecordingSink messages;
    const auto sheet = Connected(simulator, messages, deviceType);
    QStringList folders;
    sheet->SetFileChooser([&](CKelvaneSheet::FileChoice choice, const QString& proposal) {
        folders.append(proposal);
        return choice == CKelvaneSheet::FileChoice::Export ? typed : exported;
    });
    Click(*sheet, "readButton");
    Click(*sheet, "exportButton");

    QFile cliRead(cliFile);
    QFile exportedFile(exported);
    QVERIFY(cliRead.open(QIODevice::ReadOnly) && exportedFile.open(QIODevice::ReadOnly));
    QCOMPARE(exportedFile.readAll(), cliRead.readAll());
    // No box for the export; the line beside the buttons names the file.
    QCOMPARE(Control<QLabel>(*sheet, "statusLabel")->text(), "已导出到 " + exported);

    Type(CSheetProbe::TranPage(*sheet), "frameSpaceEdit", "9");
    Choose(CSheetProbe::SerialPage(*sheet), "baudrateList", 3);
    if (arm) {
        Choose(CSheetProbe::CanConfigPage(*sheet), "baudList", 0);
        Click(CSheetProbe::CanConfigPage(*sheet), "filterEnableCheck");
    } else {
        Type(CSheetProbe::CanPage(*sheet), "acptCodeEdit", "00 00 0F 00");
    }
    simulator.clearHistory();
    const QByteArray profile = ProfileBytes();
    Click(*sheet, "importButton");

    VERIFY_SHOWN(*sheet, arm ? kArmRead : kClassicRead);
    QCOMPARE(messages.m_messages, (Messages{{kCaption, kReadDone}}));
    QCOMPARE(Control<QLabel>(*sheet, "statusLabel")->text(), "已从 " + exported + " 导入");
    QTest::qWait(50);
    QVERIFY(simulator.rawReceived().isEmpty());
    QCOMPARE(ProfileBytes(), profile);
    QCOMPARE(folders.size(), 2);
    QVERIFY2(folders.at(0).endsWith(
                 QStringLiteral("/%1-%2.json")
                     .arg(options.model == ConverterModel::OstrelX ? "Ostrel-X" : "Ostrel-A",
                          QDate::currentDate().toString(Qt::ISODate))),
             qPrintable(folders.at(0)));
    QCOMPARE(folders.at(1), dir.path());
    QVERIFY(!QFileInfo::exists(typed));
}

void TestKelvaneCommands::importedDocumentIsWrittenAsEncodeSendsIt_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<int>("offset"); // in the parameter block
    QTest::addColumn<QByteArray>("sent");
    // A preset bit rate brings its own timing, as choosing it on the page does.
    QTest::newRow("preset bit rate")
        << QByteArray(R"({"CanBaudrate": 3})") << 5 << QByteArray::fromHex("18 1C");
    // Without the custom-mask box the page holds the zero mask, sent with
    // the bits below a standard identifier set.
    QTest::newRow("mask of a clear box")
        << QByteArray(R"({"CustomMask": 0, "CanAcptMask": "12 34 56 78"})") << 12
        << QByteArray::fromHex("00 1F FF FF");
}

// The window's import and the command line load a document alike, so the
// write sends what encode prints for it.
void TestKelvaneCommands::importedDocumentIsWrittenAsEncodeSendsIt()
{
    QFETCH(QByteArray, document);
    QFETCH(int, offset);
    QFETCH(QByteArray, sent);
    SimOptions options;
    options.model = ConverterModel::OstrelA;
    options.pacing = false;
    COstrelSimulator simulator(options);
    QVERIFY(simulator.start());
    const QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("line.json")));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(document) == document.size());
    file.close();
    QProcess cli;
    cli.start(QStringLiteral(KELVANE_CLI_PATH), {"-d", "A", "encode", "-i", file.fileName()});
    QVERIFY(cli.waitForFinished(30000));
    QCOMPARE(cli.exitCode(), 0);
    const QByteArray encoded = QByteArray::fromHex(cli.readAllStandardOutput().split('\n').at(0));

    CRecordingSink messages;
    const auto sheet = Connected(simulator, messages, 0);
    sheet->SetFileChooser(
        [&](CKelvaneSheet::FileChoice, const QString&) { return file.fileName(); });
    Click(*sheet, "importButton");
    simulator.clearHistory();
    Click(*sheet, "writeButton");

    QCOMPARE(messages.m_messages, (Messages{{kCaption, kWriteDone}}));
    const QList<QByteArray> frames = simulator.receivedFrames();
    QCOMPARE(frames.size(), 1);
    QCOMPARE(frames.at(0).toHex(' '), encoded.toHex(' '));
    QCOMPARE(frames.at(0).mid(4 + offset, sent.size()).toHex(' '), sent.toHex(' '));
}

void TestKelvaneCommands::refusedImportChangesNoField_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("another model") << QByteArray(R"({"DeviceType": 0, "TranSpace": 9})")
                                   << "\"DeviceType\" 是 0（Ostrel-A），但给出的型号是 Ostrel-X";
    // Keys are checked in name order: these come after one that is fine.
    QTest::newRow("wrong kind") << QByteArray(R"({"SerialBaudrate": 3, "TranSpace": "wide"})")
                                << "\"TranSpace\" 必须是 0 到 255 之间的整数";
    QTest::newRow("unknown key") << QByteArray(R"({"SerialBaudrate": 3, "TranSpacing": 9})")
                                 << "未知的键 \"TranSpacing\"";
    QTest::newRow("not JSON") << QByteArray(R"({"SerialBaudrate": 3,)")
                              << "unterminated object，位于第 21 字节";
    QTest::newRow("key without effect")
        << QByteArray(R"({"DeviceType": 2, "TranSpace": 9, "CanBaudrate": "250 K"})")
        << "\"CanBaudrate\" 对 Ostrel-X 没有作用：Ostrel-X 用的是 \"ArmCanBaud\"";
    QTest::newRow("filter list too long for the table")
        << QByteArray(R"({"Filters": [)" + ExtendedIds(1024) + "]}")
        << "\"Filters\" 需要过滤表的 4096 字节，但过滤表只有 2048 字节";
}

void TestKelvaneCommands::refusedImportChangesNoField()
{
    QFETCH(QByteArray, document);
    QFETCH(QString, refusal);
    SimOptions options;
    options.pacing = false;
    COstrelSimulator simulator(options);
    QVERIFY(simulator.start());
    simulator.setParameterBlock(kArmBlock);
    simulator.setCanConfigBlock(kArmCanBlock);
    const QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("line3.json")));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(document) == document.size());
    file.close();
    CRecordingSink messages;
    const auto sheet = Connected(simulator, messages, 2);
    sheet->SetFileChooser(
        [&](CKelvaneSheet::FileChoice, const QString&) { return file.fileName(); });
    Click(*sheet, "readButton");

    Click(*sheet, "importButton");

    QCOMPARE(messages.m_messages,
             (Messages{{kCaption, kReadDone},
                       {QStringLiteral("错误"), QStringLiteral("\"line3.json\": ") + refusal}}));
    VERIFY_SHOWN(*sheet, kArmRead);
}

void TestKelvaneCommands::fileThatIsNoRegularFileIsHandledAtOnce_data()
{
    QTest::addColumn<QString>("node");
    QTest::addColumn<bool>("exporting");
    QTest::addColumn<QString>("error");
    QTest::newRow("export onto a full device") << "full" << true << "No space left on device";
    QTest::newRow("export into a FIFO nobody reads") << "fifo" << true << "没有程序从这个管道读取";
    QTest::newRow("import from a FIFO nobody writes")
        << "fifo" << false << "没有程序向这个管道写入";
}

// A device or a FIFO chosen in the file dialog stays what it is, holds the
// window no longer than a moment, and a failure says why.
void TestKelvaneCommands::fileThatIsNoRegularFileIsHandledAtOnce()
{
    QFETCH(QString, node);
    QFETCH(bool, exporting);
    QFETCH(QString, error);
    const QTemporaryDir dir;
    const QString path = dir.filePath(node);
    if (node == "full") {
        // A private twin of /dev/full, so that a faulty export replaces only this node.
        if (::geteuid() != 0)
            QSKIP("creating a device node needs the super-user");
        QCOMPARE(::mknod(QFile::encodeName(path).constData(), S_IFCHR | 0666, makedev(1, 7)), 0);
    } else {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    }
    SimOptions options;
    options.pacing = false;
    COstrelSimulator simulator(options);
    QVERIFY(simulator.start());
    CRecordingSink messages;
    const auto sheet = Connected(simulator, messages, 2);
    sheet->SetFileChooser([&](CKelvaneSheet::FileChoice, const QString&) { return path; });
    QElapsedTimer clock;
    clock.start();

    Click(*sheet, exporting ? "exportButton" : "importButton");

    // An open that waits for the other end would never return; the bound
    // leaves a busy machine room beyond the import's half-second for a pipe.
    QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(messages.m_messages.size(), 1);
    QCOMPARE(messages.m_messages.at(0).caption, QStringLiteral("错误"));
    QVERIFY2(messages.m_messages.at(0).text.endsWith(error),
             qPrintable(messages.m_messages.at(0).text));
    struct stat status
    {};
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &status), 0);
    QVERIFY(node == "full" ? S_ISCHR(status.st_mode) : S_ISFIFO(status.st_mode));
}

KELVANE_SANDBOXED_TEST_MAIN(TestKelvaneCommands)
#include "tst_KelvaneCommands.moc"
