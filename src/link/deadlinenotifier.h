#pragma once

#include <QDeadlineTimer>
#include <QObject>
#include <QTimer>

class QSocketNotifier;

// Signals reached() once a deadline on the monotonic clock has passed, never before. On Linux a
// timerfd wakes the event loop at the deadline itself; QTimer counts in whole milliseconds, which
// would make every pause overrun by up to one. Elsewhere a precise QTimer does the work.
class DeadlineNotifier : public QObject
{
    Q_OBJECT
public:
    explicit DeadlineNotifier(QDeadlineTimer deadline, QObject *parent = nullptr);
    ~DeadlineNotifier() override;

Q_SIGNALS:
    void reached();

private:
    void check();
    void armTimer();

    QDeadlineTimer m_deadline;
    QTimer m_timer;
    int m_fd = -1;
    QSocketNotifier *m_notifier = nullptr;
};
