#pragma once

#include "link/printercommands.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// The block grid: the data behind the 28 block fields, held as bytes, and each row's selection
// and marks. A field shows one representation of its row's bytes, characters or hexadecimal
// digits, and an operator's edit of the field comes back here through edit(). Reads, loads and
// "Cancella campi" set bytes; the fields follow.
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
    // The row emptied and unknown again; clear() does it to every row.
    void forget(int row);
    void clear();
    // Whether the row holds something read, loaded or typed (four blanks read are something; a
    // row never read, cleared, or whose field the operator emptied is not).
    bool known(int row) const { return m_rows[size_t(row)].known; }
    QList<int> unknownRows() const;

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

    // The row's bytes as characters, one a byte, as labels print them; a row whose text has
    // characters without a single-byte code gives that text, which says what it is.
    QString rowText(int row) const;
    // Why each of these rows cannot be written: one sentence per kind of problem, naming the rows
    // ("i blocchi 3, 7 hanno un numero dispari di cifre esadecimali"); empty when all can.
    QStringList describeProblems(const QList<int> &rows) const;

    // The rows ticked: those "LEGGI" and "SCRIVI" work on, each looked at when the operation
    // reaches it, so the grid stays live meanwhile.
    bool selected(int row) const { return m_rows[size_t(row)].selected; }
    void setSelected(int row, bool selected);
    QList<int> selectedRows() const;

    // The row a read or write is working on (-1: none).
    int workingRow() const { return m_workingRow; }
    void setWorkingRow(int row);
    // What the verification of a failed row found: the bytes written and, when the block could
    // be read back, those the tag holds.
    struct Mismatch
    {
        QByteArray written;
        std::optional<QByteArray> held;
    };
    // The rows whose verification failed, until the next read, write or "Cancella campi".
    const QList<int> &failedRows() const { return m_failedRows; }
    void setFailedRows(const QList<int> &rows, const QHash<int, Mismatch> &mismatches = {});
    // What a failed row's verification found, in the form the fields show now; empty for a row
    // that did not fail.
    QString failureText(int row) const;

signals:
    // The row's bytes were set from outside the field: it must show text(row).
    void rowChanged(int row);
    // The row's bytes or text changed, from outside or by an edit of the field.
    void contentChanged(int row);
    void modeChanged(BlockModel::Mode mode);
    void selectionChanged(int row);
    // The row became or stopped being the working row, or a failed one; or a failed row's
    // failureText() changed form.
    void marksChanged(int row);

private:
    struct Row
    {
        QByteArray bytes;
        Problem problem = Problem::None;
        QString text;  // as edited, while it is not bytes
        bool selected = false;
        bool known = false;
    };
    std::array<Row, kRows> m_rows;
    Mode m_mode = Mode::Characters;
    int m_workingRow = -1;
    QList<int> m_failedRows;
    QHash<int, Mismatch> m_mismatches;
};
