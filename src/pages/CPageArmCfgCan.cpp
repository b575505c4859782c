#include "CPageArmCfgCan.h"

#include "CAcceptanceTable.h"
#include "CArmCanConfig.h"
#include "CBitTiming.h"
#include "CBitTimingDialog.h"
#include "CBitTimingPanel.h"
#include "CFilterTestPanel.h"
#include "CFilterTester.h"
#include "CMessageSink.h"
#include "Configuration.h"
#include "FilterKind.h"
#include "ui_CPageArmCfgCan.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QHeaderView>
#include <QLabel>
#include <QStyle>
#include <QTreeWidgetItem>

#include <initializer_list>

namespace {

constexpr int kKindDropDownWidth = 120;
constexpr int kKindColumn = 0;
constexpr int kStartColumn = 1;
constexpr int kEndColumn = 2;
constexpr int kColumnWidths[] = {120, 80, 80};

} // namespace

CPageArmCfgCan::CPageArmCfgCan(CMessageSink& messages, QWidget* parent, PageControls controls)
    : QWidget(parent), m_messages(messages)
{
    if (controls == PageControls::Now)
        BuildControls();
}

void CPageArmCfgCan::BuildControls()
{
    if (m_ui)
        return;
    m_ui = std::make_unique<Ui::CPageArmCfgCan>();
    m_ui->setupUi(this);
    SetUpFilterList();

    connect(m_ui->baudList, &QComboBox::activated, this, &CPageArmCfgCan::OnBaudChange);
    connect(m_ui->kindList, &QComboBox::activated, this, &CPageArmCfgCan::OnKindChange);
    connect(m_ui->filterEnableCheck, &QCheckBox::clicked, this, &CPageArmCfgCan::OnFilterEnable);
    connect(m_ui->addButton, &QPushButton::clicked, this, &CPageArmCfgCan::OnAddFilter);
    connect(m_ui->deleteButton, &QPushButton::clicked, this, &CPageArmCfgCan::OnDeleteFilter);
    AddHelpers();

    OnInitDialog();
}

// The bit timing under the bit-rate controls; the table's use and the filter
// tester under the filter list.
void CPageArmCfgCan::AddHelpers()
{
    m_timingPanel = new CBitTimingPanel(this);
    QGridLayout* init = m_ui->initLayout;
    init->addWidget(m_timingPanel, init->rowCount(), 0, 1, init->columnCount());
    m_tableUse = new QLabel(this);
    m_filterTest = new CFilterTestPanel(this);
    QGridLayout* filter = m_ui->filterLayout;
    const int row = filter->rowCount();
    filter->addWidget(m_tableUse, row, 0, 1, filter->columnCount());
    filter->addWidget(m_filterTest, row + 1, 0, 1, filter->columnCount());
    // The calculator comes where the bit-rate group ends.
    QWidget* calculator = m_timingPanel->findChild<QWidget*>(QStringLiteral("calculatorButton"));
    setTabOrder(m_ui->frameTypeList, calculator);
    setTabOrder(calculator, m_ui->filterEnableCheck);

    connect(m_ui->registerEdit, &QLineEdit::textChanged, this, &CPageArmCfgCan::ShowTiming);
    connect(m_timingPanel, &CBitTimingPanel::CalculatorAsked, this, &CPageArmCfgCan::OnCalculator);
    connect(m_ui->filterEnableCheck, &QCheckBox::toggled, this, &CPageArmCfgCan::ShowVerdict);
    connect(m_filterTest, &CFilterTestPanel::FrameChanged, this, &CPageArmCfgCan::ShowVerdict);

    // Whatever the user sets here is what a write is meant to send.
    const auto chosen = [this] { m_bCanConfigKnown = true; };
    connect(m_ui->baudList, &QComboBox::activated, this, chosen);
    connect(m_ui->frameTypeList, &QComboBox::activated, this, chosen);
    connect(m_ui->registerEdit, &QLineEdit::textEdited, this, chosen);
    connect(m_ui->filterEnableCheck, &QCheckBox::clicked, this, chosen);
    connect(m_ui->addButton, &QPushButton::clicked, this, chosen);
    connect(m_ui->deleteButton, &QPushButton::clicked, this, chosen);
}

std::optional<BitTiming> CPageArmCfgCan::TimingOnPage() const
{
    const std::optional<quint32> value = CArmCanConfig::ParseHex(m_ui->registerEdit->text());
    if (!value)
        return std::nullopt;
    return CBitTiming::Explain(CanController::Arm, *value);
}

void CPageArmCfgCan::ShowTiming()
{
    m_timingPanel->ShowTiming(TimingOnPage());
}

void CPageArmCfgCan::OnCalculator()
{
    CBitTimingDialog dialog(CanController::Arm, TimingOnPage(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (const std::optional<BitTiming> chosen = dialog.Chosen())
        PutTiming(*chosen);
}

void CPageArmCfgCan::PutTiming(const BitTiming& timing)
{
    m_ui->baudList->setCurrentIndex(CArmCanConfig::kCustomBaudIndex);
    m_ui->registerEdit->setText(CArmCanConfig::FormatRegister(timing.value));
    OnBaudChange();
}

void CPageArmCfgCan::ShowVerdict()
{
    const std::optional<CanFrameId> frame = m_filterTest->Frame();
    if (!frame) {
        m_filterTest->ShowNoIdentifier();
        return;
    }
    Configuration config = Configuration::Defaults(ConverterModel::OstrelX);
    config.armCan = *this;
    config.armCan.m_bFilterEnabled = m_ui->filterEnableCheck->isChecked();
    const CFilterTester::Verdict verdict = CFilterTester::Test(config, *frame);
    m_filterTest->ShowVerdict(verdict.accepted, verdict.reason);
}

QString CPageArmCfgCan::TableUse() const
{
    return m_tableUse->text();
}

void CPageArmCfgCan::ShowTableUse()
{
    m_tableUse->setText(tr("过滤表已用 %1 / %2 字节")
                            .arg(CAcceptanceTable::BytesNeeded(m_filters))
                            .arg(CanAcceptance::kTableSize));
    ShowVerdict();
}

CPageArmCfgCan::~CPageArmCfgCan() = default;

void CPageArmCfgCan::OnInitDialog()
{
    m_ui->registerEdit->setEnabled(false);
    m_ui->registerLabel->setEnabled(false);
    FillBaudList();
    m_ui->registerEdit->setText(CArmCanConfig::FormatRegisterShort(m_dwBtr));
    m_ui->frameTypeList->setCurrentIndex(0);
    FillKindList();
    ShowRows(CArmCanConfig::RowsOf(m_filters));
    EnableControls(m_connected);
    FillFromBlock();
}

void CPageArmCfgCan::UpdateData(bool saveAndValidate)
{
    if (!saveAndValidate) {
        PushTexts();
        return;
    }
    m_strCanID = m_ui->canIdEdit->text();
    m_strStartID = m_ui->startIdEdit->text();
    m_strEndID = m_ui->endIdEdit->text();
    m_strRegister = m_ui->registerEdit->text();
    m_nFrameTypeSel = m_ui->frameTypeList->currentIndex();
    m_bFilterEnabled = m_ui->filterEnableCheck->isChecked();
}

void CPageArmCfgCan::EnableControls(bool connected)
{
    for (QWidget* control : std::initializer_list<QWidget*>{
             m_ui->frameTypeList, m_ui->filterList, m_ui->kindList, m_ui->startIdEdit,
             m_ui->endIdEdit, m_ui->addButton, m_ui->deleteButton, m_ui->filterEnableCheck})
        control->setEnabled(connected);
    // The filtering box keeps what the page shows, the remembered switch
    // included: clearing it here made the next write wipe the converter's
    // filters.
    if (connected)
        OnFilterEnable();
}

void CPageArmCfgCan::FillFromBlock()
{
    const CArmCanConfig::Display display = CArmCanConfig::FillFromBlock(*this);
    m_ui->registerEdit->setText(display.registerText);
    if (display.baudIndex >= 0)
        m_ui->baudList->setCurrentIndex(display.baudIndex);
    PushTexts();
    m_ui->frameTypeList->setCurrentIndex(display.frameTypeSel);
    m_ui->filterEnableCheck->setChecked(display.filterEnabled);
    OnFilterEnable();
    if (display.rowsReplaced) {
        ShowRows(display.rows);
        PushTexts();
    }
}

void CPageArmCfgCan::CollectIntoBlock()
{
    UpdateData(true);
    CArmCanConfig::CollectIntoBlock(*this);
}

void CPageArmCfgCan::OnConnectionChanged(bool connected)
{
    m_connected = connected;
    // Until a read, the page shows what an earlier run remembered, which
    // need not be this converter's.
    if (connected)
        m_bCanConfigKnown = false;
}

void CPageArmCfgCan::OnBaudChange()
{
    const int index = m_ui->baudList->currentIndex();
    // "自定义" carries no value: the text already there is the natural start
    // for typing a custom one.
    if (const auto btr = CArmCanConfig::BaudRegister(index))
        m_ui->registerEdit->setText(CArmCanConfig::FormatRegister(*btr));
    const bool custom = index == CArmCanConfig::kCustomBaudIndex;
    m_ui->registerEdit->setEnabled(custom);
    m_ui->registerLabel->setEnabled(custom);
}

void CPageArmCfgCan::OnFilterEnable()
{
    const bool enabled = m_ui->filterEnableCheck->isChecked();
    for (QWidget* control :
         std::initializer_list<QWidget*>{m_ui->filterList, m_ui->kindList, m_ui->startIdEdit,
                                         m_ui->endIdEdit, m_ui->addButton, m_ui->deleteButton})
        control->setEnabled(enabled);
    if (enabled)
        OnKindChange();
}

void CPageArmCfgCan::OnKindChange()
{
    const std::optional<FilterKind> kind = FilterKinds::FromIndex(m_ui->kindList->currentIndex());
    m_ui->endIdEdit->setEnabled(!kind || FilterKinds::IsRange(*kind));
}

void CPageArmCfgCan::OnAddFilter()
{
    UpdateData(true);
    const int kindIndex = m_ui->kindList->currentIndex();
    switch (CArmCanConfig::AddFilter(*this, kindIndex)) {
    case CArmCanConfig::AddResult::Added:
        InsertRow(0, FilterRow{*FilterKinds::FromIndex(kindIndex), m_filters.constLast()});
        ShowTableUse();
        break;
    case CArmCanConfig::AddResult::DoesNotFit:
        ShowMessage(tr("过滤表放不下这个条目：已用 %1 / %2 字节，没有添加。")
                        .arg(CAcceptanceTable::BytesNeeded(m_filters))
                        .arg(CanAcceptance::kTableSize));
        break;
    case CArmCanConfig::AddResult::StartNotBelowEnd:
        ShowMessage(tr("起始ID必须小于结束ID！"));
        break;
    case CArmCanConfig::AddResult::Duplicate:
    case CArmCanConfig::AddResult::NoStart:
    case CArmCanConfig::AddResult::NoKind:
        break;
    }
}

void CPageArmCfgCan::OnDeleteFilter()
{
    UpdateData(true);
    const QList<QTreeWidgetItem*> selected = m_ui->filterList->selectedItems();
    if (selected.isEmpty()) {
        ShowMessage(tr("没有选择删除条目"));
        return;
    }
    const int index = m_ui->filterList->indexOfTopLevelItem(selected.constFirst());
    const std::unique_ptr<QTreeWidgetItem> item(m_ui->filterList->takeTopLevelItem(index));

    const std::optional<FilterKind> kind = FilterKinds::FromText(item->text(kKindColumn));
    const qint32 extended = !kind || FilterKinds::IsExtended(*kind) ? 1 : 0;
    const quint32 start = CArmCanConfig::ParseHex(item->text(kStartColumn)).value_or(0);
    const quint32 end = CArmCanConfig::ParseHex(item->text(kEndColumn)).value_or(0);
    CArmCanConfig::RemoveFilter(*this, FilterEntry{extended, start, end});
    ShowTableUse();

    // Deleting the top row leaves no row above it; the new top row is the
    // nearest one and keeps the list usable from the keyboard.
    SelectRow(qMax(index - 1, 0));
}

void CPageArmCfgCan::FillBaudList()
{
    m_ui->baudList->clear();
    for (int index = 0; index < CArmCanConfig::kBaudCount; ++index) {
        const auto btr = CArmCanConfig::BaudRegister(index);
        m_ui->baudList->addItem(CArmCanConfig::BaudText(index),
                                btr ? QVariant::fromValue(*btr) : QVariant());
    }
    m_ui->baudList->setCurrentIndex(CArmCanConfig::FindBaudIndex(m_dwBtr));
}

void CPageArmCfgCan::FillKindList()
{
    m_ui->kindList->clear();
    for (int index = 0; index < FilterKinds::kCount; ++index)
        m_ui->kindList->addItem(FilterKinds::Text(*FilterKinds::FromIndex(index)));
    m_ui->kindList->view()->setMinimumWidth(kKindDropDownWidth);
    m_ui->kindList->setCurrentIndex(0);
    OnKindChange();
}

void CPageArmCfgCan::SetUpFilterList()
{
    QTreeWidget* list = m_ui->filterList;
    list->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The classic widths, widened where this platform's font would cut the
    // identifiers short.
    const QStyle* style = list->style();
    const int textMargin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1;
    const int headerMargin = style->pixelMetric(QStyle::PM_HeaderMargin, nullptr, list);
    const int idWidth = list->fontMetrics().horizontalAdvance(QStringLiteral("0x00000000")) +
                        2 * (textMargin + headerMargin);
    for (int column = 0; column < list->columnCount(); ++column)
        list->setColumnWidth(column, column == kKindColumn ? kColumnWidths[column]
                                                           : qMax(kColumnWidths[column], idWidth));
    // The selected row stays marked while the focus is on the edits and
    // buttons beside the list, which is where the user goes to delete it.
    QPalette palette = list->palette();
    palette.setBrush(QPalette::Inactive, QPalette::Highlight,
                     palette.brush(QPalette::Active, QPalette::Highlight));
    palette.setBrush(QPalette::Inactive, QPalette::HighlightedText,
                     palette.brush(QPalette::Active, QPalette::HighlightedText));
    list->setPalette(palette);
}

void CPageArmCfgCan::ShowRows(const QList<FilterRow>& rows)
{
    m_ui->filterList->clear();
    for (int index = 0; index < rows.size(); ++index)
        InsertRow(index, rows.at(index));
    ShowTableUse();
}

void CPageArmCfgCan::InsertRow(int index, const FilterRow& row)
{
    auto item = std::make_unique<QTreeWidgetItem>(
        QStringList{FilterKinds::Text(row.kind), CArmCanConfig::FormatFilterId(row.entry.start),
                    CArmCanConfig::FormatFilterId(row.entry.end)});
    m_ui->filterList->insertTopLevelItem(index, item.release());
}

void CPageArmCfgCan::SelectRow(int index)
{
    QTreeWidgetItem* item = m_ui->filterList->topLevelItem(index);
    if (!item)
        return;
    m_ui->filterList->setCurrentItem(item);
    m_ui->filterList->setFocus();
}

void CPageArmCfgCan::PushTexts()
{
    m_ui->canIdEdit->setText(m_strCanID);
    m_ui->startIdEdit->setText(m_strStartID);
    m_ui->endIdEdit->setText(m_strEndID);
}

void CPageArmCfgCan::ShowMessage(const QString& text)
{
    m_messages.ShowMessage(QCoreApplication::applicationName(), text);
}
