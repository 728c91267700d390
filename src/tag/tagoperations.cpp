#include "tag/tagoperations.h"

#include "common/globvar.h"
#include "common/messages.h"
#include "common/operationcontext.h"
#include "link/printercommands.h"
#include "link/printerlink.h"
#include "link/printerquery.h"
#include "link/replytext.h"
#include "tag/blockpage.h"
#include "tag/tagcodec.h"
#include "tag/taginfopage.h"

#include <QGuiApplication>

namespace {

// The block loops take seconds: a busy cursor and the row being worked on tell the operator that
// work is under way. The cursor steps aside while a message waits for the operator.
class BlockLoopProgress
{
public:
    BlockLoopProgress(OperationContext &context, BlockPage &blocks, QString verb)
        : m_context(context), m_blocks(blocks), m_verb(std::move(verb))
    {
        QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    }
    ~BlockLoopProgress()
    {
        m_blocks.setWorkingRow(-1);
        m_context.note(QString());
        QGuiApplication::restoreOverrideCursor();
    }
    void row(int i)
    {
        m_blocks.setWorkingRow(i);
        m_context.note(QStringLiteral("%1 blocco %2...").arg(m_verb).arg(i + 1));
    }
    void message(const QString &text, MessageStyle style)
    {
        QGuiApplication::restoreOverrideCursor();
        m_context.messages.show(text, style);
        QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    }

private:
    OperationContext &m_context;
    BlockPage &m_blocks;
    QString m_verb;
};

}  // namespace

TagOperations::TagOperations(OperationContext &context, TagInfoPage &info, BlockPage &blocks)
    : m_context(context), m_info(info), m_blocks(blocks)
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
    if (m_context.globals.PrintingFlag != 0)
        return;
    const PrinterLink::Operation operation = m_context.link.beginOperation();
    if (!operation || !m_context.query.requireQueried())
        return;

    PrinterLink &link = m_context.link;
    if (!link.SendCommand(QLatin1String(printer::kRfPreamble)))
        return;
    // Whatever arrives from here on counts towards the reply, the preamble's answer included.
    link.ReceiveBuffer.clear();
    if (!link.Pause(printer::kRfPreamblePause) || !link.SendCommand(QLatin1String(request)) ||
        !link.WaitForReply(printer::kTagReplyLimit, length))
        return;
    if (link.ReceiveBuffer.size() != length) {
        m_context.messages.show(QStringLiteral("ATTENZIONE! Nessuna risposta dal TAG"),
                                kStyleError);
        return;
    }
    m_info.showTagInfo(inventory ? tagcodec::decodeInventory(link.ReceiveBuffer)
                                 : tagcodec::decodeSystemInformation(link.ReceiveBuffer));
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

void TagOperations::readBlocks()
{
    const PrinterLink::Operation operation = m_context.link.beginOperation();
    if (!operation || !m_context.query.requireQueried())
        return;

    PrinterLink &link = m_context.link;
    m_blocks.setFailedRows({});
    BlockLoopProgress progress(m_context, m_blocks, QStringLiteral("Lettura del"));
    if (!link.SendCommand(QLatin1String(printer::kRfPreamble)) ||
        !link.Pause(printer::kRfPreamblePause))
        return;
    // Each row's selection is read when the loop reaches it: the grid stays live meanwhile.
    for (int i = 0; i < BlockPage::kRows; ++i) {
        if (!m_blocks.rowSelected(i))
            continue;
        progress.row(i);
        switch (readBlock(i)) {
        case BlockReply::Stopped: return;
        case BlockReply::Read:
            m_blocks.setRowText(i, tagcodec::blockFieldText(link.ReceiveBuffer));
            break;
        case BlockReply::NotRead: break;
        case BlockReply::Missing:
            progress.message(QStringLiteral("ATTENZIONE! Blocco n. %1 non letto.").arg(i + 1),
                             kStyleErrorInformation);
            break;
        }
    }
}

void TagOperations::writeBlocks()
{
    const PrinterLink::Operation operation = m_context.link.beginOperation();
    if (!operation || !m_context.query.requireQueried() || !checkWritable())
        return;
    const bool verify = m_blocks.verifyAfterWrite();
    m_blocks.setFailedRows({});
    QList<WrittenBlock> written;
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
    // A character without a single-byte code cannot be written as a byte of the tag: refuse the
    // whole write before anything goes out, rather than substitute it.
    QStringList refused;
    for (int i = 0; i < BlockPage::kRows; ++i) {
        if (m_blocks.rowSelected(i) && !isSingleByte(m_blocks.rowText(i)))
            refused << QString::number(i + 1);
    }
    if (refused.isEmpty())
        return true;
    const QString which =
        refused.size() == 1
            ? QStringLiteral("il blocco %1 contiene").arg(refused.first())
            : QStringLiteral("i blocchi %1 contengono").arg(refused.join(QLatin1String(", ")));
    m_context.messages.show(QStringLiteral("ATTENZIONE! Scrittura annullata: %1 caratteri che "
                                           "non si possono scrivere come byte singoli. "
                                           "Nessun blocco è stato scritto.")
                                .arg(which),
                            kStyleError);
    return false;
}

bool TagOperations::writeSelected(QList<WrittenBlock> *written)
{
    PrinterLink &link = m_context.link;
    BlockLoopProgress progress(m_context, m_blocks, QStringLiteral("Scrittura del"));
    // Each row's selection and text are read when the loop reaches it.
    for (int i = 0; i < BlockPage::kRows; ++i) {
        if (!m_blocks.rowSelected(i))
            continue;
        progress.row(i);
        link.ReceiveBuffer.clear();
        const QString data = tagcodec::blockData(m_blocks.rowText(i));
        if (!link.SendCommand(tagcodec::writeBlockRequest(i, data)) ||
            !link.Pause(printer::kWriteBlockPause))
            return false;
        written->append({i, data});
    }
    return true;
}

void TagOperations::verifyWritten(const QList<WrittenBlock> &written)
{
    // Read back every row written, as LEGGI reads, and compare the four bytes with those sent.
    PrinterLink &link = m_context.link;
    QList<int> failed;
    {
        BlockLoopProgress progress(m_context, m_blocks, QStringLiteral("Verifica del"));
        if (!link.SendCommand(QLatin1String(printer::kRfPreamble)) ||
            !link.Pause(printer::kRfPreamblePause))
            return;
        for (const WrittenBlock &w : written) {
            progress.row(w.row);
            const BlockReply reply = readBlock(w.row);
            if (reply == BlockReply::Stopped)
                return;
            if (reply != BlockReply::Read || tagcodec::blockReplyData(link.ReceiveBuffer) != w.data)
                failed << w.row;
        }
    }
    m_blocks.setFailedRows(failed);
    if (failed.isEmpty()) {
        m_context.messages.show(QStringLiteral("Scrittura terminata e verificata"),
                                kStyleInformation);
        return;
    }
    QStringList rows;
    for (int row : failed)
        rows << QString::number(row + 1);
    m_context.messages.show(QStringLiteral("ATTENZIONE! Verifica fallita per i blocchi: ") +
                                rows.join(QLatin1String(", ")),
                            kStyleError);
}
