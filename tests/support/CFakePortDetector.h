#pragma once

#include "DetectedPort.h"

// The ports a test says the system has; a simulator's pseudo-terminal can
// play a USB adapter this way.
class CFakePortDetector : public CPortDetector
{
public:
    QList<DetectedPort> DetectPorts() const override { return m_ports; }

    QList<DetectedPort> m_ports;
};
