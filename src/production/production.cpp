#include "production/production.h"

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

namespace {

// Binary serial numbers: a byte 0A or 0D would end the command that carries it. Of the 256 byte
// values 254 travel, so the values that travel can be counted and numbered like the digits of a
// number in base 254, byte by byte from the most significant.
constexpr quint64 kTravellingBytes = 254;

bool byteTravels(quint64 byte)
{
    return byte != 0x0A && byte != 0x0D;
}

quint64 valueByte(quint64 value, int index)
{
    return (value >> (8 * index)) & 0xFF;
}

quint64 integerPower(quint64 base, int exponent)
{
    quint64 result = 1;
    while (exponent-- > 0)
        result *= base;
    return result;
}

// The lowest value from `value` on whose bytes all travel: the first byte that does not is
// raised by one (0B, 0E: no carry, and those travel) and every byte after it set to 00.
quint64 firstTravelling(int width, quint64 value)
{
    for (int i = width - 1; i >= 0; --i) {
        const quint64 byte = valueByte(value, i);
        if (byteTravels(byte))
            continue;
        const quint64 below = i == 7 ? ~quint64(0) : (quint64(1) << (8 * (i + 1))) - 1;
        return (value & ~below) | ((byte + 1) << (8 * i));
    }
    return value;
}

// How many values below `value` travel.
quint64 travellingBelow(int width, quint64 value)
{
    quint64 count = 0;
    for (int i = width - 1; i >= 0; --i) {
        const quint64 byte = valueByte(value, i);
        const quint64 smaller = byte - (byte > 0x0A ? 1 : 0) - (byte > 0x0D ? 1 : 0);
        count += smaller * integerPower(kTravellingBytes, i);
        if (!byteTravels(byte))
            break;  // every value with this byte here holds it
    }
    return count;
}

// The travelling value with `index` travelling values below it.
quint64 travellingAt(int width, quint64 index)
{
    quint64 value = 0;
    for (int i = width - 1; i >= 0; --i) {
        const quint64 unit = integerPower(kTravellingBytes, i);
        quint64 byte = index / unit;
        index %= unit;
        byte += byte >= 12 ? 2 : byte >= 10 ? 1 : 0;  // past 0A, and past 0D
        value |= byte << (8 * i);
    }
    return value;
}

void addSkipped(QList<ValueRange> *skipped, quint64 first, quint64 last)
{
    if (!skipped)
        return;
    if (!skipped->isEmpty() && skipped->last().last + 1 == first)
        skipped->last().last = last;
    else
        skipped->append({first, last});
}

}  // namespace

bool firstSerial(const SerialNumber &serial, quint64 *value, QList<ValueRange> *skipped)
{
    if (*value > largestSerial(serial))
        return false;
    if (serial.form == SerialForm::Decimal)
        return true;  // digits always travel
    const quint64 travelling = firstTravelling(serial.width, *value);
    if (travelling != *value)
        addSkipped(skipped, *value, travelling - 1);
    *value = travelling;
    return true;
}

bool nextSerial(const SerialNumber &serial, quint64 *value, QList<ValueRange> *skipped)
{
    if (*value >= largestSerial(serial))
        return false;
    ++*value;
    return firstSerial(serial, value, skipped);
}

bool lastSerial(const SerialNumber &serial, quint64 first, int count, quint64 *last)
{
    const quint64 steps = quint64(qMax(count, 1) - 1);
    if (serial.form == SerialForm::Decimal) {
        const quint64 largest = largestSerial(serial);
        if (first > largest || steps > largest - first)
            return false;
        *last = first + steps;
        return true;
    }
    // 254^8 is just below 2^64: the sum cannot wrap.
    const quint64 index = travellingBelow(serial.width, first) + steps;
    if (index >= integerPower(kTravellingBytes, serial.width))
        return false;
    *last = travellingAt(serial.width, index);
    return true;
}

QString valueRanges(const QList<ValueRange> &ranges)
{
    QStringList parts;
    for (const ValueRange &r : ranges)
        parts << (r.first == r.last ? QString::number(r.first)
                                    : QStringLiteral("%1-%2").arg(r.first).arg(r.last));
    return parts.join(QLatin1String(", "));
}

UsedSerials::Layout UsedSerials::key(const SerialNumber &serial)
{
    return {serial.row, serial.width, serial.form};
}

void UsedSerials::add(const SerialNumber &layout, quint64 first, quint64 last)
{
    if (first > last)
        return;
    std::map<quint64, quint64> &used = m_used[key(layout)];
    // Joined with every range it overlaps or touches, so that the ranges stay few and disjoint.
    auto it = used.upper_bound(first);
    if (it != used.begin()) {
        const auto before = std::prev(it);
        if (first == 0 || before->second >= first - 1)
            it = before;
    }
    while (it != used.end() &&
           (it->first <= last || (last != ~quint64(0) && it->first == last + 1))) {
        first = std::min(first, it->first);
        last = std::max(last, it->second);
        it = used.erase(it);
    }
    used.emplace(first, last);
}

void UsedSerials::add(const UsedSerials &other)
{
    for (const auto &[layout, ranges] : other.m_used) {
        const SerialNumber serial{std::get<0>(layout), std::get<1>(layout), std::get<2>(layout)};
        for (const auto &[first, last] : ranges)
            add(serial, first, last);
    }
}

std::optional<quint64> UsedSerials::firstUsed(const SerialNumber &layout, quint64 first,
                                              quint64 last) const
{
    const auto found = m_used.find(key(layout));
    if (found == m_used.end() || first > last)
        return std::nullopt;
    const std::map<quint64, quint64> &used = found->second;
    auto it = used.upper_bound(first);
    if (it != used.begin() && std::prev(it)->second >= first)
        return first;
    if (it != used.end() && it->first <= last)
        return it->first;
    return std::nullopt;
}

std::optional<quint64> UsedSerials::firstFree(const SerialNumber &layout, quint64 from,
                                              int count) const
{
    const quint64 largest = largestSerial(layout);
    const auto found = m_used.find(key(layout));
    quint64 value = from;
    // Each turn passes a whole used range: as many turns as there are ranges, at most.
    for (;;) {
        if (!firstSerial(layout, &value))
            return std::nullopt;
        quint64 last = largest;
        if (count > 0 && !lastSerial(layout, value, count, &last))
            return std::nullopt;
        const std::optional<quint64> used = firstUsed(layout, value, last);
        if (!used)
            return value;
        const quint64 rangeLast = std::prev(found->second.upper_bound(*used))->second;
        if (rangeLast >= largest)
            return std::nullopt;
        value = rangeLast + 1;
    }
}

QList<ValueRange> UsedSerials::ranges(const SerialNumber &layout) const
{
    QList<ValueRange> out;
    if (const auto found = m_used.find(key(layout)); found != m_used.end()) {
        for (const auto &[first, last] : found->second)
            out.append({first, last});
    }
    return out;
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

QString unfinishedResult(const QList<RowBytes> &blocks, int sent, bool interrupted)
{
    if (sent <= 0)
        return interrupted ? QStringLiteral("interrotto") : QStringLiteral("non inviato");
    QString result;
    if (sent < blocks.size()) {
        QList<int> rows;
        for (int i = 0; i < sent; ++i)
            rows << blocks.at(i).row;
        result = QStringLiteral("scritto in parte (blocchi %1)").arg(blockdata::rowList(rows));
    } else {
        result = QStringLiteral("scritto, non verificato");
    }
    return interrupted ? result + QStringLiteral(", interrotto") : result;
}

bool serialSent(const SerialNumber *serial, const QList<RowBytes> &blocks, int sent)
{
    for (int i = 0; i < qMin<qsizetype>(sent, blocks.size()); ++i) {
        if (covers(serial, blocks.at(i).row))
            return true;
    }
    return false;
}

QString csvField(const QString &text, QChar separator)
{
    if (!text.contains(separator) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

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
    return QStringList{csvField(time.toString(Qt::ISODate), QLatin1Char(',')),
                       QString::number(sequence),
                       blockdata::toHex(uid),
                       csvField(serial, QLatin1Char(',')),
                       csvField(blocksText(written), QLatin1Char(',')),
                       csvField(result, QLatin1Char(','))}
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
