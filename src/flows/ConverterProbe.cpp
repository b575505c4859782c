#include "ConverterProbe.h"

#include "CSerialComm.h"
#include "ConnectFlow.h"
#include "PortDiagnosis.h"

#include <thread>
#include <vector>

namespace ConverterProbe {

Result Probe(const QString& devicePath, const QList<DetectedPort>& present, const Trying& trying)
{
    Result result{devicePath, std::nullopt, ConnectFlow::Outcome::NoConverter, {}};
    CSerialComm port;
    for (const ConverterModelFacts& facts : ConverterModels::kFacts) {
        if (trying)
            trying(devicePath, facts.model);
        const ConnectFlow::Outcome outcome = ConnectFlow::Connect(port, facts.model, devicePath);
        result.outcome = outcome;
        if (outcome == ConnectFlow::Outcome::Connected) {
            port.Close();
            result.model = facts.model;
            return result;
        }
        // Every model is tried here anyway.
        result.failure =
            ConnectFlow::MessageOf(outcome, port, facts.model, devicePath, present).value();
        // A port that does not open, or has gone, will not answer the next model either.
        if (outcome == ConnectFlow::Outcome::PortUnavailable ||
            outcome == ConnectFlow::Outcome::HungUp)
            return result;
    }
    result.failure.detail = PortDiagnosis::NoConverterOfAny(devicePath);
    return result;
}

QList<Result> ProbeAll(const QStringList& devicePaths, const QList<DetectedPort>& present,
                       const Trying& trying)
{
    std::vector<Result> results(std::size_t(devicePaths.size()));
    std::vector<std::thread> workers;
    workers.reserve(std::size_t(devicePaths.size()));
    for (qsizetype index = 0; index < devicePaths.size(); ++index) {
        workers.emplace_back([&results, &devicePaths, &present, &trying, index] {
            const QString& path = devicePaths.at(index);
            results[std::size_t(index)] = Probe(path, present, trying);
            if (trying)
                trying(path, std::nullopt);
        });
    }
    for (std::thread& worker : workers)
        worker.join();
    return QList<Result>(results.begin(), results.end());
}

} // namespace ConverterProbe
