#include "link/port/qserialportcontrol.h"

#include "common/displaytext.h"
#include "common/safefile.h"
#include "link/serialdevices.h"

#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <unistd.h>
#endif

namespace {

QSerialPort::Parity toParity(char letter)
{
    switch (letter) {
    case 'e': return QSerialPort::EvenParity;
    case 'o': return QSerialPort::OddParity;
    case 'm': return QSerialPort::MarkParity;
    case 's': return QSerialPort::SpaceParity;
    default: return QSerialPort::NoParity;
    }
}

QSerialPort::StopBits toStopBits(const QString &text)
{
    if (text == QLatin1String("2"))
        return QSerialPort::TwoStop;
    if (text == QLatin1String("1.5"))
        return QSerialPort::OneAndHalfStop;
    return QSerialPort::OneStop;
}

// QSerialPort knows no combined mode; 3 (RTS with XON/XOFF) runs with the RTS/CTS handshake.
QSerialPort::FlowControl toFlowControl(int mode)
{
    switch (mode) {
    case 1: return QSerialPort::SoftwareControl;
    case 2:
    case 3: return QSerialPort::HardwareControl;
    default: return QSerialPort::NoFlowControl;
    }
}

// The serial layer's verdict in the operator's language: QSerialPort's own texts are English.
QString portErrorReason(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::NoError: return QStringLiteral("nessun errore segnalato");
    case QSerialPort::DeviceNotFoundError: return QStringLiteral("dispositivo inesistente");
    case QSerialPort::PermissionError:
        return QStringLiteral("accesso negato, o porta in uso da un altro programma");
    case QSerialPort::OpenError: return QStringLiteral("porta già aperta");
    case QSerialPort::NotOpenError: return QStringLiteral("porta non aperta");
    case QSerialPort::WriteError: return QStringLiteral("errore di scrittura sul dispositivo");
    case QSerialPort::ReadError: return QStringLiteral("errore di lettura dal dispositivo");
    case QSerialPort::ResourceError:
        return QStringLiteral("dispositivo non più disponibile (scollegato?)");
    case QSerialPort::UnsupportedOperationError:
        return QStringLiteral("impostazione non supportata dal dispositivo");
    case QSerialPort::TimeoutError: return QStringLiteral("tempo scaduto");
    case QSerialPort::UnknownError: break;
    }
    return QStringLiteral("errore del dispositivo non identificato");
}

}  // namespace

QString lostLineText(const QString &device, QSerialPort::SerialPortError error)
{
    // The cause once: Qt calls a vanished device a resource error.
    const QString cause = error == QSerialPort::ResourceError
                              ? QStringLiteral("dispositivo scollegato o non più raggiungibile")
                              : portErrorReason(error);
    return QStringLiteral("%1: %2").arg(shownPath(device), cause);
}

QSerialPortControl::QSerialPortControl(PortResolver resolver, QObject *parent)
    : SerialControl(parent)
{
    setPortResolver(std::move(resolver));
    connect(&m_port, &QSerialPort::readyRead, this, &SerialControl::received);
    connect(&m_port, &QSerialPort::errorOccurred, this, &QSerialPortControl::onError);
}

QSerialPortControl::~QSerialPortControl()
{
    m_port.disconnect(this);
}

QString QSerialPortControl::defaultDeviceName(int port) const
{
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(port);
#else
    return QStringLiteral("/dev/ttyS%1").arg(port - 1);
#endif
}

QByteArray QSerialPortControl::input()
{
    return m_port.readAll();
}

SerialError QSerialPortControl::openDevice()
{
    const QString device = currentDevice();
    // QSerialPort locks a port by its name, so a second name for a device in use (a link under
    // /dev/serial/by-id, a hand-made one) would open it again: root is not stopped by the
    // exclusive mode either. The device the links lead to takes the lock, whichever name was
    // given, and a second opener is refused as busy.
    m_port.setPortName(serialDeviceTarget(device));
    const LineSettings &l = line();
    m_port.setBaudRate(l.baudRate);
    m_port.setDataBits(static_cast<QSerialPort::DataBits>(l.dataBits));
    m_port.setParity(toParity(l.parity));
    m_port.setStopBits(toStopBits(l.stopBits));
    m_port.setFlowControl(toFlowControl(handshaking()));
    if (!m_port.open(QIODevice::ReadWrite))
        return openFailure(device);
    return {};
}

SerialError QSerialPortControl::openFailure(const QString &device) const
{
    switch (m_port.error()) {
    case QSerialPort::DeviceNotFoundError:
        return {SerialError::DeviceMissing,
                QStringLiteral("%1: dispositivo inesistente (adattatore non collegato? il "
                               "dispositivo di ogni porta si sceglie in \"Porta Seriale...\")")
                    .arg(shownPath(device))};
    case QSerialPort::PermissionError: {
#ifdef Q_OS_UNIX
        const QByteArray path = QFile::encodeName(serialDeviceTarget(device));
        if (::access(path.constData(), R_OK | W_OK) != 0) {
            if (errno == EACCES || errno == EPERM)
                return {SerialError::PermissionDenied,
                        QStringLiteral("%1: accesso negato (l'utente deve far parte del gruppo "
                                       "dialout: sudo adduser $USER dialout, poi un nuovo "
                                       "accesso)")
                            .arg(shownPath(device))};
            // Qt says "permission" for a name no device can have, too long for one.
            return {SerialError::OpenFailed,
                    QStringLiteral("%1: apertura non riuscita (%2)")
                        .arg(shownPath(device), safefile::causeText(errno))};
        }
#endif
        // Opened or locked by someone else: the device itself would let us in.
        return {
            SerialError::DeviceBusy,
            QStringLiteral("%1: porta già in uso da un altro programma").arg(shownPath(device))};
    }
    default:
        return {SerialError::OpenFailed,
                QStringLiteral("%1: apertura non riuscita (%2)")
                    .arg(shownPath(device), portErrorReason(m_port.error()))};
    }
}

void QSerialPortControl::closeDevice()
{
    m_port.close();
}

SerialError QSerialPortControl::applyLine(const LineSettings &l)
{
    const bool ok = m_port.setBaudRate(l.baudRate) &&
                    m_port.setDataBits(static_cast<QSerialPort::DataBits>(l.dataBits)) &&
                    m_port.setParity(toParity(l.parity)) &&
                    m_port.setStopBits(toStopBits(l.stopBits));
    if (!ok)
        return {SerialError::InvalidSettings,
                QStringLiteral("%1: impostazioni \"%2\" rifiutate dal dispositivo (%3)")
                    .arg(shownPath(currentDevice()), l.format(), portErrorReason(m_port.error()))};
    return {};
}

SerialError QSerialPortControl::applyHandshaking(int mode)
{
    if (!m_port.setFlowControl(toFlowControl(mode)))
        return {SerialError::InvalidHandshaking,
                QStringLiteral("%1: controllo di flusso %2 rifiutato dal dispositivo (%3)")
                    .arg(shownPath(currentDevice()))
                    .arg(mode)
                    .arg(portErrorReason(m_port.error()))};
    return {};
}

SerialError QSerialPortControl::writeBytes(const QByteArray &bytes)
{
    const QString device = currentDevice();
    if (m_port.write(bytes) != bytes.size())
        return {SerialError::WriteFailed,
                QStringLiteral("%1: scrittura non riuscita (%2)")
                    .arg(shownPath(device), portErrorReason(m_port.error()))};
    // Hand the bytes to the device now rather than at the next pass of the event loop.
    m_port.flush();
    if (!portOpen())
        return {SerialError::DeviceLost,
                QStringLiteral("%1: dispositivo perso").arg(shownPath(device))};
    return {};
}

void QSerialPortControl::onError(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::ResourceError:
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
        // Qt keeps reporting a vanished device in a tight loop until the port is closed.
        deviceLost({SerialError::DeviceLost, lostLineText(currentDevice(), error)});
        break;
    default: break;
    }
}
