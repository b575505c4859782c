#include "CFrameLogDialog.h"

#include "CMessageSink.h"
#include "COutputFile.h"
#include "FlowMessages.h"
#include "ui_CFrameLogDialog.h"

#include <QFileDialog>
#include <QFontDatabase>
#include <QPushButton>

CFrameLogDialog::CFrameLogDialog(const QString& lines, CMessageSink& messages, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CFrameLogDialog>()), m_messages(messages),
      m_lines(lines)
{
    m_ui->setupUi(this);
    m_ui->logText->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_ui->logText->setPlainText(lines.isEmpty() ? tr("还没有帧：先连接设备。") : lines);
    QPushButton* save = m_ui->buttonBox->addButton(tr("保存(&S)…"), QDialogButtonBox::ActionRole);
    save->setEnabled(!lines.isEmpty());
    connect(save, &QPushButton::clicked, this, &CFrameLogDialog::OnSave);
}

CFrameLogDialog::~CFrameLogDialog() = default;

void CFrameLogDialog::OnSave()
{
    const QString path =
        QFileDialog::getSaveFileName(this, tr("保存帧记录"), QStringLiteral("kelvane-frames.txt"),
                                     tr("文本文件 (*.txt);;所有文件 (*)"));
    if (path.isEmpty())
        return;
    if (const std::optional<QString> error = COutputFile::WriteWhole(path, m_lines.toUtf8()))
        m_messages.ShowMessage(FlowMessages::WarningCaption(), tr("无法写入“%1”").arg(path),
                               *error);
}
