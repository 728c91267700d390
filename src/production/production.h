#pragma once

#include "tag/blockdata.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <map>
#include <optional>
#include <tuple>

// The arithmetic of a production run, free of widgets and of the line: the serial number written
// into each tag, and the log kept of every tag (CSV).
namespace production {

enum class SerialForm {
    Decimal,  // ASCII digits, zero-padded to the width: 4 bytes "0042"
    Binary,   // the number itself, big-endian: 4 bytes 00 00 00 2A
};

struct SerialNumber
{
    int row = 0;    // the first block row it fills, 0-based; it fills width / 4 rows
    int width = 4;  // 4 or 8 bytes
    SerialForm form = SerialForm::Decimal;
    quint64 start = 1;
};

// The largest value the width and form can hold (9999, 99999999, 2^32 - 1, 2^64 - 1).
quint64 largestSerial(const SerialNumber &serial);
// The bytes of `value` (at most largestSerial()), `serial.width` of them.
QByteArray serialBytes(const SerialNumber &serial, quint64 value);

// Serial values from `first` to `last`, both included.
struct ValueRange
{
    quint64 first = 0;
    quint64 last = 0;
    bool operator==(const ValueRange &other) const
    {
        return first == other.first && last == other.last;
    }
};

// The next value after `value` whose bytes can travel inside a command (a binary value may hold
// the bytes 0D or 0A); the values passed over are added to `skipped` as ranges. False when the
// width and form hold no further value. Found arithmetically: any value takes a few steps.
bool nextSerial(const SerialNumber &serial, quint64 *value, QList<ValueRange> *skipped = nullptr);
// The first value from `value` on that can travel, as nextSerial() finds them.
bool firstSerial(const SerialNumber &serial, quint64 *value, QList<ValueRange> *skipped = nullptr);
// The value a series of `count` tags starting at `first` (a value that travels) ends at, as
// nextSerial() would reach it. False when the width runs out before.
bool lastSerial(const SerialNumber &serial, quint64 first, int count, quint64 *last);
// "10, 13, 266-511": single values as such, longer ranges as first-last.
QString valueRanges(const QList<ValueRange> &ranges);

// The serial values already used, per layout (row, width and form: the same value in another
// row or form is another number). A series must touch none of them.
class UsedSerials
{
public:
    void add(const SerialNumber &layout, quint64 first, quint64 last);
    // The lowest used value from `first` to `last`, if any.
    std::optional<quint64> firstUsed(const SerialNumber &layout, quint64 first, quint64 last) const;
    // The first value from `from` on where a series of `count` tags (0: until the width runs out)
    // touches no used value; none when there is no such value.
    std::optional<quint64> firstFree(const SerialNumber &layout, quint64 from, int count) const;
    // Adds every value `other` holds as used.
    void add(const UsedSerials &other);
    // The used values of `layout`, in order, adjacent ranges joined.
    QList<ValueRange> ranges(const SerialNumber &layout) const;

private:
    using Layout = std::tuple<int, int, SerialForm>;
    static Layout key(const SerialNumber &serial);
    std::map<Layout, std::map<quint64, quint64>> m_used;  // first -> last
};

// The template's rows with the serial's rows written over them, in row order.
// Whether the serial number, if any, fills block row `row` (0-based).
bool covers(const SerialNumber *serial, int row);
QList<RowBytes> tagBlocks(const QList<RowBytes> &templateRows, const SerialNumber *serial,
                          quint64 value);

// A tag the run left before its result was known, its `blocks` written in order up to the first
// `sent` of them: the log's result for it ("non inviato", "scritto in parte (blocchi 1, 2)",
// "scritto, non verificato", with ", interrotto" when the operator or the program's end stopped
// it), and whether its serial number went out, so that no other tag gets it.
QString unfinishedResult(const QList<RowBytes> &blocks, int sent, bool interrupted);
bool serialSent(const SerialNumber *serial, const QList<RowBytes> &blocks, int sent);

// A field of a CSV line: quoted as RFC 4180 asks where it holds `separator`, a quote or a line
// break.
QString csvField(const QString &text, QChar separator);

// The log: one line per tag, a header line when the file is new. Fields are separated by commas
// and quoted where they hold a comma or a quote.
QString logHeader();
QString logLine(const QDateTime &time, int sequence, const QByteArray &uid, const QString &serial,
                const QList<RowBytes> &written, const QString &result);
// "1:42303031 2:30303031": each block's number and its bytes in hexadecimal.
QString blocksText(const QList<RowBytes> &blocks);

// "1:05" (minutes and seconds), "1:02:05" from an hour on.
QString duration(double seconds);

}  // namespace production
