#include "settings/propertytransaction.h"

#include "link/serialcontrol.h"

namespace properties {

namespace {

class RememberedFailure
{
public:
    void step(const SerialError &result)
    {
        if (result.failed())
            m_error = result;
    }
    explicit operator bool() const { return m_error.failed(); }
    const SerialError &error() const { return m_error; }

private:
    SerialError m_error;
};

}  // namespace

SerialError applyChoice(SerialControl &comm, const Choice &choice,
                        const std::function<void(const SerialError &)> &tell)
{
    RememberedFailure failure;
    const int previousPort = comm.commPort();
    const QString device = choice.device ? choice.device->trimmed() : QString();
    const bool newDevice =
        choice.device && choice.port >= 1 && device != comm.deviceName(choice.port);
    const QString previousDevice = newDevice ? comm.deviceName(choice.port) : QString();
    bool deviceSet = false;
    bool closedHere = false;
    bool reopen = false;
    const auto failureExit = [&] {
        tell(failure.error());
        if (comm.commPort() != previousPort || deviceSet) {
            // Perhaps already reopened on the new number or device, which can change only while
            // the port is closed.
            comm.setPortOpen(false);
            if (deviceSet)
                comm.setDeviceName(choice.port, previousDevice);
            comm.setCommPort(previousPort);
        }
        if (reopen)
            comm.setPortOpen(true);
        return failure.error();
    };

    if (choice.port != previousPort || newDevice) {
        if (choice.port < 1) {
            failure.step({SerialError::InvalidPortNumber,
                          QStringLiteral("nessuna porta scelta: scegliere una porta da Com1 a "
                                         "Com4")});
        } else if (newDevice && device.isEmpty()) {
            failure.step({SerialError::InvalidDevice,
                          QStringLiteral("nessun dispositivo indicato per Com%1: sceglierne uno "
                                         "dall'elenco o scriverne il percorso")
                              .arg(choice.port)});
        } else {
            if (comm.portOpen()) {
                comm.setPortOpen(false);
                closedHere = true;
            }
            if (newDevice) {
                const SerialError e = comm.setDeviceName(choice.port, device);
                deviceSet = e.ok();
                failure.step(e);
            }
            failure.step(comm.setCommPort(choice.port));
        }
        reopen = closedHere;
        if (failure)
            return failureExit();
        if (closedHere)
            failure.step(comm.setPortOpen(true));  // a failure here shows at the next checkpoint
    }
    // A lost device left the port closed: confirming the dialog is the way back to an open port.
    if (!closedHere && !comm.portOpen()) {
        reopen = true;
        failure.step(comm.setPortOpen(true));
    }

    failure.step(comm.setSettings(choice.settings));
    if (failure)
        return failureExit();

    if (choice.flow < 0)
        failure.step({SerialError::InvalidHandshaking,
                      QStringLiteral("nessun controllo di flusso scelto: scegliere Nessuno, "
                                     "Xon/Xoff, RTS o Xon/RTS")});
    else
        failure.step(comm.setHandshaking(choice.flow));
    if (failure)
        return failureExit();
    return {};
}

}  // namespace properties
