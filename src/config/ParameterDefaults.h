#pragma once

struct CanFields;
struct SerialFields;
struct TranFields;

// Puts the factory values of the defaults command into the fields. The
// dual-filter halves are left alone, and the BTR texts are "00" "14" until the
// CAN page re-applies its preset rule.
void ApplyParameterDefaults(TranFields& tran, SerialFields& serial, CanFields& can);
