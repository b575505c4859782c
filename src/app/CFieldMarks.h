#pragma once

#include "CPageSet.h"
#include "Configuration.h"

#include <QStringList>

#include <functional>

class QTabWidget;
class QWidget;

// Marks the controls whose values differ from what the converter holds, as
// far as the sheet knows it (its last read, write or verify), and the tabs
// that hold them: what a write would change. A marked control carries the
// property "differs". The controls name the key they show by their property
// "configKey", set in the pages' forms.
class CFieldMarks
{
public:
    static constexpr const char* kConfigKeyProperty = "configKey";

    // The page's widget while its window exists, else none.
    using OpenPage = std::function<QWidget*(CPageSet::Page page)>;

    CFieldMarks() = delete;

    // The document keys whose values differ, in key order, found as a verify
    // finds them: by the blocks a write would send.
    static QStringList DifferingKeys(const Configuration& shown, const Configuration& held);
    // Marks the controls of keys on the open pages and unmarks every other;
    // returns the keys marked, those of no open page left out.
    static QStringList Apply(const QStringList& keys, const OpenPage& openPage, QTabWidget& tabs);
};
