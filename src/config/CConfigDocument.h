#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <optional>

#include "ConverterModel.h"

struct Configuration;

// The configuration as one JSON object, the same for a read, a write and the
// defaults: the format marker, the device type, the profile's keys from CanBaudrate to
// TranLength, the CAN page's dual-filter halves and custom-mask box, and the
// type-2 page's register value, CAN ID, frame type, filtering box and filter
// entries. Integers are the fields' 32-bit values and texts the page texts as
// they are, so a document read from one converter writes the same bytes to
// another.
// Why a document was refused: its text is no JSON object, or (naming the
// key) one of its keys or values is not taken.
struct DocumentRefusal
{
    QString text;
    bool wholeText = false;
    // A key the model's pages do not show, which a caller may choose to take.
    bool withoutEffect = false;
};

// What Load does with a key that the model's pages do not show (an X's
// CanBaudrate): refuse it, naming the key that does the job, unless the
// document is one the tool wrote itself (it holds every key); or take it.
enum class KeysWithoutEffect
{
    Refused,
    Taken,
};

class CConfigDocument
{
public:
    CConfigDocument() = delete;

    // The value of the optional key "Format", written into every document.
    static constexpr const char* kFormat = "kelvane-config/1";
    // Far above any real document (a full filter list is some 40 KB), and
    // small enough that reading and parsing one costs little.
    static constexpr qsizetype kMaxBytes = 4 * 1024 * 1024;

    // Every key, from the configuration's fields.
    static QJsonObject ToJson(Configuration config);
    // The document as a file holds it, indented, in UTF-8.
    static QByteArray ToText(const QJsonObject& document);

    // Puts the document's keys into the fields; keys it lacks keep what the
    // fields hold. Only values the window's controls can hold are taken: list
    // indices inside the model's list, bytes from 0 to 255, hexadecimal texts
    // of at most the edit's groups of one or two digits, filter ranges whose
    // start is not above their end. Returns, naming the key, why the document
    // was refused: an unknown key, a value of the wrong kind or outside its
    // range, or a DeviceType other than the configuration's model; the fields are then
    // partly changed and not to be used.
    static std::optional<QString> Apply(const QJsonObject& document, Configuration& config);

    // The one way a document's text becomes a configuration, for the window's
    // import and every command that takes a document: the factory values of
    // config's model, the document's keys over them, then the pages' rules
    // (Configuration::Settle), so that the same document sends the same bytes
    // whoever loads it. A refused document leaves config as it was.
    static std::optional<DocumentRefusal>
    Load(const QByteArray& text, Configuration& config,
         KeysWithoutEffect withoutEffect = KeysWithoutEffect::Refused);
    // Load's first half: the text as a JSON object with no repeated key.
    static std::optional<DocumentRefusal> Parse(const QByteArray& text, QJsonObject& document);
    // Load's second half, on a parsed document.
    static std::optional<DocumentRefusal>
    Load(const QJsonObject& document, Configuration& config,
         KeysWithoutEffect withoutEffect = KeysWithoutEffect::Refused);

    // A parsed object keeps only the last of a repeated key, so the text
    // itself is looked at: names the first key that an object of the (valid)
    // JSON text repeats.
    static std::optional<QString> FindRepeatedKey(const QByteArray& json);
};
