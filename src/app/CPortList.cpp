#include "CPortList.h"

#include <QHeaderView>
#include <QStandardItemModel>
#include <QTreeView>

namespace {

constexpr int kSlotColumn = 0;
constexpr int kDeviceColumn = 1;

} // namespace

CPortList::CPortList(QWidget* parent) : QComboBox(parent)
{
    auto* view = new QTreeView(this);
    view->setHeaderHidden(true);
    view->setRootIsDecorated(false);
    view->setAllColumnsShowFocus(true);
    view->setItemsExpandable(false);
    setView(view);
    setModelColumn(kSlotColumn);
}

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

void CPortList::showPopup()
{
    Q_EMIT Opening();
    auto* tree = qobject_cast<QTreeView*>(view());
    if (tree != nullptr) {
        int width = 0;
        for (int column = 0; column < model()->columnCount(); ++column) {
            tree->resizeColumnToContents(column);
            width += tree->columnWidth(column);
        }
        tree->setMinimumWidth(width + tree->frameWidth() * 2);
    }
    QComboBox::showPopup();
}
