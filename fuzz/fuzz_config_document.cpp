#include "CConfigDocument.h"
#include "CEncodedConfig.h"
#include "Configuration.h"
#include "FuzzCheck.h"

#include <QJsonDocument>
#include <QJsonObject>

// A document as every front end loads it: whatever the text, it is taken or
// refused with a reason, and a taken one comes out as a document that loads
// back unchanged and encodes to the same frames.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0 || size > size_t(CConfigDocument::kMaxBytes))
        return 0;
    const ConverterModel model =
        ConverterModels::FromDeviceType(data[0] % 3).value_or(ConverterModel::OstrelA);
    const QByteArray text = BytesOf(data + 1, size - 1);

    Configuration config;
    config.model = model;
    if (const std::optional<DocumentRefusal> refusal = CConfigDocument::Load(text, config)) {
        Require(!refusal->text.isEmpty());
        return 0;
    }
    const CEncodedConfig encoded = CEncodedConfig::From(config);
    const QJsonObject shown = CConfigDocument::ToJson(config);
    const QByteArray json = QJsonDocument(shown).toJson();
    Require(!CConfigDocument::FindRepeatedKey(json));

    Configuration copy;
    copy.model = model;
    Require(!CConfigDocument::Load(json, copy));
    Require(CConfigDocument::ToJson(copy) == shown);
    const CEncodedConfig again = CEncodedConfig::From(copy);
    Require(again.ParameterBlock() == encoded.ParameterBlock() &&
            again.CanConfigBlock() == encoded.CanConfigBlock());
    return 0;
}
