#include "ConverterModel.h"

namespace ConverterModels {

std::optional<ConverterModel> FromDeviceType(int deviceType)
{
    if (deviceType < 0 || deviceType >= kCount)
        return std::nullopt;
    return kFacts[static_cast<std::size_t>(deviceType)].model;
}

std::optional<ConverterModel> FromLetter(QStringView text)
{
    if (text.size() != 1)
        return std::nullopt;
    const QChar letter = text.at(0).toUpper();
    for (const ConverterModelFacts& facts : kFacts)
        if (letter == QLatin1Char(facts.letter))
            return facts.model;
    return std::nullopt;
}

QString DisplayName(ConverterModel model)
{
    return QString::fromLatin1(Facts(model).displayName);
}

} // namespace ConverterModels
