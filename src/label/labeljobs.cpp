#include "label/labeljobs.h"

#include "common/messages.h"
#include "common/operationcontext.h"
#include "label/labelcommands.h"
#include "link/printercommands.h"
#include "link/printerlink.h"
#include "link/printerquery.h"
#include "tag/blockmodel.h"
#include "tag/tagfields.h"
#include "tag/taginfomodel.h"

// From the first command to the last PrintingFlag is set and the job's button shows it is
// printing; both are put back on every way out, so that the exit button never stays refused.
class LabelJobs::Printing
{
public:
    Printing(LabelJobs &jobs, Label label)
        : m_printing(jobs.m_context.link.beginPrinting()), m_jobs(jobs), m_label(label)
    {
        emit m_jobs.printingChanged(m_label, true);
    }
    ~Printing() { emit m_jobs.printingChanged(m_label, false); }

private:
    PrinterLink::Printing m_printing;  // first in, last out
    LabelJobs &m_jobs;
    Label m_label;
};

namespace {

// What keeps texts off a label, for the operator: "il campo UID contiene caratteri di
// controllo …", one clause per kind of fault; empty when every text can be printed.
QString unprintable(const QStringList &names, const QStringList &texts)
{
    QStringList control;
    QStringList wide;
    for (int i = 0; i < texts.size(); ++i) {
        switch (labelcommands::textFault(texts[i])) {
        case labelcommands::TextFault::ControlCharacter: control << names[i]; break;
        case labelcommands::TextFault::NotSingleByte: wide << names[i]; break;
        case labelcommands::TextFault::None: break;
        }
    }
    const auto contain = [](const QStringList &which) {
        return which.size() == 1
                   ? QStringLiteral("%1 contiene").arg(which.first())
                   : QStringLiteral("%1 contengono").arg(which.join(QLatin1String(", ")));
    };
    QStringList clauses;
    if (!control.isEmpty())
        clauses << contain(control) + QStringLiteral(" caratteri di controllo (a capo, "
                                                     "tabulazioni o simili), che nessuna "
                                                     "etichetta può stampare");
    if (!wide.isEmpty())
        clauses << contain(wide) + QStringLiteral(" caratteri che non si possono inviare come "
                                                  "byte singoli");
    return clauses.join(QLatin1String("; "));
}

// Refuses the whole label before anything is sent when a text cannot be printed; true when all
// can.
bool refuseUnprintable(MessageSink &messages, const QStringList &names, const QStringList &texts)
{
    const QString why = unprintable(names, texts);
    if (why.isEmpty())
        return true;
    messages.show(
        QStringLiteral("ATTENZIONE! Stampa annullata: %1. Non è stato inviato nulla.").arg(why),
        kStyleError);
    return false;
}

}  // namespace

LabelJobs::LabelJobs(OperationContext &context, TagInfoModel &info, BlockModel &blocks,
                     QObject *parent)
    : QObject(parent), m_context(context), m_info(info), m_blocks(blocks)
{
}

void LabelJobs::printTagInfo()
{
    const PrinterLink::Operation operation =
        m_context.link.beginOperation(PrinterLink::WhilePrinting::Silent);
    if (!operation)
        return;

    // The last command first, then the fields in the label's order.
    QStringList names{QStringLiteral("l'ultima lettura")};
    QStringList texts{m_info.lastCommand()};
    bool anything = false;
    for (int i = 0; i < tagfields::kCount; ++i) {
        names
            << QStringLiteral("il campo %1").arg(QLatin1String(tagfields::kFields[size_t(i)].name));
        texts << m_info.field(i);
        anything = anything || !texts.last().isEmpty();
    }
    if (!anything) {
        m_context.messages.show(QStringLiteral("ATTENZIONE! Nessun dato da stampare"), kStyleError);
        return;
    }
    if (!refuseUnprintable(m_context.messages, names, texts))
        return;

    (void)sendTagInfoLabel();
}

LabelJobs::Sent LabelJobs::sendTagInfoLabel()
{
    using namespace labelcommands;
    PrinterLink &link = m_context.link;
    const Printing printing(*this, Label::TagInfo);
    if (!link.SendCommand(QLatin1String(printer::kLabelReset)) ||
        !link.SendCommand(QLatin1String(printer::kLabelBegin)) ||
        !link.SendCommand(
            textCommand(20, kCommandLine, kCaptionColumn, 7, 12, QStringLiteral("Comando:"))) ||
        !link.SendCommand(textCommand(20, kCommandLine, kValueColumn, 7, 12, m_info.lastCommand())))
        return Sent::Failed;
    int line = firstFieldLine();
    // Each field is read when its turn comes: the operator may edit it during an earlier pause,
    // so what was checked before the first command is checked again.
    for (int i = 0; i < tagfields::kCount; ++i) {
        const QString text = m_info.field(i);
        if (text.isEmpty())
            continue;
        const QString name =
            QStringLiteral("il campo %1").arg(QLatin1String(tagfields::kFields[size_t(i)].name));
        if (const QString why = unprintable({name}, {text}); !why.isEmpty()) {
            m_context.messages.show(
                QStringLiteral("ATTENZIONE! Stampa interrotta: %1. Il campo è stato cambiato "
                               "durante la stampa; l'invio dell'etichetta si è fermato prima del "
                               "comando di stampa.")
                    .arg(why),
                kStyleError);
            return Sent::Refused;
        }
        const QLatin1String caption(tagfields::kFields[size_t(i)].printCaption);
        if (!link.SendCommand(textCommand(20, line, kCaptionColumn, 7, 11, caption)) ||
            !link.SendCommand(textCommand(20, line, kValueColumn, 7, 11, text)))
            return Sent::Failed;
        line -= kFieldLineStep;
        if (!link.Pause(printer::kLabelFieldPause))
            return Sent::Failed;
    }
    return link.SendCommand(QLatin1String(printer::kLabelPrint)) &&
                   link.SendCommand(QLatin1String(printer::kLabelEnd))
               ? Sent::Done
               : Sent::Failed;
}

void LabelJobs::printBlocks()
{
    const PrinterLink::Operation operation =
        m_context.link.beginOperation(PrinterLink::WhilePrinting::Silent);
    if (!operation || !m_context.query.requireQueried())
        return;
    // Half-typed hexadecimal digits are no bytes yet: nothing to print from them.
    QStringList unfinished;
    for (int row : {0, 1}) {
        const BlockModel::Problem problem = m_blocks.problem(row);
        if (problem == BlockModel::Problem::OddHexDigits ||
            problem == BlockModel::Problem::NotHexDigits)
            unfinished << QString::number(row + 1);
    }
    if (!unfinished.isEmpty()) {
        m_context.messages.show(
            QStringLiteral("ATTENZIONE! Stampa annullata: %1 byte interi (cifre esadecimali "
                           "dispari o non valide). Non è stato inviato nulla.")
                .arg(unfinished.size() == 1
                         ? QStringLiteral("il blocco %1 non contiene").arg(unfinished.first())
                         : QStringLiteral("i blocchi 1 e 2 non contengono")),
            kStyleError);
        return;
    }
    const QString row1 = m_blocks.rowText(0);
    const QString row2 = m_blocks.rowText(1);
    if (row1.isEmpty() && row2.isEmpty()) {
        m_context.messages.show(
            QStringLiteral("ATTENZIONE! I blocchi 1 e 2 non contengono nessun dato"), kStyleError);
        return;
    }
    if (!refuseUnprintable(m_context.messages,
                           {QStringLiteral("il blocco 1"), QStringLiteral("il blocco 2")},
                           {row1, row2}))
        return;

    (void)sendBlockLabel(row1, row2);
}

LabelJobs::Sent LabelJobs::sendBlockLabel(const QString &row1, const QString &row2)
{
    // Back to back: no window events are processed, so the rows cannot change meanwhile.
    return sendAll(labelcommands::blockLabel(row1, row2));
}

LabelJobs::Sent LabelJobs::sendVoidLabel(const QString &uid)
{
    return sendAll(labelcommands::voidLabel(uid));
}

LabelJobs::Sent LabelJobs::sendAll(const QStringList &commands)
{
    const Printing printing(*this, Label::Blocks);
    for (const QString &command : commands) {
        if (!m_context.link.SendCommand(command))
            return Sent::Failed;
    }
    return Sent::Done;
}
