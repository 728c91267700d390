#include "fakeserialcontrol.h"
#include "settings/propertytransaction.h"
#include "testmain.h"

#include <QTest>

// The settings dialog's OK without the dialog: which steps run, what is left applied, which port
// the line ends on, and when the operator is told.
class tst_PropertyTransaction : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void stepsCheckpointsAndRollBack_data()
    {
        QTest::addColumn<bool>("openBefore");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("settings");
        QTest::addColumn<int>("flow");
        QTest::addColumn<QList<int>>("unopenable");  // port numbers that cannot be opened
        QTest::addColumn<bool>("lineRefused");       // the open device refuses line settings
        QTest::addColumn<int>("failure");            // SerialError number, 0 for success
        QTest::addColumn<int>("endPort");
        QTest::addColumn<bool>("endOpen");
        QTest::addColumn<QString>("endSettings");
        QTest::addColumn<int>("endFlow");
        QTest::addColumn<int>("toldOn");  // the port number when the operator is told; 0: not told

        QTest::newRow("same port, new line and flow")
            << true << 1 << "19200,E,7,2" << 2 << QList<int>{} << false << 0 << 1 << true
            << "19200,e,7,2" << 2 << 0;
        QTest::newRow("another port while open")
            << true << 3 << "9600,N,8,1" << 0 << QList<int>{} << false << 0 << 3 << true
            << "9600,n,8,1" << 0 << 0;
        // The reopening fails silently; the line settings still apply; the next checkpoint
        // ends it and the previous port is back, open.
        QTest::newRow("another port that cannot open")
            << true << 2 << "4800,O,8,1" << 1 << QList<int>{2} << false
            << int(SerialError::DeviceMissing) << 1 << true << "4800,o,8,1" << 0 << 2;
        QTest::newRow("no port chosen")
            << true << 0 << "9600,N,8,1" << 0 << QList<int>{} << false
            << int(SerialError::InvalidPortNumber) << 1 << true << "9600,n,8,1" << 0 << 1;
        QTest::newRow("settings refused by the parser")
            << true << 1 << "9600,,8,1" << 0 << QList<int>{} << false
            << int(SerialError::InvalidSettings) << 1 << true << "9600,n,8,1" << 0 << 1;
        // Reopened on the new number, then refused: closed, renumbered back, reopened.
        QTest::newRow("refused after reopening elsewhere")
            << true << 4 << "57600,N,8,1" << 0 << QList<int>{} << true
            << int(SerialError::InvalidSettings) << 1 << true << "9600,n,8,1" << 0 << 4;
        QTest::newRow("no flow option chosen")
            << true << 1 << "2400,N,8,1" << -1 << QList<int>{} << false
            << int(SerialError::InvalidHandshaking) << 1 << true << "2400,n,8,1" << 0 << 1;
        // After a lost device the port is closed: OK opens it again.
        QTest::newRow("closed port reopened") << false << 1 << "9600,N,8,1" << 0 << QList<int>{}
                                              << false << 0 << 1 << true << "9600,n,8,1" << 0 << 0;
        QTest::newRow("closed port that cannot open")
            << false << 1 << "9600,N,8,1" << 0 << QList<int>{1} << false
            << int(SerialError::DeviceMissing) << 1 << false << "9600,n,8,1" << 0 << 1;
    }
    void stepsCheckpointsAndRollBack()
    {
        QFETCH(bool, openBefore);
        QFETCH(int, port);
        QFETCH(QString, settings);
        QFETCH(int, flow);
        QFETCH(QList<int>, unopenable);
        QFETCH(bool, lineRefused);
        QFETCH(int, failure);
        QFETCH(int, endPort);
        QFETCH(bool, endOpen);
        QFETCH(QString, endSettings);
        QFETCH(int, endFlow);
        QFETCH(int, toldOn);

        FakeSerialControl comm;
        if (openBefore)
            QVERIFY(comm.setPortOpen(true).ok());
        for (int p : unopenable)
            comm.portOpenErrors.insert(p, {SerialError::DeviceMissing, QStringLiteral("missing")});
        if (lineRefused)
            comm.lineError = {SerialError::InvalidSettings, QStringLiteral("refused")};

        int told = 0;
        const SerialError result =
            properties::applyChoice(comm, {port, settings, flow}, [&](const SerialError &e) {
                QCOMPARE(e.number, failure);
                QCOMPARE(told, 0);  // once
                told = comm.commPort();
            });

        QCOMPARE(result.number, failure);
        // Told on failure only, before the previous port is put back.
        QCOMPARE(told, toldOn);
        QCOMPARE(comm.commPort(), endPort);
        QCOMPARE(comm.portOpen(), endOpen);
        QCOMPARE(comm.settings(), endSettings);
        QCOMPARE(comm.handshaking(), endFlow);
    }

    // A new device for the port number: the port closed, given the device and reopened on it,
    // before anything else; on failure the previous device is back, open.
    void newDevice_data()
    {
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("device");
        QTest::addColumn<bool>("opens");          // the new device can be opened
        QTest::addColumn<bool>("lineRefused");    // the open device refuses the line settings
        QTest::addColumn<int>("failure");         // SerialError number, 0 for success
        QTest::addColumn<QStringList>("opened");  // devices opened, the first at the start
        QTest::addColumn<int>("endPort");
        QTest::addColumn<QString>("endDevice");  // of endPort
        QTest::addColumn<QString>("com1");       // the device of port 1 at the end
        const QString old = "/dev/fake0";
        QTest::newRow("same port") << 1 << " /dev/ttyUSB0 " << true << false << 0
                                   << QStringList{old, "/dev/ttyUSB0"} << 1 << "/dev/ttyUSB0"
                                   << "/dev/ttyUSB0";
        QTest::newRow("another port")
            << 3 << "/dev/ttyACM0" << true << false << 0 << QStringList{old, "/dev/ttyACM0"} << 3
            << "/dev/ttyACM0" << old;
        QTest::newRow("unchanged, blanks around")
            << 1 << "  /dev/fake0" << true << false << 0 << QStringList{old} << 1 << old << old;
        QTest::newRow("cannot be opened")
            << 1 << "/dev/ttyUSB9" << false << false << int(SerialError::DeviceMissing)
            << QStringList{old, old} << 1 << old << old;
        QTest::newRow("refuses the line settings")
            << 2 << "/dev/ttyUSB1" << true << true << int(SerialError::InvalidSettings)
            << QStringList{old, "/dev/ttyUSB1", old} << 1 << old << old;
        QTest::newRow("empty") << 1 << "  " << true << false << int(SerialError::InvalidDevice)
                               << QStringList{old} << 1 << old << old;
        QTest::newRow("line break")
            << 1 << "/dev/a\nb" << true << false << int(SerialError::InvalidDevice)
            << QStringList{old, old} << 1 << old << old;
    }
    void newDevice()
    {
        QFETCH(int, port);
        QFETCH(QString, device);
        QFETCH(bool, opens);
        QFETCH(bool, lineRefused);
        QFETCH(int, failure);
        QFETCH(QStringList, opened);
        QFETCH(int, endPort);
        QFETCH(QString, endDevice);
        QFETCH(QString, com1);

        FakeSerialControl comm;
        QVERIFY(comm.setPortOpen(true).ok());
        if (!opens)
            comm.deviceOpenErrors.insert(device.trimmed(),
                                         {SerialError::DeviceMissing, QStringLiteral("missing")});
        if (lineRefused)
            comm.lineError = {SerialError::InvalidSettings, QStringLiteral("refused")};
        int told = 0;
        const SerialError result = properties::applyChoice(comm, {port, "9600,N,8,1", 0, device},
                                                           [&](const SerialError &) { ++told; });

        QCOMPARE(result.number, failure);
        QCOMPARE(told, failure ? 1 : 0);
        QCOMPARE(comm.openedDevices, opened);
        QVERIFY(comm.portOpen());
        QCOMPARE(comm.commPort(), endPort);
        QCOMPARE(comm.currentDevice(), endDevice);
        QCOMPARE(comm.deviceName(1), com1);
    }
};

V4400_TEST(tst_PropertyTransaction);
#include "tst_propertytransaction.moc"
