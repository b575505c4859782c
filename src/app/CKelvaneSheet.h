#pragma once

#include "CCanPage.h"
#include "CConfigCommands.h"
#include "CExchangeDialog.h"
#include "CExchangeRunner.h"
#include "CKelvaneDlg.h"
#include "CPageArmCfgCan.h"
#include "CPageSet.h"
#include "CPortHangupWatch.h"
#include "CProfile.h"
#include "CProfileSaver.h"
#include "CSerialComm.h"
#include "CSerialPage.h"
#include "CSystemPortDetector.h"
#include "CTranPage.h"
#include "UserMessage.h"

#include <QDialog>
#include <QPointer>
#include <QSet>
#include <QTimer>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>

class CBusyCursor;
class QAbstractButton;
class QKeySequence;
class CInputBlock;
class CMessageSink;
class QCloseEvent;
class QKeyEvent;
class QShowEvent;
namespace Ui {
class CKelvaneSheet;
}

// The tool's one window: the selector band above three tabs and the Defaults,
// Read and Write buttons below them. It owns the serial port and all four
// pages for the whole run; the third tab is the CAN configuration page for a
// model that has one, the CAN page for the others.
//
// A page's "window" exists from the first time its tab is shown until
// SwitchPages takes it out of the sheet; only pages whose window exists take
// part in enabling and in the commands (IsPageOpen). The controls of the
// pages the first frame does not show are made once it is on the screen (or
// when anything needs them first), so the sheet takes the tabs' size from the
// profile, measured for the same fonts and screen by an earlier run; without
// one it measures before its first frame, and with one it measures after it
// and follows what it finds.
//
// The COM slots are resolved from the profile and the ports the detector
// reports (the system's unless a test gives another) each time the port list
// opens and before each connect. While connected, a vanished device or a
// hung-up line disconnects the sheet at once.
//
// Every exchange with the converter (connect, read, write) runs on a worker
// over a copy of the fields, while the window keeps painting but takes no
// input; its fields, profile saves and messages reach the pages, the profile
// and the user, in their order, once it has ended. The profile is written on
// a thread of its own, never the window's. One that takes longer
// than a moment shows its progress and can be cancelled. A close asked for
// meanwhile waits for the end.
class CKelvaneSheet : public QDialog
{
    Q_OBJECT
public:
    explicit CKelvaneSheet(CMessageSink& messages, QWidget* parent = nullptr);
    CKelvaneSheet(CMessageSink& messages, const CPortDetector& detector, QWidget* parent = nullptr);
    ~CKelvaneSheet() override;

    // Whether a page's window exists, so that it takes part in the commands.
    bool IsPageOpen(const QWidget& page) const;
    bool IsConnected() const { return m_port.IsOpen(); }

    // Whether an exchange with the converter is under way.
    bool IsExchanging() const { return m_runner.IsRunning(); }
    // Whether a profile save handed to the saver is still to be written.
    bool IsSavingProfile() const { return !m_profileSaver.IsIdle(); }
    // Ends the exchange under way as the progress dialog's Cancel does.
    void CancelExchange();

    void OnDefaults();
    void OnRead();
    void OnWrite();
    void OnExport();
    void OnImport();
    // Reads the converter without writing and marks every field on the
    // pages that differs from what it holds, with a box counting them.
    void OnVerify();
    // The batch dialog, over the pages' values, whether connected or not.
    void OnBatch();
    // The keys marked on the pages as differing from the converter.
    const QStringList& MarkedKeys() const { return m_markedKeys; }

    enum class FileChoice
    {
        Export,
        Import
    };
    // Asks for the file to export to or import from; proposal is the folder
    // to start in, for an export with the proposed file name in it. Empty
    // when the user cancelled. The platform's file dialog unless set.
    using FileChooser = std::function<QString(FileChoice choice, const QString& proposal)>;
    void SetFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }

    // Names the device of a COM slot in the profile's [Ports] section (an
    // empty path gives the slot back to the automatic choice).
    void AssignPort(int portIndex, const QString& path);
    // The slots as the port list shows them now.
    QList<PortSlot> ResolvePortSlots();

    // Ends the tool as the close button would, for a signal that ends a
    // program (logout, a closed terminal, kill); ExitStatus then says so.
    void EndOnSignal(int signal);
    int ExitStatus() const { return m_endedBy == 0 ? 0 : 128 + m_endedBy; }

public Q_SLOTS:
    // Escape must not close the sheet: only its close button ends the tool.
    void reject() override;

Q_SIGNALS:
    // An exchange has ended and everything it brought is shown.
    void ExchangeFinished();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The page set the commands work on reaches into the pages, as the tests'
    // probe looks at them; nothing else does.
    friend class CSheetPageSet;
    friend class CSheetProbe;

    struct PageEntry
    {
        QWidget* widget;
        CSheetPage* page;
    };

    std::array<PageEntry, 4> Pages();
    CSheetPage& SheetPage(CPageSet::Page page);
    CSheetPage* PageOf(const QWidget& widget);
    QWidget& ShownCanPage();

    int FitButtonRows();
    void AddPage(QWidget& page, const QString& title);
    void AddShortcut(const QKeySequence& keys, QAbstractButton& button);
    // The tabs' size, remembered or measured, for every model's pages.
    void FitTabs();
    // Measures the tabs on a set of pages of its own, as each model shows
    // them, so that the sheet's own pages are never switched for it.
    QSize MeasureTabs();
    // What the tabs' size depends on besides the pages: fonts, language,
    // style, screen density and the tool's version.
    QString TabsFittedFor() const;
    // Keeps a newly measured size in the profile for the next start.
    void RememberTabsSize();
    // Makes the controls of the pages that have none and shows their fields
    // as the start left them; once, whatever calls it first.
    void BuildPages();
    void InitDialog();
    void LoadProfile();
    // Once the first frame is on the screen: the window's icon, the port
    // list filled (asking the system for its ports takes a moment), and why
    // the profile file is left untouched, if it is.
    void OnFirstFrame();
    QList<PortSlot> ResolvePortSlots(const QList<DetectedPort>& detected);
    // The profile's port map with the paths still being saved put over it.
    PortMap ShownPortMap();
    void OnPortSaved(int portIndex, quint64 save, bool written);
    void OnConnectRequested(ConverterModel model, int portIndex);
    void OnDeviceChosen(ConverterModel model);
    void OnAssignPortRequested(int portIndex);
    void OnPortHungUp();
    void ShowPortSlots();
    // Everything that follows the connection: buttons, band and pages.
    void ApplyConnectionState(bool connected);
    // After a command: the port may have gone while it was talking.
    void CheckPortStillThere();
    // Disconnects (sending nothing) when the port is open, else starts a
    // connect, whose end applies the connection state.
    void ToggleConnection(ConverterModel model, int portIndex);
    // Brings the third tab in line with the model, keeping the active tab
    // index. A removed page keeps its fields.
    void SwitchPages(ConverterModel model);
    // Enables or disables every open page and notifies it, as after a
    // connect or disconnect.
    void EnablePages(bool enabled);
    // The same for the two CAN pages only, as after a device change.
    void EnableCanPages(bool enabled);
    void OnCurrentTabChanged(int index);
    void CreatePageWindow(QWidget& widget);
    void EnablePage(QWidget& widget, bool enabled);
    void EnableCommandButtons(bool enabled);
    void Connect(ConverterModel model, int portIndex);
    void ClosePort();
    // Runs work on the worker with the window modal to it; done follows on
    // the window's thread.
    void RunExchange(const QString& step, std::function<void()> work, std::function<void()> done);
    void EndExchange(const std::function<void()>& done);
    void ShowExchangeProgress();
    CExchangeDialog& ExchangeDialog();
    // Read and write on a copy of the fields; the outcome as the command's
    // end shows it.
    using Command = std::function<CommandOutcome(CConfigCommands&)>;
    void RunCommand(const QString& step, const Command& command);
    QString ChooseFile(FileChoice choice, const QString& proposal);
    // "<model>-<date>.json"
    QString ProposedExportName() const;
    // Beside the buttons, until the next exchange starts; empty clears it.
    void ShowStatus(const UserMessage& message);
    // What the converter holds, as the last read, write or verify found it;
    // the pages' fields that differ from it are marked.
    void RememberConverter(const Configuration& held);
    void UpdateMarks();
    // The chosen file, its folder remembered for the next choice.
    QString ChosenFile(FileChoice choice);

    std::unique_ptr<Ui::CKelvaneSheet> m_ui;
    CMessageSink& m_messages;
    CSystemPortDetector m_systemPorts;
    const CPortDetector& m_detector;
    CPortHangupWatch m_hangupWatch;
    QString m_connectedPath;
    CProfile m_profile;
    CProfileSaver m_profileSaver;
    // The paths the user named whose save has not landed yet, by slot: the
    // list and a connect use them as if stored. Each keeps the number of its
    // save, so that only the last save of a slot clears it.
    struct PendingPort
    {
        quint64 save = 0;
        QString path;
    };
    std::map<int, PendingPort> m_pendingPorts;
    quint64 m_portSaves = 0;
    CSerialComm m_port;
    CKelvaneDlg m_selector;
    CTranPage m_tranPage;
    CSerialPage m_serialPage;
    CCanPage m_canPage;
    CPageArmCfgCan m_canCfgPage;
    QSet<const QWidget*> m_openPages;
    FileChooser m_chooseFile;
    bool m_initialised = false;
    bool m_pagesBuilt = false;
    // The tabs' size as measured in this run, and as the profile gave it for
    // the key the start looked under.
    QSize m_measuredTabs;
    QSize m_rememberedTabs;
    QString m_tabsFittedFor;
    // Declared after the port, which its worker uses, so it goes first.
    CExchangeRunner m_runner;
    QPointer<CExchangeDialog> m_exchangeDialog; // a child of the sheet
    QTimer m_showProgress;
    QTimer m_pollProgress;
    std::unique_ptr<CInputBlock> m_inputBlock;
    std::unique_ptr<CBusyCursor> m_busyCursor;
    std::optional<Configuration> m_converterHolds;
    QStringList m_markedKeys;
    bool m_closeRequested = false;
    bool m_shownBefore = false;
    int m_endedBy = 0;
};
