#include "CBatchDialog.h"

#include "CConfigDocument.h"
#include "CConfigFile.h"
#include "CEncodedConfig.h"
#include "CMessageSink.h"
#include "FlowMessages.h"
#include "ui_CBatchDialog.h"

#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHeaderView>
#include <QMessageBox>
#include <QStyle>
#include <QTableWidgetItem>

#include <algorithm>
#include <map>

namespace {

enum Column
{
    PortColumn,
    DeviceColumn,
    ModelColumn,
    StateColumn,
    ReasonColumn,
};

// How a result stands out in the state column: a colour that reads on a
// light or a dark background, and an icon for those who do not tell the
// colours apart.
struct ResultLook
{
    QColor colour;
    QStyle::StandardPixmap icon;
};

ResultLook LookOf(PortOutcome::Result result)
{
    switch (result) {
    case PortOutcome::Result::Ok:
        return {QColor(0x2e, 0x8b, 0x3a), QStyle::SP_DialogApplyButton};
    case PortOutcome::Result::Skipped:
        return {QColor(0x80, 0x80, 0x80), QStyle::SP_MediaSkipForward};
    case PortOutcome::Result::Cancelled:
    case PortOutcome::Result::Interrupted:
        return {QColor(0xc0, 0x78, 0x00), QStyle::SP_BrowserStop};
    case PortOutcome::Result::Failed:
        break;
    }
    return {QColor(0xd0, 0x30, 0x30), QStyle::SP_MessageBoxCritical};
}

// A cell's item, not editable, with its whole text as its tip.
QTableWidgetItem* NewCell(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    if (!text.isEmpty())
        item->setToolTip(text);
    return item;
}

} // namespace

CBatchDialog::CBatchDialog(ConverterModel model, const QList<PortSlot>& portSlots,
                           const QList<DetectedPort>& detected, const QString& connectedPath,
                           PagesDocument pagesDocument, CMessageSink& messages, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CBatchDialog>()), m_model(model),
      m_detected(detected),
      m_connectedDevice(connectedPath.isEmpty() ? QString() : PortNames::DeviceKey(connectedPath)),
      m_pagesDocument(std::move(pagesDocument)), m_messages(messages),
      m_profile(CProfile::ReadOnly())
{
    m_ui->setupUi(this);
    QStringList listed;
    for (const PortSlot& slot : portSlots) {
        AddRow(slot.Name(), slot.path, slot.device, slot.IsPresent(),
               slot.source == PortSlot::Source::Profile);
        listed << PortNames::DeviceKey(slot.path);
    }
    for (const DetectedPort& port : detected)
        if (!listed.contains(PortNames::DeviceKey(port.path)))
            AddRow(port.path, port.path, port, true, false);
    SizeColumns();

    connect(m_ui->selectAllButton, &QPushButton::clicked, this, &CBatchDialog::OnSelectAll);
    connect(m_ui->documentButton, &QToolButton::clicked, this, &CBatchDialog::OnChooseDocument);
    connect(m_ui->pagesButton, &QToolButton::clicked, this, &CBatchDialog::OnUsePages);
    connect(m_ui->startButton, &QPushButton::clicked, this, &CBatchDialog::OnStart);
    connect(m_ui->cancelButton, &QPushButton::clicked, &m_runner, &CBatchRunner::Cancel);
    connect(m_ui->exportButton, &QPushButton::clicked, this, &CBatchDialog::OnExport);
    connect(m_ui->closeButton, &QPushButton::clicked, this, &CBatchDialog::reject);
    connect(&m_runner, &CBatchRunner::StepTaken, this, &CBatchDialog::OnStepTaken);
    connect(&m_runner, &CBatchRunner::PortDone, this, &CBatchDialog::OnPortDone);
    connect(&m_runner, &CBatchRunner::AllDone, this, &CBatchDialog::OnAllDone);
    connect(m_ui->portTable, &QTableWidget::itemSelectionChanged, this, &CBatchDialog::ShowDetail);
    m_ui->tableSplitter->setStretchFactor(0, 4);
    m_ui->tableSplitter->setStretchFactor(1, 1);
    OnUsePages();
}

CBatchDialog::~CBatchDialog() = default;

void CBatchDialog::AddRow(const QString& name, const QString& path, const DetectedPort& device,
                          bool present, bool assigned)
{
    Row row;
    row.name = name;
    row.path = path;
    row.device = device;
    row.present = present;
    row.assigned = assigned;
    m_rows.append(row);
    const int index = m_ui->portTable->rowCount();
    m_ui->portTable->insertRow(index);
    auto* port = new QTableWidgetItem(name);
    port->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    port->setCheckState(Qt::Unchecked);
    m_ui->portTable->setItem(index, PortColumn, port);
    // A slot whose device is its own name (Windows' COM1) says it once.
    const QString shown = path.compare(name, Qt::CaseInsensitive) == 0 ? QString() : path;
    QString text = shown;
    if (const QString label = device.Label(); !label.isEmpty())
        text += (text.isEmpty() ? QString() : QStringLiteral("  ")) + label;
    m_ui->portTable->setItem(index, DeviceColumn, NewCell(text));
    for (const int column : {ModelColumn, ReasonColumn})
        m_ui->portTable->setItem(index, column, NewCell({}));
    m_ui->portTable->setItem(index, StateColumn, NewCell(IdleState(index)));
}

// What a port outside a run shows.
QString CBatchDialog::IdleState(int row) const
{
    if (IsConnectedDevice(m_rows[row].path))
        return tr("本窗口已连接");
    return m_rows[row].present ? QString() : tr("无设备");
}

// Sized once, each for the widest text it can ever hold, so that a run only
// changes cells: nothing is measured again while the ports report, and no
// step text is cut off. The reason takes what is left; its whole text is in
// its tip and in the detail below.
void CBatchDialog::SizeColumns()
{
    QTableWidget& table = *m_ui->portTable;
    QHeaderView& header = *table.horizontalHeader();
    table.resizeColumnToContents(PortColumn);
    table.resizeColumnToContents(DeviceColumn);
    const QFontMetrics metrics(table.font());
    // The cell's margins and the gap between icon and text.
    const int padding = 4 * table.style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 8;
    int modelWidth = 0;
    for (const ConverterModelFacts& facts : ConverterModels::kFacts)
        modelWidth = std::max(modelWidth,
                              metrics.horizontalAdvance(ConverterModels::DisplayName(facts.model)));
    QStringList states{tr("等待"), tr("本窗口已连接"), tr("无设备")};
    for (const auto step : {CPortTaskObserver::Step::Connecting, CPortTaskObserver::Step::Writing,
                            CPortTaskObserver::Step::Verifying})
        states << PortOutcome::StepText(step);
    for (const auto result :
         {PortOutcome::Result::Ok, PortOutcome::Result::Failed, PortOutcome::Result::Skipped,
          PortOutcome::Result::Cancelled, PortOutcome::Result::Interrupted})
        states << PortOutcome::Text(result);
    int stateWidth = 0;
    for (const QString& state : std::as_const(states))
        stateWidth = std::max(stateWidth, metrics.horizontalAdvance(state));
    stateWidth += table.iconSize().isValid() ? table.iconSize().width()
                                             : table.style()->pixelMetric(QStyle::PM_SmallIconSize);
    header.resizeSection(ModelColumn,
                         std::max(header.sectionSizeHint(ModelColumn), modelWidth + padding));
    header.resizeSection(StateColumn,
                         std::max(header.sectionSizeHint(StateColumn), stateWidth + padding));
}

bool CBatchDialog::IsConnectedDevice(const QString& path) const
{
    return !m_connectedDevice.isEmpty() && PortNames::DeviceKey(path) == m_connectedDevice;
}

void CBatchDialog::OnSelectAll()
{
    if (IsRunning())
        return;
    const bool anyAssigned =
        std::any_of(m_rows.cbegin(), m_rows.cend(), [](const Row& row) { return row.assigned; });
    QStringList selected;
    for (int index = 0; index < m_rows.size(); ++index) {
        const bool select = Selects(m_rows[index], anyAssigned);
        m_ui->portTable->item(index, PortColumn)
            ->setCheckState(select ? Qt::Checked : Qt::Unchecked);
        if (select)
            selected << m_rows[index].name;
    }
    ShowSelection(selected, anyAssigned);
}

// Nobody assigned a built-in port, which may be a console; but where no slot
// is assigned, as on a PC with built-in ports only, they are all there is.
bool CBatchDialog::Selects(const Row& row, bool anyAssigned) const
{
    if (!anyAssigned)
        return row.present;
    return row.assigned || (row.present && row.device.adapter);
}

// Short enough for the line beside the buttons; the names are in its tip.
void CBatchDialog::ShowSelection(const QStringList& selected, bool anyAssigned)
{
    QLabel& status = *m_ui->statusLabel;
    if (selected.isEmpty())
        status.setText(tr("没有可选的串口"));
    else if (anyAssigned)
        status.setText(tr("已选择 %1 个：指定了设备的串口和 USB 串口").arg(selected.size()));
    else
        status.setText(tr("没有指定设备的串口，已选择全部 %1 个现有串口").arg(selected.size()));
    status.setToolTip(selected.join(QStringLiteral("、")));
}

void CBatchDialog::OnUsePages()
{
    m_document.reset();
    ShowSource(tr("页面上的值"), m_model);
    m_ui->sourceName->setToolTip({});
}

void CBatchDialog::ShowSource(const QString& name, ConverterModel model)
{
    m_ui->modelName->setText(ConverterModels::DisplayName(model));
    m_ui->sourceName->setText(name);
}

void CBatchDialog::OnChooseDocument()
{
    m_profile.Reload();
    const QString folder = m_profile.ConfigFolder();
    const QString path =
        ChooseFile(FileChoice::Document, folder.isEmpty() ? QDir::homePath() : folder);
    if (path.isEmpty())
        return;
    if (m_keepFolder)
        m_keepFolder(QFileInfo(path).absolutePath());
    QByteArray text;
    if (const std::optional<QString> error = CConfigFile::Load(path, text)) {
        m_messages.ShowMessage(FlowMessages::RefusalCaption(), *error);
        return;
    }
    // Checked now, so that a document nobody can write is refused before any port.
    Configuration config;
    config.model = m_model;
    if (const std::optional<DocumentRefusal> refusal = CConfigDocument::Load(text, config)) {
        m_messages.ShowMessage(
            FlowMessages::RefusalCaption(),
            QStringLiteral("\"%1\": %2").arg(QFileInfo(path).fileName(), refusal->text));
        return;
    }
    m_document = text;
    ShowSource(QFileInfo(path).fileName(), config.model);
    m_ui->sourceName->setToolTip(QDir::toNativeSeparators(path));
}

// As the command line prepares a document: loaded for the window's model,
// which a document naming another may not change, then what a write sends
// for it worked out once, the identifier check speaking once for every port.
bool CBatchDialog::Prepare(Configuration& config, CEncodedConfig& encoded)
{
    const std::optional<QByteArray> text = m_document ? m_document : m_pagesDocument();
    if (!text)
        return false;
    config.model = m_model;
    if (const std::optional<DocumentRefusal> refusal = CConfigDocument::Load(*text, config)) {
        m_messages.ShowMessage(FlowMessages::RefusalCaption(), refusal->text);
        return false;
    }
    m_run =
        BatchRun::Of(m_ui->sourceName->text(), *text, ConverterModels::DisplayName(config.model));
    encoded = CEncodedConfig::From(config);
    // The pages' export has shown the check's messages already.
    if (m_document || !encoded.Accepted())
        for (const UserMessage& message : encoded.CanIdCheck().messages)
            m_messages.ShowMessage(message.caption, message.text);
    return encoded.Accepted();
}

void CBatchDialog::OnStart()
{
    if (IsRunning())
        return;
    Configuration config = Configuration::Defaults(m_model);
    CEncodedConfig encoded;
    bool any = false;
    for (int row = 0; row < m_rows.size(); ++row)
        any = any || m_ui->portTable->item(row, PortColumn)->checkState() == Qt::Checked;
    if (!any || !Prepare(config, encoded))
        return;
    std::vector<CPortTask> tasks;
    m_taskRows.clear();
    QStringList devices;
    for (int index = 0; index < m_rows.size(); ++index) {
        Row& row = m_rows[index];
        row.inRun = m_ui->portTable->item(index, PortColumn)->checkState() == Qt::Checked;
        row.task = -1;
        const bool hadOutcome = row.outcome.has_value();
        row.outcome.reset();
        if (hadOutcome) {
            m_ui->portTable->setItem(index, ModelColumn, NewCell({}));
            m_ui->portTable->setItem(index, ReasonColumn, NewCell({}));
        }
        if (!row.inRun) {
            if (hadOutcome)
                ShowState(index, IdleState(index));
            continue;
        }
        const QString device = PortNames::DeviceKey(row.path);
        QString skipped;
        if (IsConnectedDevice(row.path))
            skipped = tr("本窗口已连接此串口，请先断开");
        else if (devices.contains(device))
            skipped = tr("与前面的串口是同一设备");
        if (!skipped.isEmpty()) {
            PortOutcome outcome = NewOutcome(row);
            outcome.result = PortOutcome::Result::Skipped;
            outcome.reason = skipped;
            outcome.time = QDateTime::currentDateTime();
            row.outcome = outcome;
            ShowOutcome(index);
            continue;
        }
        devices << device;
        row.task = int(tasks.size());
        m_taskRows.push_back(index);
        tasks.emplace_back(CPortTask::Job::WriteAndVerify, row.name, row.path, config, encoded,
                           m_profile, m_detected);
        ShowState(index, tr("等待"));
    }
    m_runner.Start(std::move(tasks));
    EnableButtons();
    ShowSummary();
    if (!IsRunning())
        OnAllDone();
}

int CBatchDialog::RowOfTask(int task) const
{
    if (task < 0 || task >= int(m_taskRows.size()))
        return -1;
    return m_taskRows[std::size_t(task)];
}

void CBatchDialog::OnStepTaken(int task, int step)
{
    const int row = RowOfTask(task);
    if (row >= 0 && !m_rows[row].outcome)
        ShowState(row, PortOutcome::StepText(CPortTaskObserver::Step(step)));
}

void CBatchDialog::OnPortDone(int task)
{
    const int row = RowOfTask(task);
    if (row < 0 || task >= int(m_runner.Tasks().size()))
        return;
    const CPortTask& done = m_runner.Tasks()[std::size_t(task)];
    PortOutcome outcome = PortOutcome::Of(done);
    outcome.port = m_rows[row].name;
    outcome.device = m_rows[row].path;
    outcome.serialNumber = m_rows[row].device.serialNumber;
    m_rows[row].outcome = outcome;
    ShowOutcome(row);
    ShowSummary();
}

void CBatchDialog::OnAllDone()
{
    EnableButtons();
    ShowSummary();
    Q_EMIT RunFinished();
    if (std::exchange(m_closeWhenDone, false))
        QDialog::reject();
    if (QWidget* owner = parentWidget(); owner && std::exchange(m_closeOwnerWhenDone, false))
        QMetaObject::invokeMethod(owner, &QWidget::close, Qt::QueuedConnection);
}

void CBatchDialog::ShowState(int row, const QString& state)
{
    m_ui->portTable->setItem(row, StateColumn, NewCell(state));
    if (SelectedRow() == row)
        ShowDetail();
}

void CBatchDialog::ShowOutcome(int row)
{
    const PortOutcome& outcome = *m_rows[row].outcome;
    m_ui->portTable->setItem(row, ModelColumn, NewCell(outcome.model));
    m_ui->portTable->setItem(row, ReasonColumn, NewCell(outcome.reason));
    QTableWidgetItem* state = NewCell(PortOutcome::Text(outcome.result));
    const ResultLook look = LookOf(outcome.result);
    state->setForeground(look.colour);
    state->setIcon(style()->standardIcon(look.icon));
    m_ui->portTable->setItem(row, StateColumn, state);
    if (SelectedRow() == row)
        ShowDetail();
}

int CBatchDialog::SelectedRow() const
{
    const QList<QTableWidgetItem*> selected = m_ui->portTable->selectedItems();
    return selected.isEmpty() ? -1 : selected.constFirst()->row();
}

void CBatchDialog::ShowDetail()
{
    const int row = SelectedRow();
    m_ui->detailView->setPlainText(row < 0 || row >= m_rows.size() ? QString() : DetailOf(row));
}

// The row's port, its state and, once it ended, every message it gave and
// every key that differs.
QString CBatchDialog::DetailOf(int index) const
{
    const Row& row = m_rows[index];
    const QString device = m_ui->portTable->item(index, DeviceColumn)->text();
    QStringList lines{row.name + QStringLiteral("  ") + device};
    const QString state = m_ui->portTable->item(index, StateColumn)->text();
    if (!state.isEmpty())
        lines << tr("状态：%1").arg(state);
    if (!row.outcome)
        return lines.join(QLatin1Char('\n'));
    const PortOutcome& outcome = *row.outcome;
    if (!outcome.model.isEmpty())
        lines << tr("型号：%1").arg(outcome.model);
    if (!outcome.reason.isEmpty())
        lines << tr("原因：%1").arg(outcome.reason);
    if (!outcome.differences.isEmpty()) {
        lines << tr("不同的字段：");
        for (const KeyDifference& difference : outcome.differences)
            lines << QStringLiteral("  ") + difference.Line();
    }
    if (!outcome.messages.isEmpty()) {
        lines << tr("消息：");
        for (const QString& message : outcome.messages)
            lines << QStringLiteral("  ") + message;
    }
    return lines.join(QLatin1Char('\n'));
}

// Every port of the run counted once, under what became of it.
void CBatchDialog::ShowSummary()
{
    std::map<PortOutcome::Result, int> counts;
    for (const Row& row : std::as_const(m_rows))
        if (row.inRun && row.outcome)
            ++counts[row.outcome->result];
    QString summary = tr("成功 %1 个，失败 %2 个")
                          .arg(counts[PortOutcome::Result::Ok])
                          .arg(counts[PortOutcome::Result::Failed]);
    if (counts[PortOutcome::Result::Skipped] > 0)
        summary += tr("，跳过 %1 个").arg(counts[PortOutcome::Result::Skipped]);
    if (counts[PortOutcome::Result::Cancelled] > 0)
        summary += tr("，已取消 %1 个").arg(counts[PortOutcome::Result::Cancelled]);
    m_ui->summaryLabel->setText(summary);
}

void CBatchDialog::EnableButtons()
{
    const bool running = IsRunning();
    m_ui->startButton->setEnabled(!running);
    m_ui->selectAllButton->setEnabled(!running);
    m_ui->documentButton->setEnabled(!running);
    m_ui->pagesButton->setEnabled(!running);
    m_ui->cancelButton->setEnabled(running);
    m_ui->exportButton->setEnabled(!running && !Outcomes().isEmpty());
}

QList<PortOutcome> CBatchDialog::Outcomes() const
{
    QList<PortOutcome> outcomes;
    for (const Row& row : m_rows)
        if (row.inRun && row.outcome)
            outcomes.append(*row.outcome);
    return outcomes;
}

PortOutcome CBatchDialog::NewOutcome(const Row& row)
{
    PortOutcome outcome;
    outcome.port = row.name;
    outcome.device = row.path;
    outcome.serialNumber = row.device.serialNumber;
    return outcome;
}

void CBatchDialog::OnExport()
{
    if (IsRunning())
        return;
    m_profile.Reload();
    QString folder = m_profile.ConfigFolder();
    if (folder.isEmpty())
        folder = QDir::homePath();
    const QString path =
        ChooseFile(FileChoice::Report, QDir(folder).filePath(CBatchReport::ProposedName(
                                           m_run.model, QDateTime::currentDateTime())));
    if (path.isEmpty())
        return;
    if (m_keepFolder)
        m_keepFolder(QFileInfo(path).absolutePath());
    const QString base = CBatchReport::BaseOf(path);
    if (const auto failure = CBatchReport::Save(base, m_run, Outcomes())) {
        m_messages.ShowMessage(FlowMessages::RefusalCaption(),
                               tr("无法写入“%1”：%2").arg(failure->file, failure->error));
        return;
    }
    // The pair is written without a box; the line beside the buttons names it.
    const QString shown = QDir::toNativeSeparators(base);
    m_ui->statusLabel->setText(
        tr("已导出到 %1").arg(shown + QStringLiteral(".csv, ") + shown + QStringLiteral(".json")));
}

QString CBatchDialog::ChooseFile(FileChoice choice, const QString& proposal)
{
    if (m_chooseFile)
        return m_chooseFile(choice, proposal);
    if (choice == FileChoice::Document)
        return QFileDialog::getOpenFileName(this, tr("文档"), proposal,
                                            QStringLiteral("JSON (*.json);;* (*)"));
    return QFileDialog::getSaveFileName(this, tr("导出报告"), proposal,
                                        QStringLiteral("CSV, JSON (*.csv *.json)"));
}

bool CBatchDialog::LetOwnerClose(bool ask)
{
    if (!IsRunning())
        return true;
    if (ask && !AskToCancel())
        return false;
    m_closeOwnerWhenDone = true;
    reject();
    return false;
}

bool CBatchDialog::AskToCancel()
{
    if (m_askCancel)
        return m_askCancel();
    raise();
    activateWindow();
    return QMessageBox::question(this, windowTitle(),
                                 tr("批量配置正在进行。取消它并关闭窗口吗？")) == QMessageBox::Yes;
}

void CBatchDialog::reject()
{
    if (!IsRunning()) {
        QDialog::reject();
        return;
    }
    m_closeWhenDone = true;
    m_runner.Cancel();
    hide();
}
