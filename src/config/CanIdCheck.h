#pragma once

#include "UserMessage.h"

#include <QList>
#include <QString>

// Verdict on the device-type-2 CAN identifier text before it is encoded.
struct CanIdCheckResult
{
    bool accepted = false;
    QString canId; // the text to encode and to show, a replacement included
    bool replaced = false;
    QList<UserMessage> messages; // to show in this order, before anything is sent
};

namespace CanIdCheck {
// Eight hex digits are required (caption "错误"). An identifier above the
// frame type's limit is replaced by the limit with a warning (caption "警告"),
// and the write goes on with it. The limits are judged on the digits as
// characters, so lower-case letters count as above every decimal digit.
CanIdCheckResult CheckCanId(const QString& canId, bool extended);
} // namespace CanIdCheck
