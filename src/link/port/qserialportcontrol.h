#pragma once

#include "link/serialcontrol.h"

#include <QSerialPort>

// What the operator is told when the line fails under an open port: the device and the cause,
// said once ("/dev/ttyUSB0: dispositivo scollegato o non più raggiungibile").
QString lostLineText(const QString &device, QSerialPort::SerialPortError error);

// The serial control on a real port. Port number N is the device the resolver names for it, else
// /dev/ttyS(N-1) (COMN on Windows).
class QSerialPortControl : public SerialControl
{
    Q_OBJECT
public:
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
    SerialError openFailure(const QString &device) const;

    QSerialPort m_port;
};
