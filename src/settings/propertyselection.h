#pragma once

#include <QString>
#include <QStringList>

// The arithmetic of the serial settings dialog, kept free of widgets: which list entries the
// serial control's state selects when the dialog opens, and the texts that OK applies and stores.
namespace properties {

// The entries of the dialog's lists, in list order.
QStringList portEntries();            // "Com1" ... "Com4"
QStringList speedEntries();           // "1200" ... "57600"
QStringList dataBitsEntries();        // "7", "8"
QStringList parityEntries();          // "Pari", "Dispari", "Nessuna", "Mark", "Space"
QStringList stopBitsEntries();        // "1", "2"
inline constexpr int kFlowModes = 4;  // "Nessuno", "Xon/Xoff", "RTS", "Xon/RTS"

// List indexes to select; -1 where the serial control's value is not an entry of the list.
struct Selection
{
    int port = -1;
    int speed = -1;
    int dataBits = -1;
    int parity = -1;
    int stopBits = -1;
    int flow = -1;

    friend bool operator==(const Selection &a, const Selection &b)
    {
        return a.port == b.port && a.speed == b.speed && a.dataBits == b.dataBits &&
               a.parity == b.parity && a.stopBits == b.stopBits && a.flow == b.flow;
    }
};

// The fields are taken at fixed distances from the end of the settings text, as the serial
// control reads it back ("9600,n,8,1"; a stop-bits field with a dot such as "1.5" moves them two
// places). Only a lower-case parity letter selects a parity. Any text is safe: a field that falls
// outside it selects nothing.
Selection selection(const QString &settings, int commPort, int handshaking);

// "N", "E", "O", "M" or "S" for a parity entry in any case; empty for anything else (no
// selection).
QString parityLetter(const QString &entry);

// The settings text OK applies: each field without surrounding blanks, joined by commas.
QString settingsText(const QString &speed, const QString &parityLetter, const QString &dataBits,
                     const QString &stopBits);

// The CommPort value stored for a port entry: the digit that ends it ("Com3" gives "3"); empty
// for an entry that does not end in a digit.
QString commPortValue(const QString &portEntry);

}  // namespace properties
