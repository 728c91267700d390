#pragma once

#include "link/serialcontrol.h"
#include "printermodel.h"

#include <QElapsedTimer>
#include <QHash>

#include <functional>
#include <optional>

// An in-process serial control for tests: the printer model answers after its scripted delays,
// and tests can make opening, line settings or writes fail, or the device disappear.
//
// What a fake schedules (answers, pieces, losses, the test's own actions through after()) counts
// as due at the time it was scheduled for, whichever fake it was scheduled on: a printer link's
// wait does not end at its deadline while anything due before that deadline has not happened
// yet (SerialControl::scheduledBy()). Timers that a loaded machine runs late then change no
// outcome; a test needs no margin between an answer and the wait it belongs to.
class FakeSerialControl : public SerialControl
{
    Q_OBJECT
public:
    explicit FakeSerialControl(QObject *parent = nullptr);
    ~FakeSerialControl() override;

    PrinterModel &model() { return m_model; }

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
    // The pieces arrive one pass of the event loop apart, as bytes trickling in over the line
    // would, each due now: no wait's deadline passes before the last one has come. Dropped, like
    // every answer on its way, when the port closes.
    void trickle(QList<QByteArray> pieces);
    // The device disappears (the adapter is pulled).
    void loseDevice();
    // Runs `action` after `ms` milliseconds, as due then (see above); not when this fake or
    // `context` is gone by then.
    void after(int ms, QObject *context, std::function<void()> action);
    void after(int ms, std::function<void()> action) { after(ms, this, std::move(action)); }
    // What this fake has scheduled and not done yet.
    int scheduled() const { return int(m_scheduled.size()); }

    bool scheduledBy(const QDeadlineTimer &deadline) const override;

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
    struct Scheduled
    {
        quint64 id;
        qint64 dueNs;   // on the monotonic clock, as QDeadlineTimer counts
        bool delivery;  // bytes from the line: dropped when the port closes
    };
    // Registers something due in `ms`; its id.
    quint64 schedule(int ms, bool delivery);
    // Takes it off the list; false when it was dropped meanwhile.
    bool unschedule(quint64 id);
    // The bytes arrive after their delay, unless the port has closed meanwhile.
    void deliverLater(const Emission &e);
    // Answers on their way are dropped.
    void dropDeliveries();
    void trickleNext(QList<QByteArray> pieces, QList<quint64> ids);
    // Every waiting link looks again whether its deadline has passed.
    static void scheduleChanged();

    PrinterModel m_model;
    QByteArray m_in;
    QList<Scheduled> m_scheduled;
    quint64 m_nextId = 0;
};
