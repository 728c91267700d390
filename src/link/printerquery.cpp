#include "link/printerquery.h"

#include "common/messages.h"
#include "link/printercommands.h"
#include "link/printeridentity.h"
#include "link/printerlink.h"
#include "link/replytext.h"

PrinterQuery::PrinterQuery(PrinterLink &link, MessageSink &messages, PrinterIdentity &printer,
                           QObject *parent)
    : QObject(parent), m_link(link), m_messages(messages), m_printer(printer)
{
}

void PrinterQuery::run()
{
    const PrinterLink::Operation operation = m_link.beginOperation();
    if (!operation)
        return;
    const auto noAnswer = [this] {
        m_messages.show(QStringLiteral("ATTENZIONE! La stampante non risponde."), kStyleError);
    };

    m_link.ReceiveBuffer.clear();
    if (!m_link.SendCommand(QLatin1String(printer::kQueryModel)) ||
        !m_link.WaitForReply(printer::kModelLimit, printer::kModelReplyLength))
        return;
    if (m_link.ReceiveBuffer.isEmpty()) {
        noAnswer();
        return;
    }

    const QString oldModel = m_printer.model();
    const QString oldRelease = m_printer.release();
    m_printer.setModel({});
    m_printer.setRelease({});
    // Whatever still arrives belongs to the model reply.
    if (!m_link.Pause(printer::kQuerySettle)) {
        if (!m_link.abandoned()) {  // the device was lost: keep what the operator had
            m_printer.setModel(oldModel);
            m_printer.setRelease(oldRelease);
        }
        return;
    }
    m_printer.setModel(queryFieldText(m_link.ReceiveBuffer));

    m_link.ReceiveBuffer.clear();
    if (!m_link.SendCommand(QLatin1String(printer::kQueryRelease)) ||
        !m_link.WaitForReply(printer::kReleaseLimit, printer::kReleaseReplyLength))
        return;
    if (m_link.ReceiveBuffer.isEmpty()) {
        noAnswer();
        return;
    }
    m_printer.setRelease(queryFieldText(m_link.ReceiveBuffer));
}

bool PrinterQuery::requireQueried()
{
    if (m_printer.queried())
        return true;
    m_messages.show(QStringLiteral("Prima bisogna interrogare la stampante"), kStyleError);
    emit queryNeeded();
    return false;
}
