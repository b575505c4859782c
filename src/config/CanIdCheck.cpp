#include "CanIdCheck.h"

#include "FlowMessages.h"
#include "HexDigit.h"

#include <QCoreApplication>

namespace {

struct Text
{
    Q_DECLARE_TR_FUNCTIONS(CanIdCheck)
};

constexpr int kDigits = 8;
constexpr int kStandardZeroPrefix = 5;

void Refuse(CanIdCheckResult& result, const QString& text)
{
    result.accepted = false;
    result.messages.append({FlowMessages::RefusalCaption(), text});
}

void Clamp(CanIdCheckResult& result, const QString& warning, const QString& limit)
{
    result.messages.append({FlowMessages::WarningCaption(), warning});
    result.canId = limit;
    result.replaced = true;
}

void ClampStandard(CanIdCheckResult& result)
{
    Clamp(result, Text::tr("标准帧不能大于000007FF，如果大于则会被默认为000007FF！"),
          QStringLiteral("000007FF"));
}

} // namespace

namespace CanIdCheck {

CanIdCheckResult CheckCanId(const QString& canId, bool extended)
{
    CanIdCheckResult result;
    result.canId = canId;
    if (canId.size() != kDigits) {
        Refuse(result, Text::tr("CAN ID长度错误，必须为8位十六进制数！"));
        return result;
    }
    for (const QChar c : canId) {
        if (!HexDigit::Is(c)) {
            Refuse(result, Text::tr("CAN ID格式错误，输入必须为0~F！"));
            return result;
        }
    }
    result.accepted = true;
    if (extended) {
        if (canId.at(0) >= QLatin1Char('2'))
            Clamp(result, Text::tr("扩展帧不能大于1FFFFFFF，如果大于则会被默认为1FFFFFFF！"),
                  QStringLiteral("1FFFFFFF"));
        return result;
    }
    for (int i = 0; i < kStandardZeroPrefix; ++i) {
        if (canId.at(i) != QLatin1Char('0')) {
            ClampStandard(result);
            break;
        }
    }
    if (result.canId.at(kStandardZeroPrefix) >= QLatin1Char('8'))
        ClampStandard(result);
    return result;
}

} // namespace CanIdCheck
