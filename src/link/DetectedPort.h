#pragma once

#include <QList>
#include <QString>

// A serial port the system reports, with what it tells about the device.
struct DetectedPort
{
    QString path;         // the device node, "/dev/ttyUSB0"; on Windows its name, "COM3"
    QString description;  // "FT232R USB UART"; may be empty
    QString manufacturer; // may be empty
    QString serialNumber; // may be empty
    QString byIdPath;     // its stable name under /dev/serial/by-id; may be empty
    bool adapter = false; // a USB or ACM adapter rather than a built-in port

    // The description, else the manufacturer.
    QString Label() const { return description.isEmpty() ? manufacturer : description; }
};

// Where the serial ports present come from: the system for the window and
// the command line, a fixed list for the tests (a simulator's
// pseudo-terminal is never among the system's serial ports).
class CPortDetector
{
public:
    virtual ~CPortDetector() = default;
    virtual QList<DetectedPort> DetectPorts() const = 0;
};
