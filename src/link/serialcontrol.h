#pragma once

#include "link/linesettings.h"
#include "link/serialerror.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QHash>
#include <QObject>
#include <QString>

#include <functional>

// The serial control of the main window: exactly what the program uses of a serial port. The
// rules every implementation must keep (which values are refused, when the port number may change,
// how the settings text reads back, how a lost device is reported) live here; a subclass only
// talks to its device.
class SerialControl : public QObject
{
    Q_OBJECT
public:
    static constexpr int kMaxPort = 255;
    // The device configured for a port number (the settings file can map numbers to devices);
    // empty when none is.
    using PortResolver = std::function<QString(int port)>;

    explicit SerialControl(QObject *parent = nullptr);

    // Port number, 1 is the first port. Can change only while the port is closed.
    int commPort() const { return m_port; }
    SerialError setCommPort(int port);

    // "9600,n,8,1": the four fields, parity read back in lower case.
    virtual QString settings() const { return m_line.format(); }
    SerialError setSettings(const QString &text);

    // Flow control: 0 none, 1 XON/XOFF, 2 RTS/CTS, 3 both.
    virtual int handshaking() const { return m_handshaking; }
    SerialError setHandshaking(int mode);

    // Something a test double has scheduled for no later than `deadline` (bytes on their way, a
    // loss, an action of the test) has not happened yet. Its timers run late on a loaded
    // machine: a wait whose deadline passes first goes on until they have run, as if they had
    // run on time (see PrinterLink). A real line schedules nothing.
    virtual bool scheduledBy(const QDeadlineTimer &deadline) const
    {
        Q_UNUSED(deadline);
        return false;
    }

    // Only text input (0) is used: every byte becomes one character.
    int inputMode() const { return m_inputMode; }
    void setInputMode(int mode) { m_inputMode = mode; }

    bool portOpen() const { return m_open; }
    SerialError setPortOpen(bool open);

    // Writes the bytes, in order, in one write.
    SerialError output(const QByteArray &bytes);
    // All bytes received and not yet taken; empty when none.
    virtual QByteArray input() = 0;

    // The device behind a port number, e.g. "/dev/ttyUSB0": the one set with setDeviceName(),
    // else the one the resolver configures, else the implementation's own.
    QString deviceName(int port) const;
    void setPortResolver(PortResolver resolver) { m_resolver = std::move(resolver); }
    QString currentDevice() const { return deviceName(m_port); }
    // Port number `port` stands for `device` from now on; an empty name gives it back its own.
    // Refused while the port is open on that number, and for a name with a control character.
    SerialError setDeviceName(int port, const QString &device);

signals:
    // The port has just been opened.
    void opened();
    // Bytes are waiting to be taken with input(). A test double also emits it, with no bytes,
    // when something it had scheduled has happened (see scheduledBy()).
    void received();
    // The device failed for good (unplugged, I/O error): the port has been closed. Emitted once
    // per opening.
    void lost(const SerialError &error);

protected:
    // The device a port number stands for when nothing configures another.
    virtual QString defaultDeviceName(int port) const = 0;
    virtual SerialError openDevice() = 0;
    virtual void closeDevice() = 0;
    // Called only while the port is open; when closed the values are taken at the next opening.
    virtual SerialError applyLine(const LineSettings &line) = 0;
    virtual SerialError applyHandshaking(int mode) = 0;
    virtual SerialError writeBytes(const QByteArray &bytes) = 0;

    const LineSettings &line() const { return m_line; }

    // For subclasses: the device is gone. Closes the port and emits lost() once.
    void deviceLost(const SerialError &error);

private:
    // What the port number stands for without setDeviceName().
    QString configuredDeviceName(int port) const;

    int m_port = 1;
    PortResolver m_resolver;
    QHash<int, QString> m_devices;  // set with setDeviceName()
    LineSettings m_line;
    int m_handshaking = 0;
    int m_inputMode = 0;
    bool m_open = false;
};
