#include "settings/settingsfile.h"

#include <QString>

namespace {

const QByteArray kBom("\xEF\xBB\xBF");

QByteArray trimmedBlanks(QByteArray text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v'; };
    while (begin < end && blank(text[begin]))
        ++begin;
    while (end > begin && blank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

struct Parsed
{
    enum Kind {
        Ignored,  // blank or comment
        Group,
        KeyValue,
        Unreadable
    } kind = Ignored;
    QByteArray name;  // the group's name, or the key
    QByteArray value;
};

Parsed parseSettingsLine(const QByteArray &line)
{
    const QByteArray text = trimmedBlanks(line);
    if (text.isEmpty() || text.startsWith(';') || text.startsWith('#'))
        return {};
    if (text.startsWith('[')) {
        if (!text.endsWith(']'))
            return {Parsed::Unreadable, {}, {}};
        return {Parsed::Group, trimmedBlanks(text.mid(1, text.size() - 2)), {}};
    }
    const qsizetype equals = text.indexOf('=');
    const QByteArray key = equals > 0 ? trimmedBlanks(text.left(equals)) : QByteArray();
    if (key.isEmpty())
        return {Parsed::Unreadable, {}, {}};
    return {Parsed::KeyValue, key, trimmedBlanks(text.mid(equals + 1))};
}

bool sameName(const QByteArray &written, QStringView wanted)
{
    return QString::fromUtf8(written).compare(wanted, Qt::CaseInsensitive) == 0;
}

}  // namespace

SettingsFile::SettingsFile(const QByteArray &bytes)
{
    qsizetype pos = 0;
    if (bytes.startsWith(kBom)) {
        m_bom = kBom;
        pos = kBom.size();
    }
    while (pos < bytes.size()) {
        const qsizetype lf = bytes.indexOf('\n', pos);
        if (lf < 0) {
            m_lines.append({bytes.mid(pos), {}});
            break;
        }
        Line line{bytes.mid(pos, lf - pos), QByteArrayLiteral("\n")};
        if (line.text.endsWith('\r')) {
            line.text.chop(1);
            line.end = QByteArrayLiteral("\r\n");
        }
        m_lines.append(line);
        pos = lf + 1;
    }
}

int SettingsFile::firstUnreadableLine() const
{
    for (int i = 0; i < m_lines.size(); ++i) {
        if (parseSettingsLine(m_lines[i].text).kind == Parsed::Unreadable)
            return i + 1;
    }
    return 0;
}

QByteArray SettingsFile::lineText(int number) const
{
    if (number < 1 || number > m_lines.size())
        return {};
    return m_lines[number - 1].text;
}

std::optional<QByteArray> SettingsFile::value(QStringView group, QStringView key) const
{
    std::optional<QByteArray> found;
    bool inGroup = false;
    for (const Line &line : m_lines) {
        const Parsed p = parseSettingsLine(line.text);
        if (p.kind == Parsed::Group)
            inGroup = sameName(p.name, group);
        else if (p.kind == Parsed::KeyValue && inGroup && sameName(p.name, key))
            found = p.value;
    }
    return found;
}

bool SettingsFile::setValue(QStringView group, QStringView key, const QByteArray &value)
{
    if (value.contains('\n') || value.contains('\r') || value.contains('\0'))
        return false;

    int keyLine = -1;      // the line value() reads
    int lastOfGroup = -1;  // the group's last key, or its header when it has none
    bool inGroup = false;
    for (int i = 0; i < m_lines.size(); ++i) {
        const Parsed p = parseSettingsLine(m_lines[i].text);
        if (p.kind == Parsed::Group) {
            inGroup = sameName(p.name, group);
            if (inGroup)
                lastOfGroup = i;
        } else if (p.kind == Parsed::KeyValue && inGroup) {
            lastOfGroup = i;
            if (sameName(p.name, key))
                keyLine = i;
        }
    }

    if (keyLine >= 0) {
        m_lines[keyLine].text = parseSettingsLine(m_lines[keyLine].text).name + '=' + value;
        return true;
    }
    const QByteArray newLine = key.toUtf8() + '=' + value;
    if (lastOfGroup < 0) {
        // A group of its own at the end, after a blank line as ini writers leave between groups.
        if (!m_lines.isEmpty() && m_lines.last().end.isEmpty())
            m_lines.last().end = newline();
        if (!m_lines.isEmpty() && !trimmedBlanks(m_lines.last().text).isEmpty())
            m_lines.append({{}, newline()});
        m_lines.append({'[' + group.toUtf8() + ']', newline()});
        lastOfGroup = int(m_lines.size()) - 1;
    }
    if (m_lines[lastOfGroup].end.isEmpty())
        m_lines[lastOfGroup].end = newline();
    m_lines.insert(lastOfGroup + 1, {newLine, newline()});
    return true;
}

QByteArray SettingsFile::bytes() const
{
    QByteArray out = m_bom;
    for (const Line &line : m_lines)
        out += line.text + line.end;
    return out;
}

QByteArray SettingsFile::newline() const
{
    // New lines end as the file's lines do.
    for (const Line &line : m_lines) {
        if (!line.end.isEmpty())
            return line.end;
    }
    return QByteArrayLiteral("\n");
}
