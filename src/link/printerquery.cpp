#include "link/printerquery.h"

#include "common/messages.h"
#include "link/printercommands.h"
#include "link/printerlink.h"
#include "link/replytext.h"

#include <QLineEdit>

PrinterQuery::PrinterQuery(PrinterLink &link, MessageSink &messages, QLineEdit *txtModello,
                           QLineEdit *txtRelease, QWidget *cmdInterroga)
    : m_link(link), m_messages(messages), m_model(txtModello), m_release(txtRelease),
      m_queryButton(cmdInterroga)
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

    const QString oldModel = m_model->text();
    const QString oldRelease = m_release->text();
    m_model->clear();
    m_release->clear();
    // Whatever still arrives belongs to the model reply.
    if (!m_link.Pause(printer::kQuerySettle)) {
        if (!m_link.abandoned()) {  // the device was lost: keep what the operator had
            m_model->setText(oldModel);
            m_release->setText(oldRelease);
        }
        return;
    }
    m_model->setText(queryFieldText(m_link.ReceiveBuffer));

    m_link.ReceiveBuffer.clear();
    if (!m_link.SendCommand(QLatin1String(printer::kQueryRelease)) ||
        !m_link.WaitForReply(printer::kReleaseLimit, printer::kReleaseReplyLength))
        return;
    if (m_link.ReceiveBuffer.isEmpty()) {
        noAnswer();
        return;
    }
    m_release->setText(queryFieldText(m_link.ReceiveBuffer));
}

bool PrinterQuery::requireQueried()
{
    if (!m_model->text().isEmpty() || !m_release->text().isEmpty())
        return true;
    m_messages.show(QStringLiteral("Prima bisogna interrogare la stampante"), kStyleError);
    m_queryButton->setFocus(Qt::OtherFocusReason);
    return false;
}
