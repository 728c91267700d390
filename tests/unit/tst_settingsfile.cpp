#include "settings/settingsfile.h"
#include "testmain.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

// The settings file read as an operator writes it, and written back line by line.
class tst_SettingsFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void reading_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QByteArray>("value");  // null: not there
        const QByteArray ports = "[Ports]\nCom1=/dev/ttyUSB0\n";
        QTest::newRow("plain") << ports << "Ports"
                               << "Com1" << QByteArray("/dev/ttyUSB0");
        QTest::newRow("byte-order mark and CRLF")
            << QByteArray("\xEF\xBB\xBF[Ports]\r\nCom1=/dev/ttyUSB0\r\n") << "Ports"
            << "Com1" << QByteArray("/dev/ttyUSB0");
        QTest::newRow("upper-case key") << QByteArray("[Ports]\nCOM1=/dev/ttyACM0\n") << "Ports"
                                        << "Com1" << QByteArray("/dev/ttyACM0");
        QTest::newRow("lower-case key and group")
            << QByteArray("[ports]\ncom2=/dev/ttyACM1\n") << "Ports"
            << "Com2" << QByteArray("/dev/ttyACM1");
        QTest::newRow("raw value, blanks around trimmed")
            << QByteArray("[Ports]\n  Com1 =\t /tmp/a;b,c d=e \t\n") << "Ports"
            << "Com1" << QByteArray("/tmp/a;b,c d=e");
        QTest::newRow("bytes that are not UTF-8")
            << QByteArray("[Ports]\nCom1=/tmp/caf\xE9\n") << "Ports"
            << "Com1" << QByteArray("/tmp/caf\xE9");
        QTest::newRow("the last of two lines")
            << QByteArray("[Ports]\nCom1=/a\nCOM1=/b\n") << "Ports"
            << "Com1" << QByteArray("/b");
        QTest::newRow("group given twice")
            << QByteArray("[Ports]\nCom1=/a\n[Properties]\nCommPort=2\n[Ports]\nCom2=/b\n")
            << "Ports"
            << "Com1" << QByteArray("/a");
        QTest::newRow("empty value") << QByteArray("[Properties]\nStopBit=\n") << "Properties"
                                     << "StopBit" << QByteArray("");
        QTest::newRow("comments are no keys")
            << QByteArray("[Ports]\n;Com1=/a\n# Com1=/b\n") << "Ports"
            << "Com1" << QByteArray();
        QTest::newRow("another group's key")
            << QByteArray("[Other]\nCom1=/a\n[Ports]\nCom2=/b\n") << "Ports"
            << "Com1" << QByteArray();
        QTest::newRow("before any group") << QByteArray("Com1=/a\n[Ports]\n") << "Ports"
                                          << "Com1" << QByteArray();
        QTest::newRow("last line without its end")
            << QByteArray("[Ports]\r\nCom3=/dev/ttyS9") << "Ports"
            << "Com3" << QByteArray("/dev/ttyS9");
    }
    void reading()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, group);
        QFETCH(QString, key);
        QFETCH(QByteArray, value);
        const SettingsFile f(file);
        QCOMPARE(f.firstUnreadableLine(), 0);
        const std::optional<QByteArray> read = f.value(group, key);
        QCOMPARE(read.has_value(), !value.isNull());
        if (read)
            QCOMPARE(*read, value);
        QCOMPARE(f.bytes(), file);  // read, not changed
    }

    void unreadableLines_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("line");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("no key=value") << QByteArray("[Ports]\nCom1=/a\nCom2 /dev/ttyUSB1\n") << 3
                                      << QByteArray("Com2 /dev/ttyUSB1");
        QTest::newRow("group without its bracket")
            << QByteArray("; ports\r\n[Properties\r\nCommPort=2\r\n") << 2
            << QByteArray("[Properties");
        QTest::newRow("no key") << QByteArray("\xEF\xBB\xBF[Ports]\n = /dev/ttyS0\n") << 2
                                << QByteArray(" = /dev/ttyS0");
    }
    void unreadableLines()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, line);
        QFETCH(QByteArray, text);
        const SettingsFile f(file);
        QCOMPARE(f.firstUnreadableLine(), line);
        QCOMPARE(f.lineText(line), text);
    }

    // Only the lines of the values set change; every other byte stays, whatever it is.
    void settingKeepsEveryOtherLine()
    {
        const QByteArray before = "\xEF\xBB\xBF; written by hand \xE8 Latin-1\r\n"
                                  "[Ports]\r\n"
                                  "# the FTDI cable\r\n"
                                  "COM1 = /dev/ttyUSB0\r\n"
                                  "Com3=/dev/caf\xE9;x,y\r\n"
                                  "\r\n"
                                  "[Unknown]\r\n"
                                  "Anything=a, b ; c\r\n"
                                  "\r\n"
                                  "[Properties]\r\n"
                                  "BaudRate=9600\r\n"
                                  "CommPort=1\r\n"
                                  "; keep me\r\n"
                                  "Extra=kept";
        SettingsFile f(before);
        QVERIFY(f.setValue(u"Properties", u"CommPort", "2"));
        QVERIFY(f.setValue(u"Properties", u"BaudRate", "19200"));
        QVERIFY(f.setValue(u"Properties", u"Parity", "N"));
        QVERIFY(f.setValue(u"Properties", u"DataBit", "8"));
        QVERIFY(f.setValue(u"Ports", u"Com1", "/dev/serial/by-id/usb-FTDI-if00"));
        QVERIFY(f.setValue(u"Ports", u"Com2", "/tmp/a;b,c"));
        QCOMPARE(f.bytes(), QByteArray("\xEF\xBB\xBF; written by hand \xE8 Latin-1\r\n"
                                       "[Ports]\r\n"
                                       "# the FTDI cable\r\n"
                                       "COM1=/dev/serial/by-id/usb-FTDI-if00\r\n"
                                       "Com3=/dev/caf\xE9;x,y\r\n"
                                       "Com2=/tmp/a;b,c\r\n"
                                       "\r\n"
                                       "[Unknown]\r\n"
                                       "Anything=a, b ; c\r\n"
                                       "\r\n"
                                       "[Properties]\r\n"
                                       "BaudRate=19200\r\n"
                                       "CommPort=2\r\n"
                                       "; keep me\r\n"
                                       "Extra=kept\r\n"
                                       "Parity=N\r\n"
                                       "DataBit=8\r\n"));
        const SettingsFile again(f.bytes());
        QCOMPARE(again.value(u"Ports", u"Com2"), std::optional<QByteArray>("/tmp/a;b,c"));
        QCOMPARE(again.value(u"Ports", u"Com3"), std::optional<QByteArray>("/dev/caf\xE9;x,y"));
        QCOMPARE(again.value(u"Unknown", u"Anything"), std::optional<QByteArray>("a, b ; c"));
    }

    // A file that does not exist yet, or lacks the group: the group is added at the end, its keys
    // in the order they were set.
    void newGroups()
    {
        SettingsFile f;
        for (const char *key : {"CommPort", "BaudRate", "Parity"})
            QVERIFY(f.setValue(u"Properties", QString::fromLatin1(key), "x"));
        QVERIFY(f.setValue(u"Ports", u"Com1", "/dev/ttyUSB0"));
        QCOMPARE(f.bytes(), QByteArray("[Properties]\nCommPort=x\nBaudRate=x\nParity=x\n\n"
                                       "[Ports]\nCom1=/dev/ttyUSB0\n"));

        SettingsFile noEnd("; only a comment");
        QVERIFY(noEnd.setValue(u"Ports", u"Com2", "/dev/ttyACM0"));
        QCOMPARE(noEnd.bytes(), QByteArray("; only a comment\n\n[Ports]\nCom2=/dev/ttyACM0\n"));
    }

    void lineBreaksAreRefused()
    {
        const QByteArray before = "[Ports]\nCom1=/dev/ttyUSB0\n";
        SettingsFile f(before);
        for (const QByteArray &value : {QByteArray("/dev/a\nCom2=/dev/b"), QByteArray("/dev/a\r"),
                                        QByteArray("/dev/a\0b", 7)})
            QVERIFY(!f.setValue(u"Ports", u"Com1", value));
        QCOMPARE(f.bytes(), before);
    }

    // A file the earlier versions wrote through QSettings reads back the same.
    void writtenByQSettings()
    {
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("V4400 TAG RF.conf"));
        const QList<std::pair<QString, QString>> values = {
            {"Properties/CommPort", "3"},
            {"Properties/BaudRate", "19200"},
            {"Properties/Parity", "O"},
            {"Properties/DataBit", "7"},
            {"Properties/StopBit", "2"},
            {"Properties/Handshaking", "1"},
            {"Ports/Com1", "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A12345-if00-port0"},
            {"Ports/Com2", "/dev/ttyUSB0"},
            {"Ports/Com3", QString::fromUtf8("/dev/stampante-è")}};
        {
            QSettings settings(name, QSettings::IniFormat);
            for (const auto &[key, value] : values)
                settings.setValue(key, value);
        }
        QFile file(name);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const SettingsFile f(file.readAll());
        QCOMPARE(f.firstUnreadableLine(), 0);
        for (const auto &[key, value] : values) {
            const QStringList path = key.split(QLatin1Char('/'));
            QCOMPARE(f.value(path[0], path[1]), std::optional<QByteArray>(value.toUtf8()));
        }
    }
};

V4400_TEST(tst_SettingsFile);
#include "tst_settingsfile.moc"
