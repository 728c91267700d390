#pragma once

#include "link/serialdevices.h"

// The devices QSerialPortInfo reports, under the names udev gives them in /dev/serial/by-id
// (these stay the same from one plugging to the next, /dev/ttyUSB0 does not), on QSerialPort.
class SystemSerialDevices : public SerialDevices
{
public:
    explicit SystemSerialDevices(QString stableNames = QStringLiteral("/dev/serial/by-id"));
    QList<SerialDevice> available() const override;
    std::unique_ptr<SerialControl> control(const QString &device) const override;

    // `devices`, each under the link in `folder` that leads to it where there is one (its own
    // name then closes the description), sorted by name.
    static QList<SerialDevice> withStableNames(QList<SerialDevice> devices, const QString &folder);

private:
    QString m_stableNames;
};
