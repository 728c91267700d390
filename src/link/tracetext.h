#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>

// One piece of traffic on the line to the printer, or a mark between pieces, kept as it
// crossed: the bytes raw, the times as taken. Turned into text only when someone reads it.
struct TraceEntry
{
    enum class Kind : quint8 {
        ToPrinter,    // written by the program, read by the printer
        FromPrinter,  // written by the printer, read by the program
        Boundary,     // an operation ended
        Note,         // `bytes` is a remark in UTF-8: the line opened, the device lost...
    };
    Kind kind = Kind::Boundary;
    qint64 elapsedNs = 0;  // since the line was opened, on the monotonic clock
    qint64 wallMs = 0;     // the time of day, in milliseconds since the epoch
    QByteArray bytes;
};

// The trace's lines, the same in the monitor, in the program's trace file and in the
// simulator's, so that two traces of one conversation read side by side:
//
//       1234.567  14:05:03.123  >  "?54&10\r\n"  3F 35 34 26 31 30 0D 0A
//
// milliseconds since the line was opened, the local time, the direction (">" to the printer,
// "<" from it, "#" a note), the bytes as text between double quotes and in hexadecimal. An
// operation's end is an empty line.
namespace tracetext {

// A longer piece takes several entries, one line each, with the same times: a line stays
// readable, and a line that streams without end costs the monitor no more than its entries.
inline constexpr qsizetype kBytesPerLine = 80;

// Printable ASCII as it is but for \\ and \", CR LF TAB as \r \n \t, every other byte \xHH: a
// blank at either end, a control code or a byte above 127 is seen for what it is.
QString escaped(QByteArrayView bytes);
// "3F 35 0D 0A".
QString hex(QByteArrayView bytes);
// The entry's line, without a line break.
QString line(const TraceEntry &entry);
// The first line a trace file gets at each start: "# v4400-tag-rf 1.0.0 2026-12-09T14:05:03+01:00".
QString startLine(const QString &program, const QDateTime &now);

}  // namespace tracetext
