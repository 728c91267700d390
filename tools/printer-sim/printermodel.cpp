#include "printermodel.h"

#include "link/printercommands.h"

#include <QTimer>

namespace {

// CRC-16 of ISO/IEC 15693 (poly 0x8408 reflected, preset 0xFFFF, inverted), low byte first: the
// bytes that close a real tag answer. The program does not read them.
QByteArray crc(const QByteArray &data)
{
    quint16 value = 0xFFFF;
    for (char c : data) {
        value ^= quint8(c);
        for (int bit = 0; bit < 8; ++bit)
            value = (value & 1) ? quint16((value >> 1) ^ 0x8408) : quint16(value >> 1);
    }
    value = quint16(~value);
    QByteArray out;
    out += char(value & 0xFF);
    out += char(value >> 8);
    return out;
}

bool parseNumber(const QByteArray &text, int *out)
{
    bool ok = false;
    *out = text.toInt(&ok);
    return ok && !text.isEmpty() && text.at(0) >= '0' && text.at(0) <= '9';
}

}  // namespace

SimTag::SimTag()
{
    for (int i = 0; i < blockCount; ++i)
        memory += QByteArray("B") + QByteArray::number(i + 1).rightJustified(3, '0');
}

bool SimRoll::isBad(int n) const
{
    if (badTags.contains(n))
        return true;
    // Tag n is bad when the running count of bad tags, share x n, steps up at n.
    return badShare > 0 && int(n * badShare + 1e-9) > int((n - 1) * badShare + 1e-9);
}

void PrinterModel::loadRollTag(int position)
{
    const SimTag first;
    // Whether a tag sits over the antenna at all is the printer's setting, not the tag's.
    const bool present = tag.present;
    tag = first;
    tag.present = present;
    quint64 serial = 0;
    for (int i = 4; i < 8; ++i)
        serial = (serial << 8) | first.uid[size_t(i)];
    serial += quint64(position - 1);
    for (int i = 7; i >= 4; --i, serial >>= 8)
        tag.uid[size_t(i)] = quint8(serial & 0xFF);
    tag.memory = QByteArray(tag.blockCount * tag.blockSize, '\0');
    tag.ignoresWrites = roll.isBad(position);
    roll.position = position;
}

QList<Emission> PrinterModel::feed(const QByteArray &bytes)
{
    QList<Emission> out;
    m_pending += bytes;
    for (;;) {
        qsizetype from = 0;
        // The four data bytes of a block write may be any bytes, CR and LF included.
        if (m_pending.startsWith(printer::kWriteBlockPrefix)) {
            const qsizetype comma =
                m_pending.indexOf(',', qsizetype(sizeof printer::kWriteBlockPrefix) - 1);
            if (comma >= 0 && m_pending.size() >= comma + 3 && m_pending.mid(comma, 3) == ",1,")
                from = comma + 3 + printer::kBlockSize;
        }
        const qsizetype end = m_pending.indexOf("\r\n", from);
        if (end < 0)
            break;
        const QByteArray command = m_pending.left(end);
        m_pending.remove(0, end + 2);
        out += answer(command);
    }
    if (m_pending.size() > 65536)
        m_pending.clear();
    return out;
}

QList<Emission> PrinterModel::answer(const QByteArray &command)
{
    commands.append(command);
    if (onCommand)
        onCommand(command);
    if (const QString line = describeLabelCommand(command); !line.isEmpty())
        note(line);
    if (command == printer::kLabelPrint && roll.enabled && !roll.stuck) {
        roll.passed.append(tag);
        loadRollTag(roll.position + 1);
    }
    return shape(reply(command));
}

QByteArray PrinterModel::reply(const QByteArray &command)
{
    if (command == printer::kQueryModel)
        return modelReply;
    if (command == printer::kQueryRelease)
        return releaseReply;
    if (!command.startsWith("?R"))
        return {};
    if (!tag.present)
        return {};
    if (command == printer::kRfPreamble)
        return behaviour.preambleAnswer;

    QByteArray uid;
    for (quint8 b : tag.uid)
        uid += char(b);
    if (command == printer::kInventory) {
        QByteArray r;
        r += char(0);
        r += char(tag.dataSets);
        r += char(tag.transponderType);
        r += char(tag.dsfid);
        r += uid;
        return r + crc(r);
    }
    if (command == printer::kSystemInformation) {
        QByteArray r;
        r += char(0);
        r += char(tag.dsfid);
        r += uid;
        r += char(tag.afi);
        r += char(tag.blockCount - 1);
        r += char(tag.blockSize - 1);
        r += char(tag.icReference);
        return r + crc(r);
    }
    if (command.startsWith(printer::kReadBlockPrefix)) {
        const QList<QByteArray> args =
            command.mid(int(sizeof printer::kReadBlockPrefix) - 1).split(',');
        int block = -1;
        if (args.size() != 2 || !parseNumber(args[0], &block))
            return {};
        QByteArray r("\0\0\0", 3);
        if (block >= tag.blockCount) {
            r += char(0x10);  // block not available
            r += QByteArray(tag.blockSize, '\0');
        } else if (behaviour.blockStatus.contains(block)) {
            r += char(behaviour.blockStatus.value(block));
            r += QByteArray(tag.blockSize, '\0');
        } else {
            r += char(0);
            r += tag.memory.mid(block * tag.blockSize, tag.blockSize);
        }
        r += crc(r);
        if (behaviour.unreadableBlocks.contains(block))
            r.chop(1);
        return r;
    }
    if (command.startsWith(printer::kWriteBlockPrefix)) {
        const qsizetype start = qsizetype(sizeof printer::kWriteBlockPrefix) - 1;
        const qsizetype comma = command.indexOf(',', start);
        int block = -1;
        if (comma < 0 || !parseNumber(command.mid(start, comma - start), &block) ||
            command.mid(comma, 3) != ",1," || command.size() != comma + 3 + tag.blockSize ||
            block >= tag.blockCount)
            return {};
        QByteArray data = command.right(tag.blockSize);
        if (behaviour.corruptedWrites.contains(block))
            data[0] = char(data[0] ^ 0x01);
        if (!behaviour.ignoredWrites.contains(block) && !tag.ignoresWrites)
            tag.memory.replace(block * tag.blockSize, tag.blockSize, data);
        return QByteArray("\0\0\0", 3);
    }
    return {};
}

QList<Emission> PrinterModel::shape(QByteArray bytes) const
{
    if (behaviour.silent || bytes.isEmpty())
        return {};
    if (behaviour.lengthDelta > 0)
        bytes += QByteArray(behaviour.lengthDelta, ' ');
    else if (behaviour.lengthDelta < 0)
        bytes.chop(qMin<qsizetype>(-behaviour.lengthDelta, bytes.size()));
    if (bytes.isEmpty())
        return {};
    if (behaviour.chunkSize <= 0)
        return {{behaviour.delayMs, bytes}};
    QList<Emission> out;
    for (qsizetype i = 0; i < bytes.size(); i += behaviour.chunkSize)
        out.append({behaviour.delayMs + int(i / behaviour.chunkSize) * behaviour.chunkGapMs,
                    bytes.mid(i, behaviour.chunkSize)});
    return out;
}

QString PrinterModel::describeLabelCommand(const QByteArray &command)
{
    const QString text = QString::fromLatin1(command);
    if (command == printer::kLabelReset)
        return QStringLiteral("?00&   nuova etichetta");
    if (command == printer::kLabelBegin)
        return QStringLiteral("?81&1  inizio");
    if (command == printer::kLabelPrint)
        return QStringLiteral("?14&1  stampa");
    if (command == printer::kLabelEnd)
        return QStringLiteral("?81&0  fine");
    if (command.startsWith(printer::kLabelText)) {
        const qsizetype semicolon = text.indexOf(QLatin1Char(';'));
        const QStringList n =
            text.mid(4, semicolon < 0 ? -1 : semicolon - 4).split(QLatin1Char(','));
        if (semicolon < 0 || n.size() != 5)
            return QStringLiteral("?52&   testo malformato: %1").arg(text);
        return QStringLiteral("?52&   riga %1 colonna %2 (tipo %3, %4, %5): \"%6\"")
            .arg(n[1], 4)
            .arg(n[2], 4)
            .arg(n[0], n[3], n[4], text.mid(semicolon + 1));
    }
    for (const char *format : {printer::kLabelFormat1, printer::kLabelFormat2,
                               printer::kLabelFormat3, printer::kLabelFormat4}) {
        if (command == format)
            return text.leftJustified(6) + QLatin1String(" formato");
    }
    return {};
}

void PrinterModel::note(const QString &line)
{
    transcript.append(line);
    if (onTranscript)
        onTranscript(line);
}

PrinterEngine::PrinterEngine(QObject *parent) : QObject(parent) {}

void PrinterEngine::receive(const QByteArray &bytes)
{
    for (const Emission &e : model.feed(bytes)) {
        const quint64 generation = m_generation;
        const QByteArray out = e.bytes;
        // Even an immediate answer goes through the event loop, as a real line delivers it.
        QTimer::singleShot(e.delayMs, Qt::PreciseTimer, this, [this, generation, out] {
            if (generation == m_generation)
                Q_EMIT send(out);
        });
    }
}

void PrinterEngine::cancelPending()
{
    ++m_generation;
}
