#include "fakeserialcontrol.h"
#include "link/port/qserialportcontrol.h"
#include "link/printerlink.h"
#include "recordingmessages.h"
#include "testmain.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <algorithm>

// The link on the fake serial control, without a window: waits that nest, the program ending,
// a lost device, one operation at a time, and the serial control's own rules.
class tst_PrinterLink : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void nestedWaitsEndInnermostFirst()
    {
        FakeSerialControl comm;
        RecordingMessages messages;
        PrinterLink link(comm, messages);
        QVERIFY(comm.setPortOpen(true).ok());

        // While the outer wait runs, a handler pauses; the outer reply is complete during that
        // pause, and the outer wait ends as soon as the inner one has returned.
        bool innerEnded = false;
        int depthInside = 0;
        comm.after(20, [&] {
            depthInside = link.waitDepth() + 1;
            comm.after(10, [&] { comm.deliver("12345"); });
            innerEnded = link.Pause(0.2);
        });
        QElapsedTimer clock;
        clock.start();
        QVERIFY(link.WaitForReply(5.0, 5));
        QVERIFY(innerEnded);
        QCOMPARE(depthInside, 2);
        QCOMPARE(link.waitDepth(), 0);
        QCOMPARE(link.ReceiveBuffer, QStringLiteral("12345"));
        QVERIFY(clock.elapsed() >= 200);  // not before the inner pause
        QVERIFY(clock.elapsed() < 4000);  // long before its own limit

        // A reply that grows past the length never ends the wait early.
        link.ReceiveBuffer.clear();
        comm.after(10, [&] { comm.deliver("123456"); });
        clock.restart();
        QVERIFY(link.WaitForReply(0.3, 5));
        QVERIFY(clock.elapsed() >= 300);
        QCOMPARE(link.ReceiveBuffer.size(), 6);
    }

    // What a test double scheduled before a wait's deadline happens within the wait, however
    // late a busy machine runs it; what it scheduled after the deadline is not waited for.
    void scheduledBeforeTheDeadlineComesWithinTheWait()
    {
        FakeSerialControl comm;
        RecordingMessages messages;
        PrinterLink link(comm, messages);
        QVERIFY(comm.setPortOpen(true).ok());
        FakeSerialControl other;  // what another fake schedules counts too

        comm.after(0, [] { QThread::msleep(100); });  // the machine stalls past the deadline
        comm.trickle({"1", "2", "3"});                // one pass of the event loop apart
        other.after(10, [&] { comm.deliver("45"); });
        QVERIFY(link.WaitForReply(0.02, 6));    // 6 never comes: it ends at the deadline
        QString received = link.ReceiveBuffer;  // "45" may come between the pieces
        std::sort(received.begin(), received.end());
        QCOMPARE(received, QStringLiteral("12345"));

        link.ReceiveBuffer.clear();
        comm.after(60000, [&] { comm.deliver("45"); });
        QVERIFY(link.Pause(0.02));
        QVERIFY(link.ReceiveBuffer.isEmpty());
        QCOMPARE(comm.scheduled(), 1);
        QVERIFY(messages.shown.isEmpty());
    }

    void abandonEndsEveryWaitAndAllTraffic()
    {
        FakeSerialControl comm;
        RecordingMessages messages;
        PrinterLink link(comm, messages);
        QVERIFY(comm.setPortOpen(true).ok());
        QSignalSpy refused(&link, &PrinterLink::operationRefused);

        bool inner = true;
        comm.after(10, [&] {
            comm.after(10, [&] { link.abandon(); });
            inner = link.Pause(10.0);
        });
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!link.WaitForReply(10.0, 14));
        QVERIFY(!inner);
        QVERIFY(clock.elapsed() < 5000);
        QVERIFY(link.abandoned());
        QVERIFY(!link.SendCommand(QStringLiteral("?54&10")));
        QVERIFY(!link.Pause(0.01));
        QVERIFY(!link.beginOperation());
        QCOMPARE(refused.count(), 0);  // the program is ending: nothing to tell
        QVERIFY(comm.writes.isEmpty());
        QVERIFY(messages.shown.isEmpty());
    }

    void lostDeviceReportedOnce()
    {
        FakeSerialControl comm;
        RecordingMessages messages;
        PrinterLink link(comm, messages);
        QVERIFY(comm.setPortOpen(true).ok());
        QSignalSpy lost(&comm, &SerialControl::lost);

        comm.after(10, [&] {
            comm.loseDevice();
            comm.loseDevice();  // the serial layer may repeat itself
        });
        QVERIFY(!link.WaitForReply(5.0, 14));
        // A send that follows at once, before the report is shown, adds no message of its own.
        QVERIFY(!link.SendCommand(QStringLiteral("?54&10")));
        QTRY_COMPARE(messages.shown.size(), 1);
        QTest::qWait(50);
        QCOMPARE(messages.shown.size(), 1);
        QCOMPARE(lost.count(), 1);
        // The cause once, then how to get the line back.
        const QString reopen = QStringLiteral(
            "\n\nPer riaprire la porta: ricollegare la stampante, poi \"Porta Seriale...\" e OK.");
        QCOMPARE(messages.shown[0].text,
                 "ATTENZIONE! Collegamento con la stampante perso: la porta è stata chiusa.\n"
                 "/dev/fake0: dispositivo scollegato (codice errore 11)." +
                     reopen);
        QVERIFY(!comm.portOpen());

        // Later sends on the closed port say so, once each, and how to reopen it; reopening
        // brings the line back.
        QVERIFY(!link.SendCommand(QStringLiteral("?54&10")));
        QCOMPARE(messages.shown.size(), 2);
        QCOMPARE(messages.shown[1].text,
                 "ATTENZIONE! Comando non inviato: la porta COM1 (/dev/fake0) non è aperta "
                 "(codice errore 9)." +
                     reopen);
        QVERIFY(comm.setPortOpen(true).ok());
        QVERIFY(link.SendCommand(QStringLiteral("?54&10")));
        QCOMPARE(comm.writes.last(), QByteArray("?54&10\r\n"));
    }

    // A line that fails under an open port is told by its cause, once.
    void lostLineTexts_data()
    {
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("text");
        QTest::newRow("unplugged")
            << int(QSerialPort::ResourceError)
            << "/dev/ttyUSB0: dispositivo scollegato o non più raggiungibile";
        QTest::newRow("read") << int(QSerialPort::ReadError)
                              << "/dev/ttyUSB0: errore di lettura dal dispositivo";
        QTest::newRow("write") << int(QSerialPort::WriteError)
                               << "/dev/ttyUSB0: errore di scrittura sul dispositivo";
    }
    void lostLineTexts()
    {
        QFETCH(int, error);
        QFETCH(QString, text);
        QCOMPARE(lostLineText("/dev/ttyUSB0", QSerialPort::SerialPortError(error)), text);
        QCOMPARE(SerialError(SerialError::DeviceLost, text).text(),
                 text + QStringLiteral(" (codice errore 11)"));
    }

    // A line that never stops: ReceiveBuffer keeps the first characters up to its limit, idle and
    // during a wait, the serial control is emptied all the same, and a reply cut at the limit
    // ends no wait.
    void receptionIsBounded()
    {
        FakeSerialControl comm;
        RecordingMessages messages;
        PrinterLink link(comm, messages);
        QVERIFY(comm.setPortOpen(true).ok());
        const QByteArray noise(64 * 1024, 'n');

        comm.deliver("first");
        for (int i = 0; i < 32; ++i)
            comm.deliver(noise);
        QCOMPARE(link.ReceiveBuffer.size(), PrinterLink::kReceiveLimit);
        QVERIFY(link.ReceiveBuffer.startsWith(QStringLiteral("firstnnn")));
        QVERIFY(comm.input().isEmpty());

        // 10 characters, then a flood that would pass through 14 on its way up.
        link.ReceiveBuffer.clear();
        comm.after(10, [&] {
            comm.deliver("0123456789");
            comm.deliver(noise);
            comm.deliver("tail");
        });
        QElapsedTimer clock;
        clock.start();
        QVERIFY(link.WaitForReply(0.3, 14));
        QVERIFY(clock.elapsed() >= 300);
        QCOMPARE(link.ReceiveBuffer.size(), PrinterLink::kReceiveLimit);
        QVERIFY(link.ReceiveBuffer.startsWith(QStringLiteral("0123456789nnn")));

        // Emptied, it takes what comes next.
        link.ReceiveBuffer.clear();
        comm.deliver("reply");
        QCOMPARE(link.ReceiveBuffer, QStringLiteral("reply"));
        QVERIFY(messages.shown.isEmpty());
    }

    // CR or LF inside a command would make the printer take the rest for a command of its own:
    // the whole command is refused, with one message, and nothing goes out.
    void commandsWithALineBreakAreRefused()
    {
        FakeSerialControl comm;
        RecordingMessages messages;
        PrinterLink link(comm, messages);
        QVERIFY(comm.setPortOpen(true).ok());
        for (const char *command :
             {"?52&31,480,37,14,116;A\r\n?14&1", "?R2&24,1,1,A\rBC", "?52&20,657,150,7,11;12\n"}) {
            messages.shown.clear();
            QVERIFY(!link.SendCommand(QLatin1String(command)));
            QCOMPARE(messages.shown.size(), 1);
            QVERIFY2(messages.shown[0].text.startsWith(
                         QStringLiteral("ATTENZIONE! Comando non inviato: contiene un a capo")),
                     qPrintable(messages.shown[0].text));
            QCOMPARE(messages.shown[0].style, int(kStyleError));
        }
        QVERIFY(comm.writes.isEmpty());

        // Every other byte is data: a block write carries bytes 0, 1, 127 and 255 as they are.
        const QString data = QString(QChar(0)) + QChar(1) + QChar(127) + QChar(255);
        QVERIFY(link.SendCommand(QStringLiteral("?R2&24,1,1,") + data));
        QCOMPARE(comm.writes, QList<QByteArray>{QByteArray("?R2&24,1,1,\0\x01\x7F\xFF\r\n", 17)});
    }

    void oneOperationAtATime()
    {
        FakeSerialControl comm;
        RecordingMessages messages;
        PrinterLink link(comm, messages);
        QSignalSpy refused(&link, &PrinterLink::operationRefused);
        {
            PrinterLink::Operation first = link.beginOperation();
            QVERIFY(first);
            QVERIFY(link.operationRunning());
            QVERIFY(!link.beginOperation());
            QCOMPARE(refused.count(), 1);
            const PrinterLink::Operation moved(std::move(first));
            QVERIFY(moved);
            QVERIFY(link.operationRunning());
        }
        QVERIFY(!link.operationRunning());
        QVERIFY(link.beginOperation());

        // While a label is sent the buttons that may not interrupt it are refused silently.
        refused.clear();
        {
            const PrinterLink::Operation label = link.beginOperation();
            const PrinterLink::Printing printing = link.beginPrinting();
            QVERIFY(link.PrintingFlag());
            QVERIFY(!link.beginOperation(PrinterLink::WhilePrinting::Silent));
            QCOMPARE(refused.count(), 0);
            QVERIFY(!link.beginOperation());
            QCOMPARE(refused.count(), 1);
        }
        QVERIFY(!link.PrintingFlag());
        QVERIFY(link.beginOperation(PrinterLink::WhilePrinting::Silent));
    }

    void serialControlRules()
    {
        FakeSerialControl comm;
        QCOMPARE(comm.setCommPort(0).number, int(SerialError::InvalidPortNumber));
        QVERIFY(comm.setCommPort(3).ok());
        QVERIFY(comm.setPortOpen(true).ok());
        QCOMPARE(comm.setCommPort(2).number, int(SerialError::PortAlreadyOpen));
        QVERIFY(comm.setCommPort(3).ok());  // the same number is no change
        QCOMPARE(comm.setHandshaking(4).number, int(SerialError::InvalidHandshaking));
        QVERIFY(comm.setSettings(QStringLiteral("19200,E,7,2")).ok());
        QCOMPARE(comm.settings(), QStringLiteral("19200,e,7,2"));
        // A refusal by the open device keeps what was in use.
        comm.lineError = {SerialError::InvalidSettings, QStringLiteral("no")};
        QVERIFY(comm.setSettings(QStringLiteral("9600,N,8,1")).failed());
        QCOMPARE(comm.settings(), QStringLiteral("19200,e,7,2"));
        // Closed, the port takes writes no more.
        QVERIFY(comm.setPortOpen(false).ok());
        QCOMPARE(comm.output("x").number, int(SerialError::PortNotOpen));
    }

    // A port number's device changes like the number: only while that port is closed.
    void deviceOfAPortNumber()
    {
        FakeSerialControl comm;
        QCOMPARE(comm.currentDevice(), QStringLiteral("/dev/fake0"));
        QVERIFY(comm.setPortOpen(true).ok());
        QCOMPARE(comm.setDeviceName(1, "/dev/ttyUSB0").number, int(SerialError::PortAlreadyOpen));
        QVERIFY(comm.setDeviceName(1, "/dev/fake0").ok());  // no change
        QVERIFY(comm.setDeviceName(2, "/dev/ttyUSB1").ok());
        QCOMPARE(comm.deviceName(2), QStringLiteral("/dev/ttyUSB1"));
        QVERIFY(comm.setPortOpen(false).ok());
        QVERIFY(comm.setDeviceName(1, "/dev/ttyUSB0").ok());
        QVERIFY(comm.setPortOpen(true).ok());
        QCOMPARE(comm.openedDevices, (QStringList{"/dev/fake0", "/dev/ttyUSB0"}));
        QCOMPARE(comm.setDeviceName(3, "/dev/a\tb").number, int(SerialError::InvalidDevice));
        QCOMPARE(comm.setDeviceName(0, "/dev/x").number, int(SerialError::InvalidPortNumber));
        QVERIFY(comm.setDeviceName(2, {}).ok());  // its own again
        QCOMPARE(comm.deviceName(2), QStringLiteral("/dev/fake1"));
    }
};

V4400_TEST(tst_PrinterLink);
#include "tst_printerlink.moc"
