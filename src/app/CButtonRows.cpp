#include "CButtonRows.h"

#include <QBoxLayout>
#include <QWidget>

#include <utility>

int CButtonRows::Fit(QBoxLayout& sheet, QHBoxLayout& row, const QList<QWidget*>& files,
                     const QList<QWidget*>& commands, int room)
{
    if (row.sizeHint().width() <= room)
        return row.sizeHint().height();
    int height = 0;
    for (const auto& [group, leftAligned] : {std::pair{files, true}, std::pair{commands, false}})
        height += Wrap(sheet, row, group, leftAligned, room);
    return height + row.sizeHint().height();
}

int CButtonRows::Wrap(QBoxLayout& sheet, QHBoxLayout& row, const QList<QWidget*>& buttons,
                      bool leftAligned, int room)
{
    const QMargins margins = row.contentsMargins();
    const int spacing = qMax(0, row.spacing());
    int height = 0;
    QHBoxLayout* wrapped = nullptr;
    int used = 0;
    const auto finish = [&] {
        if (wrapped == nullptr)
            return;
        if (leftAligned)
            wrapped->addStretch();
        height += wrapped->sizeHint().height();
    };
    for (QWidget* button : buttons) {
        row.removeWidget(button);
        const int width = button->sizeHint().width();
        if (wrapped == nullptr ||
            used + spacing + width > room - margins.left() - margins.right()) {
            finish();
            wrapped = new QHBoxLayout;
            wrapped->setContentsMargins(margins.left(), margins.top(), margins.right(), 0);
            sheet.insertLayout(sheet.indexOf(&row), wrapped);
            if (!leftAligned)
                wrapped->addStretch();
            used = 0;
        } else {
            used += spacing;
        }
        wrapped->addWidget(button);
        used += width;
    }
    finish();
    return height;
}
