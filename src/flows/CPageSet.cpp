#include "CPageSet.h"

Configuration CPageSet::Fields()
{
    return {Model(), Tran(), Serial(), Can(), ArmCan()};
}

void CPageSet::SetFields(const Configuration& config)
{
    Tran() = config.tran;
    Serial() = config.serial;
    Can() = config.can;
    ArmCan() = config.armCan;
}
