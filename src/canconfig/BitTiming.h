#pragma once

#include <QtGlobal>

// The two CAN controllers of the converters. The Ostrel-A and -B carry a
// 16 MHz controller programmed with two bus timing bytes (BTR0: SJW - 1 in
// bits 6-7, prescaler - 1 in bits 0-5; BTR1: triple sampling in bit 7,
// segment 2 - 1 in bits 4-6, segment 1 - 1 in bits 0-3) whose quantum is two
// clock periods per prescaler step. The Ostrel-X carries a 24 MHz controller
// with one 32-bit register: prescaler - 1 in bits 0-9, SJW - 1 in bits 14-15,
// segment 1 - 1 in bits 16-19, segment 2 - 1 in bits 20-22, triple sampling
// in bit 23.
enum class CanController
{
    Classic, // Ostrel-A and -B: value = BTR0 << 8 | BTR1
    Arm,     // Ostrel-X: the register value
};

// One bit as a register value programs it. Segment 1 includes the
// propagation segment; a bit is 1 + segment1 + segment2 quanta long and is
// sampled at the end of segment 1.
struct BitTiming
{
    CanController controller = CanController::Arm;
    quint32 value = 0;
    int clockHz = 0;
    int clocksPerQuantum = 0; // controller clock periods per time quantum
    int segment1 = 0;
    int segment2 = 0;
    int sjw = 0;
    bool tripleSampling = false;
    bool reservedBitsSet = false; // the X register's unused bits are not 0

    int Quanta() const { return 1 + segment1 + segment2; }
    double BitRate() const { return double(clockHz) / (double(clocksPerQuantum) * Quanta()); }
    // Percent of the bit before the sample point.
    double SamplePoint() const { return 100.0 * (1 + segment1) / Quanta(); }
    // The controller can resynchronise no further than segment 2 is long.
    bool SjwFits() const { return sjw <= segment2; }
};
