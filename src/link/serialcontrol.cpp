#include "link/serialcontrol.h"

#include "common/displaytext.h"

SerialControl::SerialControl(QObject *parent) : QObject(parent) {}

SerialError SerialControl::setCommPort(int port)
{
    if (port < 1 || port > kMaxPort)
        return {
            SerialError::InvalidPortNumber,
            QStringLiteral("numero di porta %1 non valido (da 1 a %2)").arg(port).arg(kMaxPort)};
    if (port == m_port)
        return {};
    if (m_open)
        return {SerialError::PortAlreadyOpen,
                QStringLiteral("la porta COM%1 (%2) è aperta: va chiusa prima di cambiare numero")
                    .arg(m_port)
                    .arg(shownPath(currentDevice()))};
    m_port = port;
    return {};
}

QString SerialControl::deviceName(int port) const
{
    const auto it = m_devices.constFind(port);
    return it != m_devices.constEnd() ? *it : configuredDeviceName(port);
}

QString SerialControl::configuredDeviceName(int port) const
{
    const QString configured = m_resolver ? m_resolver(port) : QString();
    return configured.isEmpty() ? defaultDeviceName(port) : configured;
}

SerialError SerialControl::setDeviceName(int port, const QString &device)
{
    if (port < 1 || port > kMaxPort)
        return {
            SerialError::InvalidPortNumber,
            QStringLiteral("numero di porta %1 non valido (da 1 a %2)").arg(port).arg(kMaxPort)};
    if (escapedControls(device) != device)
        return {SerialError::InvalidDevice,
                QStringLiteral("nome di dispositivo %1 non valido: contiene caratteri di "
                               "controllo")
                    .arg(quotedPath(device))};
    if (device == deviceName(port))
        return {};
    if (m_open && port == m_port)
        return {SerialError::PortAlreadyOpen,
                QStringLiteral("la porta COM%1 (%2) è aperta: va chiusa prima di cambiarne il "
                               "dispositivo")
                    .arg(m_port)
                    .arg(shownPath(currentDevice()))};
    if (device.isEmpty() || device == configuredDeviceName(port))
        m_devices.remove(port);
    else
        m_devices.insert(port, device);
    return {};
}

SerialError SerialControl::setSettings(const QString &text)
{
    LineSettings parsed;
    if (SerialError e = LineSettings::parse(text, &parsed); e.failed())
        return e;
    if (m_open) {
        if (SerialError e = applyLine(parsed); e.failed()) {
            applyLine(m_line);  // keep the device and what we report in step
            return e;
        }
    }
    m_line = parsed;
    return {};
}

SerialError SerialControl::setHandshaking(int mode)
{
    if (mode < 0 || mode > 3)
        return {SerialError::InvalidHandshaking,
                QStringLiteral("controllo di flusso %1 non valido (0 nessuno, 1 Xon/Xoff, 2 RTS, "
                               "3 Xon/RTS)")
                    .arg(mode)};
    if (m_open) {
        if (SerialError e = applyHandshaking(mode); e.failed())
            return e;
    }
    m_handshaking = mode;
    return {};
}

SerialError SerialControl::setPortOpen(bool open)
{
    if (open == m_open)
        return {};
    if (!open) {
        closeDevice();
        m_open = false;
        return {};
    }
    if (SerialError e = openDevice(); e.failed())
        return e;
    m_open = true;
    emit opened();
    return {};
}

SerialError SerialControl::output(const QByteArray &bytes)
{
    if (!m_open)
        return {SerialError::PortNotOpen, QStringLiteral("la porta COM%1 (%2) non è aperta")
                                              .arg(m_port)
                                              .arg(shownPath(currentDevice()))};
    return writeBytes(bytes);
}

void SerialControl::deviceLost(const SerialError &error)
{
    if (!m_open)
        return;
    closeDevice();
    m_open = false;
    emit lost(error);
}
