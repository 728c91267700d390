#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>

// One row of the block grid (0-based) and its bytes; for a write, the four bytes sent.
struct RowBytes
{
    int row = 0;
    QByteArray bytes;
    friend bool operator==(const RowBytes &a, const RowBytes &b)
    {
        return a.row == b.row && a.bytes == b.bytes;
    }
};

// The bytes of a block field and the two ways the grid shows them: as characters (one per byte,
// as the tag's data has always been shown) or as hexadecimal digits.
namespace blockdata {

// "1, 2, 5": rows (0-based) as operators count them.
QString rowList(const QList<int> &rows);
// "1, 3-28": the same, three or more consecutive rows as a range (rows in order).
QString rowRanges(const QList<int> &rows);

// "42303031": two upper-case digits a byte, no separators.
QString toHex(const QByteArray &bytes);

enum class HexError { None, OddDigits, NotHex };
// Hex digits in either case; blanks are not digits. Sets `out` only when the text is whole bytes.
HexError fromHex(QStringView text, QByteArray *out);

// The four bytes a write sends for a field: right-aligned, blanks on the left; an empty field
// gives four blanks.
QByteArray padded(const QByteArray &bytes);

// A block as read, the way the field keeps it: blanks around removed (code 0 is data, not blank).
QByteArray trimmed(const QByteArray &block);

// What a character field can show of the bytes: one character a byte, up to a code-0 byte.
QString displayText(const QByteArray &bytes);

// CR and LF end a command line (hasLineBreak): such bytes cannot be written inside one.
bool travelsInCommand(const QByteArray &bytes);
// "il blocco 3 contiene i byte CR o LF …": why rows (0-based) holding such bytes are refused.
QString lineBreakRefusal(const QList<int> &rows);

}  // namespace blockdata
