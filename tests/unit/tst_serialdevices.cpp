#include "link/port/systemserialdevices.h"
#include "link/serialcontrol.h"
#include "testmain.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// The devices the system reports, under the names that stay when an adapter is plugged again.
class tst_SerialDevices : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void stableNamesArePreferred()
    {
        QTemporaryDir dir;
        for (const char *name : {"ttyUSB0", "ttyACM0", "ttyS0"}) {
            QFile device(dir.filePath(QLatin1String(name)));
            QVERIFY(device.open(QIODevice::WriteOnly));
        }
        QVERIFY(QDir(dir.path()).mkdir("by-id"));
        QVERIFY(QFile::link("../ttyUSB0", dir.filePath("by-id/usb-FTDI_FT232R_A1-if00-port0")));
        QVERIFY(QFile::link("../ttyACM0", dir.filePath("by-id/usb-Arduino-if00")));
        QVERIFY(QFile::link("../gone", dir.filePath("by-id/usb-Unplugged-if00")));

        const QList<SerialDevice> devices = SystemSerialDevices::withStableNames(
            {{dir.filePath("ttyUSB0"), "FT232R USB UART, FTDI, n. di serie A1"},
             {dir.filePath("ttyS0"), ""},
             {dir.filePath("ttyACM0"), ""}},
            dir.filePath("by-id"));
        QCOMPARE(devices.size(), 3);
        QCOMPARE(devices[0].path, dir.filePath("by-id/usb-Arduino-if00"));
        QCOMPARE(devices[0].description, dir.filePath("ttyACM0"));
        QCOMPARE(devices[1].path, dir.filePath("by-id/usb-FTDI_FT232R_A1-if00-port0"));
        QCOMPARE(devices[1].description,
                 "FT232R USB UART, FTDI, n. di serie A1 (" + dir.filePath("ttyUSB0") + ")");
        QCOMPARE(devices[2].path, dir.filePath("ttyS0"));
        QCOMPARE(devices[2].description, QString());

        // No such folder (no USB adapter was ever plugged in): the names as reported.
        QCOMPARE(SystemSerialDevices::withStableNames({{"/dev/ttyS0", ""}}, dir.filePath("none"))
                     .first()
                     .path,
                 QStringLiteral("/dev/ttyS0"));
    }

    // A line of one's own on a device: closed, its port 1 that device.
    void probeLine()
    {
        const SystemSerialDevices devices;
        const auto control = devices.control("/dev/v4400-assente");
        QVERIFY(!control->portOpen());
        QCOMPARE(control->currentDevice(), QStringLiteral("/dev/v4400-assente"));
        QCOMPARE(control->setPortOpen(true).number, int(SerialError::DeviceMissing));
    }
};

V4400_TEST(tst_SerialDevices);
#include "tst_serialdevices.moc"
