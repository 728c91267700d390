#pragma once

#include "link/tracetext.h"

#include <QByteArray>
#include <QList>
#include <QString>

// A trace file: the traffic on the line added to a file, for whoever supports a real printer
// that misbehaves only now and then. Entries collect in memory as they are and are turned into
// lines and handed to the system when flush() is called (at the end of each operation), once
// 64 KiB wait, and when the file is closed: a piece of traffic costs the wait it arrives in
// neither formatting nor a system call. A file named through a symbolic link
// is the file the link leads to; anything that is not a regular file is refused without being
// opened for writing, so that a FIFO cannot hang the program. After a write fails nothing more
// is written: a trace with a hole in it would mislead.
class TraceFile
{
public:
    static constexpr qsizetype kPendingLimit = 64 * 1024;

    TraceFile() = default;
    ~TraceFile();
    TraceFile(const TraceFile &) = delete;
    TraceFile &operator=(const TraceFile &) = delete;

    // Opens `path` to add to it, creating it when missing; a file that holds something already
    // gets an empty line first, between one start and the next. Never waits. On failure `why`
    // continues "il file di traccia «…» ": "è una FIFO (pipe con nome), non un file", "non si
    // può scrivere (permesso negato)".
    bool open(const QString &path, QString *why);
    bool isOpen() const { return m_fd >= 0; }
    QString path() const { return m_path; }

    void add(const TraceEntry &entry);
    void addLine(const QString &line);
    // Hands the lines collected to the system. False when this or an earlier write failed;
    // error() then says why, continuing "il file di traccia «…» ".
    bool flush();
    QString error() const { return m_error; }
    // Flushes and closes.
    void close();

private:
    void formatEntries();

    int m_fd = -1;
    QString m_path;
    QList<TraceEntry> m_entries;  // not yet lines
    qsizetype m_entryBytes = 0;
    QByteArray m_pending;
    QString m_error;
};
