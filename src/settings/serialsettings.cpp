#include "settings/serialsettings.h"

#include "common/displaytext.h"
#include "link/serialcontrol.h"
#include "settings/settingsstore.h"

#include <array>

namespace {

const char kCommPort[] = "CommPort";
const char kBaudRate[] = "BaudRate";
const char kParity[] = "Parity";
const char kDataBit[] = "DataBit";
const char kStopBit[] = "StopBit";
const char kHandshaking[] = "Handshaking";

// The members holding the four fields of the line settings text, in its order, with their keys.
struct LineField
{
    const char *key;
    QString SerialSettings::*value;
};
const std::array<LineField, 4> kLineFields = {{{kBaudRate, &SerialSettings::baudRate},
                                               {kParity, &SerialSettings::parity},
                                               {kDataBit, &SerialSettings::dataBit},
                                               {kStopBit, &SerialSettings::stopBit}}};

// Stored numbers are converted as a whole, blanks around them allowed; anything else is refused
// with the reason.
bool toInteger(const QString &text, qint64 min, qint64 max, qint64 *value, QString *why)
{
    bool ok = false;
    const qint64 v = text.trimmed().toLongLong(&ok);
    if (!ok) {
        *why = QStringLiteral("non è un numero intero");
        return false;
    }
    if (v < min || v > max) {
        *why = QStringLiteral("numero fuori dall'intervallo ammesso (%1 ... %2)").arg(min).arg(max);
        return false;
    }
    *value = v;
    return true;
}

QString keyValue(const char *key, const QString &value)
{
    return QStringLiteral("Chiave \"%1\" del gruppo [Properties] = %2")
        .arg(QLatin1String(key), quoted(value));
}

}  // namespace

SerialSettings SerialSettings::read(const SettingsStore &store)
{
    SerialSettings s;
    s.commPort = store.read(QLatin1String(kCommPort), s.commPort);
    for (const LineField &f : kLineFields)
        s.*f.value = store.read(QLatin1String(f.key), s.*f.value);
    s.handshaking = store.read(QLatin1String(kHandshaking), s.handshaking);
    return s;
}

bool SerialSettings::write(SettingsStore &store, const PortEntry &port) const
{
    QList<std::pair<QString, QString>> values{{QLatin1String(kCommPort), commPort}};
    for (const LineField &f : kLineFields)
        values.append({QLatin1String(f.key), this->*f.value});
    values.append({QLatin1String(kHandshaking), handshaking});
    return store.write(values, port);
}

bool SerialSettings::applyTo(SerialControl &comm, QString *cause) const
{
    qint64 port = 0;
    QString why;
    if (!toInteger(commPort, -32768, 32767, &port, &why)) {
        *cause = keyValue(kCommPort, commPort) + QLatin1String(": ") + why + QLatin1Char('.');
        return false;
    }
    if (SerialError e = comm.setCommPort(int(port)); e.failed()) {
        *cause = keyValue(kCommPort, commPort) + QLatin1String(":\n") + e.text();
        return false;
    }

    qint64 mode = 0;
    if (!toInteger(handshaking, INT32_MIN, INT32_MAX, &mode, &why)) {
        *cause = keyValue(kHandshaking, handshaking) + QLatin1String(": ") + why + QLatin1Char('.');
        return false;
    }
    if (SerialError e = comm.setHandshaking(int(mode)); e.failed()) {
        *cause = keyValue(kHandshaking, handshaking) + QLatin1String(":\n") + e.text();
        return false;
    }

    QStringList line;
    for (const LineField &f : kLineFields)
        line << this->*f.value;
    if (SerialError e = comm.setSettings(line.join(QLatin1Char(','))); e.failed()) {
        if (e.field >= 0 && e.field < int(kLineFields.size())) {
            const LineField &f = kLineFields[size_t(e.field)];
            *cause = keyValue(f.key, this->*f.value);
        } else {
            QStringList keys;
            for (const LineField &f : kLineFields)
                keys << QStringLiteral("\"%1\"").arg(QLatin1String(f.key));
            *cause = QStringLiteral("Chiavi %1 del gruppo [Properties]")
                         .arg(keys.join(QLatin1String(", ")));
        }
        *cause += QLatin1String(":\n") + e.text();
        return false;
    }
    return true;
}
