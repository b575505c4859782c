#pragma once

#include "CCanPage.h"
#include "CPageArmCfgCan.h"
#include "CPageSet.h"
#include "CSerialPage.h"
#include "CTranPage.h"
#include "ConverterModel.h"

#include <QObject>
#include <QSet>
#include <QSize>
#include <QString>

#include <array>
#include <functional>

class CMessageSink;
class CProfile;
class CProfileSaver;
class QTabWidget;

// The sheet's four pages in its three tabs: which of them has its window,
// which CAN page the model shows, and the tabs' size for every model.
//
// A page's "window" exists from the first time its tab is shown until Switch
// takes it out of the tabs; only pages whose window exists take part in
// enabling and in the commands (IsOpen). The controls of the pages the first
// frame does not show are made once it is on the screen (or when anything
// needs them first), so the tabs' size comes from the profile, measured for
// the same fonts and screen by an earlier run; without one it is measured
// before the first frame, and with one after it, following what it finds.
class CSheetPages : public QObject
{
    Q_OBJECT
public:
    // The pages are children of owner, made before anything else of it so
    // that they come first in its focus chain; model is the one chosen.
    CSheetPages(CMessageSink& messages, QWidget& owner, std::function<ConverterModel()> model);
    ~CSheetPages() override;

    // Puts the conversion, serial and CAN pages into tabs.
    void AddTo(QTabWidget& tabs);
    // Shows every tab once, the last first, so that each page gets its
    // window, disabled.
    void OpenTabs();
    // The start is over: the CAN page the model shows gets its window, and
    // from now on every switch gives the coming page its window at once.
    void Started();

    CTranPage& Tran() { return m_tran; }
    CSerialPage& Serial() { return m_serial; }
    CCanPage& Can() { return m_can; }
    CPageArmCfgCan& CanConfig() { return m_canConfig; }
    // The page with its controls made.
    CSheetPage& Page(CPageSet::Page page);
    // Whether a page's window exists, so that it takes part in the commands.
    bool IsOpen(const QWidget& page) const { return m_open.contains(&page); }
    // The page's widget while its window exists, else none.
    QWidget* OpenWidget(CPageSet::Page page);

    // Makes the controls of the pages that have none and shows their fields
    // as the start left them; once, whatever calls it first.
    void Build();
    bool IsBuilt() const { return m_built; }
    // Brings the third tab in line with the model, keeping the active tab
    // index. A removed page keeps its fields.
    void Switch(ConverterModel model);
    // Every page told of a connect or disconnect, whether its window exists
    // or not; EnableOpen follows.
    void SetConnected(bool connected);
    // The open pages enabled or disabled, as the connection says.
    void EnableOpen();
    // The two CAN pages enabled as the connection says, after a model change.
    void RefreshCanPages();

    // The tabs' size, remembered or measured, for every model's pages.
    void FitTabs(const CProfile& profile);
    // Once the first frame is on the screen: a size kept from an earlier run
    // checked against the pages as they are now. True when it changed.
    bool CheckFittedTabs();
    // Keeps a newly measured size in the profile for the next start.
    void RememberTabsSize(CProfileSaver& saver);
    // What the tabs' size depends on besides the pages: fonts, language,
    // style, screen density and the tool's version.
    const QString& TabsFittedFor() const { return m_tabsFittedFor; }

    // Enter would otherwise press whichever button has the focus.
    static void NoDefaultButtons(const QWidget& root);

Q_SIGNALS:
    // A page got its window or its controls: what is marked may change.
    void PagesChanged();

private:
    struct Entry
    {
        QWidget* widget;
        CSheetPage* page;
    };
    std::array<Entry, 4> Entries();
    CSheetPage* PageOf(const QWidget& widget);
    QWidget& ShownCanPage();
    void OnCurrentTabChanged(int index);
    void CreateWindow(QWidget& widget);
    void Enable(QWidget& widget, bool enabled);
    // Measures the tabs on a set of pages of its own, as each model shows
    // them, so that the sheet's own pages are never switched for it.
    QSize MeasureTabs();
    QString FittedFor() const;

    CMessageSink& m_messages;
    QWidget& m_owner;
    std::function<ConverterModel()> m_model;
    CTranPage m_tran;
    CSerialPage m_serial;
    CCanPage m_can;
    CPageArmCfgCan m_canConfig;
    QTabWidget* m_tabs = nullptr;
    QSet<const QWidget*> m_open;
    bool m_started = false;
    bool m_built = false;
    bool m_connected = false;
    // The tabs' size as measured in this run, and as the profile gave it for
    // the key the start looked under.
    QSize m_measuredTabs;
    QSize m_rememberedTabs;
    QString m_tabsFittedFor;
};
