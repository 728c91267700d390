#include "tag/tagoperations.h"

#include "common/messages.h"
#include "common/operationcontext.h"
#include "link/printercommands.h"
#include "link/printerlink.h"
#include "link/printerquery.h"
#include "link/replytext.h"
#include "tag/blockdata.h"
#include "tag/blockmodel.h"
#include "tag/tagcodec.h"
#include "tag/taginfomodel.h"

namespace {

// The four data bytes of a read reply.
QByteArray replyBlockBytes(const QString &reply)
{
    return tagcodec::blockReplyData(reply).toLatin1();
}

}  // namespace

// The block loops take seconds: the window shows it is busy and marks the row being worked on.
class TagOperations::LoopProgress
{
public:
    LoopProgress(TagOperations &operations, QString verb)
        : m_operations(operations), m_verb(std::move(verb))
    {
        emit m_operations.busyChanged(true);
    }
    ~LoopProgress()
    {
        m_operations.m_blocks.setWorkingRow(-1);
        emit m_operations.note(QString());
        emit m_operations.busyChanged(false);
    }
    void row(int i)
    {
        m_operations.m_blocks.setWorkingRow(i);
        emit m_operations.note(QStringLiteral("%1 blocco %2...").arg(m_verb).arg(i + 1));
    }

private:
    TagOperations &m_operations;
    QString m_verb;
};

TagOperations::TagOperations(OperationContext &context, TagInfoModel &info, BlockModel &blocks,
                             QObject *parent)
    : QObject(parent), m_context(context), m_info(info), m_blocks(blocks)
{
}

void TagOperations::inventory()
{
    readTagInfo(printer::kInventory, printer::kInventoryReplyLength, true);
}

void TagOperations::systemInformation()
{
    readTagInfo(printer::kSystemInformation, printer::kSystemInformationReplyLength, false);
}

void TagOperations::readTagInfo(const char *request, int length, bool inventory)
{
    const PrinterLink::Operation operation =
        m_context.link.beginOperation(PrinterLink::WhilePrinting::Silent);
    if (!operation || !m_context.query.requireQueried())
        return;
    bool answered = false;
    if (requestTagInfo(request, length, inventory, &answered) && !answered)
        m_context.messages.show(QStringLiteral("ATTENZIONE! Nessuna risposta dal TAG"),
                                kStyleError);
}

bool TagOperations::requestTagInfo(const char *request, int length, bool inventory, bool *answered)
{
    *answered = false;
    PrinterLink &link = m_context.link;
    if (!link.SendCommand(QLatin1String(printer::kRfPreamble)))
        return false;
    // Whatever arrives from here on counts towards the reply, the preamble's answer included.
    link.ReceiveBuffer.clear();
    if (!link.Pause(printer::kRfPreamblePause) || !link.SendCommand(QLatin1String(request)) ||
        !link.WaitForReply(printer::kTagReplyLimit, length))
        return false;
    if (link.ReceiveBuffer.size() != length)
        return true;
    *answered = true;
    m_info.show(inventory ? tagcodec::decodeInventory(link.ReceiveBuffer)
                          : tagcodec::decodeSystemInformation(link.ReceiveBuffer));
    return true;
}

bool TagOperations::inventoryOnce(bool *answered)
{
    return requestTagInfo(printer::kInventory, printer::kInventoryReplyLength, true, answered);
}

TagOperations::BlockReply TagOperations::readBlock(int block)
{
    PrinterLink &link = m_context.link;
    link.ReceiveBuffer.clear();
    if (!link.SendCommand(tagcodec::readBlockRequest(block)) ||
        !link.Pause(printer::kReadBlockPause))
        return BlockReply::Stopped;
    if (link.ReceiveBuffer.size() != printer::kReadBlockReplyLength)
        return BlockReply::Missing;
    return tagcodec::blockReadOk(link.ReceiveBuffer) ? BlockReply::Read : BlockReply::NotRead;
}

// While a block loop runs, "Interrompi" can end it after the block in progress.
class TagOperations::StopScope
{
public:
    explicit StopScope(TagOperations &operations) : m_operations(operations)
    {
        m_operations.m_stopRequested = false;
        emit m_operations.stoppableChanged(true);
    }
    ~StopScope()
    {
        emit m_operations.stoppableChanged(false);
        m_operations.m_stopRequested = false;
    }

private:
    TagOperations &m_operations;
};

void TagOperations::requestStop()
{
    m_stopRequested = true;
}

void TagOperations::readBlocks()
{
    const PrinterLink::Operation operation = m_context.link.beginOperation();
    if (!operation || !m_context.query.requireQueried())
        return;

    PrinterLink &link = m_context.link;
    m_blocks.setFailedRows({});
    const StopScope stoppable(*this);
    LoopProgress progress(*this, QStringLiteral("Lettura del"));
    if (!link.SendCommand(QLatin1String(printer::kRfPreamble)) ||
        !link.Pause(printer::kRfPreamblePause))
        return;
    if (m_stopRequested) {
        m_context.messages.show(QStringLiteral("Lettura interrotta prima del primo blocco"),
                                kStyleInformation);
        return;
    }
    // Each row's selection is read when the loop reaches it: the grid stays live meanwhile.
    for (int i = 0; i < BlockModel::kRows; ++i) {
        if (!m_blocks.selected(i))
            continue;
        progress.row(i);
        switch (readBlock(i)) {
        case BlockReply::Stopped: return;
        case BlockReply::Read: {
            // Characters show the block as always, blanks around removed; hexadecimal shows the
            // four bytes as the tag holds them.
            const QByteArray block = replyBlockBytes(link.ReceiveBuffer);
            m_blocks.setBytes(
                i, m_blocks.mode() == BlockModel::Mode::Hex ? block : blockdata::trimmed(block));
            break;
        }
        case BlockReply::NotRead: break;
        case BlockReply::Missing:
            m_context.messages.show(
                QStringLiteral("ATTENZIONE! Blocco n. %1 non letto.").arg(i + 1),
                kStyleErrorInformation);
            break;
        }
        if (m_stopRequested && anySelectedAfter(i)) {
            m_context.messages.show(
                QStringLiteral("Lettura interrotta dopo il blocco %1").arg(i + 1),
                kStyleInformation);
            return;
        }
    }
}

bool TagOperations::anySelectedAfter(int row) const
{
    for (int i = row + 1; i < BlockModel::kRows; ++i) {
        if (m_blocks.selected(i))
            return true;
    }
    return false;
}

void TagOperations::writeBlocks(bool verify)
{
    const PrinterLink::Operation operation = m_context.link.beginOperation();
    if (!operation || !m_context.query.requireQueried() || !checkWritable())
        return;
    m_blocks.setFailedRows({});
    const StopScope stoppable(*this);
    QList<RowBytes> written;
    if (!writeSelected(&written) || written.isEmpty())
        return;
    if (!verify) {
        m_context.messages.show(QStringLiteral("Scrittura terminata"), kStyleInformation);
        return;
    }
    verifyWritten(written);
}

bool TagOperations::checkWritable()
{
    // What cannot be written as the bytes the operator sees refuses the whole write before
    // anything goes out, rather than be substituted or split a command in two.
    const QStringList reasons = m_blocks.describeProblems(m_blocks.selectedRows());
    if (reasons.isEmpty())
        return true;
    m_context.messages.show(QStringLiteral("ATTENZIONE! Scrittura annullata: %1. Nessun blocco è "
                                           "stato scritto.")
                                .arg(reasons.join(QLatin1String("; "))),
                            kStyleError);
    return false;
}

void TagOperations::reportModeRefused(const QList<int> &rows)
{
    m_context.messages.show(QStringLiteral("ATTENZIONE! La vista dei blocchi non è cambiata: %1.")
                                .arg(m_blocks.describeProblems(rows).join(QLatin1String("; "))),
                            kStyleError);
}

bool TagOperations::writeSelected(QList<RowBytes> *written)
{
    LoopProgress progress(*this, QStringLiteral("Scrittura del"));
    // Each row's selection and bytes are read when the loop reaches it, as the operator sees the
    // grid then; a row changed meanwhile into something that cannot be written ends the write
    // there, rather than have its earlier bytes written.
    for (int i = 0; i < BlockModel::kRows; ++i) {
        if (!m_blocks.selected(i))
            continue;
        if (const QStringList problems = m_blocks.describeProblems({i}); !problems.isEmpty()) {
            m_context.messages.show(QStringLiteral("ATTENZIONE! Scrittura interrotta: %1. I "
                                                   "blocchi precedenti sono stati scritti, "
                                                   "questo e i seguenti no.")
                                        .arg(problems.join(QLatin1String("; "))),
                                    kStyleError);
            return false;
        }
        progress.row(i);
        const RowBytes block{i, blockdata::padded(m_blocks.bytes(i))};
        if (!writeBlock(block))
            return false;
        written->append(block);
        if (m_stopRequested && anySelectedAfter(i)) {
            m_context.messages.show(
                QStringLiteral("Scrittura interrotta dopo il blocco %1").arg(i + 1),
                kStyleInformation);
            return false;
        }
    }
    return true;
}

bool TagOperations::writeBlock(const RowBytes &block, bool *sent)
{
    PrinterLink &link = m_context.link;
    link.ReceiveBuffer.clear();
    if (!link.SendCommand(tagcodec::writeBlockRequest(block.row, QString::fromLatin1(block.bytes))))
        return false;
    if (sent)
        *sent = true;
    return link.Pause(printer::kWriteBlockPause);
}

bool TagOperations::writeRows(const QList<RowBytes> &blocks, int *sent)
{
    *sent = 0;
    for (const RowBytes &block : blocks) {
        bool out = false;
        const bool written = writeBlock(block, &out);
        *sent += out ? 1 : 0;
        if (!written)
            return false;
    }
    return true;
}

TagOperations::Outcome TagOperations::verifyRows(const QList<RowBytes> &written, QList<int> *failed,
                                                 QList<int> *missing,
                                                 const std::function<void(int)> &onRow,
                                                 QHash<int, QByteArray> *held)
{
    PrinterLink &link = m_context.link;
    if (!link.SendCommand(QLatin1String(printer::kRfPreamble)) ||
        !link.Pause(printer::kRfPreamblePause))
        return Outcome::Ended;
    for (const RowBytes &w : written) {
        if (onRow)
            onRow(w.row);
        const BlockReply reply = readBlock(w.row);
        if (reply == BlockReply::Stopped)
            return Outcome::Ended;
        const QByteArray read =
            reply == BlockReply::Read ? replyBlockBytes(link.ReceiveBuffer) : QByteArray();
        if (reply != BlockReply::Read || read != w.bytes)
            *failed << w.row;
        if (reply == BlockReply::Read && held)
            held->insert(w.row, read);
        if (reply == BlockReply::Missing && missing)
            *missing << w.row;
        if (m_stopRequested && &w != &written.last())
            return Outcome::Stopped;
    }
    return Outcome::Done;
}

void TagOperations::verifyWritten(const QList<RowBytes> &written)
{
    // Read back every row written, as LEGGI reads, and compare the four bytes with those sent.
    QList<int> failed;
    QHash<int, QByteArray> held;
    QHash<int, BlockModel::Mismatch> mismatches;
    const auto markFailed = [&] {
        for (const RowBytes &w : written) {
            if (failed.contains(w.row))
                mismatches.insert(w.row,
                                  {w.bytes, held.contains(w.row) ? std::optional(held.value(w.row))
                                                                 : std::nullopt});
        }
        m_blocks.setFailedRows(failed, mismatches);
    };
    {
        LoopProgress progress(*this, QStringLiteral("Verifica del"));
        int last = -1;
        switch (verifyRows(
            written, &failed, nullptr,
            [&](int row) {
                progress.row(row);
                last = row;
            },
            &held)) {
        case Outcome::Ended: return;
        case Outcome::Stopped:
            markFailed();
            m_context.messages.show(
                QStringLiteral("Verifica interrotta dopo il blocco %1").arg(last + 1),
                kStyleInformation);
            return;
        case Outcome::Done: break;
        }
    }
    markFailed();
    if (failed.isEmpty()) {
        m_context.messages.show(QStringLiteral("Scrittura terminata e verificata"),
                                kStyleInformation);
        return;
    }
    m_context.messages.show(QStringLiteral("ATTENZIONE! Verifica fallita per i blocchi: ") +
                                blockdata::rowList(failed),
                            kStyleError);
}
