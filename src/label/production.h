#pragma once

#include "tag/blockdata.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

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
// The next value after `value` whose bytes can travel inside a command (a binary value may hold
// the bytes 0D or 0A); the values passed over are added to `skipped`. False when the width and
// form hold no further value.
bool nextSerial(const SerialNumber &serial, quint64 *value, QList<quint64> *skipped);
// The first value from `value` on that can travel, as nextSerial() finds them.
bool firstSerial(const SerialNumber &serial, quint64 *value, QList<quint64> *skipped);
// "10, 13, 266-511": values as a list, runs as ranges.
QString valueRanges(const QList<quint64> &values);

// The template's rows with the serial's rows written over them, in row order.
// Whether the serial number, if any, fills block row `row` (0-based).
bool covers(const SerialNumber *serial, int row);
QList<RowBytes> tagBlocks(const QList<RowBytes> &templateRows, const SerialNumber *serial,
                          quint64 value);

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
