#include "label/production.h"

#include "link/printercommands.h"

#include <QStringList>

#include <algorithm>
#include <cmath>
#include <limits>

namespace production {

quint64 largestSerial(const SerialNumber &serial)
{
    if (serial.form == SerialForm::Decimal)
        return serial.width == 8 ? 99999999u : 9999u;
    return serial.width == 8 ? std::numeric_limits<quint64>::max() : 0xFFFFFFFFu;
}

QByteArray serialBytes(const SerialNumber &serial, quint64 value)
{
    if (serial.form == SerialForm::Decimal)
        return QByteArray::number(value).rightJustified(serial.width, '0');
    QByteArray bytes(serial.width, '\0');
    for (int i = serial.width - 1; i >= 0; --i, value >>= 8)
        bytes[i] = char(value & 0xFF);
    return bytes;
}

bool firstSerial(const SerialNumber &serial, quint64 *value, QList<quint64> *skipped)
{
    const quint64 largest = largestSerial(serial);
    if (*value > largest)
        return false;
    while (!blockdata::travelsInCommand(serialBytes(serial, *value))) {
        if (*value == largest)
            return false;
        *skipped << (*value)++;
    }
    return true;
}

bool nextSerial(const SerialNumber &serial, quint64 *value, QList<quint64> *skipped)
{
    if (*value >= largestSerial(serial))
        return false;
    ++*value;
    return firstSerial(serial, value, skipped);
}

QString valueRanges(const QList<quint64> &values)
{
    QStringList parts;
    for (qsizetype i = 0; i < values.size();) {
        qsizetype j = i;
        while (j + 1 < values.size() && values[j + 1] == values[j] + 1)
            ++j;
        parts << (j == i ? QString::number(values[i])
                         : QStringLiteral("%1-%2").arg(values[i]).arg(values[j]));
        i = j + 1;
    }
    return parts.join(QLatin1String(", "));
}

bool covers(const SerialNumber *serial, int row)
{
    return serial && row >= serial->row && row < serial->row + serial->width / printer::kBlockSize;
}

QList<RowBytes> tagBlocks(const QList<RowBytes> &templateRows, const SerialNumber *serial,
                          quint64 value)
{
    QList<RowBytes> blocks;
    for (const RowBytes &b : templateRows) {
        if (!covers(serial, b.row))
            blocks.append(b);
    }
    if (serial) {
        const QByteArray bytes = serialBytes(*serial, value);
        for (int i = 0; i < serial->width / printer::kBlockSize; ++i)
            blocks.append(
                {serial->row + i, bytes.mid(i * printer::kBlockSize, printer::kBlockSize)});
    }
    std::sort(blocks.begin(), blocks.end(),
              [](const RowBytes &a, const RowBytes &b) { return a.row < b.row; });
    return blocks;
}

namespace {

QString field(const QString &text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

}  // namespace

QString logHeader()
{
    return QStringLiteral("ora,sequenza,uid,seriale,dati,esito");
}

QString blocksText(const QList<RowBytes> &blocks)
{
    QStringList parts;
    for (const RowBytes &b : blocks)
        parts << QStringLiteral("%1:%2").arg(b.row + 1).arg(blockdata::toHex(b.bytes));
    return parts.join(QLatin1Char(' '));
}

QString logLine(const QDateTime &time, int sequence, const QByteArray &uid, const QString &serial,
                const QList<RowBytes> &written, const QString &result)
{
    return QStringList{field(time.toString(Qt::ISODate)),
                       QString::number(sequence),
                       blockdata::toHex(uid),
                       field(serial),
                       field(blocksText(written)),
                       field(result)}
        .join(QLatin1Char(','));
}

QString duration(double seconds)
{
    const qint64 total = std::llround(std::max(0.0, seconds));
    const qint64 h = total / 3600;
    const qint64 m = total / 60 % 60;
    const qint64 s = total % 60;
    if (h > 0)
        return QStringLiteral("%1:%2:%3")
            .arg(h)
            .arg(m, 2, 10, QLatin1Char('0'))
            .arg(s, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(m).arg(s, 2, 10, QLatin1Char('0'));
}

}  // namespace production
