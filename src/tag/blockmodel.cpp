#include "tag/blockmodel.h"

#include "link/replytext.h"
#include "tag/blockdata.h"

BlockModel::BlockModel(QObject *parent) : QObject(parent) {}

void BlockModel::setBytes(int row, const QByteArray &bytes)
{
    m_rows[size_t(row)] = {bytes, Problem::None};
    emit rowChanged(row);
}

void BlockModel::clear()
{
    for (int row = 0; row < kRows; ++row)
        setBytes(row, {});
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
    if (m_mode == Mode::Characters) {
        if (!isSingleByte(text)) {
            r.problem = Problem::NotSingleByte;
            return;
        }
        r = {text.toLatin1(), Problem::None};
        return;
    }
    QByteArray bytes;
    switch (blockdata::fromHex(text, &bytes)) {
    case blockdata::HexError::None: r = {bytes, Problem::None}; break;
    case blockdata::HexError::OddDigits: r.problem = Problem::OddHexDigits; break;
    case blockdata::HexError::NotHex: r.problem = Problem::NotHexDigits; break;
    }
}

int BlockModel::maxLength() const
{
    return m_mode == Mode::Hex ? 2 * printer::kBlockSize : printer::kBlockSize;
}
