#include "common/displaytext.h"

QString escapedControls(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c.category() != QChar::Other_Control) {
            out += c;
            continue;
        }
        switch (c.unicode()) {
        case '\n': out += QLatin1String("\\n"); break;
        case '\r': out += QLatin1String("\\r"); break;
        case '\t': out += QLatin1String("\\t"); break;
        default: {
            const uint code = c.unicode();
            out += (code < 0x100 ? QLatin1String("\\x") : QLatin1String("\\u")) +
                   QString::number(code, 16)
                       .rightJustified(code < 0x100 ? 2 : 4, QLatin1Char('0'))
                       .toUpper();
            break;
        }
        }
    }
    return out;
}

QString quoted(QStringView text, qsizetype max)
{
    if (text.size() <= max)
        return QStringLiteral("«%1»").arg(escapedControls(text));
    return QStringLiteral("«%1…» (%2 caratteri)")
        .arg(escapedControls(text.left(max)))
        .arg(text.size());
}

namespace {
constexpr qsizetype kLongestPath = 250;
}

QString quotedPath(QStringView path)
{
    return quoted(path, kLongestPath);
}

QString shownPath(QStringView path)
{
    if (path.size() <= kLongestPath)
        return escapedControls(path);
    return QStringLiteral("%1… (%2 caratteri)")
        .arg(escapedControls(path.left(kLongestPath)))
        .arg(path.size());
}
