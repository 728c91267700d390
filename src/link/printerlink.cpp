#include "link/printerlink.h"

#include "common/messages.h"
#include "link/deadlinenotifier.h"
#include "link/printercommands.h"
#include "link/replytext.h"
#include "link/serialcontrol.h"

#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace {

// A closed port is opened again by OK in the settings dialog, whatever closed it.
const QString kReopenHint = QStringLiteral(
    "Per riaprire la porta: ricollegare la stampante, poi \"Porta Seriale...\" e OK.");

}  // namespace

PrinterLink::PrinterLink(SerialControl &control, MessageSink &messages, QObject *parent)
    : QObject(parent), m_control(control), m_messages(messages)
{
    connect(&m_control, &SerialControl::received, this, &PrinterLink::onComm);
    connect(&m_control, &SerialControl::lost, this, &PrinterLink::onLost);
    connect(&m_control, &SerialControl::opened, this,
            [this] { m_trace.lineOpened(m_control.currentDevice(), m_control.settings()); });
}

PrinterLink::~PrinterLink()
{
    endWaits(End::Abandoned);
}

bool PrinterLink::SendCommand(const QString &command)
{
    if (m_abandoned)
        return false;
    if (hasLineBreak(command)) {
        m_messages.show(QStringLiteral("ATTENZIONE! Comando non inviato: contiene un a capo (CR o "
                                       "LF), che lo dividerebbe in più comandi per la stampante."),
                        kStyleError);
        return false;
    }
    const QString line = command + QLatin1String("\r\n");
    if (!isSingleByte(line)) {
        m_messages.show(QStringLiteral("ATTENZIONE! Comando non inviato: contiene caratteri che "
                                       "non si possono inviare come byte singoli."),
                        kStyleError);
        return false;
    }
    const QByteArray bytes = line.toLatin1();
    const SerialError e = m_control.output(bytes);
    if (e.failed()) {
        // A lost device is reported once, by onLost (perhaps still on its way).
        if (e.number != SerialError::DeviceLost && !m_lossReportPending) {
            QString text = QStringLiteral("ATTENZIONE! Comando non inviato: %1.").arg(e.text());
            if (e.number == SerialError::PortNotOpen)
                text += QLatin1String("\n\n") + kReopenHint;
            m_messages.show(text, kStyleError);
        }
        return false;
    }
    m_trace.toPrinter(bytes);
    return true;
}

bool PrinterLink::WaitForReply(double seconds, int length)
{
    return wait(seconds, length);
}

bool PrinterLink::Pause(double seconds)
{
    return wait(seconds, -1);
}

bool PrinterLink::wait(double seconds, int length)
{
    return WaitForReplyUntil(deadlineIn(seconds), length);
}

QDeadlineTimer PrinterLink::deadlineIn(double seconds) const
{
    QDeadlineTimer deadline(Qt::PreciseTimer);
    const qint64 ns = std::llround(seconds * m_timeScale * 1e9);
    deadline.setPreciseRemainingTime(ns / 1000000000, ns % 1000000000, Qt::PreciseTimer);
    return deadline;
}

bool PrinterLink::WaitForReplyUntil(const QDeadlineTimer &deadline, int length)
{
    if (m_abandoned)
        return false;
    if (deadline.hasExpired() && !m_control.scheduledBy(deadline))
        return true;
    if (length >= 0 && ReceiveBuffer.size() == length)
        return true;

    const int losses = m_losses;
    QEventLoop loop;
    Wait w{&loop, length, deadline};
    DeadlineNotifier deadlineReached(deadline);
    connect(&deadlineReached, &DeadlineNotifier::reached, &loop, [&] { deadlinePassed(w); });

    m_waits.push_back(&w);
    loop.exec();
    m_waits.erase(std::find(m_waits.begin(), m_waits.end(), &w));

    if (w.end == End::Running) {
        // The application's own event loop was told to exit: the program is ending.
        m_abandoned = true;
        return false;
    }
    // The deadline and the loss can come in the same pass of the event loop: a device lost
    // during the wait ends it all the same.
    return w.end == End::Normal && m_losses == losses;
}

void PrinterLink::deadlinePassed(Wait &w)
{
    if (m_control.scheduledBy(w.deadline)) {
        w.overdue = true;  // ends once it has happened, see onComm()
        return;
    }
    w.end = End::Normal;
    w.loop->quit();
}

// Whatever the line brings is taken from the serial control at once, so that its own buffer
// does not grow either, and what does not fit under the limit is dropped. A buffer cut at the
// limit never ends a wait: it is far longer than any reply awaited, so it fails the length test
// as any reply of the wrong length does. A wait past its deadline ends once nothing due before
// it is scheduled any more.
static_assert(PrinterLink::kReceiveLimit >
              std::max({printer::kModelReplyLength, printer::kReleaseReplyLength,
                        printer::kInventoryReplyLength, printer::kSystemInformationReplyLength,
                        printer::kReadBlockReplyLength}));

void PrinterLink::onComm()
{
    const QByteArray bytes = m_control.input();
    // As it arrived, before the limit cuts it.
    if (!bytes.isEmpty())
        m_trace.fromPrinter(bytes);
    const qsizetype room = kReceiveLimit - ReceiveBuffer.size();
    const bool grown = !bytes.isEmpty() && room > 0;
    if (grown)
        ReceiveBuffer += QString::fromLatin1(bytes.constData(), qMin(room, bytes.size()));
    for (Wait *w : m_waits) {
        if (w->end != End::Running)
            continue;
        if ((grown && w->length >= 0 && ReceiveBuffer.size() == w->length) ||
            (w->overdue && !m_control.scheduledBy(w->deadline))) {
            w->end = End::Normal;
            w->loop->quit();
        }
    }
    if (grown)
        emit dataReceived();
}

void PrinterLink::onLost(const SerialError &error)
{
    ++m_losses;
    m_trace.note(QStringLiteral("linea persa: %1").arg(error.text()));
    endWaits(End::Lost);
    // Told from the event loop, not from inside the serial layer's error report.
    m_lossReportPending = true;
    QTimer::singleShot(0, this, [this, error] {
        m_lossReportPending = false;
        if (m_abandoned)
            return;
        m_messages.show(QStringLiteral("ATTENZIONE! Collegamento con la stampante perso: la porta "
                                       "è stata chiusa.\n%1.\n\n%2")
                            .arg(error.text(), kReopenHint),
                        kStyleError);
    });
}

void PrinterLink::abandon()
{
    m_abandoned = true;
    endWaits(End::Abandoned);
}

void PrinterLink::interruptWaits()
{
    endWaits(End::Abandoned);
}

void PrinterLink::endWaits(End how)
{
    for (Wait *w : m_waits) {
        if (w->end == End::Running) {
            w->end = how;
            w->loop->quit();
        }
    }
}

PrinterLink::Operation PrinterLink::beginOperation(WhilePrinting whilePrinting)
{
    if (m_printing && whilePrinting == WhilePrinting::Silent)
        return {};
    if (m_operationRunning || m_abandoned) {
        if (!m_abandoned)
            emit operationRefused();
        return {};
    }
    m_operationRunning = true;
    return Operation(this);
}

PrinterLink::Operation::~Operation()
{
    if (m_link) {
        m_link->m_operationRunning = false;
        m_link->m_trace.boundary();
    }
}

PrinterLink::Printing PrinterLink::beginPrinting()
{
    m_printing = true;
    return Printing(this);
}

PrinterLink::Printing::~Printing()
{
    if (m_link)
        m_link->m_printing = false;
}
