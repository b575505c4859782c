#include "CPortList.h"

#include <QHeaderView>
#include <QStandardItemModel>
#include <QTreeView>

namespace {

constexpr int kSlotColumn = 0;
constexpr int kDeviceColumn = 1;

} // namespace

CPortList::CPortList(QWidget* parent) : QComboBox(parent) {}

void CPortList::ShowDevice(int index, const QString& summary, const QString& details, bool absent)
{
    auto* model = qobject_cast<QStandardItemModel*>(this->model());
    if (model == nullptr || index < 0 || index >= count())
        return;
    if (model->columnCount() <= kDeviceColumn)
        model->setColumnCount(kDeviceColumn + 1);
    auto* item = new QStandardItem(summary);
    item->setToolTip(details);
    model->setItem(index, kDeviceColumn, item);
    setItemData(index, details, Qt::ToolTipRole);
    const QVariant foreground =
        absent ? QVariant(palette().brush(QPalette::Disabled, QPalette::Text)) : QVariant();
    for (int column = kSlotColumn; column <= kDeviceColumn; ++column)
        model->setData(model->index(index, column), foreground, Qt::ForegroundRole);
}

// The two-column view is made when the list first opens: the closed list
// shows only the slot's name, and the window's first frame need not wait
// for a popup nobody has asked for yet.
QTreeView& CPortList::PopupView()
{
    if (m_tree == nullptr) {
        m_tree = new QTreeView(this);
        m_tree->setHeaderHidden(true);
        m_tree->setRootIsDecorated(false);
        m_tree->setAllColumnsShowFocus(true);
        m_tree->setItemsExpandable(false);
        setView(m_tree);
        setModelColumn(kSlotColumn);
    }
    return *m_tree;
}

void CPortList::showPopup()
{
    Q_EMIT Opening();
    QTreeView& tree = PopupView();
    int width = 0;
    for (int column = 0; column < model()->columnCount(); ++column) {
        tree.resizeColumnToContents(column);
        width += tree.columnWidth(column);
    }
    tree.setMinimumWidth(width + tree.frameWidth() * 2);
    QComboBox::showPopup();
}
