#include "production/productionlog.h"
#include "smalldisk.h"
#include "testmain.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

// The production log: whole lines or nothing, on a regular file that stays the one opened.
class tst_ProductionLog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // What the log is added to: a new or empty file gets the header, a file without a final line
    // break goes on on a line of its own.
    void addsWholeLines_data()
    {
        QTest::addColumn<QByteArray>("before");  // null: no file
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("new") << QByteArray() << QByteArray("h\nL1\nL2\n");
        QTest::newRow("whole lines") << QByteArray("h\nA\n") << QByteArray("h\nA\nL1\nL2\n");
        QTest::newRow("cut line") << QByteArray("h\nA,2026-") << QByteArray("h\nA,2026-\nL1\nL2\n");
    }
    void addsWholeLines()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QTemporaryDir dir;
        const QString path = dir.filePath("log.csv");
        if (!before.isNull())
            QVERIFY(write(path, before));
        ProductionLog log;
        QString why;
        QVERIFY2(log.open(path, "h", &why), qPrintable(why));
        QVERIFY2(log.append("L1", &why) && log.append("L2", &why), qPrintable(why));
        QCOMPARE(read(path), after);
    }

    // Refused at once, without opening a FIFO or a device, and without following a link.
    void refusesWhatIsNotAFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("why");
        QTest::newRow("link") << "link"
                              << "è un collegamento simbolico, che per sicurezza non si segue";
        QTest::newRow("fifo") << "fifo"
                              << "è una FIFO (pipe con nome), non un file";
        QTest::newRow("device") << "/dev/null"
                                << "è un dispositivo a caratteri, non un file";
    }
    void refusesWhatIsNotAFile()
    {
        QFETCH(QString, name);
        QFETCH(QString, why);
        QTemporaryDir dir;
        const QString target = dir.filePath("target");
        QVERIFY(write(target, "keep\n"));
        QVERIFY(QFile::link(target, dir.filePath("link")));
        QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath("fifo")).constData(), 0600), 0);
        ProductionLog log;
        QString reason;
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!log.open(name.startsWith('/') ? name : dir.filePath(name), "h", &reason));
        QCOMPARE(reason, why);
        QVERIFY(clock.elapsed() < 5000);  // never waits for a reader
        QCOMPARE(read(target), QByteArray("keep\n"));
    }

    // The file the run writes to must stay the one at its path: removed, moved away or replaced,
    // the next line is refused and saying so.
    void noticesARemovedOrReplacedFile_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("why");
        QTest::newRow("removed") << "remove"
                                 << "è stato cancellato o spostato";
        QTest::newRow("moved away") << "move"
                                    << "è stato cancellato o spostato";
        QTest::newRow("replaced") << "replace"
                                  << "è stato sostituito da un altro file";
    }
    void noticesARemovedOrReplacedFile()
    {
        QFETCH(QString, change);
        QFETCH(QString, why);
        QTemporaryDir dir;
        const QString path = dir.filePath("log.csv");
        ProductionLog log;
        QString reason;
        QVERIFY(log.open(path, "h", &reason));
        QVERIFY(log.append("L1", &reason));
        if (change == "remove") {
            QVERIFY(QFile::remove(path));
        } else if (change == "move") {
            QVERIFY(QFile::rename(path, dir.filePath("elsewhere.csv")));
        } else {
            QVERIFY(write(dir.filePath("other.csv"), "other\n"));
            QCOMPARE(::rename(QFile::encodeName(dir.filePath("other.csv")).constData(),
                              QFile::encodeName(path).constData()),
                     0);
        }
        QVERIFY(!log.append("L2", &reason));
        QCOMPARE(reason, why);
        if (change == "replace")
            QCOMPARE(read(path), QByteArray("other\n"));
    }

    // A full disk: a line that does not fit leaves the file at its last whole line, and once
    // there is room again the next line follows it. A new log whose header does not fit is not
    // left behind.
    void fullDiskKeepsWholeLines()
    {
        SmallDisk disk;
        if (!disk.available())
            QSKIP(SmallDisk::why());
        const QString path = disk.filePath("log.csv");
        ProductionLog log;
        QString why;
        QVERIFY(log.open(path, "h", &why));
        QVERIFY(log.append("L1", &why));
        disk.fill();
        // Longer than the room left in the file's last page: part of it would fit.
        QVERIFY(!log.append(QByteArray(8000, 'x'), &why));
        QCOMPARE(why, QStringLiteral("non si può più scrivere (spazio su disco esaurito)"));
        QCOMPARE(read(path), QByteArray("h\nL1\n"));

        ProductionLog second;
        QVERIFY(!second.open(disk.filePath("new.csv"), QByteArray(8000, 'h'), &why));
        QCOMPARE(why, QStringLiteral("non si può scrivere (spazio su disco esaurito)"));
        QVERIFY(!QFileInfo::exists(disk.filePath("new.csv")));

        QVERIFY(QFile::remove(disk.filePath(".filler")));
        QVERIFY2(log.append("L2", &why), qPrintable(why));
        QCOMPARE(read(path), QByteArray("h\nL1\nL2\n"));
    }

private:
    static bool write(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    }
    static QByteArray read(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(unreadable)");
    }
};

V4400_TEST(tst_ProductionLog);
#include "tst_productionlog.moc"
