#pragma once

// src/settings/: the stored settings, the printer search and the serial settings dialog
// (settings/ui/). Includes link/ and common/; app/ builds on it.

#include "settings/settingsstore.h"

#include <QString>

class SerialControl;

// The six stored serial settings, as text, and the one place that knows their keys: reading them
// with their defaults, applying them to the serial control at start-up, writing them after the
// settings dialog's OK.
struct SerialSettings
{
    QString commPort = QStringLiteral("1");
    QString baudRate = QStringLiteral("9600");
    QString parity = QStringLiteral("N");
    QString dataBit = QStringLiteral("8");
    QString stopBit = QStringLiteral("1");
    QString handshaking = QStringLiteral("0");

    // Group "Properties" of the store; a key that is not there keeps its default.
    static SerialSettings read(const SettingsStore &store);

    // The six keys in their order, and the [Ports] entry when given, in one rewrite of the file.
    // False when they could not be written (the store's writeStatus() says why).
    bool write(SettingsStore &store, const PortEntry &port = {}) const;

    // Port number, flow control, then the line settings text, as start-up sets them. A value the
    // serial control cannot take stops there: false, and `cause` names the key, its value and why.
    bool applyTo(SerialControl &comm, QString *cause) const;
};
