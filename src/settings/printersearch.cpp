#include "settings/printersearch.h"

#include "common/messages.h"
#include "link/linesettings.h"
#include "link/printercommands.h"
#include "link/printerlink.h"
#include "link/replytext.h"
#include "link/serialcontrol.h"
#include "settings/propertyselection.h"

#include <QDeadlineTimer>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <memory>
#include <vector>

// A probe line's complaints become the device's reason in the result, not message boxes.
class ProbeComplaints : public MessageSink
{
public:
    void show(const QString &text, MessageStyle) override { last = text; }
    QString last;
};

namespace {

// "/dev/x: dispositivo inesistente" says the device twice beside its name: once is enough.
QString reasonFor(const QString &device, const QString &description)
{
    const QString prefix = device + QLatin1String(": ");
    return description.startsWith(prefix) ? description.mid(prefix.size()) : description;
}

QString deviceAndPort(const QString &device, int port)
{
    return port > 0 ? QStringLiteral("%1 (Com%2)").arg(device).arg(port) : device;
}

}  // namespace

PrinterSearch::PrinterSearch(PrinterLink &link, const SerialDevices &devices)
    : m_link(link), m_devices(devices)
{
}

bool PrinterSearch::sameDevice(const QString &a, const QString &b)
{
    return a == b || serialDeviceTarget(a) == serialDeviceTarget(b);
}

QStringList PrinterSearch::candidates(const QStringList &first, const QList<SerialDevice> &reported)
{
    QStringList all = first;
    for (const SerialDevice &device : reported)
        all << device.path;
    QStringList out;
    for (const QString &device : all) {
        if (device.isEmpty())
            continue;
        const bool known = std::any_of(
            out.begin(), out.end(), [&](const QString &seen) { return sameDevice(seen, device); });
        if (!known)
            out << device;
    }
    return out;
}

int PrinterSearch::portOf(const QString &device) const
{
    for (int port = 1; port <= properties::portEntries().size(); ++port) {
        if (sameDevice(m_link.control().deviceName(port), device))
            return port;
    }
    return 0;
}

PrinterSearch::Result PrinterSearch::run(const QString &typedDevice, int chosenSpeed,
                                         const QString &lineTail)
{
    QStringList first;
    for (int port = 1; port <= properties::portEntries().size(); ++port)
        first << m_link.control().deviceName(port);
    first << typedDevice;
    QList<int> speeds;
    if (chosenSpeed > 0)
        speeds << chosenSpeed;
    for (const QString &speed : properties::speedEntries()) {
        if (!speeds.contains(speed.toInt()))
            speeds << speed.toInt();
    }
    return run(candidates(first, m_devices.available()), speeds, lineTail);
}

PrinterSearch::Result PrinterSearch::run(const QStringList &devices, const QList<int> &speeds,
                                         const QString &lineTail)
{
    Result result;
    m_cancelled = false;
    if (speeds.isEmpty())
        return result;
    LineSettings line;
    if (SerialError e = LineSettings::parse(QString::number(speeds.first()) + lineTail, &line);
        e.failed()) {
        result.refused = e.description;
        return result;
    }

    SerialControl &comm = m_link.control();
    const QString inUse = comm.settings();
    QStringList silent = devices;  // still in the search: silent, or no model among their answers
    QHash<QString, QString> reasons;
    QSet<QString> probed;
    for (int i = 0; i < speeds.size() && !silent.isEmpty(); ++i) {
        if (!probeRound(speeds[i], i + 1, int(speeds.size()), lineTail, &silent, &reasons, &probed,
                        &result) ||
            !result.answers.isEmpty())
            break;
    }
    // The open line goes back to what it was using, also when the device was lost during its
    // probe (the settings are then kept for the next opening); nothing is applied before OK.
    if (comm.settings() != inUse)
        comm.setSettings(inUse);
    listOthers(devices, probed, reasons, &result);
    return result;
}

// One device's line during a round. Declared in this order so that the lambdas bound to
// `context` are gone before anything they write to.
struct PrinterSearch::Line
{
    QString device;
    bool open = false;                       // the device in use, asked through the open line
    std::unique_ptr<SerialControl> control;  // a line of its own, else null
    ProbeComplaints complaints;
    std::unique_ptr<PrinterLink> ownLink;
    PrinterLink *link = nullptr;  // where the query goes; null when it cannot
    QString reason;               // why it was not asked
    QString lost;                 // the device went away during the window
    bool sent = false;
    QObject context;
};

bool PrinterSearch::probeRound(int speed, int round, int rounds, const QString &lineTail,
                               QStringList *silent, QHash<QString, QString> *reasons,
                               QSet<QString> *probed, Result *result)
{
    SerialControl &comm = m_link.control();
    const QString settings = QString::number(speed) + lineTail;
    std::vector<std::unique_ptr<Line>> lines;
    for (const QString &device : std::as_const(*silent)) {
        auto line = std::make_unique<Line>();
        line->device = device;
        line->open = comm.portOpen() && sameDevice(comm.currentDevice(), device);
        probed->insert(device);
        openLine(*line, settings);
        lines.push_back(std::move(line));
    }
    // Every query goes out before the window starts, so that all answer within the same one.
    int asked = 0;
    for (const auto &line : lines) {
        if (!line->link)
            continue;
        if (!line->link->SendCommand(QLatin1String(printer::kQueryModel))) {
            if (m_link.abandoned()) {
                result->ended = true;
                return false;
            }
            line->reason = line->open ? QStringLiteral("invio della richiesta non riuscito")
                                      : line->complaints.last.section(QLatin1Char('\n'), -1);
            continue;
        }
        line->sent = true;
        ++asked;
    }
    emit probing(speed, round, rounds, asked);

    // One window for all: each line waits for what is left of it, while the others' answers
    // are collected by their own links meanwhile.
    const QDeadlineTimer deadline = m_link.deadlineIn(printer::kModelLimit);
    for (const auto &line : lines) {
        if (!line->sent || m_cancelled)
            continue;
        m_waiting = line->link;
        const bool waited = line->link->WaitForReplyUntil(deadline, printer::kModelReplyLength);
        m_waiting = nullptr;
        if (line->link->abandoned() || m_link.abandoned()) {
            result->ended = true;
            return false;
        }
        if (!waited && !m_cancelled && line->lost.isEmpty())
            line->lost = QStringLiteral("dispositivo perso");
    }

    for (const auto &line : lines) {
        const QString &device = line->device;
        const QString received = line->sent ? line->link->ReceiveBuffer : QString();
        const QString fault = received.isEmpty() ? QString() : modelReplyFault(received);
        if (!line->sent || !line->lost.isEmpty()) {
            reasons->insert(device, reasonFor(device, line->sent ? line->lost : line->reason));
            silent->removeOne(device);
        } else if (!received.isEmpty() && fault.isEmpty()) {
            result->answers.append(
                {device, portOf(device), speed, queryFieldText(received), line->open});
            silent->removeOne(device);
        } else if (!received.isEmpty()) {  // perhaps a printer at another speed: asked again
            reasons->insert(device, QStringLiteral("risposta non valida (%1)").arg(fault));
        } else if (m_cancelled) {
            reasons->insert(device, QStringLiteral("prova interrotta"));
        }
    }
    if (m_cancelled)
        result->cancelled = true;
    return !m_cancelled;
}

void PrinterSearch::listOthers(const QStringList &devices, const QSet<QString> &probed,
                               const QHash<QString, QString> &reasons, Result *result) const
{
    for (const QString &device : devices) {
        const bool answered = std::any_of(result->answers.begin(), result->answers.end(),
                                          [&](const Answer &a) { return a.device == device; });
        if (answered)
            continue;
        const QString outcome = !probed.contains(device)   ? QStringLiteral("non provato")
                                : reasons.contains(device) ? reasons.value(device)
                                                           : QStringLiteral("nessuna risposta");
        result->others.append({device, portOf(device), outcome});
    }
}

void PrinterSearch::openLine(Line &line, const QString &settings)
{
    if (line.open) {
        SerialControl &comm = m_link.control();
        // The operator has been told by the link.
        connect(&comm, &SerialControl::lost, &line.context, [&line](const SerialError &) {
            line.lost = QStringLiteral("collegamento perso durante la prova");
        });
        if (SerialError e = comm.setSettings(settings); e.failed()) {
            line.reason = e.description;
            return;
        }
        m_link.ReceiveBuffer.clear();
        line.link = &m_link;
        return;
    }
    openOwnLine(line, settings);
}

void PrinterSearch::openOwnLine(Line &line, const QString &settings)
{
    line.control = m_devices.control(line.device);
    if (!line.control) {
        line.reason = QStringLiteral("nome di dispositivo non valido");
        return;
    }
    if (SerialError e = line.control->setSettings(settings); e.failed()) {
        line.reason = e.description;
        return;
    }
    if (SerialError e = line.control->setPortOpen(true); e.failed()) {
        line.reason = e.description;
        return;
    }
    connect(line.control.get(), &SerialControl::lost, &line.context, [&line](const SerialError &e) {
        line.lost = e.description.isEmpty() ? QStringLiteral("dispositivo perso") : e.description;
    });
    line.ownLink = std::make_unique<PrinterLink>(*line.control, line.complaints);
    line.ownLink->setTimeScale(m_link.timeScale());
    line.link = line.ownLink.get();
}

void PrinterSearch::cancel()
{
    m_cancelled = true;
    if (m_waiting)
        m_waiting->interruptWaits();
}

const PrinterSearch::Answer *PrinterSearch::Result::chosen() const
{
    const Answer *best = nullptr;
    for (const Answer &a : answers) {
        if (a.open)
            return &a;
        if (!best || (a.port > 0 && (best->port == 0 || a.port < best->port)))
            best = &a;
    }
    return best;
}

QString PrinterSearch::Result::text() const
{
    if (!refused.isEmpty())
        return QStringLiteral("Ricerca non possibile con queste impostazioni: %1.").arg(refused);
    QStringList lines;
    if (!answers.isEmpty()) {
        lines << (answers.size() == 1 ? QStringLiteral("Stampante trovata:")
                                      : QStringLiteral("Stampanti trovate:"));
        for (const Answer &a : answers)
            lines << QStringLiteral("%1 a %2 baud: «%3»")
                         .arg(deviceAndPort(a.device, a.port))
                         .arg(a.speed)
                         .arg(a.model);
        if (!others.isEmpty())
            lines << QStringLiteral("Altri dispositivi provati:");
    } else if (cancelled) {
        lines << QStringLiteral("Ricerca interrotta: nessuna stampante trovata finora. "
                                "Dispositivi provati:");
    } else {
        lines << QStringLiteral("Nessuna stampante trovata, a nessuna velocità. "
                                "Dispositivi provati:");
    }
    for (const Tried &t : others)
        lines << QStringLiteral("%1: %2").arg(deviceAndPort(t.device, t.port), t.outcome);
    if (others.isEmpty() && answers.isEmpty())
        lines << QStringLiteral("nessun dispositivo");
    return lines.join(QLatin1Char('\n'));
}
