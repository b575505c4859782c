#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <optional>

class CPageSet;

// The configuration as one JSON object, the same for a read, a write and the
// defaults: the format marker, the device type, the profile's keys from CanBaudrate to
// TranLength, the CAN page's dual-filter halves and custom-mask box, and the
// type-2 page's register value, CAN ID, frame type, filtering box and filter
// entries. Integers are the fields' 32-bit values and texts the page texts as
// they are, so a document read from one converter writes the same bytes to
// another.
class CConfigDocument
{
public:
    CConfigDocument() = delete;

    // The value of the optional key "Format", written into every document.
    static constexpr const char* kFormat = "kelvane-config/1";

    // Every key, from the fields of the page set's device type.
    static QJsonObject ToJson(CPageSet& pages);
    // The document as a file holds it, indented, in UTF-8.
    static QByteArray ToText(const QJsonObject& document);

    // Puts the document's keys into the fields; keys it lacks keep what the
    // fields hold. Values inside their kind are taken as they are, list
    // indices outside their list included. Returns, naming the key, why the
    // document was refused: an unknown key, a value of the wrong kind or
    // outside its kind, or a DeviceType other than the page set's; the fields
    // are then partly changed and not to be used.
    static std::optional<QString> Apply(const QJsonObject& document, CPageSet& pages);
};
