#include "CFilterTestPanel.h"

#include "ui_CFilterTestPanel.h"

CFilterTestPanel::CFilterTestPanel(QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::CFilterTestPanel>())
{
    m_ui->setupUi(this);
    connect(m_ui->idEdit, &QLineEdit::textChanged, this, &CFilterTestPanel::FrameChanged);
    connect(m_ui->extendedCheck, &QCheckBox::toggled, this, &CFilterTestPanel::FrameChanged);
}

CFilterTestPanel::~CFilterTestPanel() = default;

std::optional<CanFrameId> CFilterTestPanel::Frame() const
{
    return CanFrameId::Parse(m_ui->idEdit->text(), m_ui->extendedCheck->isChecked());
}

void CFilterTestPanel::ShowVerdict(bool accepted, const QString& reason)
{
    m_ui->answerLabel->setText(reason);
    m_ui->answerLabel->setProperty("accepted", accepted);
}

void CFilterTestPanel::ShowNoIdentifier()
{
    m_ui->answerLabel->setText(m_ui->idEdit->text().trimmed().isEmpty()
                                   ? QString()
                                   : tr("不是标识符：请输入最大为 1FFFFFFF 的十六进制数"));
}

QString CFilterTestPanel::Answer() const
{
    return m_ui->answerLabel->text();
}
