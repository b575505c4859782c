#pragma once

#include <QDialog>
#include <QString>

#include <memory>

class CMessageSink;
namespace Ui {
class CFrameLogDialog;
}

// The connection's frames, one line each, as the session logged them; the
// user can save them to a file to send along with a report.
class CFrameLogDialog : public QDialog
{
    Q_OBJECT
public:
    CFrameLogDialog(const QString& lines, CMessageSink& messages, QWidget* parent = nullptr);
    ~CFrameLogDialog() override;

private:
    void OnSave();

    std::unique_ptr<Ui::CFrameLogDialog> m_ui;
    CMessageSink& m_messages;
    QString m_lines;
};
