#pragma once

#include "DetectedPort.h"

// The serial ports the system reports, with their stable by-id names.
class CSystemPortDetector : public CPortDetector
{
public:
    QList<DetectedPort> DetectPorts() const override;
};
