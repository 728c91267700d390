#pragma once

#include "link/serialcontrol.h"

#include <QSerialPort>

#include <functional>

// The serial control on a real port. Port number N is the device the resolver names for it (the
// settings file can map numbers to devices), else /dev/ttyS(N-1) (COMN on Windows).
class QSerialPortControl : public SerialControl
{
    Q_OBJECT
public:
    // The device configured for a port number; empty when none is.
    using PortResolver = std::function<QString(int port)>;

    explicit QSerialPortControl(PortResolver resolver = {}, QObject *parent = nullptr);
    ~QSerialPortControl() override;

    QByteArray input() override;

protected:
    QString defaultDeviceName(int port) const override;
    SerialError openDevice() override;
    void closeDevice() override;
    SerialError applyLine(const LineSettings &line) override;
    SerialError applyHandshaking(int mode) override;
    SerialError writeBytes(const QByteArray &bytes) override;

private:
    void onError(QSerialPort::SerialPortError error);
    // The device itself, links followed.
    static QString realDevice(const QString &device);
    SerialError openFailure(const QString &device) const;

    PortResolver m_resolver;
    QSerialPort m_port;
};
