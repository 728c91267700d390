#include "link/tracefile.h"

#include "common/safefile.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

TraceFile::~TraceFile()
{
    close();
}

bool TraceFile::open(const QString &path, QString *why)
{
    close();
    m_error.clear();
    // Looked at before it is opened: opening a FIFO for writing waits for a reader, and a link
    // that leads nowhere would create a file wherever it points.
    if (const QString kind = safefile::kindText(path); !kind.isEmpty()) {
        *why = kind;
        return false;
    }
    const QByteArray name = QFile::encodeName(path);
    // O_NONBLOCK: should it have become a FIFO since, the open fails rather than waits.
    const int fd = ::open(name.constData(),
                          O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0) {
        *why = QStringLiteral("non si può scrivere (%1)").arg(safefile::causeText(errno));
        return false;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        const QString kind = safefile::kindText(path);
        *why = kind.isEmpty() ? QStringLiteral("non è un file normale") : kind;
        return false;
    }
    m_fd = fd;
    m_path = path;
    if (st.st_size > 0)
        m_pending = "\n";
    return true;
}

void TraceFile::add(const TraceEntry &entry)
{
    if (m_fd < 0)
        return;
    m_entries.append(entry);
    m_entryBytes += entry.bytes.size();
    if (m_entryBytes >= kPendingLimit / 4)  // a line takes about four times its bytes
        flush();
}

void TraceFile::formatEntries()
{
    for (const TraceEntry &entry : std::as_const(m_entries)) {
        m_pending += tracetext::line(entry).toUtf8();
        m_pending += '\n';
    }
    m_entries.clear();
    m_entryBytes = 0;
}

void TraceFile::addLine(const QString &line)
{
    if (m_fd < 0)
        return;
    formatEntries();
    m_pending += line.toUtf8();
    m_pending += '\n';
    if (m_pending.size() >= kPendingLimit)
        flush();
}

bool TraceFile::flush()
{
    if (m_fd < 0)
        return m_error.isEmpty();
    formatEntries();
    const bool written = safefile::writeAll(m_fd, m_pending);
    const int error = errno;
    m_pending.clear();
    if (!written) {
        m_error = QStringLiteral("non si può più scrivere (%1)").arg(safefile::causeText(error));
        ::close(m_fd);
        m_fd = -1;
    }
    return written;
}

void TraceFile::close()
{
    if (m_fd < 0)
        return;
    flush();
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}
