#pragma once

#include "CanFrameId.h"

#include <QString>

struct Configuration;

// Would the converter, configured as the pages say, take a frame with this
// identifier? The answer follows the bytes a write sends: the code and mask
// as the parameter block lines them up (Ostrel-A and -B), or the look-up
// table as it is packed, entries that do not fit left out (Ostrel-X).
class CFilterTester
{
public:
    CFilterTester() = delete;

    struct Verdict
    {
        bool accepted = false;
        QString reason; // by which entry or filter, or which bits differ
    };

    static Verdict Test(const Configuration& config, const CanFrameId& frame);

private:
    static Verdict TestCodeMask(const Configuration& config, const CanFrameId& frame);
    static Verdict TestTable(const Configuration& config, const CanFrameId& frame);
};
