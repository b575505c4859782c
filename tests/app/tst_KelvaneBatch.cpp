#include "CBatchDialog.h"
#include "CFakePortDetector.h"
#include "CKelvaneSheet.h"
#include "COstrelSimulator.h"
#include "CProfileSandbox.h"
#include "CRecordingSink.h"
#include "CSheetProbe.h"
#include "SheetLookup.h"

#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <map>
#include <memory>
#include <set>
#include <vector>

namespace {

constexpr quint8 kWriteParameters = 0x01;

bool WriteDocument(const QString& path, const QByteArray& text)
{
    QFile document(path);
    return document.open(QIODevice::WriteOnly) && document.write(text) == text.size();
}

enum Column
{
    PortColumn,
    DeviceColumn,
    ModelColumn,
    StateColumn,
    ReasonColumn,
};

QString Cell(const QTableWidget& table, int row, int column)
{
    return table.item(row, column)->text();
}

// Every text the state column showed, row by row, in the order shown.
class CStateTrail
{
public:
    explicit CStateTrail(const QTableWidget& table)
    {
        QObject::connect(
            table.model(), &QAbstractItemModel::dataChanged, &m_context,
            [this, &table](const QModelIndex& from, const QModelIndex& to) {
                for (int row = from.row(); row <= to.row(); ++row)
                    if (from.column() <= StateColumn && StateColumn <= to.column())
                        m_texts[row] << Cell(table, row, StateColumn);
            });
    }
    QStringList Of(int row) const { return m_texts.count(row) ? m_texts.at(row) : QStringList(); }

private:
    QObject m_context;
    std::map<int, QStringList> m_texts;
};

// COM<number>.
PortSlot Slot(int number, PortSlot::Source source, bool present, bool adapter = false)
{
    PortSlot slot;
    slot.index = number - 1;
    slot.source = source;
    slot.path = QStringLiteral("/dev/ttyS%1").arg(slot.index);
    if (present) {
        slot.device.path = slot.path;
        slot.device.adapter = adapter;
    }
    return slot;
}

const QByteArray kDocument = R"({"DeviceType": 2, "TranSpace": 6})";

std::optional<QByteArray> TheDocument()
{
    return kDocument;
}

} // namespace

// Converters on COM1..COM5: three that answer, a silent one, and one of
// another model, with the window set up for Ostrel-X.
class TestKelvaneBatch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void writesAndVerifiesEveryCheckedPort();
    void skipsTheWindowsOwnPort();
    void closingDuringARunCancelsIt();
    void cancelledPortsAreCountedAsCancelled();
    void closingTheWindowDuringARunAsks_data();
    void closingTheWindowDuringARunAsks();
    void marksWhatAWriteWouldChange();
    void showsEachResultApart();
    void selectAllTakesEveryPortWithoutAssignedSlots_data();
    void selectAllTakesEveryPortWithoutAssignedSlots();
    void namesTheModelAndTheDocument();
    void manyPortsChangeTheirOwnCellsOnly();
    void refusesADocumentForAnotherModel();

private:
    CBatchDialog* OpenBatch(CKelvaneSheet& sheet);
    bool Run(CBatchDialog& dialog);

    std::vector<std::unique_ptr<COstrelSimulator>> m_simulators;
    CFakePortDetector m_detector;
};

void TestKelvaneBatch::init()
{
    QVariantMap profile{{"Kelvane/DeviceType", 2}};
    for (int index = 0; index < 5; ++index) {
        SimOptions options;
        options.silent = index == 3;
        options.model = index == 4 ? ConverterModel::OstrelA : ConverterModel::OstrelX;
        m_simulators.push_back(std::make_unique<COstrelSimulator>(options));
        QVERIFY(m_simulators.back()->start());
        profile.insert(QStringLiteral("Ports/COM%1").arg(index + 1),
                       m_simulators.back()->slavePath());
    }
    CProfileSandbox::Write(profile);
}

void TestKelvaneBatch::cleanup()
{
    m_simulators.clear();
}

CBatchDialog* TestKelvaneBatch::OpenBatch(CKelvaneSheet& sheet)
{
    sheet.show();
    QApplication::setActiveWindow(&sheet);
    if (!QTest::qWaitForWindowActive(&sheet))
        return nullptr;
    // A mnemonic clicks its button a moment later.
    QTest::keyClick(&sheet, Qt::Key_B, Qt::AltModifier);
    CBatchDialog* dialog = nullptr;
    if (!QTest::qWaitFor([&] { return (dialog = sheet.findChild<CBatchDialog*>()) != nullptr; }))
        return nullptr;
    QApplication::setActiveWindow(dialog);
    if (!QTest::qWaitForWindowActive(dialog))
        return nullptr;
    auto* table = Control<QTableWidget>(*dialog, "portTable");
    QTest::keyClick(dialog, Qt::Key_A, Qt::AltModifier);
    if (!QTest::qWaitFor([&] { return table->item(0, PortColumn)->checkState() == Qt::Checked; }))
        return nullptr;
    return dialog;
}

bool TestKelvaneBatch::Run(CBatchDialog& dialog)
{
    QSignalSpy finished(&dialog, &CBatchDialog::RunFinished);
    QTest::keyClick(&dialog, Qt::Key_S, Qt::AltModifier);
    return finished.wait(30000);
}

void TestKelvaneBatch::writesAndVerifiesEveryCheckedPort()
{
    CRecordingSink messages;
    CKelvaneSheet sheet(messages, m_detector);
    Control<QLineEdit>(CSheetProbe::TranPage(sheet), "frameSpaceEdit")
        ->setText(QStringLiteral("7"));
    CBatchDialog* dialog = OpenBatch(sheet);
    QVERIFY(dialog);
    auto* table = Control<QTableWidget>(*dialog, "portTable");
    // The assigned slots only: COM6..COM8 fall back to built-in ports.
    QCOMPARE(table->rowCount(), 8);
    for (int row = 0; row < 8; ++row)
        QCOMPARE(table->item(row, PortColumn)->checkState(), row < 5 ? Qt::Checked : Qt::Unchecked);
    QCOMPARE(Control<QLabel>(*dialog, "statusLabel")->text(),
             QStringLiteral("已选择 5 个：指定了设备的串口和 USB 串口"));
    CStateTrail trail(*table);

    QVERIFY(Run(*dialog));

    // Each step as it came, whatever the machine's speed.
    const QStringList served{QStringLiteral("等待"), QStringLiteral("连接设备…"),
                             QStringLiteral("写配置…"), QStringLiteral("校验…"),
                             QStringLiteral("成功")};
    const QStringList refused{QStringLiteral("等待"), QStringLiteral("连接设备…"),
                              QStringLiteral("失败")};
    for (int row = 0; row < 5; ++row)
        QCOMPARE(trail.Of(row), row < 3 ? served : refused);
    QCOMPARE(trail.Of(5), QStringList());
    // The whole reason of the selected row, below the table.
    table->selectRow(3);
    const QString detail = Control<QPlainTextEdit>(*dialog, "detailView")->toPlainText();
    QVERIFY2(detail.contains(Cell(*table, 3, ReasonColumn)), qPrintable(detail));
    QVERIFY(detail.startsWith(QStringLiteral("COM4  ") + m_simulators[3]->slavePath()));
    QCOMPARE(table->item(3, ReasonColumn)->toolTip(), Cell(*table, 3, ReasonColumn));

    const QByteArray written = m_simulators[0]->parameterBlock();
    QVERIFY(written != COstrelSimulator::DefaultParameterBlock(ConverterModel::OstrelX));
    for (int index = 0; index < 3; ++index) {
        QCOMPARE(m_simulators[index]->requestCount(kWriteParameters), 1);
        QCOMPARE(m_simulators[index]->parameterBlock(), written);
        QCOMPARE(Cell(*table, index, StateColumn), QStringLiteral("成功"));
        QCOMPARE(Cell(*table, index, ModelColumn), QStringLiteral("Ostrel-X"));
    }
    QCOMPARE(Cell(*table, 3, StateColumn), QStringLiteral("失败"));
    QVERIFY(Cell(*table, 3, ReasonColumn).startsWith(QStringLiteral("设备未连接！")));
    QCOMPARE(Cell(*table, 3, ModelColumn), QString());
    QCOMPARE(Cell(*table, 4, StateColumn), QStringLiteral("失败"));
    QCOMPARE(Cell(*table, 4, ModelColumn), QStringLiteral("Ostrel-A"));
    QCOMPARE(m_simulators[4]->requestCount(kWriteParameters), 0);
    QCOMPARE(Control<QLabel>(*dialog, "summaryLabel")->text(),
             QStringLiteral("成功 3 个，失败 2 个"));
    QVERIFY(messages.m_messages.isEmpty());

    // The report holds what the table shows, in CSV and in JSON.
    QTemporaryDir folder;
    const QString base = folder.filePath(QStringLiteral("line 4"));
    QString proposal;
    dialog->SetFileChooser([&](CBatchDialog::FileChoice, const QString& proposed) {
        proposal = proposed;
        return base + ".csv";
    });
    QTest::keyClick(dialog, Qt::Key_E, Qt::AltModifier);
    QFile csv(base + ".csv");
    QTRY_VERIFY(QFile::exists(base + ".json"));
    // Saved without a box; the line beside the buttons names both files.
    QCOMPARE(Control<QLabel>(*dialog, "statusLabel")->text(),
             "已导出到 " + base + ".csv, " + base + ".json");
    QVERIFY(messages.m_messages.isEmpty());
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = csv.readAll().split('\n');
    QCOMPARE(lines.size(), 7); // the header, five ports, the last line's end
    QFile jsonFile(base + ".json");
    QVERIFY(jsonFile.open(QIODevice::ReadOnly));
    const QJsonObject report = QJsonDocument::fromJson(jsonFile.readAll()).object();
    QCOMPARE(report["written_model"].toString(), QStringLiteral("Ostrel-X"));
    QCOMPARE(report["document"].toString(), QStringLiteral("页面上的值"));
    QVERIFY(QFileInfo(proposal).fileName().startsWith(QStringLiteral("batch-Ostrel-X-")));
    const QJsonArray ports = report["ports"].toArray();
    QCOMPARE(ports.size(), 5);
    for (int row = 0; row < 5; ++row) {
        const QJsonObject port = ports.at(row).toObject();
        QCOMPARE(port["port"].toString(), Cell(*table, row, PortColumn));
        QCOMPARE(port["device"].toString(), m_simulators[row]->slavePath());
        QCOMPARE(port["model"].toString(), Cell(*table, row, ModelColumn));
        QCOMPARE(port["result"].toString(), QString::fromLatin1(row < 3 ? "ok" : "failed"));
        QCOMPARE(port["reason"].toString(), Cell(*table, row, ReasonColumn));
        QVERIFY(!port["time"].toString().isEmpty());
        const QByteArray start = Cell(*table, row, PortColumn).toUtf8() + ',' +
                                 m_simulators[row]->slavePath().toUtf8() + ',';
        QVERIFY(lines.at(row + 1).startsWith(start));
    }
}

void TestKelvaneBatch::skipsTheWindowsOwnPort()
{
    CRecordingSink messages;
    CKelvaneSheet sheet(messages, m_detector);
    QVERIFY(ClickConnect(sheet));
    QVERIFY(sheet.IsConnected());
    CBatchDialog* dialog = OpenBatch(sheet);
    QVERIFY(dialog);

    QVERIFY(Run(*dialog));

    auto* table = Control<QTableWidget>(*dialog, "portTable");
    QCOMPARE(Cell(*table, 0, StateColumn), QStringLiteral("跳过"));
    QCOMPARE(m_simulators[0]->requestCount(kWriteParameters), 0);
    QCOMPARE(Cell(*table, 1, StateColumn), QStringLiteral("成功"));
    QCOMPARE(dialog->Outcomes().at(0).result, PortOutcome::Result::Skipped);
    QVERIFY(sheet.IsConnected());
}

void TestKelvaneBatch::closingDuringARunCancelsIt()
{
    for (const auto& simulator : m_simulators) {
        SimOptions slow = simulator->options();
        slow.turnaroundMs = 400;
        simulator->setOptions(slow);
    }
    CRecordingSink messages;
    CKelvaneSheet sheet(messages, m_detector);
    QPointer<CBatchDialog> dialog = OpenBatch(sheet);
    QVERIFY(dialog);
    QSignalSpy finished(dialog.data(), &CBatchDialog::RunFinished);
    QTest::keyClick(dialog, Qt::Key_S, Qt::AltModifier);
    QTRY_VERIFY(dialog->IsRunning());

    dialog->close();

    QVERIFY(finished.wait(5000));
    for (const PortOutcome& outcome : dialog->Outcomes())
        QVERIFY2(outcome.result != PortOutcome::Result::Ok, qPrintable(outcome.port));
    QTRY_VERIFY(dialog.isNull());
}

// The count line, the rows and the report agree on every cancelled port.
void TestKelvaneBatch::cancelledPortsAreCountedAsCancelled()
{
    for (const auto& simulator : m_simulators) {
        SimOptions slow = simulator->options();
        slow.turnaroundMs = 60000;
        simulator->setOptions(slow);
    }
    CRecordingSink messages;
    CKelvaneSheet sheet(messages, m_detector);
    CBatchDialog* dialog = OpenBatch(sheet);
    QVERIFY(dialog);
    QSignalSpy finished(dialog, &CBatchDialog::RunFinished);
    QTest::keyClick(dialog, Qt::Key_S, Qt::AltModifier);
    QTRY_VERIFY(dialog->IsRunning());

    QTest::keyClick(dialog, Qt::Key_C, Qt::AltModifier);

    QVERIFY(finished.wait(10000));
    int cancelled = 0;
    int failed = 0;
    for (const PortOutcome& outcome : dialog->Outcomes()) {
        QVERIFY2(outcome.result != PortOutcome::Result::Ok, qPrintable(outcome.port));
        (outcome.result == PortOutcome::Result::Cancelled ? cancelled : failed) += 1;
    }
    QCOMPARE(cancelled + failed, 5);
    QVERIFY(cancelled > 0);
    QCOMPARE(Control<QLabel>(*dialog, "summaryLabel")->text(),
             QStringLiteral("成功 0 个，失败 %1 个，已取消 %2 个").arg(failed).arg(cancelled));
    auto* table = Control<QTableWidget>(*dialog, "portTable");
    QCOMPARE(Cell(*table, 0, StateColumn),
             PortOutcome::Text(dialog->Outcomes().constFirst().result));
}

void TestKelvaneBatch::closingTheWindowDuringARunAsks_data()
{
    QTest::addColumn<bool>("cancel");
    QTest::newRow("keeps the run") << false;
    QTest::newRow("cancels the run") << true;
}

// The window's close button during a run asks once; a yes cancels the run
// and closes the window when it has ended, a no leaves both as they were.
void TestKelvaneBatch::closingTheWindowDuringARunAsks()
{
    QFETCH(bool, cancel);
    for (const auto& simulator : m_simulators) {
        SimOptions slow = simulator->options();
        slow.turnaroundMs = 60000;
        simulator->setOptions(slow);
    }
    CRecordingSink messages;
    CKelvaneSheet sheet(messages, m_detector);
    QPointer<CBatchDialog> dialog = OpenBatch(sheet);
    QVERIFY(dialog);
    int asked = 0;
    dialog->SetCancelAsker([&] {
        ++asked;
        return cancel;
    });
    QTest::keyClick(dialog, Qt::Key_S, Qt::AltModifier);
    QTRY_VERIFY(dialog->IsRunning());

    QVERIFY(!sheet.close());

    QCOMPARE(asked, 1);
    if (cancel) {
        QTRY_VERIFY(dialog.isNull());
        QTRY_VERIFY(!sheet.isVisible());
    } else {
        QVERIFY(dialog->IsRunning());
        QVERIFY(sheet.isVisible());
        QSignalSpy finished(dialog.data(), &CBatchDialog::RunFinished);
        QTest::keyClick(dialog, Qt::Key_C, Qt::AltModifier);
        QVERIFY(finished.wait(10000));
        QVERIFY(sheet.close());
    }
    QCOMPARE(asked, 1);
}

void TestKelvaneBatch::marksWhatAWriteWouldChange()
{
    CRecordingSink messages;
    CKelvaneSheet sheet(messages, m_detector);
    QVERIFY(ClickConnect(sheet));
    Control<QAbstractButton>(sheet, "readButton")->click();
    QVERIFY(WaitForExchange(sheet));
    QVERIFY(sheet.MarkedKeys().isEmpty());

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("space.json"));
    QVERIFY(WriteDocument(path, R"({"DeviceType": 2, "TranSpace": 9, "Filtering": true})"));
    sheet.SetFileChooser([&](CKelvaneSheet::FileChoice, const QString&) { return path; });
    Control<QAbstractButton>(sheet, "importButton")->click();
    QVERIFY(WaitForExchange(sheet));

    const QStringList imported{QStringLiteral("TranSpace"), QStringLiteral("Filtering")};
    QCOMPARE(sheet.MarkedKeys(), imported);
    QVERIFY(Control<QLineEdit>(CSheetProbe::TranPage(sheet), "frameSpaceEdit")
                ->property("differs")
                .toBool());
    QVERIFY(
        !Control<QWidget>(CSheetProbe::TranPage(sheet), "modeList")->property("differs").toBool());
    QVERIFY(CSheetProbe::TranPage(sheet).property("differs").toBool());
    QVERIFY(!CSheetProbe::SerialPage(sheet).property("differs").toBool());

    Control<QAbstractButton>(sheet, "writeButton")->click();
    QVERIFY(WaitForExchange(sheet));
    QVERIFY(sheet.MarkedKeys().isEmpty());
    // Agreement is a success: the information icon, not the warning.
    messages.m_messages.clear();
    Control<QAbstractButton>(sheet, "verifyButton")->click();
    QVERIFY(WaitForExchange(sheet));
    QCOMPARE(messages.m_messages.size(), 1);
    QCOMPARE(messages.m_messages.at(0).text, QStringLiteral("页面上的值与转换器中的一致"));
    QCOMPARE(messages.m_messages.at(0).kind, UserMessage::Kind::Success);
    // Another program changed the converter: the verify finds it.
    m_simulators[0]->setParameterBlock(
        COstrelSimulator::DefaultParameterBlock(ConverterModel::OstrelX));
    messages.m_messages.clear();
    Control<QAbstractButton>(sheet, "verifyButton")->click();
    QVERIFY(WaitForExchange(sheet));

    QCOMPARE(sheet.MarkedKeys(), QStringList{QStringLiteral("TranSpace")});
    QCOMPARE(messages.m_messages.size(), 1);
    QCOMPARE(messages.m_messages.at(0).text, QStringLiteral("有 1 个字段与转换器中的不同"));
    QCOMPARE(messages.m_messages.at(0).kind, UserMessage::Kind::Warning);
    QCOMPARE(m_simulators[0]->requestCount(kWriteParameters), 1);
}

// Ok, failed, skipped and cancelled each have a colour and an icon of
// their own; a step under way has neither.
void TestKelvaneBatch::showsEachResultApart()
{
    CRecordingSink messages;
    CKelvaneSheet sheet(messages, m_detector);
    QVERIFY(ClickConnect(sheet));
    CBatchDialog* dialog = OpenBatch(sheet);
    QVERIFY(dialog);
    auto* table = Control<QTableWidget>(*dialog, "portTable");
    QVERIFY(Run(*dialog));
    std::map<QString, std::shared_ptr<QTableWidgetItem>> looks;
    for (int row = 0; row < 5; ++row)
        looks[Cell(*table, row, StateColumn)].reset(table->item(row, StateColumn)->clone());

    // Cancelled while the converters keep silent.
    for (const auto& simulator : m_simulators) {
        SimOptions silent = simulator->options();
        silent.silent = true;
        simulator->setOptions(silent);
    }
    QSignalSpy finished(dialog, &CBatchDialog::RunFinished);
    QTest::keyClick(dialog, Qt::Key_S, Qt::AltModifier);
    QTRY_COMPARE(Cell(*table, 1, StateColumn), QStringLiteral("连接设备…"));
    QVERIFY(table->item(1, StateColumn)->icon().isNull());
    QCOMPARE(table->item(1, StateColumn)->foreground(), QBrush());
    QTest::keyClick(dialog, Qt::Key_C, Qt::AltModifier);
    QVERIFY(finished.wait(10000));
    for (int row = 1; row < 5; ++row)
        looks[Cell(*table, row, StateColumn)].reset(table->item(row, StateColumn)->clone());

    const QStringList results{QStringLiteral("成功"), QStringLiteral("失败"),
                              QStringLiteral("跳过"), QStringLiteral("已取消")};
    std::set<QRgb> colours;
    std::set<qint64> icons;
    for (const QString& result : results) {
        QVERIFY2(looks.count(result), qPrintable(result));
        const std::shared_ptr<QTableWidgetItem> item = looks[result];
        QVERIFY2(!item->icon().isNull(), qPrintable(result));
        colours.insert(item->foreground().color().rgb());
        icons.insert(item->icon().cacheKey());
    }
    QCOMPARE(int(colours.size()), 4);
    QCOMPARE(int(icons.size()), 4);
}

void TestKelvaneBatch::selectAllTakesEveryPortWithoutAssignedSlots_data()
{
    using Source = PortSlot::Source;
    QTest::addColumn<QList<PortSlot>>("slots");
    QTest::addColumn<QList<bool>>("selected");
    QTest::addColumn<QString>("said");
    QTest::addColumn<QString>("named");
    // As on a PC with built-in ports only and no slot assigned.
    QTest::newRow("built-in ports only")
        << QList<PortSlot>{Slot(1, Source::Detected, true), Slot(2, Source::Detected, true),
                           Slot(3, Source::Fallback, false), Slot(4, Source::Fallback, true)}
        << QList<bool>{true, true, false, true}
        << QStringLiteral("没有指定设备的串口，已选择全部 3 个现有串口")
        << QStringLiteral("COM1、COM2、COM4");
    QTest::newRow("a slot assigned")
        << QList<PortSlot>{Slot(1, Source::Detected, true), Slot(2, Source::Profile, true),
                           Slot(3, Source::Detected, true, true)}
        << QList<bool>{false, true, true}
        << QStringLiteral("已选择 2 个：指定了设备的串口和 USB 串口")
        << QStringLiteral("COM2、COM3");
    QTest::newRow("no port present")
        << QList<PortSlot>{Slot(1, Source::Fallback, false), Slot(2, Source::Fallback, false)}
        << QList<bool>{false, false} << QStringLiteral("没有可选的串口") << QString();
}

void TestKelvaneBatch::selectAllTakesEveryPortWithoutAssignedSlots()
{
    QFETCH(QList<PortSlot>, slots);
    QFETCH(QList<bool>, selected);
    QFETCH(QString, said);
    QFETCH(QString, named);
    CRecordingSink messages;
    CBatchDialog dialog(ConverterModel::OstrelX, slots, {}, {}, TheDocument, messages);
    auto* table = Control<QTableWidget>(dialog, "portTable");

    Control<QAbstractButton>(dialog, "selectAllButton")->click();

    QCOMPARE(table->rowCount(), selected.size());
    for (int row = 0; row < selected.size(); ++row)
        QCOMPARE(table->item(row, PortColumn)->checkState() == Qt::Checked, selected.at(row));
    QCOMPARE(Control<QLabel>(dialog, "statusLabel")->text(), said);
    QCOMPARE(Control<QLabel>(dialog, "statusLabel")->toolTip(), named);
}

// The model written is the window's; the label names it and the document.
void TestKelvaneBatch::namesTheModelAndTheDocument()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("line X.json"));
    QVERIFY(WriteDocument(path, R"({"DeviceType": 2, "TranSpace": 9})"));
    CRecordingSink messages;
    CBatchDialog dialog(ConverterModel::OstrelX, {}, {}, {}, TheDocument, messages);
    dialog.SetFileChooser([&](CBatchDialog::FileChoice, const QString&) { return path; });
    auto* model = Control<QLabel>(dialog, "modelName");
    auto* source = Control<QLabel>(dialog, "sourceName");
    QCOMPARE(model->text(), QStringLiteral("Ostrel-X"));
    QCOMPARE(source->text(), QStringLiteral("页面上的值"));

    Control<QAbstractButton>(dialog, "documentButton")->click();
    QCOMPARE(model->text(), QStringLiteral("Ostrel-X"));
    QCOMPARE(source->text(), QStringLiteral("line X.json"));

    Control<QAbstractButton>(dialog, "pagesButton")->click();
    QCOMPARE(model->text(), QStringLiteral("Ostrel-X"));
    QCOMPARE(source->text(), QStringLiteral("页面上的值"));
    QVERIFY(messages.m_messages.isEmpty());
}

// A document for an Ostrel-A is no batch of Ostrel-X converters, as a
// write or an import of it is none.
void TestKelvaneBatch::refusesADocumentForAnotherModel()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("classic.json"));
    QVERIFY(WriteDocument(path, R"({"DeviceType": 0, "TranSpace": 9})"));
    CRecordingSink messages;
    CBatchDialog dialog(ConverterModel::OstrelX, {}, {}, {}, TheDocument, messages);
    dialog.SetFileChooser([&](CBatchDialog::FileChoice, const QString&) { return path; });

    Control<QAbstractButton>(dialog, "documentButton")->click();

    QCOMPARE(messages.m_messages.size(), 1);
    QCOMPARE(messages.m_messages.constFirst().text,
             QStringLiteral(
                 "\"classic.json\": \"DeviceType\" 是 0（Ostrel-A），但给出的型号是 Ostrel-X"));
    QCOMPARE(Control<QLabel>(dialog, "modelName")->text(), QStringLiteral("Ostrel-X"));
    QCOMPARE(Control<QLabel>(dialog, "sourceName")->text(), QStringLiteral("页面上的值"));
}

// A run of 64 ports touches each port's own cells a few times per step:
// no reset, no relayout, no column measured again.
void TestKelvaneBatch::manyPortsChangeTheirOwnCellsOnly()
{
    constexpr int kPorts = 64;
    QTemporaryDir folder;
    QList<DetectedPort> adapters;
    for (int index = 0; index < kPorts; ++index) {
        DetectedPort port;
        port.path = folder.filePath(QStringLiteral("ttyGONE%1").arg(index));
        port.adapter = true;
        adapters << port;
    }
    CRecordingSink messages;
    CBatchDialog dialog(ConverterModel::OstrelX, {}, adapters, {}, TheDocument, messages);
    auto* table = Control<QTableWidget>(dialog, "portTable");
    Control<QAbstractButton>(dialog, "selectAllButton")->click();
    const QAbstractItemModel* model = table->model();
    QSignalSpy resets(model, &QAbstractItemModel::modelReset);
    QSignalSpy layouts(model, &QAbstractItemModel::layoutChanged);
    QSignalSpy inserted(model, &QAbstractItemModel::rowsInserted);
    QSignalSpy changes(model, &QAbstractItemModel::dataChanged);
    QSignalSpy resized(table->horizontalHeader(), &QHeaderView::sectionResized);
    QSignalSpy finished(&dialog, &CBatchDialog::RunFinished);

    Control<QAbstractButton>(dialog, "startButton")->click();
    QVERIFY(finished.count() == 1 || finished.wait(30000));

    QCOMPARE(resets.count(), 0);
    QCOMPARE(layouts.count(), 0);
    QCOMPARE(inserted.count(), 0);
    QCOMPARE(resized.count(), 0);
    // Waiting, connecting, and the result's state, model and reason.
    QVERIFY2(changes.count() <= kPorts * 5, qPrintable(QString::number(changes.count())));
    for (const QList<QVariant>& change : std::as_const(changes))
        QCOMPARE(change.at(0).toModelIndex(), change.at(1).toModelIndex());
    for (int row = 0; row < kPorts; ++row)
        QCOMPARE(Cell(*table, row, StateColumn), QStringLiteral("失败"));
}

KELVANE_SANDBOXED_TEST_MAIN(TestKelvaneBatch)
#include "tst_KelvaneBatch.moc"
