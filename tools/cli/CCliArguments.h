#pragma once

#include "ConverterModel.h"

#include <QString>
#include <QStringList>

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
        Detect
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
    int DeviceType() const { return m_deviceType; }
    QString Port() const { return m_port; } // "COMn" or a device path
    // Every -p given, in order; detect takes several.
    QStringList Ports() const { return m_ports; }
    QString InputFile() const { return m_inputFile; }   // "-" for standard input
    QString OutputFile() const { return m_outputFile; } // empty or "-" for standard output

    static constexpr const char* kStandardStream = "-";
    static constexpr const char* kDefaultPort = "COM1";

private:
    void Interpret(const QStringList& positional, const QString& device, QStringList ports);
    void CheckFileOptions();
    void Refuse(const QString& error);

    Request m_request = Request::Run;
    QString m_helpText;
    QString m_error;
    Command m_command = Command::Ports;
    int m_deviceType = ConverterModels::DeviceTypeOf(ConverterModel::OstrelX);
    QString m_port;
    QStringList m_ports;
    QString m_inputFile;
    QString m_outputFile;
    bool m_hasInput = false;
    bool m_hasOutput = false;
};
