#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

struct CliResult
{
    bool finished = false;
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs the real kelvane-cli with a profile folder of its own, so that no test
// touches the user's profile and a test can map COMn to a simulator.
class CCliRunner
{
public:
    CCliRunner();

    bool IsValid() const { return m_configHome.isValid(); }
    QString ProfileFile() const;
    // Replaces the window's profile by these lines, [Ports] included.
    bool WriteProfile(const QByteArray& contents) const;

    // prefix: a command that runs the CLI, such as setpriv with its options.
    CliResult Run(const QStringList& arguments, const QByteArray& input = {},
                  const QStringList& prefix = {}) const;

private:
    QTemporaryDir m_configHome;
};
