#pragma once

#include "CBatchReport.h"
#include "CBatchRunner.h"
#include "CProfile.h"
#include "ConverterModel.h"
#include "DetectedPort.h"
#include "PortNames.h"

#include <QByteArray>
#include <QDialog>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class CMessageSink;
namespace Ui {
class CBatchDialog;
}

// Writes one configuration to many converters and verifies it, every
// checked port at once, each as `kelvane-cli write --verify` serves it
// (CPortTask), with the state of each shown as it changes. The configuration
// is the pages' values or a document. Usable without a connection; the port
// the window itself holds is skipped. Closing the dialog during a run
// cancels it.
class CBatchDialog : public QDialog
{
    Q_OBJECT
public:
    // The pages' values as a document, the identifier check having spoken;
    // none when it refused.
    using PagesDocument = std::function<std::optional<QByteArray>()>;
    CBatchDialog(ConverterModel model, const QList<PortSlot>& portSlots,
                 const QList<DetectedPort>& detected, const QString& connectedPath,
                 PagesDocument pagesDocument, CMessageSink& messages, QWidget* parent = nullptr);
    ~CBatchDialog() override;

    enum class FileChoice
    {
        Document,
        Report,
    };
    // The platform's file dialogs unless set, starting at proposal (a folder,
    // or for the report a file name in one); empty when the user cancelled.
    using FileChooser = std::function<QString(FileChoice choice, const QString& proposal)>;
    void SetFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }
    // Told the folder of each file chosen, for the next choice to start in.
    using FolderKeeper = std::function<void(const QString& folder)>;
    void SetFolderKeeper(FolderKeeper keeper) { m_keepFolder = std::move(keeper); }

    bool IsRunning() const { return m_runner.IsRunning(); }
    // Whether the window that owns the dialog may close now. During a run it
    // may not: when ask, the user is asked whether to cancel the run, and
    // if so (or without asking) the run is cancelled and the owner closed
    // once it has ended.
    bool LetOwnerClose(bool ask);
    // A yes-or-no box unless set: whether to cancel the run and close.
    using CancelAsker = std::function<bool()>;
    void SetCancelAsker(CancelAsker asker) { m_askCancel = std::move(asker); }
    // The ports of the last run, in the table's order.
    QList<PortOutcome> Outcomes() const;

public Q_SLOTS:
    void reject() override;

Q_SIGNALS:
    void RunFinished();

private:
    struct Row
    {
        QString name;
        QString path;
        DetectedPort device;
        bool present = false;
        bool assigned = false; // the user named its device for a slot
        bool inRun = false;
        int task = -1;
        std::optional<PortOutcome> outcome; // none until the port's result came
    };

    void AddRow(const QString& name, const QString& path, const DetectedPort& device, bool present,
                bool assigned);
    QString IdleState(int row) const;
    void SizeColumns();
    void OnSelectAll();
    // Whether select-all takes a row: with slots assigned, those and the
    // USB adapters; else every port present.
    bool Selects(const Row& row, bool anyAssigned) const;
    void ShowSelection(const QStringList& selected, bool anyAssigned);
    void ShowSource(const QString& name, ConverterModel model);
    void OnChooseDocument();
    void OnUsePages();
    void OnStart();
    void OnExport();
    void OnStepTaken(int task, int step);
    void OnPortDone(int task);
    void OnAllDone();
    // The configuration to write; false when it is refused (and said why).
    bool Prepare(Configuration& config, CEncodedConfig& encoded);
    void BeginRow(Row& row, QStringList& devices);
    int RowOfTask(int task) const;
    // Each replaces the row's cells in one change, so that a run of many
    // ports costs the table a few updates per step and nothing else.
    void ShowState(int row, const QString& state);
    void ShowOutcome(int row);
    int SelectedRow() const;
    void ShowDetail();
    QString DetailOf(int row) const;
    void ShowSummary();
    void EnableButtons();
    bool IsConnectedDevice(const QString& path) const;
    QString ChooseFile(FileChoice choice, const QString& proposal);
    bool AskToCancel();
    static PortOutcome NewOutcome(const Row& row);

    std::unique_ptr<Ui::CBatchDialog> m_ui;
    ConverterModel m_model;
    QList<DetectedPort> m_detected;
    QString m_connectedDevice;
    PagesDocument m_pagesDocument;
    CMessageSink& m_messages;
    CProfile m_profile;
    std::optional<QByteArray> m_document;
    QList<Row> m_rows;
    std::vector<int> m_taskRows; // the row of each task of the run
    BatchRun m_run;              // what the last run wrote
    FileChooser m_chooseFile;
    FolderKeeper m_keepFolder;
    CancelAsker m_askCancel;
    bool m_closeOwnerWhenDone = false;
    bool m_closeWhenDone = false;
    // Last, so that its tasks end before anything they report to goes.
    CBatchRunner m_runner;
};
