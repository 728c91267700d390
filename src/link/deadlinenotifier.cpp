#include "link/deadlinenotifier.h"

#include <QSocketNotifier>

#ifdef Q_OS_LINUX
#include <sys/timerfd.h>
#include <unistd.h>
#endif

DeadlineNotifier::DeadlineNotifier(QDeadlineTimer deadline, QObject *parent)
    : QObject(parent), m_deadline(deadline)
{
#ifdef Q_OS_LINUX
    // QDeadlineTimer counts on CLOCK_MONOTONIC, as the timerfd does.
    m_fd = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_fd >= 0) {
        const qint64 at = m_deadline.deadlineNSecs();
        itimerspec spec{};
        spec.it_value.tv_sec = at / 1'000'000'000;
        spec.it_value.tv_nsec = at % 1'000'000'000;
        if (::timerfd_settime(m_fd, TFD_TIMER_ABSTIME, &spec, nullptr) == 0) {
            m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
            connect(m_notifier, &QSocketNotifier::activated, this, [this] {
                quint64 expirations = 0;
                [[maybe_unused]] const auto n = ::read(m_fd, &expirations, sizeof expirations);
                check();
            });
            return;
        }
        ::close(m_fd);
        m_fd = -1;
    }
#endif
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &DeadlineNotifier::check);
    armTimer();
}

DeadlineNotifier::~DeadlineNotifier()
{
    delete m_notifier;
#ifdef Q_OS_LINUX
    if (m_fd >= 0)
        ::close(m_fd);
#endif
}

void DeadlineNotifier::armTimer()
{
    m_timer.start(int((m_deadline.remainingTimeNSecs() + 999'999) / 1'000'000));
}

void DeadlineNotifier::check()
{
    if (!m_deadline.hasExpired()) {
        if (m_fd < 0)
            armTimer();
        return;  // a timerfd only fires once the deadline is reached
    }
    if (m_notifier)
        m_notifier->setEnabled(false);
    Q_EMIT reached();
}
