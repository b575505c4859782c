#pragma once

#include <QDir>
#include <QString>

class CKelvaneSheet;

// Opens the sheet for one converter model and saves a picture of every tab,
// disconnected and connected, into the output folder as
// ostrel-<model>-<tab>-<state>-<scale>.png, scale being the display scale in
// percent.
class CScreenshotRun
{
public:
    // portPath: the pty that COM1 leads to; empty starts a simulator of the
    // model in this process.
    CScreenshotRun(const QDir& outDir, const QString& portPath);

    // False when the pictures could not all be taken or saved.
    bool Shoot(int deviceType);

private:
    bool ShootTabs(CKelvaneSheet& sheet, int deviceType, const QString& state);
    bool ShootWithPort(int deviceType, const QString& portPath);

    QDir m_outDir;
    QString m_portPath;
};
