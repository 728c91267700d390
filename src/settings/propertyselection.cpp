#include "settings/propertyselection.h"

namespace properties {

namespace {

// The parity letters as the serial control reads them back, in the order of parityEntries().
const QString kParityLetters = QStringLiteral("eonms");

// The character at 1-based position `pos`, or nothing when the text does not reach it.
QString charAt(const QString &text, qsizetype pos)
{
    if (pos < 1 || pos > text.size())
        return {};
    return text.mid(pos - 1, 1);
}

}  // namespace

QStringList portEntries()
{
    return {QStringLiteral("Com1"), QStringLiteral("Com2"), QStringLiteral("Com3"),
            QStringLiteral("Com4")};
}

QStringList speedEntries()
{
    return {QStringLiteral("1200"), QStringLiteral("2400"),  QStringLiteral("4800"),
            QStringLiteral("9600"), QStringLiteral("19200"), QStringLiteral("38400"),
            QStringLiteral("57600")};
}

QStringList dataBitsEntries()
{
    return {QStringLiteral("7"), QStringLiteral("8")};
}

QStringList parityEntries()
{
    return {QStringLiteral("Pari"), QStringLiteral("Dispari"), QStringLiteral("Nessuna"),
            QStringLiteral("Mark"), QStringLiteral("Space")};
}

QStringList stopBitsEntries()
{
    return {QStringLiteral("1"), QStringLiteral("2")};
}

Selection selection(const QString &settings, int commPort, int handshaking)
{
    const qsizetype l = settings.size();
    const qsizetype k = settings.contains(QLatin1Char('.')) ? 2 : 0;

    Selection s;
    if (const qsizetype n = l - 6 - k; n >= 0)  // a shorter text has no speed field at all
        s.speed = speedEntries().indexOf(settings.left(n));
    const QString parity = charAt(settings, l - 4 - k);
    if (!parity.isEmpty())
        s.parity = int(kParityLetters.indexOf(parity, 0, Qt::CaseSensitive));
    const QString dataBits = charAt(settings, l - 2 - k);
    if (!dataBits.isEmpty())
        s.dataBits = dataBitsEntries().indexOf(dataBits);
    s.stopBits = stopBitsEntries().indexOf(settings.right(k + 1));
    if (commPort >= 1 && commPort <= portEntries().size())
        s.port = commPort - 1;
    if (handshaking >= 0 && handshaking < kFlowModes)
        s.flow = handshaking;
    return s;
}

QString parityLetter(const QString &entry)
{
    const QString word = entry.toUpper();
    if (word == QLatin1String("NESSUNA"))
        return QStringLiteral("N");
    if (word == QLatin1String("PARI"))
        return QStringLiteral("E");
    if (word == QLatin1String("DISPARI"))
        return QStringLiteral("O");
    if (word == QLatin1String("MARK"))
        return QStringLiteral("M");
    if (word == QLatin1String("SPACE"))
        return QStringLiteral("S");
    return {};
}

QString settingsText(const QString &speed, const QString &parityLetter, const QString &dataBits,
                     const QString &stopBits)
{
    return speed.trimmed() + QLatin1Char(',') + parityLetter + QLatin1Char(',') +
           dataBits.trimmed() + QLatin1Char(',') + stopBits.trimmed();
}

QString commPortValue(const QString &portEntry)
{
    const char16_t last = portEntry.isEmpty() ? u'\0' : portEntry.back().unicode();
    if (last < u'0' || last > u'9')
        return {};
    return QString::number(last - u'0');
}

}  // namespace properties
