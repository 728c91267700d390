#pragma once

#include <QByteArray>
#include <QList>
#include <QStringView>

#include <optional>

// The settings file as the operator's text file: [groups], key=value lines, comments (';' or '#')
// and blank lines. It is read as an operator writes it (a UTF-8 byte-order mark, CRLF line ends,
// groups and keys in any case, values raw) and written back by changing only the lines of the
// values set: every other line keeps its bytes, whatever they are.
class SettingsFile
{
public:
    SettingsFile() = default;
    explicit SettingsFile(const QByteArray &bytes);

    // The number (from 1) of the first line that is neither blank, a comment, a [group] nor a
    // key=value line with a key; 0 when every line can be read.
    int firstUnreadableLine() const;
    // The text of line `number` (from 1), without its line end.
    QByteArray lineText(int number) const;

    // The value of `key` in `group`: everything after the line's first '=', blanks and tabs
    // around it trimmed, as bytes. Where a key appears more than once the last line counts.
    std::optional<QByteArray> value(QStringView group, QStringView key) const;

    // Gives `key` in `group` the value: the line value() reads is rewritten (keeping its key as
    // written); without one, a line is added after the group's last key, and a group that is
    // missing is added at the end of the file. Refused (false, nothing changed) for a value that
    // holds a line break or a NUL byte, which would not read back.
    bool setValue(QStringView group, QStringView key, const QByteArray &value);

    // The whole file, byte-order mark included.
    QByteArray bytes() const;

private:
    struct Line
    {
        QByteArray text;  // without its line end
        QByteArray end;   // "\n", "\r\n", or empty for a last line without one
    };
    QByteArray newline() const;

    QByteArray m_bom;
    QList<Line> m_lines;
};
