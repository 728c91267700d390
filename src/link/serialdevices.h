#pragma once

#include <QList>
#include <QString>

#include <memory>

class SerialControl;

// The device a name leads to, links followed; a bare name ("ttyUSB0") is one under /dev, as
// QSerialPort takes it. A name that leads nowhere is given back as it is. Two names stand for one
// device when their targets are equal.
QString serialDeviceTarget(const QString &device);

// A serial device the system reports, as an operator would pick it.
struct SerialDevice
{
    QString path;         // what to open: the stable /dev/serial/by-id/… name when there is one
    QString description;  // what tells it apart to a person: kind, maker, serial number
};

// The serial devices of this computer, and a line of one's own on any of them: the settings
// dialog offers the devices and probes them for the printer. Tests offer pseudo-terminals.
class SerialDevices
{
public:
    virtual ~SerialDevices() = default;
    virtual QList<SerialDevice> available() const = 0;
    // A serial control of its own whose port 1 is `device`, closed; none when `device` cannot be
    // a device name (it holds a control character).
    virtual std::unique_ptr<SerialControl> control(const QString &device) const = 0;
};
