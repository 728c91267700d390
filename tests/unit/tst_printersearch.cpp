#include "fakeserialcontrol.h"
#include "fakeserialdevices.h"
#include "link/printerlink.h"
#include "recordingmessages.h"
#include "settings/printersearch.h"
#include "testmain.h"

#include <QSignalSpy>
#include <QTest>

// "Cerca stampante" as the settings dialog runs it: Com2 and Com3 stand for two USB adapters,
// port `open` is in use, time runs fifty times faster.
struct SearchBench
{
    FakeSerialControl comm;
    FakeSerialDevices devices;
    RecordingMessages messages;
    PrinterLink link{comm, messages};
    PrinterSearch search{link, devices};

    explicit SearchBench(int open = 1, bool adapters = false)
    {
        if (adapters) {
            comm.setDeviceName(2, QStringLiteral("/dev/ttyUSB0"));
            comm.setDeviceName(3, QStringLiteral("/dev/ttyUSB1"));
        }
        if (comm.setCommPort(open).failed() || comm.setPortOpen(true).failed())
            qFatal("the fake serial control did not open");
        link.setTimeScale(0.02);
    }
    // The dialog's device field shows `typed` (the device of the port chosen), its speed list
    // `speed`, the line 8 data bits, no parity, 1 stop bit.
    PrinterSearch::Result run(int speed, const QString &typed = {})
    {
        return search.run(typed.isEmpty() ? comm.currentDevice() : typed, speed,
                          QStringLiteral(",N,8,1"));
    }
};

namespace {

// What a loopback plug sends back: the command as it went out.
QList<Emission> echoOf(const QByteArray &command)
{
    return {{0, command + "\r\n"}};
}
}  // namespace

// The search for the printer over the devices and speeds, on fake serial lines.
class tst_PrinterSearch : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Every device asked for the model, all at once at each speed: the open line through the
    // printer link, every other on a line of its own, every query of a speed out before its
    // window starts; a device that cannot be opened is listed with its reason. The printer's
    // device is chosen, with the speed it answered at; the open line has its own settings back.
    void findsThePrinter_data()
    {
        QTest::addColumn<QString>("printer");   // the device the printer is on
        QTest::addColumn<int>("printerSpeed");  // the speed it answers at, 0 at any
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("port");  // of the answer chosen, 0 when none stands for it
        QTest::addColumn<int>("speed");
        QTest::addColumn<QList<int>>("speedsTried");  // on each silent device
        QTest::newRow("behind another port")
            << "/dev/ttyUSB1" << 0
            << found("/dev/ttyUSB1 (Com3) a 9600 baud",
                     {"/dev/fake0 (Com1)", kBusy, "/dev/fake3 (Com4)", "/dev/ttyACM0"})
            << 3 << 9600 << QList<int>{9600};
        QTest::newRow("a device no port stands for, at another speed")
            << "/dev/ttyACM0" << 19200
            << found("/dev/ttyACM0 a 19200 baud",
                     {"/dev/fake0 (Com1)", kBusy, "/dev/ttyUSB1 (Com3)", "/dev/fake3 (Com4)"})
            << 0 << 19200 << QList<int>{9600, 1200, 2400, 4800, 19200};
        QTest::newRow("on the open line, at another speed")
            << "/dev/fake0" << 2400
            << found("/dev/fake0 (Com1) a 2400 baud",
                     {kBusy, "/dev/ttyUSB1 (Com3)", "/dev/fake3 (Com4)", "/dev/ttyACM0"})
            << 1 << 2400 << QList<int>{9600, 1200, 2400};
    }
    void findsThePrinter()
    {
        QFETCH(QString, printer);
        QFETCH(int, printerSpeed);
        QFETCH(QString, shown);
        QFETCH(int, port);
        QFETCH(int, speed);
        QFETCH(QList<int>, speedsTried);
        SearchBench s(1, true);
        s.devices.reported = {{"/dev/ttyACM0", "Arduino"}, {"/dev/ttyUSB1", "FT232R"}};
        s.devices.openErrors["/dev/ttyUSB0"] = {
            SerialError::DeviceBusy, "/dev/ttyUSB0: porta già in uso da un altro programma"};
        if (printer == "/dev/fake0") {
            s.comm.onWrite = [&s, printerSpeed](const QByteArray &) {
                s.comm.model().behaviour.silent =
                    !s.comm.settings().startsWith(QString::number(printerSpeed) + ",");
            };
        } else {
            s.comm.model().behaviour.silent = true;
            s.devices.printers[printer] = printerSpeed;
        }
        QList<QList<int>> windows;  // speed, rounds, devices asked, writes so far
        QObject::connect(&s.search, &PrinterSearch::probing,
                         [&](int speed, int, int rounds, int devices) {
                             windows.append({speed, rounds, devices,
                                             int(s.comm.writes.size() + s.devices.writes.size())});
                         });
        const PrinterSearch::Result result = s.run(9600);

        QCOMPARE(result.text(), shown);
        QList<QList<int>> expected;  // the busy one is not asked
        for (int i = 0; i < speedsTried.size(); ++i)
            expected.append({speedsTried[i], 7, 4, 4 * (i + 1)});
        QCOMPARE(windows, expected);
        QVERIFY(result.chosen());
        QCOMPARE(result.chosen()->device, printer);
        QCOMPARE(result.chosen()->port, port);
        QCOMPARE(result.chosen()->speed, speed);

        // Exactly the model query on each line, each silent device at each speed tried, the busy
        // one never.
        QCOMPARE(s.comm.commands(), QStringList(speedsTried.size(), "?54&10"));
        for (const QString silent : {"/dev/ttyUSB1", "/dev/fake3", "/dev/ttyACM0"}) {
            if (silent == printer)
                continue;
            QList<int> tried;
            for (const FakeSerialDevices::Write &w : s.devices.writes) {
                QCOMPARE(w.bytes, QByteArray("?54&10\r\n"));
                QVERIFY(w.settings.endsWith(",n,8,1"));
                if (w.device == silent)
                    tried << w.settings.section(',', 0, 0).toInt();
            }
            QCOMPARE(tried, speedsTried);
        }
        // Nothing applied: the open line has its settings back.
        QCOMPARE(s.comm.settings(), QStringLiteral("9600,n,8,1"));
        QCOMPARE(s.comm.currentDevice(), QStringLiteral("/dev/fake0"));
        QVERIFY(s.comm.portOpen());
        QVERIFY(s.messages.shown.isEmpty());
    }

    // No device answers at any speed: "Nessuna stampante", every device tried with its outcome,
    // nothing chosen.
    void findsNothing()
    {
        SearchBench s;
        s.comm.model().behaviour.silent = true;
        s.devices.reported = {{"/dev/ttyS0", ""}, {"/dev/ttyS1", ""}};
        s.devices.openErrors["/dev/fake1"] = {SerialError::DeviceMissing,
                                              "/dev/fake1: dispositivo inesistente"};
        s.devices.openErrors["/dev/ttyS1"] = {SerialError::PermissionDenied,
                                              "/dev/ttyS1: accesso negato"};
        const PrinterSearch::Result result = s.run(4800);
        QCOMPARE(result.text(),
                 nothingFound({"/dev/fake0 (Com1)", "/dev/fake1 (Com2): dispositivo inesistente",
                               "/dev/fake2 (Com3)", "/dev/fake3 (Com4)", "/dev/ttyS0",
                               "/dev/ttyS1: accesso negato"}));
        QVERIFY(!result.chosen());
        QCOMPARE(s.devices.opened, 3 * 7 + 2);  // those that cannot be opened tried once
        QCOMPARE(s.comm.writes.size(), 7);      // at every speed of the list
        QCOMPARE(s.devices.writes.size(), 3 * 7);
        QCOMPARE(s.devices.writes.first().settings, QStringLiteral("4800,n,8,1"));
        QCOMPARE(s.devices.writes.last().settings, QStringLiteral("57600,n,8,1"));
        QCOMPARE(s.comm.settings(), QStringLiteral("9600,n,8,1"));
    }

    // A device that echoes the query (a loopback plug, a modem), sends noise, floods the line or
    // answers text no printer gives is no printer: listed with "risposta non valida" and why,
    // asked again at every speed, never chosen. The printer behind another port is.
    void refusesWhatIsNoModel_data()
    {
        QTest::addColumn<QByteArray>("answer");  // to every command; "" echoes it
        QTest::addColumn<QString>("why");
        QTest::newRow("loopback plug") << QByteArray() << "eco della richiesta";
        QTest::newRow("modem") << QByteArray("?54&10\r\r\nERROR\r\n") << "eco della richiesta";
        QTest::newRow("noise") << QByteArray("\xC1\x00\x7F\x1B\xFF\x80\x03\xD5\x00\x12\x9A", 11)
                               << "caratteri non stampabili";
        QTest::newRow("flood") << QByteArray(8192, '\xAA') << "caratteri non stampabili";
        QTest::newRow("GPS receiver")
            << QByteArray("$GPGGA,123519,4807.038,N*47\r\n") << "caratteri non stampabili";
        QTest::newRow("one character") << QByteArray("\x06") << "nessun testo";
    }
    void refusesWhatIsNoModel()
    {
        QFETCH(QByteArray, answer);
        QFETCH(QString, why);
        SearchBench s;
        s.comm.model().behaviour.silent = true;
        s.devices.scripts["/dev/fake1"] = [answer](const QByteArray &command) {
            return answer.isEmpty() ? echoOf(command) : QList<Emission>{{0, answer}};
        };
        PrinterSearch::Result result = s.run(4800);
        const QString invalid = "/dev/fake1 (Com2): risposta non valida (" + why + ")";
        QCOMPARE(result.text(), nothingFound({"/dev/fake0 (Com1)", invalid, "/dev/fake2 (Com3)",
                                              "/dev/fake3 (Com4)"}));
        int asked = 0;
        for (const FakeSerialDevices::Write &w : s.devices.writes)
            asked += w.device == "/dev/fake1";
        QCOMPARE(asked, 7);  // at every speed of the list
        QVERIFY(!result.chosen());

        // With the printer behind Com4 at 19200 baud: the printer, whatever came first.
        s.devices.writes.clear();
        s.devices.printers["/dev/fake3"] = 19200;
        result = s.run(4800);
        QCOMPARE(result.text(), found("/dev/fake3 (Com4) a 19200 baud",
                                      {"/dev/fake0 (Com1)", invalid, "/dev/fake2 (Com3)"}));
        QCOMPARE(result.chosen()->port, 4);
        QCOMPARE(result.chosen()->speed, 19200);
    }

    // When the device in use answers it is chosen, wherever it stands in the list and whatever
    // the dialog shows; when it echoes, the printer elsewhere is.
    void prefersTheDeviceInUse_data()
    {
        QTest::addColumn<bool>("echoes");  // the device in use, else it is a printer
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("port");
        QTest::newRow("a printer") << false
                                   << "Stampanti trovate:\n"
                                      "/dev/fake0 (Com1) a 9600 baud: « VIREO 4400»\n"
                                      "/dev/fake2 (Com3) a 9600 baud: « VIREO 4400»\n"
                                      "Altri dispositivi provati:\n" +
                                          tried({"/dev/fake1 (Com2)", "/dev/fake3 (Com4)"})
                                   << 3;
        QTest::newRow("an echo")
            << true
            << found("/dev/fake0 (Com1) a 9600 baud",
                     {"/dev/fake1 (Com2)",
                      "/dev/fake2 (Com3): risposta non valida (eco della richiesta)",
                      "/dev/fake3 (Com4)"})
            << 1;
    }
    void prefersTheDeviceInUse()
    {
        QFETCH(bool, echoes);
        QFETCH(QString, shown);
        QFETCH(int, port);
        SearchBench s(3);
        s.devices.printers["/dev/fake0"] = 0;
        if (echoes)
            s.comm.script = echoOf;
        QCOMPARE(s.comm.currentDevice(), QStringLiteral("/dev/fake2"));
        const PrinterSearch::Result result = s.run(9600, QStringLiteral("/dev/fake1"));
        QCOMPARE(result.text(), shown);
        QCOMPARE(result.chosen()->port, port);
        QCOMPARE(s.comm.commands(), QStringList{"?54&10"});  // the open line asked once
        QVERIFY(s.messages.shown.isEmpty());
    }

    // Several printers answer, in any order within the window: the one chosen is the device in
    // use if it answered, else the lowest port number, else the first device listed; the answers
    // are listed in the devices' order. Com1 (in use) to Com4, then two devices no port stands for.
    void choosesWhateverAnswersFirst_data()
    {
        QTest::addColumn<QList<int>>("delays");  // ms into the 10 ms window, per device; -1 silent
        QTest::addColumn<int>("chosen");
        QTest::addColumn<QList<int>>("found");
        QTest::newRow("Com4 first") << QList<int>{-1, 8, -1, 0, -1, -1} << 1 << QList<int>{1, 3};
        QTest::newRow("Com2 first") << QList<int>{-1, 0, -1, 8, -1, -1} << 1 << QList<int>{1, 3};
        QTest::newRow("no port first")
            << QList<int>{-1, -1, -1, 8, 0, 1} << 3 << QList<int>{3, 4, 5};
        QTest::newRow("no port: the first listed")
            << QList<int>{-1, -1, -1, -1, 8, 0} << 4 << QList<int>{4, 5};
        QTest::newRow("the device in use last")
            << QList<int>{8, 0, 2, 4, 6, 1} << 0 << QList<int>{0, 1, 2, 3, 4, 5};
    }
    void choosesWhateverAnswersFirst()
    {
        QFETCH(QList<int>, delays);
        QFETCH(int, chosen);
        QFETCH(QList<int>, found);
        SearchBench s;
        s.devices.reported = {{"/dev/ttyACM0", ""}, {"/dev/ttyACM1", ""}};
        const QStringList devices{"/dev/fake0", "/dev/fake1",   "/dev/fake2",
                                  "/dev/fake3", "/dev/ttyACM0", "/dev/ttyACM1"};
        for (int i = 0; i < devices.size(); ++i) {
            const QList<Emission> answer{{delays[i], "VIREO 4400\r"}};
            (i ? s.devices.scripts[devices[i]] : s.comm.script) = [=](const QByteArray &) {
                return delays[i] < 0 ? QList<Emission>{} : answer;
            };
        }
        const PrinterSearch::Result result = s.run(9600);
        QCOMPARE(result.answers.size(), found.size());
        for (int i = 0; i < found.size(); ++i)
            QCOMPARE(result.answers[i].device, devices[found[i]]);
        QCOMPARE(result.chosen()->device, devices[chosen]);
        QCOMPARE(s.devices.opened, 5);  // one speed: the first at which any answered
    }

    // The open line's device lost while it is probed at another speed: the control keeps the
    // speed in use, not the probed one, for the dialog and the next opening. A bare device name is
    // the device under /dev, as the serial port takes it.
    void losesTheOpenDevice()
    {
        SearchBench s;
        s.comm.model().behaviour.silent = true;
        s.comm.onWrite = [&](const QByteArray &) {
            s.comm.after(5, [&] { s.comm.loseDevice(); });  // within the probe's 10 ms
            s.comm.onWrite = {};
        };
        const PrinterSearch::Result result = s.run(4800);
        QVERIFY(!s.comm.portOpen());
        QCOMPARE(s.comm.settings(), QStringLiteral("9600,n,8,1"));
        QVERIFY(result.text().contains(
            QStringLiteral("/dev/fake0 (Com1): collegamento perso durante la prova")));

        QVERIFY(PrinterSearch::sameDevice(QStringLiteral("null"), QStringLiteral("/dev/null")));
        QVERIFY(!PrinterSearch::sameDevice(QStringLiteral("null"), QStringLiteral("/dev/zero")));
    }

private:
    static inline const QString kBusy =
        QStringLiteral("/dev/ttyUSB0 (Com2): porta già in uso da un altro programma");

    // The devices tried, in order; one given without its outcome gave no answer.
    static QString tried(const QStringList &devices)
    {
        QStringList lines;
        for (const QString &device : devices)
            lines << (device.contains(": ") ? device : device + ": nessuna risposta");
        return lines.join('\n');
    }

    static QString found(const QString &printer, const QStringList &others)
    {
        return "Stampante trovata:\n" + printer + ": « VIREO 4400»\nAltri dispositivi provati:\n" +
               tried(others);
    }

    static QString nothingFound(const QStringList &devices)
    {
        return "Nessuna stampante trovata, a nessuna velocità. Dispositivi provati:\n" +
               tried(devices);
    }
};

V4400_TEST(tst_PrinterSearch);
#include "tst_printersearch.moc"
