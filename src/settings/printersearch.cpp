#include "settings/printersearch.h"

#include "common/messages.h"
#include "link/linesettings.h"
#include "link/printercommands.h"
#include "link/printerlink.h"
#include "link/replytext.h"
#include "link/serialcontrol.h"
#include "settings/propertyselection.h"

#include <QHash>
#include <QSet>

#include <algorithm>

namespace {

// A probe line's complaints become the device's reason in the result, not message boxes.
class Collected : public MessageSink
{
public:
    void show(const QString &text, MessageStyle) override { last = text; }
    QString last;
};

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
    for (int speed : speeds) {
        if (!probeRound(speed, lineTail, &silent, &reasons, &probed, &result) ||
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

bool PrinterSearch::probeRound(int speed, const QString &lineTail, QStringList *silent,
                               QHash<QString, QString> *reasons, QSet<QString> *probed,
                               Result *result)
{
    SerialControl &comm = m_link.control();
    const QStringList round = *silent;
    const QString settings = QString::number(speed) + lineTail;
    for (int i = 0; i < round.size(); ++i) {
        const QString &device = round[i];
        emit probing(device, speed, i + 1, int(round.size()));
        probed->insert(device);
        const bool openLine = comm.portOpen() && sameDevice(comm.currentDevice(), device);
        const Probe probe = openLine ? probeOpenLine(settings) : probeOwnLine(device, settings);
        switch (probe.outcome) {
        case Outcome::Answered:
            result->answers.append({device, portOf(device), speed, probe.text, openLine});
            silent->removeOne(device);
            break;
        case Outcome::Silent: break;
        case Outcome::Invalid:  // perhaps a printer at another speed: asked again
            reasons->insert(device, probe.text);
            break;
        case Outcome::Failed:
            reasons->insert(device, reasonFor(device, probe.text));
            silent->removeOne(device);
            break;
        case Outcome::Cancelled:
            reasons->insert(device, QStringLiteral("prova interrotta"));
            result->cancelled = true;
            return false;
        case Outcome::Ended: result->ended = true; return false;
        }
    }
    return true;
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

PrinterSearch::Probe PrinterSearch::probeOpenLine(const QString &settings)
{
    SerialControl &comm = m_link.control();
    if (SerialError e = comm.setSettings(settings); e.failed())
        return {Outcome::Failed, e.description};
    m_link.ReceiveBuffer.clear();
    return ask(
        m_link, [] { return QStringLiteral("invio della richiesta non riuscito"); },
        // The operator has been told by the link.
        [] { return QStringLiteral("collegamento perso durante la prova"); });
}

PrinterSearch::Probe PrinterSearch::probeOwnLine(const QString &device, const QString &settings)
{
    const std::unique_ptr<SerialControl> control = m_devices.control(device);
    if (!control)
        return {Outcome::Failed, QStringLiteral("nome di dispositivo non valido")};
    if (SerialError e = control->setSettings(settings); e.failed())
        return {Outcome::Failed, e.description};
    if (SerialError e = control->setPortOpen(true); e.failed())
        return {Outcome::Failed, e.description};
    QString lost;
    connect(control.get(), &SerialControl::lost, this,
            [&lost](const SerialError &e) { lost = e.description; });
    Collected complaints;
    PrinterLink link(*control, complaints);
    link.setTimeScale(m_link.timeScale());
    return ask(
        link, [&] { return complaints.last.section(QLatin1Char('\n'), -1); },
        [&] { return lost.isEmpty() ? QStringLiteral("dispositivo perso") : lost; });
}

PrinterSearch::Probe PrinterSearch::ask(PrinterLink &link, const std::function<QString()> &notSent,
                                        const std::function<QString()> &lost)
{
    if (!link.SendCommand(QLatin1String(printer::kQueryModel)))
        return {m_link.abandoned() ? Outcome::Ended : Outcome::Failed, notSent()};
    m_waiting = &link;
    const bool waited = link.WaitForReply(printer::kModelLimit, printer::kModelReplyLength);
    m_waiting = nullptr;
    if (link.abandoned() || m_link.abandoned())
        return {Outcome::Ended, {}};
    if (m_cancelled)
        return {Outcome::Cancelled, {}};
    if (!waited)
        return {Outcome::Failed, lost()};
    if (link.ReceiveBuffer.isEmpty())
        return {Outcome::Silent, {}};
    if (const QString fault = modelReplyFault(link.ReceiveBuffer); !fault.isEmpty())
        return {Outcome::Invalid, QStringLiteral("risposta non valida (%1)").arg(fault)};
    return {Outcome::Answered, queryFieldText(link.ReceiveBuffer)};
}

void PrinterSearch::cancel()
{
    m_cancelled = true;
    if (m_waiting)
        m_waiting->interruptWaits();
}

const PrinterSearch::Answer *PrinterSearch::Result::chosen() const
{
    const auto open =
        std::find_if(answers.begin(), answers.end(), [](const Answer &a) { return a.open; });
    if (open != answers.end())
        return &*open;
    return answers.isEmpty() ? nullptr : &answers.first();
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
