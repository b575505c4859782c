#include "CConfigDocument.h"
#include "CEncodedConfig.h"
#include "Configuration.h"
#include "FuzzCheck.h"

#include <QJsonDocument>
#include <QJsonObject>

// The command line's document: whatever the text, it is taken or refused
// with a reason, and a taken one comes out of the pages as the same document
// and encodes to the same frames when taken again.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0 || size > size_t(CConfigDocument::kMaxBytes))
        return 0;
    const ConverterModel model =
        ConverterModels::FromDeviceType(data[0] % 3).value_or(ConverterModel::OstrelA);
    const QByteArray text = BytesOf(data + 1, size - 1);
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return 0;
    if (CConfigDocument::FindRepeatedKey(text))
        return 0;

    Configuration config;
    config.model = model;
    if (const std::optional<QString> refusal = CConfigDocument::Apply(document.object(), config)) {
        Require(!refusal->isEmpty());
        return 0;
    }
    const CEncodedConfig encoded = CEncodedConfig::From(config);
    const QJsonObject shown = CConfigDocument::ToJson(config);

    Configuration copy;
    copy.model = model;
    Require(!CConfigDocument::Apply(shown, copy));
    Require(CConfigDocument::ToJson(copy) == shown);
    const QByteArray json = QJsonDocument(shown).toJson();
    Require(!CConfigDocument::FindRepeatedKey(json));
    const CEncodedConfig again = CEncodedConfig::From(copy);
    Require(again.Frames() == encoded.Frames());
    return 0;
}
