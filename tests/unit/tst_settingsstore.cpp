#include "settings/settingsstore.h"
#include "testsettings.h"

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
        QVERIFY2(file.contains("[Properties]\nBaudRate=19200\nCommPort=3\nParity=O\n"), file.constData());
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
};

QTEST_GUILESS_MAIN(tst_SettingsStore)
#include "tst_settingsstore.moc"
