#include "CPortAssignDialog.h"

#include "ui_CPortAssignDialog.h"

#include <QListWidgetItem>

CPortAssignDialog::CPortAssignDialog(const QString& slotName, const QString& currentPath,
                                     const QList<DetectedPort>& detected, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CPortAssignDialog>())
{
    m_ui->setupUi(this);
    m_ui->slotLabel->setText(m_ui->slotLabel->text().arg(slotName));
    for (const DetectedPort& port : detected) {
        const QString path = port.byIdPath.isEmpty() ? port.path : port.byIdPath;
        const QString label = port.Label();
        auto* item = new QListWidgetItem(
            label.isEmpty() ? port.path : port.path + QStringLiteral("  ") + label, m_ui->portList);
        item->setData(Qt::UserRole, path);
        item->setToolTip(path);
    }
    m_ui->pathEdit->setText(currentPath);
    // A device the system does not report (a simulator's pseudo-terminal, say)
    // is typed or pasted at once, and Enter takes it.
    m_ui->pathEdit->selectAll();
    m_ui->pathEdit->setFocus();
    connect(m_ui->portList, &QListWidget::itemSelectionChanged, this,
            &CPortAssignDialog::OnPortChosen);
    connect(m_ui->portList, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
}

CPortAssignDialog::~CPortAssignDialog() = default;

QString CPortAssignDialog::Path() const
{
    return m_ui->pathEdit->text().trimmed();
}

void CPortAssignDialog::OnPortChosen()
{
    const QListWidgetItem* item = m_ui->portList->currentItem();
    if (item != nullptr)
        m_ui->pathEdit->setText(item->data(Qt::UserRole).toString());
}
