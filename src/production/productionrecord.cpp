#include "production/productionrecord.h"

#include "common/displaytext.h"
#include "link/printercommands.h"
#include "tag/blockdata.h"

#include <QHash>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStringList>

namespace production {

namespace {

constexpr char kLogBom[] = "\xEF\xBB\xBF";
constexpr char kSpreadsheetColumns[] =
    "ora;utc;serie;modello;versione;sequenza;uid;seriale;dati;esito";

// A field a spreadsheet would take for a formula (=, +, -, @) gets a leading apostrophe: a
// printer's answer is shown, never run.
QString spreadsheetField(QString text)
{
    if (!text.isEmpty() && QStringLiteral("=+-@").contains(text.front()))
        text.prepend(QLatin1Char('\''));
    return csvField(text, QLatin1Char(';'));
}

// "UTC+01:00", "UTC-05:30": a bare "+01:00" would be taken for a time of day.
QString utcOffset(const QDateTime &time)
{
    const int seconds = time.offsetFromUtc();
    const int minutes = qAbs(seconds) / 60;
    return QStringLiteral("UTC%1%2:%3")
        .arg(seconds < 0 ? QLatin1Char('-') : QLatin1Char('+'))
        .arg(minutes / 60, 2, 10, QLatin1Char('0'))
        .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

// One record of RFC 4180 text separated by `separator`, from `*pos` on; `*pos` moves past its
// line break. False when a quote is left open or stray text follows a closing quote.
bool nextRecord(QStringView text, qsizetype *pos, QChar separator, QStringList *fields, bool *ended)
{
    fields->clear();
    QString field;
    bool quoted = false, wasQuoted = false;
    qsizetype i = *pos;
    *ended = false;
    for (; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c != QLatin1Char('"'))
                field += c;
            else if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"'))
                field += text.at(++i);
            else
                quoted = false;
            continue;
        }
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() &&
                text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            *ended = true;
            ++i;
            break;
        }
        if (c == separator) {
            *fields << field;
            field.clear();
            wasQuoted = false;
        } else if (c == QLatin1Char('"') && field.isEmpty() && !wasQuoted) {
            quoted = wasQuoted = true;
        } else if (wasQuoted) {
            *pos = i;
            return false;
        } else {
            field += c;
        }
    }
    *fields << field;
    *pos = i;
    return !quoted;
}

struct Columns
{
    int sequence, uid, serial, result, count;
    int run = -1, data = -1;
};

// A layout as layoutText() writes it.
std::optional<SerialNumber> parseLayout(const QString &text, bool *valid)
{
    static const QRegularExpression pattern(
        QStringLiteral("^numero di serie blocco (\\d{1,2}), (4|8) byte, (decimale|binario)"));
    *valid = true;
    if (text.startsWith(QLatin1String("nessun numero di serie")))
        return std::nullopt;
    const QRegularExpressionMatch m = pattern.match(text);
    SerialNumber s;
    s.row = m.captured(1).toInt() - 1;
    s.width = m.captured(2).toInt();
    s.form = m.captured(3) == QLatin1String("binario") ? SerialForm::Binary : SerialForm::Decimal;
    *valid =
        m.hasMatch() && s.row >= 0 && s.row + s.width / printer::kBlockSize <= printer::kTagBlocks;
    return s;
}

// The value of a serial field in `layout`: the tag's form in the new format (="0042", 0000002A),
// the plain number in the old.
bool parseSerial(QString text, const SerialNumber &layout, LogFormat format, quint64 *value)
{
    bool ok = false;
    if (format == LogFormat::Comma) {
        *value = text.toULongLong(&ok);
        return ok && *value <= largestSerial(layout);
    }
    if (text.startsWith(QLatin1String("=\"")) && text.endsWith(QLatin1Char('"')) &&
        text.size() >= 3)
        text = text.mid(2, text.size() - 3);
    const bool decimal = layout.form == SerialForm::Decimal;
    if (text.size() != (decimal ? layout.width : 2 * layout.width))
        return false;
    *value = text.toULongLong(&ok, decimal ? 10 : 16);
    return ok && !text.startsWith(QLatin1Char('+')) && !text.startsWith(QLatin1Char('-'));
}

}  // namespace

QByteArray spreadsheetHeader()
{
    return QByteArray(kLogBom) + kSpreadsheetColumns;
}

QByteArray commaHeader()
{
    return logHeader().toUtf8();
}

QString newRunId(const QDateTime &start)
{
    return start.toString(QStringLiteral("yyyyMMdd-HHmmss-")) +
           QStringLiteral("%1").arg(QRandomGenerator::global()->bounded(0x10000), 4, 16,
                                    QLatin1Char('0'));
}

QString serialText(const SerialNumber &serial, quint64 value)
{
    const QByteArray bytes = serialBytes(serial, value);
    return serial.form == SerialForm::Decimal ? QString::fromLatin1(bytes)
                                              : blockdata::toHex(bytes);
}

QString layoutText(const SerialNumber *serial)
{
    if (!serial)
        return QStringLiteral("nessun numero di serie");
    return QStringLiteral("numero di serie blocco %1, %2 byte, %3")
        .arg(serial->row + 1)
        .arg(serial->width)
        .arg(serial->form == SerialForm::Binary ? QStringLiteral("binario")
                                                : QStringLiteral("decimale"));
}

QByteArray spreadsheetLine(const QDateTime &time, const RunStamp &run, int sequence,
                           const QByteArray &uid, const QString &serial, const QString &data,
                           const QString &result)
{
    // The serial as a formula of text: a plain "0042" would be the number 42.
    const QString serialField =
        serial.isEmpty() ? QString() : QStringLiteral("=\"%1\"").arg(serial);
    return QStringList{time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                       utcOffset(time),
                       spreadsheetField(run.id),
                       spreadsheetField(run.model),
                       spreadsheetField(run.release),
                       sequence > 0 ? QString::number(sequence) : QString(),
                       blockdata::toHex(uid),
                       csvField(serialField, QLatin1Char(';')),
                       spreadsheetField(data),
                       spreadsheetField(result)}
        .join(QLatin1Char(';'))
        .toUtf8();
}

bool readLog(const QByteArray &bytes, const SerialNumber *assumed, LogContent *content,
             QString *why)
{
    *content = {};
    if (bytes.isEmpty())
        return true;
    const QString text = QString::fromUtf8(bytes.startsWith(kLogBom) ? bytes.mid(3) : bytes);
    qsizetype pos = 0;
    QStringList fields;
    bool ended = false;
    const bool headerRead = nextRecord(text, &pos, QLatin1Char(';'), &fields, &ended);
    const QString header = text.left(pos).trimmed();
    Columns columns{};
    QChar separator;
    if (headerRead && header == QLatin1String(kSpreadsheetColumns)) {
        content->format = LogFormat::Spreadsheet;
        columns = {5, 6, 7, 9, 10, 2, 8};
        separator = QLatin1Char(';');
    } else if (headerRead && header == logHeader()) {
        content->format = LogFormat::Comma;
        columns = {1, 2, 3, 5, 6};
        separator = QLatin1Char(',');
    } else {
        *why = QStringLiteral("non è un registro della produzione: la prima riga è %1")
                   .arg(quoted(text.left(pos).trimmed()));
        return false;
    }

    QHash<QString, std::optional<SerialNumber>> layouts;  // per run
    int line = 1;
    while (pos < text.size()) {
        const qsizetype from = pos;
        ++line;
        const bool read = nextRecord(text, &pos, separator, &fields, &ended);
        const QStringView shown = QStringView(text).mid(from, pos - from).trimmed();
        if (shown.isEmpty())
            continue;
        // A last line cut short by a crash: its tag went no further. A quote left open over
        // several lines is no such line: it would hide the lines after it.
        if (!ended && (!read || fields.size() != columns.count) &&
            !shown.contains(QLatin1Char('\n')) && !shown.contains(QLatin1Char('\r')))
            break;
        auto bad = [&](const QString &what) {
            *why = QStringLiteral("non si può continuare: la riga %1 %2 (%3)")
                       .arg(line)
                       .arg(what, quoted(shown));
            return false;
        };
        if (!read || fields.size() != columns.count)
            return bad(QStringLiteral("non ha i campi del registro"));
        const QString result = fields.at(columns.result);
        std::optional<SerialNumber> layout =
            assumed ? std::optional<SerialNumber>(*assumed) : std::nullopt;
        if (columns.run >= 0) {
            const QString run = fields.at(columns.run);
            if (result == QLatin1String(kRunStarted)) {
                bool valid = false;
                layouts[run] = parseLayout(fields.at(columns.data), &valid);
                if (!valid)
                    return bad(QStringLiteral("non descrive un numero di serie"));
                content->lastLayout = layouts[run];
                continue;
            }
            if (layouts.contains(run))
                layout = layouts[run];
            if (result == QLatin1String(kSkipped))
                continue;
        }
        if (!fields.at(columns.sequence).isEmpty()) {
            bool ok = false;
            const int sequence = fields.at(columns.sequence).toInt(&ok);
            if (!ok || sequence < 1)
                return bad(QStringLiteral("ha una sequenza che non è un numero"));
            content->lastSequence = qMax(content->lastSequence, sequence);
        }
        QByteArray uid;
        if (blockdata::fromHex(fields.at(columns.uid), &uid) != blockdata::HexError::None)
            return bad(QStringLiteral("ha un UID che non è esadecimale"));
        // Nothing went out for these; any other tag may hold its serial number.
        if (result == QLatin1String("non inviato") || result == QLatin1String("interrotto"))
            continue;
        if (result.startsWith(QLatin1String("OK")) && !uid.isEmpty())
            content->uids.insert(uid);
        if (const QString serial = fields.at(columns.serial); !serial.isEmpty() && layout) {
            quint64 value = 0;
            if (!parseSerial(serial, *layout, content->format, &value))
                return bad(QStringLiteral("ha un numero di serie che non corrisponde al suo "
                                          "formato"));
            content->used.add(*layout, value, value);
        }
    }
    return true;
}

}  // namespace production
