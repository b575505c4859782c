#pragma once

#include "CConverterSession.h"
#include "CExchangeDialog.h"
#include "CFileChoice.h"
#include "CKelvaneDlg.h"
#include "CPortSlots.h"
#include "CProfile.h"
#include "CProfileSaver.h"
#include "CSheetPageSet.h"
#include "CSheetPages.h"
#include "UserMessage.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>

#include <optional>

#include <memory>

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
// Read and Write buttons below them. It presents the session with the
// converter and all four pages for the whole run; the third tab is the CAN
// configuration page for a model that has one, the CAN page for the others.
//
// The pages and their tabs are CSheetPages', the COM slots CPortSlots' (from
// the ports the detector reports: the system's unless a test gives another),
// the port and its exchanges CConverterSession's. While connected, a vanished
// device or a hung-up line disconnects the sheet at once.
//
// While an exchange runs the window keeps painting but takes no input; what
// it brought reaches the pages and the user, in its order, once it has ended.
// The profile is written on a thread of its own, never the window's. An
// exchange that takes longer than a moment shows its progress and can be
// cancelled. A close asked for meanwhile waits for the end.
class CKelvaneSheet : public QDialog
{
    Q_OBJECT
public:
    explicit CKelvaneSheet(CMessageSink& messages, QWidget* parent = nullptr);
    CKelvaneSheet(CMessageSink& messages, const CPortDetector& detector, QWidget* parent = nullptr);
    ~CKelvaneSheet() override;

    // Whether a page's window exists, so that it takes part in the commands.
    bool IsPageOpen(const QWidget& page) const { return m_pages.IsOpen(page); }
    bool IsConnected() const { return m_session.IsConnected(); }

    // Whether an exchange with the converter is under way.
    bool IsExchanging() const { return m_session.IsExchanging() || m_endingLater; }
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

    using FileChoice = CFileChoice::Choice;
    using FileChooser = CFileChoice::Chooser;
    // The platform's file dialog unless set.
    void SetFileChooser(FileChooser chooser) { m_files.SetChooser(std::move(chooser)); }

    // Names the device of a COM slot in the profile's [Ports] section (an
    // empty path gives the slot back to the automatic choice).
    void AssignPort(int portIndex, const QString& path) { m_portSlots.Assign(portIndex, path); }
    // The slots as the port list shows them now.
    QList<PortSlot> ResolvePortSlots() { return m_portSlots.Resolve(); }

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
    // The tests' probe looks at the pages, the selector and the profile;
    // nothing else does.
    friend class CSheetProbe;

    // detector: none for the system's.
    CKelvaneSheet(CMessageSink& messages, const CPortDetector* detector, QWidget* parent);

    int FitButtonRows();
    void AddShortcut(const QKeySequence& keys, QAbstractButton& button);
    void InitDialog();
    void LoadProfile();
    // Once the first frame is on the screen: the window's icon, the port
    // list filled (asking the system for its ports takes a moment), and why
    // the profile file is left untouched, if it is.
    void OnFirstFrame();
    void OnConnectRequested(ConverterModel model, int portIndex);
    void OnDeviceChosen(ConverterModel model);
    void OfferModel(std::optional<ConverterModel> model);
    void OnSwitchModelAndConnect();
    void OnAssignPortRequested(int portIndex);
    void OnPortHungUp(const UserMessage& message);
    // Everything that follows the connection: buttons, band and pages.
    void ApplyConnectionState(bool connected);
    // Disconnects (sending nothing) when the port is open, else starts a
    // connect, whose end applies the connection state.
    void ToggleConnection(ConverterModel model, int portIndex);
    void EnableCommandButtons(bool enabled);
    void Connect(ConverterModel model, int portIndex);
    // With the window modal to the exchange the session has just started:
    // the status cleared, input blocked, its progress shown after a moment.
    void BeginExchange(const QString& step);
    void OnExchangeFinished(const CConverterSession::Report& report);
    CExchangeDialog& ExchangeDialog();
    // Beside the buttons, until the next exchange starts; empty clears it.
    void ShowStatus(const UserMessage& message);
    // The pages' fields that differ from what the converter holds, as the
    // session last found it, are marked.
    void UpdateMarks();

    std::unique_ptr<Ui::CKelvaneSheet> m_ui;
    CMessageSink& m_messages;
    CProfile m_profile;
    // Made before what it lends its detector to; the pages it works on are
    // made later and only reached once an exchange starts.
    CConverterSession m_session;
    // Before the saver, whose last saves may still tell it how they went.
    CPortSlots m_portSlots;
    CProfileSaver m_profileSaver;
    CFileChoice m_files;
    CKelvaneDlg m_selector;
    CSheetPages m_pages;
    CSheetPageSet m_pageSet;
    QPointer<CExchangeDialog> m_exchangeDialog; // a child of the sheet
    QTimer m_showProgress;
    // Since the progress dialog showed; invalid while it has not.
    QElapsedTimer m_progressShown;
    // The exchange is over, its end held while the dialog is being read.
    bool m_endingLater = false;
    // The document of the import under way, named once it is on the pages.
    QString m_importedPath;
    // The model that answered the last connect instead of the chosen one.
    std::optional<ConverterModel> m_offeredModel;
    std::unique_ptr<CInputBlock> m_inputBlock;
    std::unique_ptr<CBusyCursor> m_busyCursor;
    QStringList m_markedKeys;
    bool m_closeRequested = false;
    bool m_shownBefore = false;
    int m_endedBy = 0;
};
