#pragma once

#include "CCliArguments.h"
#include "CConfigDocument.h"
#include "CConsoleSink.h"
#include "CProfile.h"
#include "CSystemPortDetector.h"
#include "CTerminalProgress.h"
#include "ConverterProbe.h"
#include "ExitStatus.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class CEncodedConfig;
struct Configuration;
class CPortTask;
class CSerialComm;
class COutputFile;

// The command line's commands: read and write are the window's own commands,
// on plain pages. Of the window's profile it reads only the port map, so that
// COMn names the same device in both; it holds the profile read-only, as a
// script's values are not the user's last-used ones. Documents and arguments
// are checked before any port is opened.
class CKelvaneCli
{
public:
    // arguments[0] is the program, as in QCoreApplication::arguments().
    explicit CKelvaneCli(const QStringList& arguments);

    ExitStatus Run();

private:
    ExitStatus RunCommand();
    ExitStatus ListPorts();
    ExitStatus PrintProfilePath();
    ExitStatus ServePorts();
    ExitStatus ServeOnePort(CPortTask& task);
    ExitStatus Read();
    ExitStatus PrintDefaults();
    ExitStatus Encode();
    ExitStatus Detect();
    ExitStatus Accepts();
    static QByteArray DetectLine(const ConverterProbe::Result& result);
    static QByteArray DetectJsonLine(const QString& port, const ConverterProbe::Result& result,
                                     ExitStatus status);

    // The document loaded for config's model, and what a write would send
    // for it, the identifier check's messages shown.
    ExitStatus Prepare(Configuration& config, CEncodedConfig& encoded);
    ExitStatus LoadDocument(Configuration& config);
    KeysWithoutEffect WithoutEffect() const;
    static QString ForceHint(const DocumentRefusal& refusal);
    std::optional<QByteArray> ReadInput();
    QString InputName() const;
    // path: the device the port given resolves to.
    ExitStatus ConnectPort(CSerialComm& port, QString& path);
    ExitStatus OpenOutputFile(std::unique_ptr<COutputFile>& file);
    ExitStatus PrintJson(const Configuration& config, COutputFile* file);
    ExitStatus Refuse(const QString& text);

    CCliArguments m_arguments;
    CConsoleSink m_console;
    CProfile m_profile;
    CSystemPortDetector m_detector;
    CTerminalProgress m_progress;
};
