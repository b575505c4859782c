// Times each converter exchange against the in-process simulator, with the
// simulator sending at the model's bit rate, and sets it against the least
// time the exchange can take on a real line.
#include "CFrameProtocol.h"
#include "COstrelSimulator.h"
#include "CSerialComm.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

struct Exchange
{
    const char* name;
    int requestBytes;
    int replyBytes;
    int pauseMs; // the wait the protocol mandates after sending the request
    int runs;
    std::function<bool(CFrameProtocol&, ConverterModel model)> run;
};

const std::vector<Exchange>& Exchanges()
{
    static const std::vector<Exchange> exchanges = {
        {"handshake", 9, 5, 0, 20,
         [](CFrameProtocol& protocol, ConverterModel model) { return protocol.Handshake(model); }},
        {"parameter block write", 33, 5, 0, 20,
         [](CFrameProtocol& protocol, ConverterModel model) {
             return protocol.WriteParameterBlock(COstrelSimulator::DefaultParameterBlock(model));
         }},
        {"parameter block read", 6, 33, 0, 20,
         [](CFrameProtocol& protocol, ConverterModel) {
             QByteArray block;
             return protocol.ReadParameterBlock(block);
         }},
        {"CAN config write", 2085, 5, 0, 5,
         [](CFrameProtocol& protocol, ConverterModel) {
             return protocol.WriteCanConfigBlock(COstrelSimulator::DefaultCanConfigBlock());
         }},
        {"CAN config read", 6, 2085, 500, 3,
         [](CFrameProtocol& protocol, ConverterModel) {
             QByteArray block;
             return protocol.ReadCanConfigBlock(block);
         }},
    };
    return exchanges;
}

double WireMs(int bytes, quint32 bitRate)
{
    return bytes * 10.0 * 1000.0 / bitRate;
}

// After the request has gone out, the mandated pause and the converter's
// turn and reply run side by side: the reply may arrive during the pause.
double AfterRequestMs(const Exchange& exchange, quint32 bitRate, int turnaroundMs)
{
    const double answer = turnaroundMs + WireMs(exchange.replyBytes, bitRate);
    return std::max<double>(exchange.pauseMs, answer);
}

double MinimumMs(const Exchange& exchange, quint32 bitRate, int turnaroundMs)
{
    return WireMs(exchange.requestBytes, bitRate) + AfterRequestMs(exchange, bitRate, turnaroundMs);
}

double MedianMs(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

bool MeasureModel(ConverterModel model)
{
    SimOptions options;
    options.model = model;
    options.pacing = true;
    COstrelSimulator simulator(options);
    CSerialComm port;
    const quint32 bitRate = CFrameProtocol::ConfigBaudRate(model);
    if (!simulator.start() || !port.Open(simulator.slavePath(), bitRate, 8, 0, 0)) {
        std::fprintf(stderr, "link_latency: cannot reach the simulator\n");
        return false;
    }
    CFrameProtocol protocol(port);
    bool allAnswered = true;
    for (const Exchange& exchange : Exchanges()) {
        std::vector<double> samples;
        for (int run = 0; run < exchange.runs; ++run) {
            QElapsedTimer clock;
            clock.start();
            allAnswered = exchange.run(protocol, model) && allAnswered;
            samples.push_back(double(clock.nsecsElapsed()) / 1e6);
        }
        const double measured = MedianMs(samples);
        const double minimum = MinimumMs(exchange, bitRate, options.turnaroundMs);
        const double floor = AfterRequestMs(exchange, bitRate, options.turnaroundMs);
        std::printf("%-9s %6u  %-22s %9.2f %9.2f %6.3f %9.2f %+8.2f\n",
                    ConverterModels::Facts(model).displayName, unsigned(bitRate), exchange.name,
                    measured, minimum, measured / minimum, floor, measured - floor);
    }
    return allAnswered;
}

} // namespace

int main()
{
    std::printf("%-9s %6s  %-22s %9s %9s %6s %9s %8s\n", "model", "bit/s", "exchange", "measured",
                "minimum", "ratio", "floor", "overhead");
    bool ok = true;
    for (const ConverterModelFacts& facts : ConverterModels::kFacts)
        ok = MeasureModel(facts.model) && ok;
    std::printf("measured: median ms per exchange. minimum: request and reply at 10 bit times\n"
                "per byte plus the simulator's turnaround, the mandated pause overlapping the\n"
                "turnaround and reply. floor: the same without the request's wire time, which\n"
                "the pseudo-terminal does not impose; overhead = measured - floor.\n");
    if (!ok)
        std::fprintf(stderr, "link_latency: an exchange failed\n");
    return ok ? 0 : 1;
}
