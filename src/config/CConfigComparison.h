#pragma once

#include "ConverterModel.h"

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>

class CEncodedConfig;
struct Configuration;

// One key whose value differs between two configurations. A difference in
// bytes that no key carries is named after the block and the byte.
struct KeyDifference
{
    QString key;
    QJsonValue expected;
    QJsonValue got;
    // Whose lists name the positions.
    ConverterModel model = ConverterModel::OstrelX;

    // "key: expected … got …" in the user's language, the values as Shown.
    QString Line() const;
    // "key: expected -> got", the values as Shown.
    QString Change() const;
    // A value as compact JSON; "(none)" for a key the document lacks.
    static QString Compact(const QJsonValue& value);
    // Compact, and for a list's position what the window's list shows there:
    // "4 (9600)".
    QString Shown(const QJsonValue& value) const;

    friend bool operator==(const KeyDifference& a, const KeyDifference& b)
    {
        return a.key == b.key && a.expected == b.expected && a.got == b.got && a.model == b.model;
    }
};

// Whether two configurations agree. The blocks decide, byte for byte, so
// that documents that differ only in ways the blocks do not keep (the letter
// case of a hex text, the order of the filter entries) agree; the keys only
// explain a difference.
class CConfigComparison
{
public:
    CConfigComparison() = delete;

    // Empty when the blocks read are those expected. The CAN configuration
    // block read counts only when a CAN configuration block is expected.
    static QList<KeyDifference> Compare(ConverterModel model, const CEncodedConfig& expected,
                                        const QByteArray& parameterBlock,
                                        const QByteArray& canConfigBlock);

    // What a write of shown would change in a converter that holds held,
    // compared as Compare compares what a write sent with what a read
    // returns: by the blocks each would send. Where either cannot be encoded
    // (an identifier the check refuses), by their documents.
    static QList<KeyDifference> Between(const Configuration& shown, const Configuration& held);

    // The keys of either document whose values differ, in key order.
    static QList<KeyDifference> Differences(ConverterModel model, const QJsonObject& expected,
                                            const QJsonObject& got);
};
