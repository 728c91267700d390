#pragma once

#include "link/serialcontrol.h"
#include "printermodel.h"

#include <QElapsedTimer>
#include <QHash>

#include <functional>
#include <optional>

// An in-process serial control for tests: the printer model answers after its scripted delays,
// and tests can make opening, line settings or writes fail, or the device disappear.
class FakeSerialControl : public SerialControl
{
    Q_OBJECT
public:
    explicit FakeSerialControl(QObject *parent = nullptr);

    PrinterEngine engine;
    PrinterModel &model() { return engine.model; }

    // When set, answers come from here instead of the printer model (the command has no CR LF).
    std::function<QList<Emission>(const QByteArray &command)> script;

    // Called on every write, as it happens.
    std::function<void(const QByteArray &bytes)> onWrite;

    SerialError openError;                         // every opening fails with this while set
    QHash<int, SerialError> portOpenErrors;        // opening these port numbers fails
    QHash<QString, SerialError> deviceOpenErrors;  // opening these devices fails
    QStringList openedDevices;                     // every device opened, in order
    SerialError lineError;   // applying line settings to the open port fails with this
    SerialError writeError;  // every write fails with this while set

    // While set, the control reports these instead of what it holds: a serial layer that hands
    // back the settings text as it was given (an upper-case parity letter), or values no list of
    // the settings dialog offers.
    std::optional<QString> reportedSettings;
    std::optional<int> reportedHandshaking;

    QList<QByteArray> writes;    // every write, in order, as sent (CR LF included)
    QList<qint64> writeTimesMs;  // when each write happened, on clock
    QElapsedTimer clock;
    int openCount = 0;
    int closeCount = 0;

    // The commands sent so far, without CR LF.
    QStringList commands() const;

    // Bytes arrive from the printer now.
    void deliver(const QByteArray &bytes);
    // The device disappears (the adapter is pulled).
    void loseDevice();

    QString settings() const override;
    int handshaking() const override;
    QByteArray input() override;

protected:
    QString defaultDeviceName(int port) const override;
    SerialError openDevice() override;
    void closeDevice() override;
    SerialError applyLine(const LineSettings &line) override;
    SerialError applyHandshaking(int mode) override;
    SerialError writeBytes(const QByteArray &bytes) override;

private:
    QByteArray m_in;
};
