#include "DataExchange.h"

#include "CHexEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

namespace DataExchange {

void Exchange(bool save, QComboBox* list, int& index)
{
    if (save)
        index = list->currentIndex();
    else
        list->setCurrentIndex(index);
}

void Exchange(bool save, QLineEdit* edit, QString& text)
{
    if (save)
        text = edit->text();
    else if (auto* hexEdit = qobject_cast<CHexEdit*>(edit))
        hexEdit->SetTextUncut(text);
    else
        edit->setText(text);
}

void Exchange(bool save, QCheckBox* check, int& flag)
{
    if (save)
        flag = check->isChecked() ? 1 : 0;
    else
        check->setChecked(flag != 0);
}

} // namespace DataExchange
