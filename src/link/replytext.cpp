#include "link/replytext.h"

QString fieldText(const QString &received)
{
    const qsizetype nul = received.indexOf(QChar(0));
    return nul < 0 ? received : received.left(nul);
}

QString queryFieldText(const QString &reply)
{
    return fieldText(QLatin1Char(' ') + reply.left(reply.size() - 1));
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
