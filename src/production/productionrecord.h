#pragma once

#include "production/production.h"

#include <QByteArray>
#include <QDateTime>
#include <QSet>
#include <QString>

#include <optional>

// The log as a spreadsheet set for Italy opens it with a double click: UTF-8 with a byte-order
// mark, ";" between fields, RFC 4180 quoting, the local date and time with the UTC offset in a
// column of its own, and the serial number written as a formula of text (="0042") so that its
// zeros stay. A run starts with a line of its own that records its settings; skipped serial
// values are lines of their own too. The log written before (commas, ISO time, no run
// identifier) is still read, and a log in that form goes on in that form.
namespace production {

enum class LogFormat { Comma, Spreadsheet };

// "\xEF\xBB\xBFora;utc;serie;modello;versione;sequenza;uid;seriale;dati;esito"
QByteArray spreadsheetHeader();
// The header of the log written before: "ora,sequenza,uid,seriale,dati,esito".
QByteArray commaHeader();

// The run a line belongs to, as the printer answered for it.
struct RunStamp
{
    QString id;  // "20261209-140503-3fa2": the run's start and four random hex digits
    QString model, release;
};
QString newRunId(const QDateTime &start);

// The serial number as the tag holds it: "0042" (zero-padded decimal), "0000002A" (binary, hex).
QString serialText(const SerialNumber &serial, quint64 value);
// The run's settings as its first line records them: "numero di serie blocco 1, 8 byte,
// decimale" or "nessun numero di serie".
QString layoutText(const SerialNumber *serial);

// One line of the log. `sequence` 0 leaves its field empty (a run's start, skipped values).
QByteArray spreadsheetLine(const QDateTime &time, const RunStamp &run, int sequence,
                           const QByteArray &uid, const QString &serial, const QString &data,
                           const QString &result);
// The result of a run's first line and of a line of skipped values.
inline constexpr char kRunStarted[] = "inizio serie";
inline constexpr char kSkipped[] = "saltati: i loro byte contengono 0D o 0A";

// What a log records.
struct LogContent
{
    LogFormat format = LogFormat::Spreadsheet;
    UsedSerials used;       // per layout: the runs' own, or the one assumed for old lines
    QSet<QByteArray> uids;  // programmed successfully
    int lastSequence = 0;   // the highest sequence number, 0 for none
    std::optional<SerialNumber> lastLayout;  // the last run's serial number, if it had one
};

// The largest log read: 64 MiB, over 400,000 lines.
inline constexpr qint64 kLogLimit = 64 << 20;

// Reads a log's bytes (empty: a new log). A line without a layout of its own (the old format)
// counts its serial in `assumed`, if any. A line cut short at the end (a crash) is passed over.
// False with `why` for anything else that is not such a log, the first bad line named.
bool readLog(const QByteArray &bytes, const SerialNumber *assumed, LogContent *content,
             QString *why);

}  // namespace production
