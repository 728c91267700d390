#include "ptyrig.h"
#include "settings/frmproperties.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
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
