#pragma once

#include "link/serialcontrol.h"

#include <QSerialPort>

class SettingsStore;

// The serial control on a real port. Port number N is the device named by key ComN of group
// "Ports" in the settings file, else /dev/ttyS(N-1) (COMN on Windows).
class QSerialPortControl : public SerialControl
{
    Q_OBJECT
public:
    explicit QSerialPortControl(const SettingsStore &store, QObject *parent = nullptr);
    ~QSerialPortControl() override;

    QByteArray input() override;
    QString deviceName(int port) const override;

protected:
    SerialError openDevice() override;
    void closeDevice() override;
    SerialError applyLine(const LineSettings &line) override;
    SerialError applyHandshaking(int mode) override;
    SerialError writeBytes(const QByteArray &bytes) override;

private:
    void onError(QSerialPort::SerialPortError error);
    SerialError openFailure(const QString &device) const;

    const SettingsStore &m_store;
    QSerialPort m_port;
};
