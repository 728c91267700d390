#pragma once

#include "link/printercommands.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <array>

// The data behind the 28 block fields, held as bytes. A field shows one representation of its
// row's bytes, characters or hexadecimal digits, and an operator's edit of the field comes back
// here through edit(). Reads, loads and "Cancella campi" set bytes; the fields follow.
class BlockModel : public QObject
{
    Q_OBJECT
public:
    static constexpr int kRows = printer::kTagBlocks;

    enum class Mode { Characters, Hex };
    // Why a field's text is not a row of bytes.
    enum class Problem {
        None,
        NotSingleByte,  // a character without a single-byte code
        OddHexDigits,   // half a byte
        NotHexDigits,   // something other than 0-9, A-F (set by a script, not typed)
    };

    explicit BlockModel(QObject *parent = nullptr);

    QByteArray bytes(int row) const { return m_rows[size_t(row)].bytes; }
    Problem problem(int row) const { return m_rows[size_t(row)].problem; }
    void setBytes(int row, const QByteArray &bytes);
    void clear();

    Mode mode() const { return m_mode; }
    // Every field shows its bytes the other way. Refused (false, nothing changes) while a row's
    // text is not whole bytes: rowsWithProblems() names them.
    bool setMode(Mode mode);
    QList<int> rowsWithProblems() const;

    // What row's field shows in the current mode. A character field cannot show the bytes from a
    // code-0 byte on; they are kept all the same.
    QString text(int row) const;
    // The text of row's field, as the operator (or assistive technology) left it.
    void edit(int row, const QString &text);

    // The longest text a field takes in the current mode.
    int maxLength() const;

signals:
    // The row's bytes were set from outside the field: it must show text(row).
    void rowChanged(int row);
    void modeChanged(BlockModel::Mode mode);

private:
    struct Row
    {
        QByteArray bytes;
        Problem problem = Problem::None;
    };
    std::array<Row, kRows> m_rows;
    Mode m_mode = Mode::Characters;
};
