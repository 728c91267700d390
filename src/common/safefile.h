#pragma once

#include <QByteArray>
#include <QString>

// Files the operator chooses or owns, read and written so that nothing is lost and nothing
// hangs. A save reaches the disk (written, synced, renamed over the old file) before it replaces
// anything: on any failure the old file keeps every byte. A read takes regular files only and
// never more than its limit, so a FIFO, a device or a link to /dev/zero is refused at once.
// Qt's QSaveFile is not enough: in Qt 6.4 its commit() can report success for data that never
// reached a full disk.
namespace safefile {

// The cause of a failed system call, in the operator's words: "spazio su disco esaurito".
QString causeText(int error);

// What `path` is when it is not a regular file: "è una cartella", "è una FIFO (pipe con nome)",
// "è un collegamento simbolico a «/x», che non esiste" ...; empty for a regular file (a link to
// one included) and for a path where nothing exists.
QString kindText(const QString &path);

// Writes all of `bytes` to `fd`, again after a signal or a short write; false with errno set
// (EIO for a write that took nothing) when it cannot.
bool writeAll(int fd, const QByteArray &bytes);

// Replaces (or creates) the file at `path` with `bytes`. A symbolic link is followed and its
// target replaced; a target that exists and is not a regular file is refused. The new file keeps
// the old one's permissions. On failure `why` says what went wrong and nothing has changed.
bool writeFile(const QString &path, const QByteArray &bytes, QString *why);

enum class Read {
    Ok,
    Missing,  // nothing at `path` (no file, no link, or a plain file where a folder would be)
    Failed,   // `why` says what was found or what went wrong
};
// The whole content of the regular file at `path`, at most `limit` bytes. Never blocks: a FIFO
// or a device is refused without being opened for reading.
Read readFile(const QString &path, qint64 limit, QByteArray *content, QString *why);

}  // namespace safefile
