#include "CBitTiming.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

struct Text
{
    Q_DECLARE_TR_FUNCTIONS(CBitTiming)
};

// Bus rates in common use, in bit/s; the odd ones are those of vehicle and
// building buses (33.3K, 83.3K, 666.7K).
constexpr std::array<double, 18> kUsualRates{
    5'000,   10'000,  20'000,          100'000.0 / 3, 40'000,  50'000,
    62'500,  80'000,  250'000.0 / 3,   100'000,       125'000, 200'000,
    250'000, 400'000, 2'000'000.0 / 3, 500'000,       800'000, 1'000'000};

constexpr int kUsualQuanta = 16;
// Phase segment 2 must last at least the controller's information
// processing time, two quanta.
constexpr int kMinSegment2 = 2;

struct Limits
{
    int clockHz;
    int clocksPerStep; // clock periods added by one prescaler step
    int maxPrescaler;
    int maxSegment1;
    int maxSegment2;
    int maxSjw;
};

constexpr Limits kClassic{CBitTiming::kClassicClockHz, 2, 64, 16, 8, 4};
constexpr Limits kArm{CBitTiming::kArmClockHz, 1, 1024, 16, 8, 4};

const Limits& LimitsOf(CanController controller)
{
    return controller == CanController::Classic ? kClassic : kArm;
}

constexpr quint32 kArmUsedBits = 0x00FFC3FF;

double PercentOff(double value, double reference)
{
    return 100.0 * std::abs(value - reference) / reference;
}

// Float noise must not reorder candidates that are equally good.
int Rank(double value)
{
    return int(std::lround(value * 1000.0));
}

QString Trimmed(double value, int decimals)
{
    QString text = QString::number(value, 'f', decimals);
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    return text;
}

} // namespace

CanController CBitTiming::ControllerOf(ConverterModel model)
{
    return ConverterModels::Facts(model).hasCanConfigPage ? CanController::Arm
                                                          : CanController::Classic;
}

BitTiming CBitTiming::Explain(CanController controller, quint32 value)
{
    if (controller == CanController::Classic)
        return ExplainClassic(quint8(value >> 8), quint8(value));
    BitTiming timing;
    timing.controller = CanController::Arm;
    timing.value = value;
    timing.clockHz = kArmClockHz;
    timing.clocksPerQuantum = int(value & 0x3FF) + 1;
    timing.sjw = int(value >> 14 & 0x3) + 1;
    timing.segment1 = int(value >> 16 & 0xF) + 1;
    timing.segment2 = int(value >> 20 & 0x7) + 1;
    timing.tripleSampling = (value >> 23 & 1) != 0;
    timing.reservedBitsSet = (value & ~kArmUsedBits) != 0;
    return timing;
}

BitTiming CBitTiming::ExplainClassic(quint8 btr0, quint8 btr1)
{
    BitTiming timing;
    timing.controller = CanController::Classic;
    timing.value = quint32(btr0) << 8 | btr1;
    timing.clockHz = kClassicClockHz;
    timing.clocksPerQuantum = kClassic.clocksPerStep * ((btr0 & 0x3F) + 1);
    timing.sjw = (btr0 >> 6) + 1;
    timing.segment1 = (btr1 & 0xF) + 1;
    timing.segment2 = (btr1 >> 4 & 0x7) + 1;
    timing.tripleSampling = (btr1 & 0x80) != 0;
    return timing;
}

quint32 CBitTiming::Encode(const BitTiming& timing)
{
    const quint32 sjw = quint32(timing.sjw - 1) & 0x3;
    const quint32 segment1 = quint32(timing.segment1 - 1) & 0xF;
    const quint32 segment2 = quint32(timing.segment2 - 1) & 0x7;
    const quint32 sampling = timing.tripleSampling ? 1 : 0;
    if (timing.controller == CanController::Classic) {
        const quint32 prescaler =
            quint32(timing.clocksPerQuantum / kClassic.clocksPerStep - 1) & 0x3F;
        const quint32 btr0 = sjw << 6 | prescaler;
        const quint32 btr1 = sampling << 7 | segment2 << 4 | segment1;
        return btr0 << 8 | btr1;
    }
    const quint32 prescaler = quint32(timing.clocksPerQuantum - 1) & 0x3FF;
    return sampling << 23 | segment2 << 20 | segment1 << 16 | sjw << 14 | prescaler;
}

std::optional<double> CBitTiming::UsualRate(double rate)
{
    for (const double usual : kUsualRates)
        if (PercentOff(rate, usual) <= kRateTolerancePercent)
            return usual;
    return std::nullopt;
}

QStringList CBitTiming::Warnings(const BitTiming& timing)
{
    QStringList warnings;
    if (!UsualRate(timing.BitRate()))
        warnings << Text::tr("%1 不是常用的 CAN 波特率").arg(RateText(timing.BitRate()));
    const double samplePoint = timing.SamplePoint();
    if (samplePoint < kLowestGoodSamplePoint || samplePoint > kHighestGoodSamplePoint)
        warnings << Text::tr("采样点 %1 不在 75%–90% 之间").arg(SamplePointText(samplePoint));
    if (!timing.SjwFits())
        warnings << Text::tr("SJW %1 大于段 2（%2）").arg(timing.sjw).arg(timing.segment2);
    if (timing.reservedBitsSet)
        warnings << Text::tr("寄存器的保留位不为 0");
    return warnings;
}

int CBitTiming::DefaultSjw(CanController controller)
{
    return controller == CanController::Classic ? 1 : 4;
}

QList<BitTiming> CBitTiming::Propose(CanController controller, const Request& request)
{
    QList<BitTiming> proposals;
    if (!(request.bitRate > 0) || !(request.samplePoint > 0))
        return proposals;
    const Limits& limits = LimitsOf(controller);
    const int wantedSjw = request.sjw > 0 ? request.sjw : DefaultSjw(controller);
    for (int quanta = kMinQuanta; quanta <= kMaxQuanta; ++quanta) {
        const double steps =
            double(limits.clockHz) / (request.bitRate * quanta * limits.clocksPerStep);
        const int prescaler = int(std::lround(steps));
        if (prescaler < 1 || prescaler > limits.maxPrescaler)
            continue;
        // The sample point lies after a whole number of quanta, as near the
        // one asked for as the segments' bounds allow.
        const int position = int(std::lround(request.samplePoint * quanta / 100.0));
        const int lowest = std::max(1, quanta - 1 - limits.maxSegment2);
        const int highest = std::min(limits.maxSegment1, quanta - 1 - kMinSegment2);
        if (lowest > highest)
            continue;
        const int segment1 = std::clamp(position - 1, lowest, highest);
        const int segment2 = quanta - 1 - segment1;
        BitTiming timing;
        timing.controller = controller;
        timing.clockHz = limits.clockHz;
        timing.clocksPerQuantum = prescaler * limits.clocksPerStep;
        timing.segment1 = segment1;
        timing.segment2 = segment2;
        timing.sjw = std::clamp(wantedSjw, 1, std::min(segment2, limits.maxSjw));
        timing.tripleSampling = request.tripleSampling;
        if (PercentOff(timing.BitRate(), request.bitRate) > kRateTolerancePercent)
            continue;
        timing.value = Encode(timing);
        proposals.append(timing);
    }
    const auto key = [&request](const BitTiming& timing) {
        return std::make_tuple(Rank(PercentOff(timing.BitRate(), request.bitRate)),
                               Rank(std::abs(timing.SamplePoint() - request.samplePoint)),
                               std::abs(timing.Quanta() - kUsualQuanta), -timing.Quanta());
    };
    std::stable_sort(proposals.begin(), proposals.end(),
                     [&key](const BitTiming& a, const BitTiming& b) { return key(a) < key(b); });
    return proposals;
}

QString CBitTiming::RateText(double bitRate)
{
    return Trimmed(bitRate / 1000.0, 3) + QLatin1Char('K');
}

QString CBitTiming::SamplePointText(double samplePoint)
{
    return Trimmed(samplePoint, 1) + QLatin1Char('%');
}

QString CBitTiming::Described(const BitTiming& timing)
{
    return RateText(timing.BitRate()) + QStringLiteral(", ") +
           SamplePointText(timing.SamplePoint());
}

QString CBitTiming::DescribedRegister(quint32 armRegister)
{
    return QStringLiteral("%1 (%2)")
        .arg(armRegister)
        .arg(Described(Explain(CanController::Arm, armRegister)));
}

QString CBitTiming::RegisterText(const BitTiming& timing)
{
    if (timing.controller == CanController::Classic)
        return QStringLiteral("BTR0/BTR1 %1 %2")
            .arg(timing.value >> 8 & 0xFF, 2, 16, QLatin1Char('0'))
            .arg(timing.value & 0xFF, 2, 16, QLatin1Char('0'))
            .toUpper();
    return QStringLiteral("0x%1").arg(timing.value, 8, 16, QLatin1Char('0'));
}

QString CBitTiming::Sentence(const BitTiming& timing)
{
    return Text::tr("%1，采样点 %2，SJW %3，每位 %4 个时间份额（同步 1 + 段 1 %5 + 段 2 %6），%7")
        .arg(RateText(timing.BitRate()), SamplePointText(timing.SamplePoint()))
        .arg(timing.sjw)
        .arg(timing.Quanta())
        .arg(timing.segment1)
        .arg(timing.segment2)
        .arg(timing.tripleSampling ? Text::tr("三次采样") : Text::tr("单次采样"));
}

std::optional<double> CBitTiming::ParseRate(const QString& text)
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*(\\d+(?:\\.\\d+)?)\\s*([kKmM]?)\\s*(?:bps|bit/s|b/s)?\\s*$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    double rate = match.captured(1).toDouble();
    const QString unit = match.captured(2).toLower();
    if (unit == QLatin1String("k"))
        rate *= 1000.0;
    else if (unit == QLatin1String("m"))
        rate *= 1'000'000.0;
    if (rate < 1.0 || rate > 10'000'000.0)
        return std::nullopt;
    return rate;
}
