#include "CFieldMarks.h"

#include "CConfigComparison.h"

#include "ConfigKeys.h"

#include <QColor>
#include <QSet>
#include <QTabBar>
#include <QTabWidget>
#include <QVariant>
#include <QWidget>

#include <array>

namespace {

using Page = CPageSet::Page;

constexpr std::array<Page, 4> kPages{Page::Tran, Page::Serial, Page::Can, Page::ArmCan};
constexpr const char* kProperty = "differs";
const QString kMarkStyle = QStringLiteral("background-color: #ffe08a;");

void Mark(QWidget& control, bool differs)
{
    if (control.property(kProperty).toBool() == differs)
        return;
    control.setProperty(kProperty, differs);
    control.setStyleSheet(differs ? kMarkStyle : QString());
}

// The keys of the differences: "Filters[2].start" is shown by the control of
// "Filters".
QSet<QString> BaseNames(const QStringList& keys)
{
    QSet<QString> names;
    for (const QString& key : keys)
        names.insert(ConfigKeys::BaseName(key));
    return names;
}

} // namespace

QStringList CFieldMarks::DifferingKeys(const Configuration& shown, const Configuration& held)
{
    QStringList keys;
    for (const KeyDifference& difference : CConfigComparison::Between(shown, held))
        keys << difference.key;
    return keys;
}

QStringList CFieldMarks::Apply(const QStringList& keys, const OpenPage& openPage, QTabWidget& tabs)
{
    const QSet<QString> differing = BaseNames(keys);
    QSet<QString> markedNames;
    QList<QWidget*> markedPages;
    for (const Page pageId : kPages) {
        QWidget* page = openPage(pageId);
        if (page == nullptr)
            continue;
        for (QWidget* control : page->findChildren<QWidget*>()) {
            const QString key = control->property(kConfigKeyProperty).toString();
            if (key.isEmpty())
                continue;
            const bool differs = differing.contains(key);
            Mark(*control, differs);
            if (differs) {
                markedNames.insert(key);
                markedPages << page;
            }
        }
    }
    for (int index = 0; index < tabs.count(); ++index) {
        const bool holds = markedPages.contains(tabs.widget(index));
        tabs.tabBar()->setTabTextColor(index, holds ? QColor(0xb0, 0x50, 0x00) : QColor());
        tabs.widget(index)->setProperty(kProperty, holds);
    }
    QStringList marked;
    for (const ConfigKey& key : ConfigKeys::All())
        if (markedNames.contains(key.Name()))
            marked << key.Name();
    return marked;
}
