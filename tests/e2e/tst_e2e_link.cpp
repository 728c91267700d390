#include "ptyrig.h"
#include "testmain.h"

#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

// The real QSerialPort over a pseudo-terminal, the simulated printer on the other side.
class tst_E2eLink : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void startupAndQuery()
    {
        PtyRig r;
        QVERIFY(r.start());
        QVERIFY(r.comm->portOpen());
        QCOMPARE(r.comm->currentDevice(), r.printer.path());
        QCOMPARE(r.window->Panels[1]->text(), QStringLiteral("Porta Seriale:  COM1"));
        r.window->cmdInterroga->click();
        QCOMPARE(r.window->txtModello->text(), QStringLiteral(" VIREO 4400"));
        QCOMPARE(r.window->txtRelease->text(), QStringLiteral(" V1.04.2"));
        QCOMPARE(r.printer.model().commands, (QList<QByteArray>{"?54&10", "?54&4"}));
        QVERIFY(r.messages.shown.isEmpty());
    }

    // The simulator program itself, as an operator runs it.
    void simulatorProgram()
    {
        QProcess sim;
        sim.start(qEnvironmentVariable("V4400_SIM"),
                  {"--delay", "20", "--chunk", "4", "--chunk-gap", "5"});
        QVERIFY(sim.waitForStarted());
        QVERIFY(sim.waitForReadyRead(5000));
        const QString path = QString::fromLocal8Bit(sim.readLine()).trimmed();
        QVERIFY2(path.startsWith("/dev/pts/"), qPrintable(path));

        PtyRig r;
        QVERIFY(r.start(path));
        r.window->cmdInterroga->click();
        QCOMPARE(r.window->txtModello->text(), QStringLiteral(" VIREO 4400"));
        QCOMPARE(r.window->txtRelease->text(), QStringLiteral(" V1.04.2"));
        sim.terminate();
        QVERIFY(sim.waitForFinished(5000));
        QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
    }

    void missingDevice()
    {
        PtyRig r;
        QVERIFY(!r.start(QStringLiteral("/dev/v4400-no-such-device")));
        QCOMPARE(r.messages.shown.size(), 1);
        const QString text = r.messages.shown[0].text;
        QVERIFY2(text.contains("/dev/v4400-no-such-device: dispositivo inesistente"),
                 qPrintable(text));
        QVERIFY2(text.contains(r.settings.fileName()), qPrintable(text));
    }

    // The other side goes away during a wait, then while idle after reopening: one message each,
    // the port closed, nothing spins.
    void lostDevice()
    {
        PtyRig r;
        QVERIFY(r.start());
        r.printer.model().behaviour.silent = true;
        r.closePrinterOn([](const QByteArray &c) { return c == "?54&10"; });
        r.window->cmdInterroga->click();
        QTRY_COMPARE(r.messages.shown.size(), 1);
        QVERIFY2(r.messages.shown[0].text.contains("Collegamento con la stampante perso"),
                 qPrintable(r.messages.shown[0].text));
        QVERIFY(!r.comm->portOpen());
        QTest::qWait(100);
        QCOMPARE(r.messages.shown.size(), 1);

        r.window->cmdInterroga->click();
        QCOMPARE(r.messages.shown.size(), 2);
        QVERIFY(r.messages.shown[1].text.contains("non è aperta"));
    }
};

V4400_TEST(tst_E2eLink);
#include "tst_e2e_link.moc"
