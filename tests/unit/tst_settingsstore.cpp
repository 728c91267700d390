#include "settings/settingsstore.h"
#include "testmain.h"
#include "testsettings.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTest>

#include <sys/stat.h>

class tst_SettingsStore : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void emptyStoreGivesDefaults()
    {
        TestSettings dir;
        SettingsStore store;
        QCOMPARE(store.read("CommPort", "1"), QStringLiteral("1"));
        QCOMPARE(store.read("Parity", "N"), QStringLiteral("N"));
        QCOMPARE(store.portDevice(1), QString());
        QCOMPARE(store.status(), QSettings::NoError);
        QCOMPARE(store.fileName(), dir.fileName());
    }

    void writesGroupPropertiesAsText()
    {
        TestSettings dir;
        {
            SettingsStore store;
            QVERIFY(store.write("CommPort", "3"));
            QVERIFY(store.write("BaudRate", "19200"));
            QVERIFY(store.write("Parity", "O"));
        }
        const QByteArray file = dir.readFile();
        // In the order written, each new key after the group's last.
        QCOMPARE(file, QByteArray("[Properties]\nCommPort=3\nBaudRate=19200\nParity=O\n"));
        SettingsStore again;
        QCOMPARE(again.read("CommPort", "1"), QStringLiteral("3"));
        QCOMPARE(again.read("BaudRate", "9600"), QStringLiteral("19200"));
    }

    void readsPortsAndKeepsOtherGroups()
    {
        TestSettings dir;
        dir.writeFile("[Ports]\nCom1=/dev/ttyUSB0\nCom2 = /dev/serial/by-id/usb-FTDI-if00 \n"
                      "[Properties]\nBaudRate=9600, 19200\n");
        SettingsStore store;
        QCOMPARE(store.portDevice(1), QStringLiteral("/dev/ttyUSB0"));
        QCOMPARE(store.portDevice(2), QStringLiteral("/dev/serial/by-id/usb-FTDI-if00"));
        QCOMPARE(store.portDevice(3), QString());
        // A value QSettings would split into a list comes back as the text it was.
        QCOMPARE(store.read("BaudRate", "9600"), QStringLiteral("9600, 19200"));
        QVERIFY(store.write("CommPort", "2"));
        QVERIFY(dir.readFile().contains("Com1=/dev/ttyUSB0"));
    }

    // A write changes the lines of the values written and keeps every other byte; the [Ports]
    // entry given is written in the same rewrite.
    void writeKeepsEveryOtherLine()
    {
        const QByteArray before = "\xEF\xBB\xBF# by hand, \xE8 in Latin-1\r\n[Ports]\r\n"
                                  "COM1=/dev/ttyUSB0\r\nCom4=/tmp/caf\xE9;x,y\r\n\r\n"
                                  "[Properties]\r\nBaudRate=9600\r\nCommPort=1\r\n";
        TestSettings dir(before);
        SettingsStore store;
        QVERIFY(store.write({{"CommPort", "2"}, {"BaudRate", "19200"}, {"Parity", "N"}},
                            PortEntry{2, QString::fromUtf8("/tmp/stampante;1,è")}));
        QCOMPARE(dir.readFile(),
                 QByteArray("\xEF\xBB\xBF# by hand, \xE8 in Latin-1\r\n[Ports]\r\n"
                            "COM1=/dev/ttyUSB0\r\nCom4=/tmp/caf\xE9;x,y\r\n"
                            "Com2=/tmp/stampante;1,\xC3\xA8\r\n\r\n"
                            "[Properties]\r\nBaudRate=19200\r\nCommPort=2\r\nParity=N\r\n"));
        QCOMPARE(store.portDevice(2), QString::fromUtf8("/tmp/stampante;1,è"));
        QCOMPARE(store.read("BaudRate", "9600"), QStringLiteral("19200"));
        // Nothing else left in the folder: the temporary file was renamed over the old one.
        QCOMPARE(QDir(dir.dir()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"V4400 TAG RF.conf"});
    }

    // Lines edited on disk while the program runs are kept.
    void writeKeepsLaterEdits()
    {
        TestSettings dir("[Properties]\nCommPort=1\n");
        SettingsStore store;
        dir.writeFile("[Properties]\nCommPort=1\n[Ports]\nCom2=/dev/ttyACM0\n");
        QVERIFY(store.write("CommPort", "2"));
        QCOMPARE(dir.readFile(),
                 QByteArray("[Properties]\nCommPort=2\n[Ports]\nCom2=/dev/ttyACM0\n"));
    }

    // A new file is readable by others but writable only by its owner; an existing file keeps
    // the permissions its owner gave it.
    void permissions()
    {
        TestSettings dir;
        {
            SettingsStore store;
            QVERIFY(store.write("CommPort", "2"));
        }
        const QFile::Permissions created = QFile::permissions(dir.fileName());
        QVERIFY(created & QFile::ReadOwner && created & QFile::WriteOwner);
        QVERIFY(!(created & (QFile::WriteGroup | QFile::WriteOther)));

        QVERIFY(QFile::setPermissions(dir.fileName(), QFile::ReadOwner | QFile::WriteOwner));
        SettingsStore store;
        QVERIFY(store.write("CommPort", "3"));
        const QFile::Permissions kept = QFile::permissions(dir.fileName());
        QVERIFY(kept & QFile::ReadOwner && kept & QFile::WriteOwner);
        QVERIFY(!(kept &
                  (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther)));
    }

    // The lock file an earlier version left when it was killed while saving does not hold a write
    // up (that version waited for it to go stale, about 30 s).
    void staleLockFile()
    {
        TestSettings dir("[Properties]\nCommPort=1\n");
        QFile lock(dir.fileName() + ".lock");
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write(QByteArray::number(QCoreApplication::applicationPid()) + "\nv4400-tag-rf\n" +
                   QSysInfo::machineHostName().toUtf8() + "\n");
        lock.close();
        QElapsedTimer took;
        took.start();
        SettingsStore store;
        QVERIFY(store.write("CommPort", "2"));
        QVERIFY2(took.elapsed() < 5000, qPrintable(QString::number(took.elapsed())));
        QCOMPARE(dir.readFile(), QByteArray("[Properties]\nCommPort=2\n"));
    }

    void writesAreSeenByReads()
    {
        TestSettings dir;
        SettingsStore store;
        QCOMPARE(store.read("StopBit", "1"), QStringLiteral("1"));
        QVERIFY(store.write("StopBit", "2"));
        QCOMPARE(store.writeStatus(), QSettings::NoError);
        QCOMPARE(store.read("StopBit", "1"), QStringLiteral("2"));
    }

    // A file QSettings cannot fully read would be rewritten without the lines it skipped.
    void fileWithFormatErrorsIsNeverRewritten_data()
    {
        QTest::addColumn<QByteArray>("atStart");
        QTest::addColumn<QByteArray>("editedLater");
        const QByteArray bad = "[Ports]\nCom1=/dev/ttyUSB0\nthis is no setting\n"
                               "[Properties]\nCommPort=2\n";
        QTest::newRow("bad line read at start") << bad << QByteArray();
        QTest::newRow("bad line edited in later")
            << QByteArray("[Ports]\nCom1=/dev/ttyUSB0\n[Properties]\nCommPort=2\n") << bad;
        QTest::newRow("bad group header")
            << QByteArray("[Properties\nCommPort=2\n") << QByteArray();
    }
    void fileWithFormatErrorsIsNeverRewritten()
    {
        QFETCH(QByteArray, atStart);
        QFETCH(QByteArray, editedLater);
        TestSettings dir(atStart);
        SettingsStore store;
        store.read("CommPort", "1");
        store.portDevice(1);
        if (!editedLater.isEmpty())
            dir.writeFile(editedLater);
        const QByteArray before = dir.readFile();
        // Refused every time, not only the first.
        for (int i = 0; i < 2; ++i) {
            QVERIFY(!store.write("CommPort", "3"));
            QCOMPARE(store.writeStatus(), QSettings::FormatError);
        }
        QCOMPARE(dir.readFile(), before);
    }

    // What stands where the file should be and is no file is refused at once, saying what it is,
    // and never written over.
    void fileThatIsNoFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("why");
        QTest::newRow("FIFO") << "fifo"
                              << "è una FIFO (pipe con nome), non un file";
        QTest::newRow("link to /dev/zero")
            << "zero"
            << "è un collegamento simbolico a «/dev/zero», che è un dispositivo a caratteri, "
               "non un file";
        QTest::newRow("over 1 MiB") << "large"
                                    << "è troppo grande (1048577 byte, al massimo 1048576)";
    }
    void fileThatIsNoFile()
    {
        QFETCH(QString, kind);
        QFETCH(QString, why);
        TestSettings dir;
        const QByteArray name = QFile::encodeName(dir.fileName());
        if (kind == "fifo")
            QCOMPARE(::mkfifo(name.constData(), 0600), 0);
        else if (kind == "zero")
            QVERIFY(QFile::link("/dev/zero", dir.fileName()));
        else
            dir.writeFile(QByteArray(1 << 20, '#') + '\n');
        SettingsStore store;  // a FIFO opened for reading would wait here for a writer
        QCOMPARE(store.status(), QSettings::AccessError);
        QCOMPARE(store.readError(), why);
        QVERIFY(!store.write("CommPort", "2"));
        QCOMPARE(store.writeError(), why);
        QCOMPARE(QFileInfo(dir.fileName()).isFile(), kind == "large");
    }

    void unwritableFolder()
    {
        TestSettings dir;
        // Not even root can create a folder below a plain file.
        const QString plain = dir.dir() + QStringLiteral("/plain");
        QFile f(plain);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(plain + "/config"));
        SettingsStore store;
        QVERIFY(!store.write("CommPort", "3"));
        QCOMPARE(store.writeStatus(), QSettings::AccessError);
        QCOMPARE(store.writeError(), QStringLiteral("una parte del percorso non è una cartella"));
        QVERIFY(!store.write("BaudRate", "9600"));

        // Once the folder can be made, writing works again in the same run.
        QVERIFY(QFile::remove(plain));
        QVERIFY(QDir().mkpath(plain + "/config"));
        QVERIFY(store.write("CommPort", "3"));
        QCOMPARE(store.writeStatus(), QSettings::NoError);
        QCOMPARE(store.read("CommPort", "1"), QStringLiteral("3"));
    }
};

V4400_TEST(tst_SettingsStore);
#include "tst_settingsstore.moc"
