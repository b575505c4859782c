#include "CSheetPages.h"

#include "CProfile.h"
#include "CProfileSaver.h"

#include <QCoreApplication>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTabWidget>

namespace {

// The tabs are the sheet's, and so are their titles.
struct Text
{
    Q_DECLARE_TR_FUNCTIONS(CKelvaneSheet)
};

QString TranTabTitle()
{
    return Text::tr("转换参数");
}

QString SerialTabTitle()
{
    return Text::tr("串口参数");
}

QString CanTabTitle()
{
    return Text::tr("CAN参数");
}

// The controls under page that take the focus, in the window's focus chain.
QList<QWidget*> FocusControls(const QWidget& page)
{
    QList<QWidget*> controls;
    QWidget* const window = page.window();
    for (QWidget* widget = window->nextInFocusChain(); widget != window;
         widget = widget->nextInFocusChain())
        if (widget->focusPolicy() != Qt::NoFocus && page.isAncestorOf(widget))
            controls.append(widget);
    return controls;
}

} // namespace

CSheetPages::CSheetPages(CMessageSink& messages, QWidget& owner,
                         std::function<ConverterModel()> model)
    : m_messages(messages), m_owner(owner), m_model(std::move(model)), m_tran(messages, &owner),
      m_serial(&owner, PageControls::Later), m_can(&owner, PageControls::Later),
      m_canConfig(messages, &owner, PageControls::Later)
{
    m_canConfig.hide();
}

CSheetPages::~CSheetPages()
{
    // The pages die before the tab widget does, and each one leaving its tab
    // must not reach back into these half-destroyed pages.
    if (m_tabs != nullptr)
        disconnect(m_tabs, nullptr, this, nullptr);
}

void CSheetPages::NoDefaultButtons(const QWidget& root)
{
    for (QPushButton* button : root.findChildren<QPushButton*>()) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
}

void CSheetPages::AddTo(QTabWidget& tabs)
{
    m_tabs = &tabs;
    connect(m_tabs, &QTabWidget::currentChanged, this, &CSheetPages::OnCurrentTabChanged);
    m_tabs->addTab(&m_tran, TranTabTitle());
    m_tabs->addTab(&m_serial, SerialTabTitle());
    m_tabs->addTab(&m_can, CanTabTitle());
}

void CSheetPages::OpenTabs()
{
    for (int index = m_tabs->count() - 1; index >= 0; --index) {
        m_tabs->setCurrentIndex(index);
        m_tabs->widget(index)->setEnabled(false);
    }
}

void CSheetPages::Started()
{
    m_started = true;
    if (QWidget& canTab = ShownCanPage(); !IsOpen(canTab))
        CreateWindow(canTab);
}

std::array<CSheetPages::Entry, 4> CSheetPages::Entries()
{
    return {{{&m_tran, &m_tran},
             {&m_serial, &m_serial},
             {&m_can, &m_can},
             {&m_canConfig, &m_canConfig}}};
}

CSheetPage* CSheetPages::PageOf(const QWidget& widget)
{
    for (const Entry& entry : Entries())
        if (entry.widget == &widget)
            return entry.page;
    return nullptr;
}

CSheetPage& CSheetPages::Page(CPageSet::Page page)
{
    Build();
    switch (page) {
    case CPageSet::Page::Tran:
        return m_tran;
    case CPageSet::Page::Serial:
        return m_serial;
    case CPageSet::Page::Can:
        return m_can;
    case CPageSet::Page::ArmCan:
        break;
    }
    return m_canConfig;
}

QWidget* CSheetPages::OpenWidget(CPageSet::Page page)
{
    QWidget* widget = dynamic_cast<QWidget*>(&Page(page));
    return widget != nullptr && IsOpen(*widget) ? widget : nullptr;
}

QWidget& CSheetPages::ShownCanPage()
{
    if (m_tabs->indexOf(&m_canConfig) >= 0)
        return m_canConfig;
    return m_can;
}

void CSheetPages::Build()
{
    if (m_built)
        return;
    m_built = true;
    const ConverterModel model = m_model();
    for (const Entry& entry : Entries()) {
        if (entry.page->HasControls())
            continue;
        entry.page->BuildControls();
        NoDefaultButtons(*entry.widget);
        // As the start left the page built with it: for the model chosen,
        // its fields shown without changing any.
        if (entry.widget == &m_serial)
            m_serial.ConfigureForDevice(model);
        if (!IsOpen(*entry.widget))
            continue;
        entry.page->ShowFields();
        if (m_connected)
            Enable(*entry.widget, true);
    }
    // Made last, their controls would come after the buttons in the focus
    // chain; the Tab key visits them after the first page's, as it would had
    // they been made with it.
    const QList<QWidget*> first = FocusControls(m_tran);
    QWidget* previous = first.isEmpty() ? nullptr : first.last();
    for (const QWidget* page : {static_cast<QWidget*>(&m_serial), static_cast<QWidget*>(&m_can),
                                static_cast<QWidget*>(&m_canConfig)})
        for (QWidget* control : FocusControls(*page)) {
            if (previous)
                QWidget::setTabOrder(previous, control);
            previous = control;
        }
    Q_EMIT PagesChanged();
}

void CSheetPages::Switch(ConverterModel model)
{
    if (m_started)
        Build();
    const int active = m_tabs->currentIndex();
    const bool canConfigPage = ConverterModels::Facts(model).hasCanConfigPage;
    QWidget& leaving = canConfigPage ? static_cast<QWidget&>(m_can) : m_canConfig;
    QWidget& coming = canConfigPage ? static_cast<QWidget&>(m_canConfig) : m_can;
    const int leavingIndex = m_tabs->indexOf(&leaving);
    if (leavingIndex >= 0) {
        m_tabs->removeTab(leavingIndex);
        m_open.remove(&leaving);
        m_tabs->addTab(&coming, CanTabTitle());
        // The page gets its window at once rather than when first shown: the
        // commands act only on pages with a window, and a write must not send
        // the type-2 frame type as standard, nor skip the CAN configuration
        // block, just because its tab was never looked at.
        if (m_started)
            CreateWindow(coming);
    }
    // At the start Build configures the serial page once it has controls.
    if (m_serial.HasControls())
        m_serial.ConfigureForDevice(model);
    m_tran.ConfigureForDevice(model);
    m_tabs->setCurrentIndex(active);
}

void CSheetPages::OnCurrentTabChanged(int index)
{
    if (m_started)
        Build();
    QWidget* page = m_tabs->widget(index);
    if (page != nullptr && !IsOpen(*page))
        CreateWindow(*page);
}

void CSheetPages::CreateWindow(QWidget& widget)
{
    CSheetPage* page = PageOf(widget);
    if (page == nullptr)
        return;
    m_open.insert(&widget);
    widget.setEnabled(false);
    // One whose controls are still to be made shows its fields then.
    if (!page->HasControls())
        return;
    page->OnInitDialog();
    // A page swapped in while disconnected gets its window only when first
    // shown, which may be after the connect has enabled the others.
    if (m_connected)
        Enable(widget, true);
    if (m_started)
        Q_EMIT PagesChanged();
}

void CSheetPages::SetConnected(bool connected)
{
    m_connected = connected;
    for (const Entry& entry : Entries())
        entry.page->OnConnectionChanged(connected);
}

void CSheetPages::EnableOpen()
{
    for (const Entry& entry : Entries())
        Enable(*entry.widget, m_connected);
}

void CSheetPages::RefreshCanPages()
{
    Enable(m_can, m_connected);
    Enable(m_canConfig, m_connected);
}

void CSheetPages::Enable(QWidget& widget, bool enabled)
{
    Build();
    CSheetPage* page = PageOf(widget);
    if (page == nullptr || !IsOpen(widget))
        return;
    widget.setEnabled(enabled);
    page->OnEnable(enabled);
}

// The sheet's size is fixed by its layout; were it to follow the pages of the
// model chosen, the buttons below them would move under the pointer.
void CSheetPages::FitTabs(const CProfile& profile)
{
    m_tabsFittedFor = FittedFor();
    m_rememberedTabs = profile.TabsSize(m_tabsFittedFor);
    if (!m_rememberedTabs.isValid())
        m_measuredTabs = MeasureTabs();
    m_tabs->setMinimumSize(m_rememberedTabs.isValid() ? m_rememberedTabs : m_measuredTabs);
}

bool CSheetPages::CheckFittedTabs()
{
    if (m_measuredTabs.isValid())
        return false;
    m_measuredTabs = MeasureTabs();
    if (m_measuredTabs == m_rememberedTabs)
        return false;
    m_tabs->setMinimumSize(m_measuredTabs);
    return true;
}

QSize CSheetPages::MeasureTabs()
{
    // Declared before the pages, so that they leave it before it goes.
    QTabWidget tabs(m_tabs->parentWidget());
    tabs.hide();
    CTranPage tran(m_messages);
    CSerialPage serial;
    CCanPage can;
    CPageArmCfgCan canConfig(m_messages);
    tabs.addTab(&tran, TranTabTitle());
    tabs.addTab(&serial, SerialTabTitle());
    QSize largest;
    for (const ConverterModelFacts& facts : ConverterModels::kFacts) {
        tran.ConfigureForDevice(facts.model);
        serial.ConfigureForDevice(facts.model);
        if (tabs.count() > 2)
            tabs.removeTab(2);
        tabs.addTab(facts.hasCanConfigPage ? static_cast<QWidget*>(&canConfig) : &can,
                    CanTabTitle());
        largest = largest.expandedTo(tabs.sizeHint());
    }
    return largest;
}

QString CSheetPages::FittedFor() const
{
    const QScreen* shownOn = m_owner.screen();
    return QStringList{QStringLiteral(KELVANE_VERSION),
                       QString::fromLatin1(qVersion()),
                       m_owner.style()->name(),
                       m_owner.font().toString(),
                       TranTabTitle(),
                       QString::number(shownOn ? shownOn->logicalDotsPerInch() : 0),
                       QString::number(m_owner.devicePixelRatioF())}
        .join(QLatin1Char('|'));
}

void CSheetPages::RememberTabsSize(CProfileSaver& saver)
{
    if (!m_measuredTabs.isValid() || m_measuredTabs == m_rememberedTabs)
        return;
    CProfile sizeSave = CProfile::Deferred();
    // Under the start's own key, whatever screen the window has moved to.
    sizeSave.SaveTabsSize(m_measuredTabs, m_tabsFittedFor);
    // Only a help for the next start: a failure is not the user's concern.
    saver.Commit(sizeSave, [](bool, const QString&) {});
    m_rememberedTabs = m_measuredTabs;
}
