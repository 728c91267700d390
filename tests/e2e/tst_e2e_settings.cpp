#include "ptyrig.h"
#include "settings/frmproperties.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

// The settings dialog on the real QSerialPort. A Linux pseudo-terminal refuses 7 data bits and
// even parity through QSerialPort, so these stay at 8 bits and no parity.
class tst_E2eSettings : public QObject
{
    Q_OBJECT
private:
    static bool choose(QComboBox *list, const QString &entry)
    {
        list->setCurrentIndex(list->findText(entry));
        return list->currentIndex() >= 0;
    }

    static void queryPrinter(PtyRig &r)
    {
        r.window->txtModello->clear();
        r.window->txtRelease->clear();
        r.window->cmdInterroga->click();
        QCOMPARE(r.window->txtModello->text(), QStringLiteral(" VIREO 4400"));
        QCOMPARE(r.window->txtRelease->text(), QStringLiteral(" V1.04.2"));
    }

private Q_SLOTS:
    void speedAndStopBits()
    {
        PtyRig r;
        QVERIFY(r.start());
        QCOMPARE(r.printer.programLineSettings(), QStringLiteral("9600,n,8,1"));
        queryPrinter(r);

        const auto d = r.window->createPropertiesDialog();
        d->show();
        QVERIFY(choose(d->cboSpeed, "19200"));
        QVERIFY(choose(d->cboStopBits, "2"));
        d->cmdOK->click();

        QVERIFY2(r.messages.shown.isEmpty(), qPrintable(r.messages.texts().join('\n')));
        QVERIFY(!d->isVisible());
        QVERIFY(r.comm->portOpen());
        QCOMPARE(r.comm->settings(), QStringLiteral("19200,n,8,2"));
        QCOMPARE(r.printer.programLineSettings(), QStringLiteral("19200,n,8,2"));  // on the line
        QCOMPARE(r.window->Panels[2]->text(), QStringLiteral("Baudrate:  19200"));
        QCOMPARE(r.window->Panels[5]->text(), QStringLiteral("Bit STOP:  2"));
        QCOMPARE(r.store->read("BaudRate", {}), QStringLiteral("19200"));
        QCOMPARE(r.store->read("StopBit", {}), QStringLiteral("2"));
        queryPrinter(r);
    }

    // A device typed into "Dispositivo:" is opened, stored as the port's [Ports] entry, and opened
    // again at the next start.
    void typedDeviceIsStoredAndUsedAfterARestart()
    {
        PtyPrinter second;
        QString error;
        QVERIFY2(second.openPty(&error), qPrintable(error));
        PtyRig r;
        QVERIFY(r.start());
        auto d = r.window->createPropertiesDialog();
        d->show();
        QCOMPARE(d->cboDevice->currentText(), r.printer.path());
        d->cboDevice->lineEdit()->setText(second.path());
        d->cmdOK->click();

        QVERIFY2(r.messages.shown.isEmpty(), qPrintable(r.messages.texts().join('\n')));
        QVERIFY(!d->isVisible());
        QCOMPARE(r.comm->currentDevice(), second.path());
        queryPrinter(r);
        QCOMPARE(second.model().commands.first(), QByteArray("?54&10"));
        QVERIFY(r.printer.model().commands.isEmpty());
        QVERIFY2(r.settings.readFile().startsWith("[Ports]\nCom1=" + second.path().toUtf8() +
                                                  "\n\n[Properties]\nCommPort=1\n"),
                 r.settings.readFile().constData());

        // The next start.
        d.reset();
        r.window.reset();
        r.comm.reset();
        r.store = std::make_unique<SettingsStore>();
        r.comm = std::make_unique<QSerialPortControl>(r.store->portResolver());
        r.window = std::make_unique<frmMain>(*r.comm, *r.store, r.messages);
        QVERIFY(r.window->load());
        QCOMPARE(r.comm->currentDevice(), second.path());
        queryPrinter(r);
        QCOMPARE(second.model().commands.size(), 4);
    }

    // "Cerca stampante" over real serial lines: the simulated printer among silent, missing and
    // busy devices; its port is selected, and OK connects to it.
    void searchFindsTheSimulatedPrinter()
    {
        PtyPrinter silent;  // the device the program has open: no printer on it
        PtyPrinter other;   // reported by the system, silent too
        QString error;
        QVERIFY2(silent.openPty(&error) && other.openPty(&error), qPrintable(error));
        silent.model().behaviour.silent = other.model().behaviour.silent = true;
        PtyRig holder;  // another program holds this one
        QVERIFY(holder.start());
        PtyRig r;
        QVERIFY2(r.printer.openPty(&error), qPrintable(error));
        r.devices.listed = {{other.path(), "USB-Serial"},
                            {holder.printer.path(), ""},
                            {"/dev/v4400-assente-5", ""}};
        const QByteArray ports = "Com2=/dev/v4400-assente\nCom3=" + r.printer.path().toUtf8() +
                                 "\nCom4=/dev/v4400-assente\n";
        QVERIFY(r.start(silent.path(), ports));
        const auto d = r.window->createPropertiesDialog();
        d->show();
        d->cmdSearch->click();

        const QString text = d->txtSearch->toPlainText();
        QVERIFY2(
            text.startsWith("Stampante trovata:\n" + r.printer.path() +
                            " (Com3) a 9600 baud: « VIREO 4400»\nAltri dispositivi provati:\n" +
                            silent.path() +
                            " (Com1): nessuna risposta\n"
                            "/dev/v4400-assente (Com2): dispositivo inesistente"),
            qPrintable(text));
        QVERIFY2(text.contains(other.path() + ": nessuna risposta") &&
                     text.contains(holder.printer.path() + ": porta già in uso") &&
                     text.contains("/dev/v4400-assente-5: dispositivo inesistente"),
                 qPrintable(text));
        QCOMPARE(d->cboPort->currentText(), QStringLiteral("Com3"));
        QCOMPARE(d->cboDevice->currentText(), r.printer.path());
        QCOMPARE(silent.model().commands, QList<QByteArray>{"?54&10"});
        QCOMPARE(other.model().commands, QList<QByteArray>{"?54&10"});
        QCOMPARE(r.printer.model().commands, QList<QByteArray>{"?54&10"});
        QVERIFY(holder.printer.model().commands.isEmpty());
        QCOMPARE(r.comm->currentDevice(), silent.path());  // nothing applied before OK
        QVERIFY(r.messages.shown.isEmpty());

        d->cmdOK->click();
        QVERIFY(!d->isVisible());
        QCOMPARE(r.comm->currentDevice(), r.printer.path());
        queryPrinter(r);
        QCOMPARE(r.store->read("CommPort", {}), QStringLiteral("3"));
    }

    // Nothing answers at any speed: every device tried at each, the open line's settings back.
    void searchFindsNothing()
    {
        PtyPrinter other;
        QString error;
        QVERIFY2(other.openPty(&error), qPrintable(error));
        other.model().behaviour.silent = true;
        PtyRig r;
        r.printer.model().behaviour.silent = true;
        r.devices.listed = {{other.path(), ""}};
        QVERIFY(r.start({}, "Com2=/dev/v4400-assente\nCom3=/dev/v4400-assente\n"
                            "Com4=/dev/v4400-assente\n"));
        r.window->link().setTimeScale(0.1);
        const auto d = r.window->createPropertiesDialog();
        d->show();
        d->cmdSearch->click();

        const QString text = d->txtSearch->toPlainText();
        QVERIFY2(text.startsWith("Nessuna stampante trovata") &&
                     text.contains(r.printer.path() + " (Com1): nessuna risposta") &&
                     text.contains(other.path() + ": nessuna risposta") &&
                     text.contains("/dev/v4400-assente (Com2): dispositivo inesistente"),
                 qPrintable(text));
        QCOMPARE(r.printer.model().commands.size(), 7);
        QCOMPARE(other.model().commands.size(), 7);
        QCOMPARE(r.printer.programLineSettings(), QStringLiteral("9600,n,8,1"));
        QCOMPARE(d->cboPort->currentText(), QStringLiteral("Com1"));
        QCOMPARE(d->cboSpeed->currentText(), QStringLiteral("9600"));
        QVERIFY(r.messages.shown.isEmpty());
    }

    // A port whose device is missing: the real layer's reason, and back on the first port.
    void missingDeviceOnAnotherPort()
    {
        PtyRig r;
        QVERIFY(r.start({}, "Com2=/dev/v4400-no-such-device\n"));
        const auto d = r.window->createPropertiesDialog();
        d->show();
        QCOMPARE(d->cboPort->itemData(0, Qt::ToolTipRole).toString(), r.printer.path());
        QCOMPARE(d->cboPort->itemData(1, Qt::ToolTipRole).toString(),
                 QStringLiteral("/dev/v4400-no-such-device"));
        QCOMPARE(d->cboPort->itemData(2, Qt::ToolTipRole).toString(), QStringLiteral("/dev/ttyS2"));
        QVERIFY(choose(d->cboPort, "Com2"));
        QVERIFY(choose(d->cboSpeed, "4800"));
        d->cmdOK->click();

        QCOMPARE(r.messages.shown.size(), 1);
        const QString text = r.messages.shown[0].text;
        QVERIFY2(text.contains("/dev/v4400-no-such-device: dispositivo inesistente"),
                 qPrintable(text));
        QVERIFY(d->isVisible());
        QCOMPARE(r.comm->commPort(), 1);
        QVERIFY(r.comm->portOpen());
        QCOMPARE(r.store->read("BaudRate", "none"), QStringLiteral("none"));
        queryPrinter(r);
    }

    // The printer's line goes away; the operator moves to another port from the dialog.
    void lostDeviceThenAnotherPort()
    {
        PtyPrinter second;
        QString error;
        QVERIFY2(second.openPty(&error), qPrintable(error));
        PtyRig r;
        QVERIFY(r.start({}, "Com2=" + second.path().toUtf8() + "\n"));
        r.printer.close();
        QTRY_VERIFY(!r.comm->portOpen());
        QTRY_COMPARE(r.messages.shown.size(), 1);

        const auto d = r.window->createPropertiesDialog();
        d->show();
        QVERIFY(choose(d->cboPort, "Com2"));
        d->cmdOK->click();
        QCOMPARE(r.messages.shown.size(), 1);
        QVERIFY(r.comm->portOpen());
        QCOMPARE(r.comm->currentDevice(), second.path());
        r.window->cmdInterroga->click();
        QCOMPARE(r.window->txtModello->text(), QStringLiteral(" VIREO 4400"));
        QCOMPARE(second.model().commands.first(), QByteArray("?54&10"));
    }
};

QTEST_MAIN(tst_E2eSettings)
#include "tst_e2e_settings.moc"
