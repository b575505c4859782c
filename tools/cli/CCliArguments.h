#pragma once

#include "ConverterModel.h"

#include <QString>
#include <QStringList>

#include <optional>

// The command line as asked for: command, model, port and files. Parsing
// opens nothing and reads no file; a port name is only checked for its form.
class CCliArguments
{
public:
    enum class Command
    {
        Ports,
        Connect,
        Read,
        Write,
        Defaults,
        Encode,
        Verify,
        Diff,
        Detect,
        Timing,
        Accepts,
        ProfilePath
    };
    enum class Request
    {
        Run,
        ShowHelp,
        ShowVersion,
        Refuse
    };

    // arguments[0] is the program, as in QCoreApplication::arguments().
    explicit CCliArguments(const QStringList& arguments);

    Request Action() const { return m_request; }
    QString HelpText() const { return m_helpText; }
    QString Error() const { return m_error; } // why the arguments were refused

    Command GetCommand() const { return m_command; }
    ConverterModel Model() const { return m_model; }
    QString Port() const { return m_ports.value(0); } // "COMn" or a device path
    // As given, at least one; detect without -p: none, for every port there is.
    QStringList Ports() const { return m_ports; }
    QString InputFile() const { return m_inputFile; }     // "-" for standard input
    QString OutputFile() const { return m_outputFile; }   // empty or "-" for standard output
    QStringList DiffFiles() const { return m_diffFiles; } // diff: the two documents
    bool VerifyAfterWrite() const { return m_verify; }
    // A document may set keys the model's pages do not show.
    bool Force() const { return m_force; }
    bool JsonLines() const { return m_json; } // one JSON object per port
    // -d given: timing speaks of that model only.
    bool ModelGiven() const { return m_modelGiven; }
    // timing: a bit rate or a register value; accepts: an identifier.
    QString Operand() const { return m_operand; }
    std::optional<double> SamplePoint() const { return m_samplePoint; } // percent
    bool ExtendedFrame() const { return m_extended; }
    bool Trace() const { return m_trace; } // every frame on standard error

    static constexpr const char* kStandardStream = "-";
    static constexpr const char* kDefaultPort = "COM1";

private:
    void Interpret(const QStringList& positional, const QString& device, const QStringList& ports);
    void CheckFileOptions();
    void CheckPortOptions();
    void CheckOperandOptions(const QString& samplePoint);
    void Refuse(const QString& error);

    Request m_request = Request::Run;
    QString m_helpText;
    QString m_error;
    Command m_command = Command::Ports;
    ConverterModel m_model = ConverterModel::OstrelX;
    QStringList m_ports{QString::fromLatin1(kDefaultPort)};
    QStringList m_diffFiles;
    bool m_verify = false;
    bool m_force = false;
    bool m_json = false;
    bool m_modelGiven = false;
    QString m_operand;
    std::optional<double> m_samplePoint;
    bool m_extended = false;
    bool m_trace = false;
    QString m_inputFile;
    QString m_outputFile;
    bool m_hasInput = false;
    bool m_hasOutput = false;
};
