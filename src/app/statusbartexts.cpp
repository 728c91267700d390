#include "app/statusbartexts.h"

QString parityWord(QChar letter)
{
    switch (letter.toUpper().unicode()) {
    case 'N': return QStringLiteral("NESSUNA");
    case 'E': return QStringLiteral("PARI");
    case 'O': return QStringLiteral("DISPARI");
    case 'M': return QStringLiteral("MARK");
    case 'S': return QStringLiteral("SPACE");
    default: return QString(letter).toUpper();
    }
}

QStringList statusBarTexts(int port, const QString &settings)
{
    const qsizetype comma = settings.indexOf(QLatin1Char(','));
    const qsizetype p = comma < 0 ? settings.size() : comma;  // 0-based index of the first comma
    const auto at = [&](qsizetype i) { return i < settings.size() ? settings.at(i) : QChar(); };
    const auto one = [&](qsizetype i) {
        return i < settings.size() ? QString(settings.at(i)) : QString();
    };
    return {
        QStringLiteral("Porta Seriale:  COM%1").arg(port),
        QStringLiteral("Baudrate:  ") + settings.left(p),
        QStringLiteral("Parità:  ") + (at(p + 1).isNull() ? QString() : parityWord(at(p + 1))),
        QStringLiteral("Bit DATI:  ") + one(p + 3),
        QStringLiteral("Bit STOP:  ") + one(p + 5),
    };
}
