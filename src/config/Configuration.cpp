#include "Configuration.h"

#include "CArmCanConfig.h"
#include "CanPageRules.h"
#include "ParameterDefaults.h"

Configuration Configuration::Defaults(ConverterModel model)
{
    Configuration config;
    config.model = model;
    ApplyParameterDefaults(config.tran, config.serial, config.can);
    CArmCanConfig::ApplyDefaults(config.armCan);
    if (config.HasCanConfigPage())
        CArmCanConfig::FillFromBlock(config.armCan);
    else
        CanPageRules::RefreshFields(config.can);
    return config;
}

void Configuration::Settle()
{
    // Every model keeps a CAN configuration block, shown or not.
    CArmCanConfig::CollectIntoBlock(armCan);
    if (!HasCanConfigPage())
        CanPageRules::Settle(can);
}
