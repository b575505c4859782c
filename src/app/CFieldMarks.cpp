#include "CFieldMarks.h"

#include "CConfigComparison.h"
#include "CConfigDocument.h"

#include <QColor>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>
#include <QVariant>
#include <QWidget>

#include <algorithm>
#include <array>
#include <initializer_list>

namespace {

using Page = CPageSet::Page;

struct KeyControls
{
    const char* key;
    Page page;
    std::initializer_list<const char*> controls;
};

// Where each page shows the document's keys.
const std::array<KeyControls, 29> kControls{{
    {"TranMode", Page::Tran, {"modeList"}},
    {"TranDir", Page::Tran, {"directionList"}},
    {"TranSpace", Page::Tran, {"frameSpaceEdit"}},
    {"TranID", Page::Tran, {"forwardIdCheck"}},
    {"TranInfo", Page::Tran, {"forwardInfoCheck"}},
    {"TranIdBase", Page::Tran, {"idOffsetEdit"}},
    {"TranLength", Page::Tran, {"idLengthEdit"}},
    {"SerialBaudrate", Page::Serial, {"baudrateList"}},
    {"SerialParity", Page::Serial, {"parityList"}},
    {"SerialDataBit", Page::Serial, {"dataBitsList"}},
    {"SerialStopBit", Page::Serial, {"stopBitsList"}},
    {"SerialFlowCtrl", Page::Serial, {"flowControlList"}},
    {"SerialMode", Page::Serial, {"lineModeList"}},
    {"CanBaudrate", Page::Can, {"baudrateList"}},
    {"CanBTR0", Page::Can, {"btr0Edit"}},
    {"CanBTR1", Page::Can, {"btr1Edit"}},
    {"CanFrameType", Page::Can, {"frameTypeList"}},
    {"CanFiterMode", Page::Can, {"filterModeList"}},
    {"CanID", Page::Can, {"sendIdEdit"}},
    {"CanAcptCode", Page::Can, {"acptCodeEdit"}},
    {"CanAcptMask", Page::Can, {"acptMaskEdit"}},
    {"CanAcptCodeDual", Page::Can, {"acptCodeDual1Edit", "acptCodeDual2Edit"}},
    {"CanAcptMaskDual", Page::Can, {"acptMaskDual1Edit", "acptMaskDual2Edit"}},
    {"CustomMask", Page::Can, {"customMaskCheck"}},
    {"ArmCanBaud", Page::ArmCan, {"baudList", "registerEdit"}},
    {"ArmCanID", Page::ArmCan, {"canIdEdit"}},
    {"ArmFrameType", Page::ArmCan, {"frameTypeList"}},
    {"Filtering", Page::ArmCan, {"filterEnableCheck"}},
    {"Filters", Page::ArmCan, {"filterList"}},
}};

constexpr const char* kProperty = "differs";
const QString kMarkStyle = QStringLiteral("background-color: #ffe08a;");

// "Filters[2].start" is shown by the control of "Filters".
QString BaseKey(const QString& key)
{
    const qsizetype end = key.indexOf(QRegularExpression(QStringLiteral("[\\[.]")));
    return end < 0 ? key : key.left(end);
}

void Mark(QWidget& control, bool differs)
{
    if (control.property(kProperty).toBool() == differs)
        return;
    control.setProperty(kProperty, differs);
    control.setStyleSheet(differs ? kMarkStyle : QString());
}

} // namespace

QStringList CFieldMarks::DifferingKeys(const Configuration& shown, const Configuration& held)
{
    QStringList keys;
    for (const KeyDifference& difference : CConfigComparison::Differences(
             shown.model, CConfigDocument::ToJson(held), CConfigDocument::ToJson(shown)))
        keys << difference.key;
    return keys;
}

QStringList CFieldMarks::Apply(const QStringList& keys, const OpenPage& openPage, QTabWidget& tabs)
{
    QStringList marked;
    QList<QWidget*> markedPages;
    for (const KeyControls& entry : kControls) {
        QWidget* page = openPage(entry.page);
        const bool differs = keys.contains(QLatin1String(entry.key)) ||
                             std::any_of(keys.begin(), keys.end(), [&entry](const QString& key) {
                                 return BaseKey(key) == QLatin1String(entry.key);
                             });
        if (page == nullptr)
            continue;
        for (const char* name : entry.controls)
            if (QWidget* control = page->findChild<QWidget*>(QLatin1String(name)))
                Mark(*control, differs);
        if (differs) {
            marked << QLatin1String(entry.key);
            markedPages << page;
        }
    }
    for (int index = 0; index < tabs.count(); ++index) {
        const bool holds = markedPages.contains(tabs.widget(index));
        tabs.tabBar()->setTabTextColor(index, holds ? QColor(0xb0, 0x50, 0x00) : QColor());
        tabs.widget(index)->setProperty(kProperty, holds);
    }
    return marked;
}
