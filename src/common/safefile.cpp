#include "common/safefile.h"

#include "common/displaytext.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace safefile {

namespace {

// What a stat() of something that is not a regular file found.
QString notRegular(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("è una cartella, non un file");
    if (S_ISFIFO(mode))
        return QStringLiteral("è una FIFO (pipe con nome), non un file");
    if (S_ISCHR(mode))
        return QStringLiteral("è un dispositivo a caratteri, non un file");
    if (S_ISBLK(mode))
        return QStringLiteral("è un dispositivo a blocchi, non un file");
    if (S_ISSOCK(mode))
        return QStringLiteral("è un socket, non un file");
    return QStringLiteral("non è un file normale");
}

QString tooLarge(qint64 limit)
{
    return QStringLiteral("è troppo grande (più di %1 byte)").arg(limit);
}

// Closes on every way out.
struct Descriptor
{
    int fd = -1;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    int release() { return std::exchange(fd, -1); }
};

// The new name is on disk once its folder is: a crash then finds the new file, not the old.
void syncFolder(const QByteArray &folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

bool writeAll(int fd, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        data += n;
        left -= n;
    }
    return true;
}

QString causeText(int error)
{
    switch (error) {
    case ENOSPC: return QStringLiteral("spazio su disco esaurito");
    case EDQUOT: return QStringLiteral("quota del disco esaurita");
    case EACCES:
    case EPERM: return QStringLiteral("permesso negato");
    case EROFS: return QStringLiteral("file system in sola lettura");
    case EIO: return QStringLiteral("errore di lettura o scrittura sul supporto");
    case ENOENT: return QStringLiteral("il file o la sua cartella non esiste");
    case ENOTDIR: return QStringLiteral("una parte del percorso non è una cartella");
    case EISDIR: return QStringLiteral("è una cartella, non un file");
    case ELOOP: return QStringLiteral("troppi collegamenti simbolici nel percorso");
    case EFBIG: return QStringLiteral("file troppo grande per il file system");
    case ENAMETOOLONG: return QStringLiteral("nome troppo lungo");
    case EMFILE:
    case ENFILE: return QStringLiteral("troppi file aperti");
    case EBUSY:
    case ETXTBSY: return QStringLiteral("file in uso");
    default: break;
    }
    return QStringLiteral("errore di sistema n. %1").arg(error);
}

QString kindText(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat link;
    if (::lstat(name.constData(), &link) != 0)
        return {};
    if (!S_ISLNK(link.st_mode))
        return S_ISREG(link.st_mode) ? QString() : notRegular(link.st_mode);
    const QString target = quotedPath(QFileInfo(path).symLinkTarget());
    struct stat st;
    if (::stat(name.constData(), &st) != 0) {
        if (errno == ELOOP)
            return QStringLiteral("è un collegamento simbolico che rimanda a sé stesso");
        return QStringLiteral("è un collegamento simbolico a %1, che non esiste").arg(target);
    }
    if (S_ISREG(st.st_mode))
        return {};
    return QStringLiteral("è un collegamento simbolico a %1, che %2")
        .arg(target, notRegular(st.st_mode));
}

bool writeFile(const QString &path, const QByteArray &bytes, QString *why)
{
    // A link is followed: the operator chose the file it leads to, and the link stays.
    QString targetPath = path;
    if (QFileInfo(path).isSymLink())
        targetPath = QFileInfo(path).symLinkTarget();
    const QByteArray target = QFile::encodeName(targetPath);
    struct stat st;
    const bool exists = ::stat(target.constData(), &st) == 0;
    if (!exists && errno != ENOENT) {
        *why = causeText(errno);
        return false;
    }
    if (exists && !S_ISREG(st.st_mode)) {
        *why = notRegular(st.st_mode);
        return false;
    }

    // A new file beside the old one, in the same folder so that the rename cannot cross file
    // systems; created as the program creates any file (the umask applies) unless it replaces
    // one, whose permissions it takes.
    const QFileInfo info(targetPath);
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    QByteArray temporary;
    Descriptor out;
    for (int attempt = 0; attempt < 100 && out.fd < 0; ++attempt) {
        temporary = folder + "/." + QFile::encodeName(info.fileName()) + ".tmp-" +
                    QByteArray::number(QRandomGenerator::global()->generate(), 36);
        out.fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (out.fd < 0 && errno != EEXIST)
            break;
    }
    if (out.fd < 0) {
        *why = causeText(errno);
        return false;
    }
    if (exists)
        (void)::fchmod(out.fd, st.st_mode & 07777);  // a file system without modes keeps its own
    const bool written = writeAll(out.fd, bytes) && ::fsync(out.fd) == 0;
    const int writeError = errno;
    const bool closed = ::close(out.release()) == 0;
    if (!written || !closed || ::rename(temporary.constData(), target.constData()) != 0) {
        *why = causeText(!written ? writeError : errno);
        ::unlink(temporary.constData());
        return false;
    }
    syncFolder(folder);
    return true;
}

Read readFile(const QString &path, qint64 limit, QByteArray *content, QString *why)
{
    const QByteArray name = QFile::encodeName(path);
    // Looked at before it is opened: opening a FIFO waits for a writer, and opening a device can
    // have effects of its own (a serial line raises DTR).
    struct stat st;
    if (::stat(name.constData(), &st) != 0) {
        const int error = errno;
        *why = kindText(path);
        if (!why->isEmpty())
            return Read::Failed;
        if (error == ENOENT || error == ENOTDIR) {
            struct stat link;
            if (::lstat(name.constData(), &link) != 0)
                return Read::Missing;
        }
        *why = causeText(error);
        return Read::Failed;
    }
    if (!S_ISREG(st.st_mode)) {
        *why = kindText(path);
        return Read::Failed;
    }
    if (st.st_size > limit) {
        *why =
            QStringLiteral("è troppo grande (%1 byte, al massimo %2)").arg(st.st_size).arg(limit);
        return Read::Failed;
    }
    // O_NONBLOCK: should it have become a FIFO since, the open does not wait.
    Descriptor in;
    in.fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (in.fd < 0) {
        *why = causeText(errno);
        return Read::Failed;
    }
    if (::fstat(in.fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        *why = notRegular(st.st_mode);
        return Read::Failed;
    }
    // One byte more than the limit tells a file that grew past it.
    QByteArray data(qsizetype(qMin<qint64>(limit, st.st_size) + 1), Qt::Uninitialized);
    qsizetype used = 0;
    for (;;) {
        if (used == data.size()) {
            if (used > limit) {
                *why = tooLarge(limit);
                return Read::Failed;
            }
            data.resize(qMin<qint64>(limit + 1, qint64(used) * 2 + 4096));
        }
        const ssize_t n = ::read(in.fd, data.data() + used, size_t(data.size() - used));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            *why = causeText(errno);
            return Read::Failed;
        }
        if (n == 0)
            break;
        used += n;
    }
    if (used > limit) {
        *why = tooLarge(limit);
        return Read::Failed;
    }
    data.truncate(used);
    *content = data;
    return Read::Ok;
}

}  // namespace safefile
