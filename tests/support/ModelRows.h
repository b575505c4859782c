#pragma once

#include "ConverterModel.h"

#include <QTest>

// The models by the number the selector's list and the stored keys give
// them, for data rows that name a model by that number.
inline ConverterModel ModelAt(int deviceType)
{
    return ConverterModels::FromDeviceType(deviceType).value_or(ConverterModel::OstrelA);
}

// One row per model, named "Ostrel-A" .. "Ostrel-X", with the model in
// column "model"; for a test whose every case runs on each model.
inline void AddModelRows()
{
    QTest::addColumn<ConverterModel>("model");
    for (const ConverterModelFacts& facts : ConverterModels::kFacts)
        QTest::newRow(facts.displayName) << facts.model;
}
