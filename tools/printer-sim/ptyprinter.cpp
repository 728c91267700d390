#include "ptyprinter.h"

#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

QString systemError(const char *what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(std::strerror(errno)));
}

void makeRaw(int fd)
{
    termios t{};
    if (::tcgetattr(fd, &t) == 0) {
        ::cfmakeraw(&t);
        ::tcsetattr(fd, TCSANOW, &t);
    }
}

}  // namespace

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

QString PtyPrinter::programLineSettings() const
{
    termios t{};
    if (m_peerFd < 0 || ::tcgetattr(m_peerFd, &t) != 0)
        return {};
    static const std::pair<speed_t, int> speeds[] = {
        {B110, 110},     {B300, 300},     {B600, 600},      {B1200, 1200},
        {B2400, 2400},   {B4800, 4800},   {B9600, 9600},    {B19200, 19200},
        {B38400, 38400}, {B57600, 57600}, {B115200, 115200}};
    int speed = 0;
    for (const auto &[code, baud] : speeds)
        if (::cfgetospeed(&t) == code)
            speed = baud;
    char parity = 'n';
    if (t.c_cflag & PARENB) {
        const bool odd = t.c_cflag & PARODD;
        parity = (t.c_cflag & CMSPAR) ? (odd ? 'm' : 's') : (odd ? 'o' : 'e');
    }
    int dataBits = 8;
    switch (t.c_cflag & CSIZE) {
    case CS5: dataBits = 5; break;
    case CS6: dataBits = 6; break;
    case CS7: dataBits = 7; break;
    default: break;
    }
    return QStringLiteral("%1,%2,%3,%4")
        .arg(speed)
        .arg(QLatin1Char(parity))
        .arg(dataBits)
        .arg((t.c_cflag & CSTOPB) ? 2 : 1);
}

int PtyPrinter::unreadByProgram() const
{
    int n = 0;
    if (m_peerFd < 0 || ::ioctl(m_peerFd, FIONREAD, &n) != 0)
        return 0;
    return n;
}

void PtyPrinter::sendNoise(qint64 bytes)
{
    if (m_fd < 0)
        return;
    m_noiseLeft = bytes;
    if (!m_noiseNotifier) {
        m_noiseNotifier = new QSocketNotifier(m_fd, QSocketNotifier::Write, this);
        connect(m_noiseNotifier, &QSocketNotifier::activated, this, &PtyPrinter::onWritable);
    }
    m_noiseNotifier->setEnabled(true);
}

void PtyPrinter::onWritable()
{
    static const QByteArray chunk = [] {
        QByteArray b(16 * 1024, Qt::Uninitialized);
        for (int i = 0; i < b.size(); ++i)
            b[i] = char(i % 256);
        return b;
    }();
    while (m_noiseLeft > 0) {
        const ssize_t n = ::write(m_fd, chunk.constData(), size_t(qMin(m_noiseLeft, chunk.size())));
        if (n > 0) {
            m_noiseLeft -= n;
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return;  // full: on when the other side has read some
        } else {
            m_noiseLeft = 0;  // nobody at the other side any more
        }
    }
    m_noiseNotifier->setEnabled(false);
    Q_EMIT noiseSent();
}

void PtyPrinter::close()
{
    m_engine.cancelPending();
    delete m_notifier;
    m_notifier = nullptr;
    delete m_noiseNotifier;
    m_noiseNotifier = nullptr;
    m_noiseLeft = 0;
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
