#include "app/signalexit.h"

#include <QSocketNotifier>
#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

#ifdef Q_OS_UNIX
namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};
constexpr int kSignalCount = int(sizeof kSignals / sizeof kSignals[0]);

// The handler only writes one byte into the pipe; everything else happens in the event loop.
volatile sig_atomic_t g_writeEnd = -1;
int g_readEnd = -1;
struct sigaction g_previous[kSignalCount];
bool g_installed[kSignalCount] = {};

void onSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_writeEnd, &byte, 1);
    errno = saved;
}

}  // namespace
#endif

SignalExit::SignalExit(QObject *parent) : QObject(parent)
{
#ifdef Q_OS_UNIX
    Q_ASSERT(g_readEnd < 0);
    int ends[2];
    // Non-blocking: a burst of signals fills the pipe at worst, and a full pipe loses nothing
    // that matters, one byte is as good as many.
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
        return;  // the signals keep their default effect
    g_readEnd = ends[0];
    g_writeEnd = ends[1];
    m_notifier = new QSocketNotifier(g_readEnd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SignalExit::onPipe);

    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < kSignalCount; ++i) {
        if (::sigaction(kSignals[i], nullptr, &g_previous[i]) != 0 ||
            (!(g_previous[i].sa_flags & SA_SIGINFO) && g_previous[i].sa_handler == SIG_IGN))
            continue;
        g_installed[i] = ::sigaction(kSignals[i], &action, nullptr) == 0;
    }
#endif
}

SignalExit::~SignalExit()
{
#ifdef Q_OS_UNIX
    if (g_readEnd < 0)
        return;
    for (int i = 0; i < kSignalCount; ++i) {
        if (g_installed[i])
            ::sigaction(kSignals[i], &g_previous[i], nullptr);
        g_installed[i] = false;
    }
    delete m_notifier;
    const int writeEnd = g_writeEnd;
    g_writeEnd = -1;
    ::close(writeEnd);
    ::close(g_readEnd);
    g_readEnd = -1;
#endif
}

void SignalExit::onPipe()
{
#ifdef Q_OS_UNIX
    char bytes[64];
    while (::read(g_readEnd, bytes, sizeof bytes) > 0) {
    }
#endif
    // The first signal ends the program; the ones after it find it ending already.
    if (m_raised)
        return;
    m_raised = true;
    emit raised();
}
