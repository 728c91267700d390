#pragma once

#include <QFile>
#include <QTemporaryDir>

#include <sys/mount.h>

// A folder on a tiny file system of its own (tmpfs), for tests of a full disk. Mounting needs
// root, as CI runs; elsewhere available() is false and the test skips with why().
class SmallDisk
{
public:
    explicit SmallDisk(int kib = 64)
    {
        const QByteArray options = "size=" + QByteArray::number(kib) + "k";
        m_mounted = m_dir.isValid() && ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(),
                                               "tmpfs", 0, options.constData()) == 0;
    }
    ~SmallDisk()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
    }
    bool available() const { return m_mounted; }
    static const char *why() { return "a small tmpfs cannot be mounted here (needs root)"; }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

    // Takes every free byte, so that the next write fails with ENOSPC.
    void fill() const
    {
        QFile filler(filePath(QStringLiteral(".filler")));
        filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
        const QByteArray block(512, 'x');
        while (filler.write(block) == block.size()) {
        }
        while (filler.write("x", 1) == 1) {
        }
    }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};
