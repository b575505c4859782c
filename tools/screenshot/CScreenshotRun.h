#pragma once

#include "ConverterModel.h"

#include <QDir>
#include <QString>

class CKelvaneSheet;
class COstrelSimulator;

// Opens the sheet for one converter model and saves a picture of every tab,
// first disconnected, then connected after reading the converter, into the
// output folder as ostrel-<model>-<tab>-<state>-<scale>.png (state
// "disconnected" or "read", scale the display scale in percent). For the
// model with the CAN configuration page and a simulator of its own it also
// saves the progress dialog of a slow read as
// ostrel-<model>-progress-read-<scale>.png, the pages after a verify found
// the converter changed behind the window's back as
// ostrel-<model>-verify-marks-<scale>.png, and the batch dialog after writing
// the pages to that converter, two more and a silent one as
// batch-run-<scale>.png.
class CScreenshotRun
{
public:
    // portPath: the pty that COM1 leads to; empty starts a simulator of the
    // model in this process, configured as DemoConfiguration describes.
    CScreenshotRun(const QDir& outDir, const QString& portPath);

    // False when the converter could not be connected and read, or the
    // pictures could not all be saved.
    bool Shoot(ConverterModel model);

private:
    bool ShootTabs(CKelvaneSheet& sheet, ConverterModel model, const QString& state);
    bool ShootWithPort(ConverterModel model, const QString& portPath,
                       COstrelSimulator* simulator = nullptr);
    bool ShootProgress(CKelvaneSheet& sheet, ConverterModel model, COstrelSimulator& simulator);
    bool ShootVerify(CKelvaneSheet& sheet, ConverterModel model, COstrelSimulator& simulator);
    bool ShootBatch(CKelvaneSheet& sheet, ConverterModel model);
    QString PicturePath(const QString& name, const QWidget& window) const;

    QDir m_outDir;
    QString m_portPath;
};
