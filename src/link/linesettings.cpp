#include "link/linesettings.h"

#include "common/displaytext.h"

#include <QStringList>

namespace {

const int kSpeeds[] = {110, 300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};

SerialError refusedSettings(const QString &text, int field, const QString &why)
{
    return {SerialError::InvalidSettings,
            QStringLiteral("impostazioni %1 non valide: %2").arg(quoted(text), why), field};
}

}  // namespace

QString LineSettings::format() const
{
    return QStringLiteral("%1,%2,%3,%4")
        .arg(baudRate)
        .arg(QChar::fromLatin1(parity))
        .arg(dataBits)
        .arg(stopBits);
}

SerialError LineSettings::parse(const QString &text, LineSettings *out)
{
    const QStringList fields = text.split(QLatin1Char(','));
    if (fields.size() != 4)
        return refusedSettings(text, -1,
                               QStringLiteral("servono quattro campi separati da virgole "
                                              "(velocità,parità,bit di dati,bit di stop)"));

    LineSettings parsed;

    bool ok = false;
    const QString speed = fields[FieldSpeed].trimmed();
    parsed.baudRate = speed.toInt(&ok);
    if (!ok ||
        std::find(std::begin(kSpeeds), std::end(kSpeeds), parsed.baudRate) == std::end(kSpeeds))
        return refusedSettings(
            text, FieldSpeed,
            QStringLiteral("velocità %1 non ammessa (da 110 a 115200, per esempio "
                           "9600 o 19200)")
                .arg(quoted(fields[FieldSpeed])));

    const QString parity = fields[FieldParity].trimmed().toLower();
    if (parity.size() != 1 || !QStringLiteral("neoms").contains(parity))
        return refusedSettings(text, FieldParity,
                               parity.isEmpty()
                                   ? QStringLiteral("manca la parità (N, E, O, M o S)")
                                   : QStringLiteral("parità %1 non ammessa (N, E, O, M o S)")
                                         .arg(quoted(fields[FieldParity])));
    parsed.parity = parity.at(0).toLatin1();

    const QString dataBits = fields[FieldDataBits].trimmed();
    parsed.dataBits = dataBits.toInt(&ok);
    if (!ok || parsed.dataBits < 5 || parsed.dataBits > 8)
        return refusedSettings(text, FieldDataBits,
                               QStringLiteral("bit di dati %1 non ammessi (5, 6, 7 o 8)")
                                   .arg(quoted(fields[FieldDataBits])));

    const QString stopBits = fields[FieldStopBits].trimmed();
    if (stopBits != QLatin1String("1") && stopBits != QLatin1String("1.5") &&
        stopBits != QLatin1String("2"))
        return refusedSettings(text, FieldStopBits,
                               QStringLiteral("bit di stop %1 non ammessi (1, 1.5 o 2)")
                                   .arg(quoted(fields[FieldStopBits])));
    parsed.stopBits = stopBits;

    if (out)
        *out = parsed;
    return {};
}
