#pragma once

#include <QString>

// A refusal or failure of the serial layer: a number an operator can quote and a description that
// names the device and the reason.
struct SerialError
{
    enum Code {
        None = 0,
        InvalidPortNumber = 1,
        PortAlreadyOpen = 2,  // the port number cannot change while the port is open
        InvalidSettings = 3,
        InvalidHandshaking = 4,
        DeviceMissing = 5,
        PermissionDenied = 6,
        DeviceBusy = 7,
        OpenFailed = 8,
        PortNotOpen = 9,
        WriteFailed = 10,
        DeviceLost = 11,
        NotSingleByte = 12,  // a character that has no single-byte code
        InvalidDevice = 13,  // a device name no device can have
    };

    int number = None;
    QString description;
    int field = -1;  // for InvalidSettings: which of the four fields was refused (0 = speed)

    SerialError() = default;
    SerialError(Code code, QString text, int settingsField = -1)
        : number(code), description(std::move(text)), field(settingsField)
    {
    }

    bool ok() const { return number == None; }
    bool failed() const { return number != None; }
    // The cause first, in words; the number after it, for a technician:
    // "/dev/ttyUSB0: accesso negato (codice errore 6)"
    QString text() const;
};
