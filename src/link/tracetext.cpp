#include "link/tracetext.h"

#include "common/displaytext.h"

namespace tracetext {

QString escaped(QByteArrayView bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    QString out;
    out.reserve(bytes.size() + 8);
    for (const char c : bytes) {
        const auto b = quint8(c);
        switch (b) {
        case '\r': out += QLatin1String("\\r"); break;
        case '\n': out += QLatin1String("\\n"); break;
        case '\t': out += QLatin1String("\\t"); break;
        case '\\': out += QLatin1String("\\\\"); break;
        case '"': out += QLatin1String("\\\""); break;
        default:
            if (b >= 0x20 && b < 0x7F) {
                out += QLatin1Char(c);
            } else {
                out += QLatin1String("\\x");
                out += QLatin1Char(digits[b >> 4]);
                out += QLatin1Char(digits[b & 0xF]);
            }
        }
    }
    return out;
}

QString hex(QByteArrayView bytes)
{
    return QString::fromLatin1(bytes.toByteArray().toHex(' ').toUpper());
}

QString line(const TraceEntry &entry)
{
    if (entry.kind == TraceEntry::Kind::Boundary)
        return {};
    const QString times =
        QStringLiteral("%1  %2")
            .arg(double(entry.elapsedNs) / 1e6, 12, 'f', 3)
            .arg(QDateTime::fromMSecsSinceEpoch(entry.wallMs).toString(u"HH:mm:ss.zzz"));
    switch (entry.kind) {
    case TraceEntry::Kind::ToPrinter:
    case TraceEntry::Kind::FromPrinter:
        return QStringLiteral("%1  %2  \"%3\"  %4")
            .arg(times,
                 entry.kind == TraceEntry::Kind::ToPrinter ? QStringLiteral(">")
                                                           : QStringLiteral("<"),
                 escaped(entry.bytes), hex(entry.bytes));
    case TraceEntry::Kind::Note:
    case TraceEntry::Kind::Boundary: break;
    }
    // Notes can quote a device name or a serial layer's text: no line break may split them.
    return QStringLiteral("%1  #  %2").arg(times, escapedControls(QString::fromUtf8(entry.bytes)));
}

QString startLine(const QString &program, const QDateTime &now)
{
    return QStringLiteral("# %1 %2").arg(
        program, now.toOffsetFromUtc(now.offsetFromUtc()).toString(Qt::ISODate));
}

}  // namespace tracetext
