#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM, SIGHUP and SIGINT (a shutdown, a logout, Ctrl+C) reach the program as raised(), from
// its event loop, instead of killing it where it stands: the program can then end as when its
// window is closed, and the serial port is closed and its lock released on the way out. A signal
// the program was started ignoring (nohup) stays ignored.
//
// One at a time; the handlers are in place from construction to destruction.
class SignalExit : public QObject
{
    Q_OBJECT
public:
    explicit SignalExit(QObject *parent = nullptr);
    ~SignalExit() override;

    // A signal has come since construction.
    bool isRaised() const { return m_raised; }

Q_SIGNALS:
    void raised();

private:
    void onPipe();

    QSocketNotifier *m_notifier = nullptr;
    bool m_raised = false;
};
