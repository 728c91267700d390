#include "settings/settingsstore.h"
#include "testsettings.h"

#include <QDir>
#include <QTest>

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
        QVERIFY2(file.contains("[Properties]\nBaudRate=19200\nCommPort=3\nParity=O\n"),
                 file.constData());
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

    void unwritableFolder()
    {
        TestSettings dir;
        // Not even root can create a folder below a plain file.
        const QString plain = dir.dir() + QStringLiteral("/plain");
        QFile f(plain);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, plain + "/config");
        SettingsStore store;
        QVERIFY(!store.write("CommPort", "3"));
        QCOMPARE(store.writeStatus(), QSettings::AccessError);
        QVERIFY(!store.write("BaudRate", "9600"));

        // Once the folder can be made, writing works again in the same run.
        QVERIFY(QFile::remove(plain));
        QVERIFY(QDir().mkpath(plain + "/config"));
        QVERIFY(store.write("CommPort", "3"));
        QCOMPARE(store.writeStatus(), QSettings::NoError);
        QCOMPARE(store.read("CommPort", "1"), QStringLiteral("3"));
    }
};

QTEST_GUILESS_MAIN(tst_SettingsStore)
#include "tst_settingsstore.moc"
