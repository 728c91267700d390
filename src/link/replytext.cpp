#include "link/replytext.h"

#include "link/printercommands.h"

QString fieldText(const QString &received)
{
    const qsizetype nul = received.indexOf(QChar(0));
    return nul < 0 ? received : received.left(nul);
}

QString queryFieldText(const QString &reply)
{
    return fieldText(QLatin1Char(' ') + reply.left(reply.size() - 1));
}

QString modelReplyFault(const QString &reply)
{
    // The query as it went out, or its beginning: what a device that echoes sends back, maybe
    // followed by an answer of its own ("ERROR").
    const QString query = QLatin1String(printer::kQueryModel);
    const QString sent = query + QLatin1String("\r\n");
    if (!reply.isEmpty() && (reply.startsWith(query) || sent.startsWith(reply)))
        return QStringLiteral("eco della richiesta");
    const QStringView text = QStringView(reply).chopped(qMin<qsizetype>(1, reply.size()));
    for (QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7E)
            return QStringLiteral("caratteri non stampabili");
    }
    if (text.trimmed().isEmpty())
        return QStringLiteral("nessun testo");
    return {};
}

bool isSingleByte(QStringView text)
{
    for (QChar c : text) {
        if (c.unicode() > 0xFF)
            return false;
    }
    return true;
}

bool hasLineBreak(QStringView text)
{
    for (QChar c : text) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            return true;
    }
    return false;
}
