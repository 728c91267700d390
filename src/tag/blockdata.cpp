#include "tag/blockdata.h"

#include "link/printercommands.h"
#include "link/replytext.h"

#include <QStringList>

namespace blockdata {

QString rowList(const QList<int> &rows)
{
    QStringList numbers;
    for (int row : rows)
        numbers << QString::number(row + 1);
    return numbers.join(QLatin1String(", "));
}

QString rowRanges(const QList<int> &rows)
{
    QStringList parts;
    for (int i = 0; i < rows.size();) {
        int j = i;
        while (j + 1 < rows.size() && rows[j + 1] == rows[j] + 1)
            ++j;
        if (j - i >= 2) {
            parts << QStringLiteral("%1-%2").arg(rows[i] + 1).arg(rows[j] + 1);
        } else {
            for (int k = i; k <= j; ++k)
                parts << QString::number(rows[k] + 1);
        }
        i = j + 1;
    }
    return parts.join(QLatin1String(", "));
}

QString toHex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex().toUpper());
}

HexError fromHex(QStringView text, QByteArray *out)
{
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (!((u >= '0' && u <= '9') || (u >= 'A' && u <= 'F') || (u >= 'a' && u <= 'f')))
            return HexError::NotHex;
    }
    if (text.size() % 2 != 0)
        return HexError::OddDigits;
    *out = QByteArray::fromHex(text.toLatin1());
    return HexError::None;
}

QByteArray padded(const QByteArray &bytes)
{
    return bytes.rightJustified(printer::kBlockSize, ' ', true);
}

QByteArray trimmed(const QByteArray &block)
{
    qsizetype from = 0;
    qsizetype to = block.size();
    while (from < to && block.at(from) == ' ')
        ++from;
    while (to > from && block.at(to - 1) == ' ')
        --to;
    return block.mid(from, to - from);
}

QString displayText(const QByteArray &bytes)
{
    return fieldText(QString::fromLatin1(bytes));
}

bool travelsInCommand(const QByteArray &bytes)
{
    return !hasLineBreak(QString::fromLatin1(bytes));
}

QString lineBreakRefusal(const QList<int> &rows)
{
    return (rows.size() == 1 ? QStringLiteral("il blocco %1 contiene")
                             : QStringLiteral("i blocchi %1 contengono"))
               .arg(rowList(rows)) +
           QStringLiteral(" i byte CR o LF (0D, 0A), che non possono stare in un comando");
}

}  // namespace blockdata
