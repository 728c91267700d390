#include "tag/blockmodel.h"

#include "link/replytext.h"
#include "tag/blockdata.h"

#include <algorithm>
#include <utility>

BlockModel::BlockModel(QObject *parent) : QObject(parent) {}

void BlockModel::setBytes(int row, const QByteArray &bytes)
{
    Row &r = m_rows[size_t(row)];
    r.bytes = bytes;
    r.problem = Problem::None;
    r.text.clear();
    r.known = true;
    emit rowChanged(row);
    emit contentChanged(row);
}

void BlockModel::forget(int row)
{
    setBytes(row, {});
    m_rows[size_t(row)].known = false;
}

void BlockModel::clear()
{
    for (int row = 0; row < kRows; ++row)
        forget(row);
}

QList<int> BlockModel::unknownRows() const
{
    QList<int> rows;
    for (int row = 0; row < kRows; ++row) {
        if (!known(row))
            rows << row;
    }
    return rows;
}

bool BlockModel::setMode(Mode mode)
{
    if (mode == m_mode)
        return true;
    if (!rowsWithProblems().isEmpty())
        return false;
    m_mode = mode;
    emit modeChanged(mode);
    for (int row = 0; row < kRows; ++row)
        emit rowChanged(row);
    for (int row : std::as_const(m_failedRows))
        emit marksChanged(row);
    return true;
}

QList<int> BlockModel::rowsWithProblems() const
{
    QList<int> rows;
    for (int row = 0; row < kRows; ++row) {
        if (m_rows[size_t(row)].problem != Problem::None)
            rows << row;
    }
    return rows;
}

QString BlockModel::text(int row) const
{
    const QByteArray &b = m_rows[size_t(row)].bytes;
    return m_mode == Mode::Hex ? blockdata::toHex(b) : blockdata::displayText(b);
}

void BlockModel::edit(int row, const QString &text)
{
    Row &r = m_rows[size_t(row)];
    r.text = text;
    r.known = !text.isEmpty();
    if (m_mode == Mode::Characters) {
        if (!isSingleByte(text)) {
            r.problem = Problem::NotSingleByte;
        } else {
            r.bytes = text.toLatin1();
            r.problem = Problem::None;
        }
        emit contentChanged(row);
        return;
    }
    QByteArray bytes;
    switch (blockdata::fromHex(text, &bytes)) {
    case blockdata::HexError::None:
        r.bytes = bytes;
        r.problem = Problem::None;
        break;
    case blockdata::HexError::OddDigits: r.problem = Problem::OddHexDigits; break;
    case blockdata::HexError::NotHex: r.problem = Problem::NotHexDigits; break;
    }
    emit contentChanged(row);
}

int BlockModel::maxLength() const
{
    return m_mode == Mode::Hex ? 2 * printer::kBlockSize : printer::kBlockSize;
}

QString BlockModel::rowText(int row) const
{
    const Row &r = m_rows[size_t(row)];
    return r.problem == Problem::NotSingleByte ? r.text : QString::fromLatin1(r.bytes);
}

QStringList BlockModel::describeProblems(const QList<int> &rows) const
{
    QList<int> notSingleByte, oddDigits, notHex, lineBreaks;
    for (int i : rows) {
        switch (problem(i)) {
        case Problem::NotSingleByte: notSingleByte << i; break;
        case Problem::OddHexDigits: oddDigits << i; break;
        case Problem::NotHexDigits: notHex << i; break;
        case Problem::None:
            if (!blockdata::travelsInCommand(bytes(i)))
                lineBreaks << i;
            break;
        }
    }
    const auto rowsText = [](const QList<int> &list, const char *one, const char *many) {
        return list.size() == 1 ? QStringLiteral("il blocco %1 %2")
                                      .arg(blockdata::rowList(list), QLatin1String(one))
                                : QStringLiteral("i blocchi %1 %2")
                                      .arg(blockdata::rowList(list), QLatin1String(many));
    };
    QStringList reasons;
    if (!notSingleByte.isEmpty())
        reasons << rowsText(notSingleByte,
                            "contiene caratteri che non si possono scrivere come byte singoli",
                            "contengono caratteri che non si possono scrivere come byte singoli");
    if (!oddDigits.isEmpty())
        reasons << rowsText(oddDigits, "ha un numero dispari di cifre esadecimali",
                            "hanno un numero dispari di cifre esadecimali");
    if (!notHex.isEmpty())
        reasons << rowsText(notHex, "contiene caratteri che non sono cifre esadecimali",
                            "contengono caratteri che non sono cifre esadecimali");
    if (!lineBreaks.isEmpty())
        reasons << blockdata::lineBreakRefusal(lineBreaks);
    return reasons;
}

void BlockModel::setSelected(int row, bool selected)
{
    bool &s = m_rows[size_t(row)].selected;
    if (s == selected)
        return;
    s = selected;
    emit selectionChanged(row);
}

QList<int> BlockModel::selectedRows() const
{
    QList<int> rows;
    for (int row = 0; row < kRows; ++row) {
        if (selected(row))
            rows << row;
    }
    return rows;
}

void BlockModel::setWorkingRow(int row)
{
    const int previous = std::exchange(m_workingRow, row);
    if (previous == row)
        return;
    if (previous >= 0)
        emit marksChanged(previous);
    if (row >= 0)
        emit marksChanged(row);
}

void BlockModel::setFailedRows(const QList<int> &rows, const QHash<int, Mismatch> &mismatches)
{
    const QList<int> previous = std::exchange(m_failedRows, rows);
    m_mismatches = mismatches;
    for (int row : previous + rows)
        emit marksChanged(row);
}

QString BlockModel::failureText(int row) const
{
    if (!m_failedRows.contains(row))
        return {};
    const auto it = m_mismatches.constFind(row);
    if (it == m_mismatches.constEnd())
        return QStringLiteral("Verifica fallita");
    const QByteArray &written = it->written;
    // As the field shows bytes. Characters cannot show code 0 or the other control codes, nor
    // tell blocks apart by the blanks around: there the digits do.
    const auto plain = [](const QByteArray &b) {
        return std::none_of(b.begin(), b.end(), [](char c) {
            const auto u = uchar(c);
            return u < 0x20 || (u >= 0x7F && u < 0xA0);
        });
    };
    const bool hex = m_mode == Mode::Hex || !plain(written) ||
                     (it->held && (!plain(*it->held) ||
                                   blockdata::trimmed(written) == blockdata::trimmed(*it->held)));
    const auto shown = [hex](const QByteArray &bytes) {
        return hex ? blockdata::toHex(bytes)
                   : QStringLiteral("«%1»").arg(QString::fromLatin1(blockdata::trimmed(bytes)));
    };
    if (!it->held)
        return QStringLiteral("Verifica fallita: scritto %1, il blocco non si è potuto rileggere")
            .arg(shown(written));
    return QStringLiteral("Verifica fallita: scritto %1, nel tag %2")
        .arg(shown(written), shown(*it->held));
}
