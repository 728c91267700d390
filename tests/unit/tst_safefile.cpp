#include "common/displaytext.h"
#include "common/safefile.h"
#include "smalldisk.h"
#include "testmain.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

// Files read and written without losing or hanging: special files refused at once, a full disk
// leaves the old file as it was, messages hold no whole file.
class tst_SafeFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QFile f(m_dir.filePath("file"));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("data") == 4);
        f.close();
        QFile large(m_dir.filePath("large"));
        QVERIFY(large.open(QIODevice::WriteOnly) && large.write("12345678901") == 11);
        QVERIFY(QFile::link(m_dir.filePath("file"), m_dir.filePath("link")));
        QVERIFY(QDir(m_dir.path()).mkdir("folder"));
        QCOMPARE(::mkfifo(QFile::encodeName(m_dir.filePath("fifo")).constData(), 0600), 0);
        QVERIFY(QFile::link("/dev/zero", m_dir.filePath("zero")));
        QVERIFY(QFile::link(m_dir.filePath("gone"), m_dir.filePath("dangling")));
        QVERIFY(QFile::link(m_dir.filePath("saved"), m_dir.filePath("saved-link")));
    }

    void readsRegularFilesOnly_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("read");
        QTest::addColumn<QString>("why");
        const int ok = int(safefile::Read::Ok), failed = int(safefile::Read::Failed);
        QTest::newRow("file") << "file" << ok << "";
        QTest::newRow("link to file") << "link" << ok << "";
        QTest::newRow("missing") << "nothing" << int(safefile::Read::Missing) << "";
        QTest::newRow("folder") << "folder" << failed << "è una cartella, non un file";
        QTest::newRow("fifo") << "fifo" << failed << "è una FIFO (pipe con nome), non un file";
        QTest::newRow("zero") << "zero" << failed
                              << "è un collegamento simbolico a «/dev/zero», che è un dispositivo "
                                 "a caratteri, non un file";
        QTest::newRow("dangling") << "dangling" << failed
                                  << "è un collegamento simbolico a «" + m_dir.filePath("gone") +
                                         "», che non esiste";
        QTest::newRow("large") << "large" << failed << "è troppo grande (11 byte, al massimo 10)";
    }
    void readsRegularFilesOnly()
    {
        QFETCH(QString, name);
        QFETCH(int, read);
        QFETCH(QString, why);
        QByteArray content;
        QString reason;
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(int(safefile::readFile(m_dir.filePath(name), 10, &content, &reason)), read);
        QCOMPARE(reason, why);
        QCOMPARE(content, read == int(safefile::Read::Ok) ? QByteArray("data") : QByteArray());
        QVERIFY(clock.elapsed() < 5000);  // never waits for a writer
        QCOMPARE(safefile::kindText(m_dir.filePath(name)),
                 read == int(safefile::Read::Failed) && name != "large" ? why : QString());
    }

    void replacesOnlyWhenOnDisk()
    {
        const QString path = m_dir.filePath("saved");
        QString why;
        QVERIFY(safefile::writeFile(path, "first", &why));
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0600), 0);
        QVERIFY(safefile::writeFile(m_dir.filePath("saved-link"), "second", &why));
        QCOMPARE(read(path), QByteArray("second"));  // through the link, which stays one
        QVERIFY(QFileInfo(m_dir.filePath("saved-link")).isSymLink());
        struct stat st;
        QVERIFY(::stat(QFile::encodeName(path).constData(), &st) == 0);
        QCOMPARE(st.st_mode & 0777, 0600u);
        QVERIFY(!safefile::writeFile(m_dir.filePath("fifo"), "x", &why));
        QCOMPARE(why, QStringLiteral("è una FIFO (pipe con nome), non un file"));
        QVERIFY(!safefile::writeFile(m_dir.filePath("nothing/here"), "x", &why));
        QCOMPARE(why, QStringLiteral("il file o la sua cartella non esiste"));
        QCOMPARE(QDir(m_dir.path()).entryList(QStringList{".*tmp*"}, QDir::Hidden | QDir::Files),
                 QStringList());

        SmallDisk disk;
        if (!disk.available())
            QSKIP(SmallDisk::why());
        const QString full = disk.filePath("dump.bin");
        QVERIFY(safefile::writeFile(full, "old content", &why));
        disk.fill();
        QVERIFY(!safefile::writeFile(full, QByteArray(4096, 'n'), &why));
        QCOMPARE(why, QStringLiteral("spazio su disco esaurito"));
        QCOMPARE(read(full), QByteArray("old content"));
    }

    void messagesHoldNoWholeFile()
    {
        QCOMPARE(quoted(u"COM1"), QStringLiteral("«COM1»"));
        QCOMPARE(quoted(u"a\nb\x1b]0;x\a"), QStringLiteral("«a\\nb\\x1B]0;x\\x07»"));
        QCOMPARE(quoted(QString(1 << 20, QLatin1Char('9')), 5),
                 QStringLiteral("«99999…» (1048576 caratteri)"));
        QCOMPARE(escapedControls(u"--\x1b[2Jx\t"), QStringLiteral("--\\x1B[2Jx\\t"));
    }

private:
    static QByteArray read(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(unreadable)");
    }

    QTemporaryDir m_dir;
};

V4400_TEST(tst_SafeFile);
#include "tst_safefile.moc"
