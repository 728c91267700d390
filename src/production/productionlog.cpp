#include "production/productionlog.h"

#include "common/safefile.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString linkRefused()
{
    return QStringLiteral("è un collegamento simbolico, che per sicurezza non si segue");
}

// What `path` is when it is not a regular file; it may have changed since it was looked at.
QString notRegularFile(const QString &path)
{
    const QString kind = safefile::kindText(path);
    return kind.isEmpty() ? QStringLiteral("non è un file normale") : kind;
}

}  // namespace

ProductionLog::~ProductionLog()
{
    close();
}

void ProductionLog::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_path.clear();
    m_lineOpen = false;
}

bool ProductionLog::open(const QString &path, const QByteArray &header, QString *why)
{
    close();
    const QByteArray name = QFile::encodeName(path);
    // Looked at before it is opened: opening a FIFO waits for a reader, a device can have effects
    // of its own.
    struct stat st;
    if (::lstat(name.constData(), &st) == 0) {
        if (S_ISLNK(st.st_mode)) {
            *why = linkRefused();
            return false;
        }
        if (!S_ISREG(st.st_mode)) {
            *why = notRegularFile(path);
            return false;
        }
    }
    // O_NOFOLLOW and O_NONBLOCK: should it have become a link or a FIFO since, the open fails at
    // once. O_EXCL tells a file this run created, to be removed again if its header fails.
    constexpr int kFlags = O_RDWR | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    bool created = false;
    int fd = ::open(name.constData(), kFlags);
    if (fd < 0 && errno == ENOENT) {
        fd = ::open(name.constData(), kFlags | O_CREAT | O_EXCL, 0666);
        created = fd >= 0;
    }
    if (fd < 0) {
        const int error = errno;
        struct stat link;
        *why = error == ELOOP && ::lstat(name.constData(), &link) == 0 && S_ISLNK(link.st_mode)
                   ? linkRefused()
                   : QStringLiteral("non si può scrivere (%1)").arg(safefile::causeText(error));
        return false;
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        *why = notRegularFile(path);
        return false;
    }
    m_fd = fd;
    m_path = path;
    m_device = st.st_dev;
    m_inode = st.st_ino;
    if (st.st_size > 0) {
        // A line cut short (a crash, an older program on a full disk) is left as it is; the next
        // line starts on a line of its own.
        char last = '\n';
        if (::pread(m_fd, &last, 1, st.st_size - 1) != 1) {
            *why = QStringLiteral("non si può leggere (%1)").arg(safefile::causeText(errno));
            close();
            return false;
        }
        m_lineOpen = last != '\n';
        return true;
    }
    if (const int error = writeWhole(header + '\n'); error != 0) {
        *why = QStringLiteral("non si può scrivere (%1)").arg(safefile::causeText(error));
        if (created)
            ::unlink(name.constData());
        close();
        return false;
    }
    return true;
}

bool ProductionLog::append(const QByteArray &line, QString *why)
{
    if (m_fd < 0) {
        *why = QStringLiteral("non è aperto");
        return false;
    }
    // The path must still name the file written to: a log removed or replaced under a running
    // series would hold none of its lines. A file made anew may get the old inode's number: the
    // descriptor's link count tells that the file it holds is gone.
    struct stat held, named;
    if (::lstat(QFile::encodeName(m_path).constData(), &named) != 0) {
        const int error = errno;
        *why = error == ENOENT || error == ENOTDIR
                   ? QStringLiteral("è stato cancellato o spostato")
                   : QStringLiteral("non si può più scrivere (%1)").arg(safefile::causeText(error));
        return false;
    }
    if (::fstat(m_fd, &held) != 0) {
        *why = QStringLiteral("non si può più scrivere (%1)").arg(safefile::causeText(errno));
        return false;
    }
    if (named.st_dev != m_device || named.st_ino != m_inode || held.st_nlink == 0) {
        *why = QStringLiteral("è stato sostituito da un altro file");
        return false;
    }
    const QByteArray bytes = (m_lineOpen ? "\n" : "") + line + '\n';
    if (const int error = writeWhole(bytes); error != 0) {
        *why = QStringLiteral("non si può più scrivere (%1)").arg(safefile::causeText(error));
        return false;
    }
    m_lineOpen = false;
    return true;
}

bool ProductionLog::read(qint64 limit, QByteArray *content, QString *why) const
{
    struct stat st;
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0) {
        *why = QStringLiteral("non si può leggere (%1)")
                   .arg(safefile::causeText(m_fd < 0 ? EBADF : errno));
        return false;
    }
    if (st.st_size > limit) {
        *why = QStringLiteral("è troppo grande (più di %1 MiB)").arg(limit >> 20);
        return false;
    }
    content->resize(qsizetype(st.st_size));
    qsizetype done = 0;
    while (done < content->size()) {
        const ssize_t n =
            ::pread(m_fd, content->data() + done, size_t(content->size() - done), done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                break;  // cut shorter since: what there is
            *why = QStringLiteral("non si può leggere (%1)").arg(safefile::causeText(errno));
            return false;
        }
        done += n;
    }
    content->truncate(done);
    return true;
}

int ProductionLog::writeWhole(const QByteArray &bytes)
{
    struct stat st;
    if (::fstat(m_fd, &st) != 0)
        return errno;
    int error = 0;
    if (!safefile::writeAll(m_fd, bytes) || ::fdatasync(m_fd) != 0)
        error = errno;
    // Back to the last whole line; should even that fail, the next line starts on its own.
    if (error != 0 && ::ftruncate(m_fd, st.st_size) != 0)
        m_lineOpen = true;
    return error;
}
