#pragma once

#include "ConverterModel.h"

#include <QJsonValue>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

struct Configuration;

// One text of a list as its page shows it: the source text, which the page
// translates in the key's context, and its English translation, so that a
// value named in either language is understood whatever the desktop's.
struct ListText
{
    const char* source;
    const char* english; // none: the same in every language

    QString English() const { return QString::fromUtf8(english != nullptr ? english : source); }
};
using ListTexts = std::vector<ListText>;

// What a key's value is, and so how a document, the profile and the pages
// hold it.
enum class KeyKind
{
    List,       // a position in the page's list
    Box,        // a check box, 0 or 1
    Byte,       // a number edit of one byte, 0 to 255
    HexText,    // at most `bytes` blank-separated hexadecimal bytes
    HexPair,    // two hex texts of `bytes` bytes each (the dual-filter halves)
    Register,   // a 32-bit register value; the page's rate names stand for theirs
    Text,       // any text
    Flag,       // true or false
    FilterList, // filter entries, bound by the bytes the look-up table holds
    Model,      // the device type
    Marker,     // the document format's name
    PortIndex,  // the selector's port
};

// The page whose control shows a key; None for the keys beside the pages.
enum class KeyPage
{
    None,
    Tran,
    Serial,
    Can,
    ArmCan,
};

// One key of the configuration: how the profile and the document spell it,
// where it is shown, what it may hold and which field of a Configuration it
// names. Whatever reads, writes, lists, compares or marks a key goes through
// this entry.
struct ConfigKey
{
    const char* name; // as every profile and document written so far spells it
    KeyPage page;
    KeyKind kind;
    int bytes;           // HexText and HexPair: the edit's groups
    const char* context; // List: the translation context of its texts; none: shown as they are
    ListTexts (*texts)(ConverterModel model); // List and Register: the page's texts
    bool shownOnClassic;                      // on the pages of the Ostrel-A and -B
    bool shownOnX;                            // on the pages of the Ostrel-X
    bool inDocument;
    bool inProfile;
    const char* counterpart; // the key that does this key's job on the other models' pages
    QJsonValue (*get)(const Configuration& config);
    // Takes a value already found valid for the key (a document's) or read
    // from the profile, which keeps what it finds.
    void (*set)(Configuration& config, const QJsonValue& value);

    QString Name() const { return QLatin1String(name); }
    bool IsShownOn(ConverterModel model) const;
    // List and Register: the texts in the user's language.
    QStringList Texts(ConverterModel model) const;
    QStringList EnglishTexts(ConverterModel model) const;
    QStringList SourceTexts(ConverterModel model) const;
    // The smallest and largest value: a list's positions, a byte, a box, a
    // register; for the filter list the bytes of the look-up table.
    std::pair<qint64, qint64> Range(ConverterModel model) const;
};

namespace ConfigKeys {
// Names the code beside the table reaches for.
constexpr const char* kFormat = "Format";
constexpr const char* kDeviceType = "DeviceType";
constexpr const char* kConfigPort = "ConfigPort";
constexpr const char* kArmCanBaud = "ArmCanBaud";
constexpr const char* kFilters = "Filters";

// Every key, in the order the profile loads and saves them.
const std::vector<ConfigKey>& All();
// None for a name no key has; the name is compared as stored.
const ConfigKey* Find(const QString& name);
const ConfigKey& Get(const char* name);
// "Filters[2].start" belongs to "Filters".
QString BaseName(const QString& name);
} // namespace ConfigKeys
