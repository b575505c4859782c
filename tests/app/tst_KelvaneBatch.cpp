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
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

namespace {

constexpr quint8 kWriteParameters = 0x01;

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

    QVERIFY(Run(*dialog));

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
    QFile document(path);
    QVERIFY(document.open(QIODevice::WriteOnly));
    document.write(R"({"DeviceType": 2, "TranSpace": 9, "Filtering": true})");
    document.close();
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

KELVANE_SANDBOXED_TEST_MAIN(TestKelvaneBatch)
#include "tst_KelvaneBatch.moc"
