#pragma once

#include "ConnectFlow.h"
#include "ConverterModel.h"
#include "DetectedPort.h"
#include "UserMessage.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Which converter answers on a port: each model's connect in turn, as the
// window's connect button would run it for that model.
namespace ConverterProbe {
struct Result
{
    QString devicePath;
    std::optional<ConverterModel> model; // the first model that answered
    // Why none answered, when none did, as the connect flow says it; a port
    // that opened but where no model answered names every model tried.
    ConnectFlow::Outcome outcome = ConnectFlow::Outcome::NoConverter;
    UserMessage failure;
};

// Told, on the probing thread, of each model tried on a port, and with no
// model once the port is done.
using Trying = std::function<void(const QString& devicePath, std::optional<ConverterModel> model)>;

Result Probe(const QString& devicePath, const QList<DetectedPort>& present,
             const Trying& trying = {});
// Every port on its own thread, so the whole takes as long as the slowest
// port; the results in the order of the paths.
QList<Result> ProbeAll(const QStringList& devicePaths, const QList<DetectedPort>& present,
                       const Trying& trying = {});
} // namespace ConverterProbe
