#pragma once

#include "fakeserialcontrol.h"
#include "link/serialdevices.h"

#include <QHash>

// Serial devices for tests: those "reported", and probe lines on fake serial controls. A device
// answers as the printer when it is one of `printers`, at the speed given (0: at any), and as its
// script says when it has one (a modem, a loopback plug, noise); the others are silent, or cannot
// be opened.
class FakeSerialDevices : public SerialDevices
{
public:
    QList<SerialDevice> reported;
    QHash<QString, int> printers;            // device and the speed the printer answers at
    QHash<QString, SerialError> openErrors;  // devices that cannot be opened
    // Device and what it answers to each command (FakeSerialControl::script).
    QHash<QString, std::function<QList<Emission>(const QByteArray &command)>> scripts;

    struct Write
    {
        QString device;
        QString settings;  // of the line when it was written
        QByteArray bytes;
    };
    mutable QList<Write> writes;  // on the probe lines, in order
    mutable int opened = 0;       // probe lines handed out

    QList<SerialDevice> available() const override { return reported; }

    std::unique_ptr<SerialControl> control(const QString &device) const override
    {
        auto control = std::make_unique<FakeSerialControl>();
        FakeSerialControl *c = control.get();
        c->setDeviceName(1, device);
        c->openError = openErrors.value(device);
        c->script = scripts.value(device);
        const int speed = printers.value(device, -1);
        c->onWrite = [this, c, device, speed](const QByteArray &bytes) {
            writes.append({device, c->settings(), bytes});
            c->model().behaviour.silent =
                speed < 0 ||
                (speed > 0 && !c->settings().startsWith(QString::number(speed) + QLatin1Char(',')));
        };
        ++opened;
        return control;
    }
};
