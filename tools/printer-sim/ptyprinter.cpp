#include "ptyprinter.h"

#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

QString systemError(const char *what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
}

void makeRaw(int fd)
{
    termios t{};
    if (::tcgetattr(fd, &t) == 0) {
        ::cfmakeraw(&t);
        ::tcsetattr(fd, TCSANOW, &t);
    }
}

} // namespace

PtyPrinter::PtyPrinter(QObject *parent) : QObject(parent)
{
    connect(&m_engine, &PrinterEngine::send, this, &PtyPrinter::write);
}

PtyPrinter::~PtyPrinter()
{
    close();
}

bool PtyPrinter::openPty(QString *error)
{
    close();
    int master = -1;
    int slave = -1;
    char name[256] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        *error = systemError("openpty");
        return false;
    }
    makeRaw(slave);
    m_fd = master;
    m_peerFd = slave;
    m_path = QString::fromLocal8Bit(name);
    return watch(error);
}

bool PtyPrinter::openDevice(const QString &device, QString *error)
{
    close();
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY);
    if (fd < 0) {
        *error = systemError(QFile::encodeName(device).constData());
        return false;
    }
    makeRaw(fd);
    m_fd = fd;
    m_path = device;
    return watch(error);
}

bool PtyPrinter::watch(QString *error)
{
    const int flags = ::fcntl(m_fd, F_GETFL);
    if (flags < 0 || ::fcntl(m_fd, F_SETFL, flags | O_NONBLOCK) < 0) {
        *error = systemError("fcntl");
        close();
        return false;
    }
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &PtyPrinter::onReadable);
    return true;
}

void PtyPrinter::close()
{
    m_engine.cancelPending();
    delete m_notifier;
    m_notifier = nullptr;
    if (m_fd >= 0)
        ::close(m_fd);
    if (m_peerFd >= 0)
        ::close(m_peerFd);
    m_fd = m_peerFd = -1;
}

void PtyPrinter::onReadable()
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n > 0) {
            const QByteArray bytes(buffer, n);
            Q_EMIT bytesReceived(bytes);
            m_engine.receive(bytes);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        // End of file or a hang-up with nobody on the other side: stop listening until data can
        // flow again, rather than spin on a readable descriptor.
        if (m_notifier)
            m_notifier->setEnabled(false);
        return;
    }
}

void PtyPrinter::write(const QByteArray &bytes)
{
    if (m_fd < 0)
        return;
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            return;  // nobody reads: the printer talks to the void
        }
    }
    Q_EMIT bytesSent(bytes);
}
