#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>

// The production run's log file, the record of every tag. Each line reaches the disk whole or
// not at all: a write that fails (a full disk) takes the file back to its last whole line, so
// that the next run does not merge two rows. The log lies in a folder the operator picked, maybe
// shared: a symbolic link there is refused, not followed, and so is anything that is not a
// regular file (a FIFO would hang the run). The file must stay the one opened: removed or
// replaced during the run, the next line is refused. Opened for reading too, so that what an
// existing log records can be read through the same descriptor.
class ProductionLog
{
public:
    ProductionLog() = default;
    ~ProductionLog();
    ProductionLog(const ProductionLog &) = delete;
    ProductionLog &operator=(const ProductionLog &) = delete;

    // Opens `path` to add lines to it, creating it with `header` as its first line when it is new
    // or empty. Never waits. On failure `why` continues "il registro «…» ": "è una FIFO (pipe con
    // nome), non un file", "non si può scrivere (permesso negato)".
    bool open(const QString &path, const QByteArray &header, QString *why);
    // Adds `line` (without a line break) as a line of its own, on disk when it returns. On
    // failure the file is as it was and `why` continues "il registro ": "è stato cancellato o
    // spostato", "non si può più scrivere (spazio su disco esaurito)".
    bool append(const QByteArray &line, QString *why);
    // The whole file as it is now, through the descriptor opened, at most `limit` bytes. On
    // failure `why` continues "il registro ": "è troppo grande (più di 64 MiB)".
    bool read(qint64 limit, QByteArray *content, QString *why) const;
    void close();
    bool isOpen() const { return m_fd >= 0; }

private:
    // Writes `bytes` at the end and syncs them; on failure cuts the file back to its size before
    // and returns the errno, else 0.
    int writeWhole(const QByteArray &bytes);

    int m_fd = -1;
    QString m_path;
    dev_t m_device = 0;
    ino_t m_inode = 0;
    bool m_lineOpen = false;  // the file does not end in a line break
};
