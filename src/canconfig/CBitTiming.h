#pragma once

#include "BitTiming.h"
#include "ConverterModel.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Bit timing in words: what a register value gives, and which register values
// give a wanted bit rate and sample point. Pure computation; the pages, the
// calculator and the command line all speak through it.
class CBitTiming
{
public:
    CBitTiming() = delete;

    static constexpr int kClassicClockHz = 16'000'000;
    static constexpr int kArmClockHz = 24'000'000;
    // The bit lengths the CAN standard asks every controller to support.
    static constexpr int kMinQuanta = 8;
    static constexpr int kMaxQuanta = 25;
    static constexpr double kRateTolerancePercent = 0.5;
    static constexpr double kLowestGoodSamplePoint = 75.0;
    static constexpr double kHighestGoodSamplePoint = 90.0;

    static CanController ControllerOf(ConverterModel model);

    static BitTiming Explain(CanController controller, quint32 value);
    static BitTiming ExplainClassic(quint8 btr0, quint8 btr1);
    // The register value of a timing; the inverse of Explain.
    static quint32 Encode(const BitTiming& timing);

    // The usual CAN rate within the tolerance of rate, if there is one.
    static std::optional<double> UsualRate(double rate);
    // What is unusual about a timing, one sentence each; empty when nothing is.
    static QStringList Warnings(const BitTiming& timing);

    struct Request
    {
        double bitRate = 0;     // bit/s
        double samplePoint = 0; // percent
        int sjw = 0;            // 0: the controller's habit (DefaultSjw)
        bool tripleSampling = false;
    };
    // The SJW the converter's own presets use for this controller.
    static int DefaultSjw(CanController controller);
    // Every register value within the rate tolerance, with segments between
    // the standard's bounds, best first: nearest rate, then nearest sample
    // point, then nearest to 16 quanta (the usual resolution), then more
    // quanta. The SJW asked for is cut to what segment 2 allows.
    static QList<BitTiming> Propose(CanController controller, const Request& request);

    // "250K", "83.333K", "1000K": kbit/s with at most three decimals.
    static QString RateText(double bitRate);
    // "87.5%", "75%".
    static QString SamplePointText(double samplePoint);
    // "250K, 75%": what a register value means, wherever one is named.
    static QString Described(const BitTiming& timing);
    // "3850245 (250K, 75%)": the X register as documents hold it, named.
    static QString DescribedRegister(quint32 armRegister);
    // "BTR0/BTR1 01 1C" or "0x003ac005" as the pages show the value.
    static QString RegisterText(const BitTiming& timing);
    // The whole explanation in one line: rate, sample point, SJW, quanta and
    // their split, sampling.
    static QString Sentence(const BitTiming& timing);

    // "250K", "83.333k", "1M", "500000", "125 kbit/s": a bit rate in bit/s;
    // none for anything else or a rate outside 1 bit/s .. 10 Mbit/s.
    static std::optional<double> ParseRate(const QString& text);
};
