#pragma once

#include "ConverterModel.h"

#include <QByteArray>

// A converter configured as on a typical installation rather than from the
// factory, so that the pictures after a read show the pages filled in: for
// Ostrel-X with acceptance filtering on and one entry of every filter kind.
namespace DemoConfiguration {
QByteArray ParameterBlock(ConverterModel model);
QByteArray CanBlock();
} // namespace DemoConfiguration
