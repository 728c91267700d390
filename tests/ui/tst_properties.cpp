#include "harness.h"
#include "settings/ui/frmproperties.h"
#include "smalldisk.h"
#include "testmain.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>

#include <memory>

namespace {

using Values = QMap<QString, QString>;

// The dialog as "Porta Seriale..." opens it, but shown non-modally so that a test never blocks.
std::unique_ptr<PropertiesPage> openDialog(Harness &h)
{
    auto dialog = h.window.createPropertiesDialog();
    dialog->show();
    return dialog;
}

bool choose(QComboBox *list, const QString &entry)
{
    const int index = list->findText(entry);
    list->setCurrentIndex(index);
    return index >= 0;
}

// What group [Properties] of the settings file holds now.
Values stored(const Harness &h)
{
    QSettings file(h.settings.fileName(), QSettings::IniFormat);
    file.beginGroup(QStringLiteral("Properties"));
    Values values;
    for (const QString &key : file.childKeys())
        values[key] = file.value(key).toString();
    return values;
}

QStringList panels(const MainWindowPage &w)
{
    QStringList texts;
    for (int i = 1; i <= 5; ++i)
        texts << w.Panels[i]->text();
    return texts;
}

const Values kDefaults = {{"CommPort", "1"}, {"BaudRate", "9600"}, {"Parity", "N"},
                          {"DataBit", "8"},  {"StopBit", "1"},     {"Handshaking", "0"}};

}  // namespace

class tst_Properties : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void windowAndLists()
    {
        Harness h;
        QVERIFY(h.start());
        const auto d = openDialog(h);
        QCOMPARE(d->windowTitle(), QStringLiteral("Proprietà porta di comunicazione"));
        QCOMPARE(d->parentWidget(), h.window.widget());
        QCOMPARE(d->fraSettings->title(), QString());
        QCOMPARE(d->Frame2->title(), QStringLiteral("Porta"));
        QCOMPARE(d->Frame1->title(), QStringLiteral("BAUD"));
        QCOMPARE(d->fraConnection->title(), QStringLiteral("Impostazioni connessione"));
        QCOMPARE(d->Frame5->title(), QStringLiteral("&Controllo di flusso"));
        QCOMPARE(d->Label3->text(), QStringLiteral("Bit di dati:"));
        QCOMPARE(d->Label4->text(), QStringLiteral("Parità:"));
        QCOMPARE(d->Label5->text(), QStringLiteral("Bit di stop:"));
        const QStringList flow = {"Nessuno", "Xon/Xoff", "RTS", "Xon/RTS"};
        for (int i = 0; i < 4; ++i)
            QCOMPARE(d->optFlow[i]->text(), flow[i]);
        QCOMPARE(d->cmdOK->text(), QStringLiteral("OK"));
        QVERIFY(d->cmdOK->isDefault());
        QCOMPARE(d->cmdCancel->text(), QStringLiteral("Annulla"));

        const std::pair<QComboBox *, QStringList> lists[] = {
            {d->cboPort, {"Com1", "Com2", "Com3", "Com4"}},
            {d->cboSpeed, {"1200", "2400", "4800", "9600", "19200", "38400", "57600"}},
            {d->cboDataBits, {"7", "8"}},
            {d->cboParity, {"Pari", "Dispari", "Nessuna", "Mark", "Space"}},
            {d->cboStopBits, {"1", "2"}}};
        for (const auto &[list, entries] : lists) {
            QVERIFY(!list->isEditable());
            QStringList items;
            for (int i = 0; i < list->count(); ++i)
                items << list->itemText(i);
            QCOMPARE(items, entries);
            QVERIFY(!list->accessibleName().isEmpty());
        }
        for (const char *name : {"cboPort", "cboSpeed", "cboDataBits", "cboParity", "cboStopBits",
                                 "cmdOK", "cmdCancel", "fraSettings", "Frame1", "Frame2", "Frame5",
                                 "fraConnection", "Label3", "Label4", "Label5"})
            QVERIFY2(d->findChild<QWidget *>(name), name);
        QCOMPARE(d->findChild<QRadioButton *>("optFlow_2"), d->optFlow[2]);
    }

    // Each port entry and the status bar name the device behind the port number.
    void portDevices()
    {
        Harness h("[Properties]\nCommPort=2\n");
        QVERIFY(h.start());
        QCOMPARE(h.window.Panels[1]->text(), QStringLiteral("Porta Seriale:  COM2"));
        QCOMPARE(h.window.Panels[1]->toolTip(), QStringLiteral("/dev/fake1"));
        const auto d = openDialog(h);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(d->cboPort->itemData(i, Qt::ToolTipRole).toString(),
                     QStringLiteral("/dev/fake%1").arg(i));
        QCOMPARE(d->cboPort->toolTip(), QStringLiteral("/dev/fake1"));
        QVERIFY(choose(d->cboPort, "Com4"));
        QCOMPARE(d->cboPort->toolTip(), QStringLiteral("/dev/fake3"));
        d->cmdOK->click();
        QCOMPARE(h.window.Panels[1]->text(), QStringLiteral("Porta Seriale:  COM4"));
        QCOMPARE(h.window.Panels[1]->toolTip(), QStringLiteral("/dev/fake3"));

        // Opened again: the entry of the port in use, without a change of selection.
        Harness first;
        QVERIFY(first.start());
        QCOMPARE(openDialog(first)->cboPort->toolTip(), QStringLiteral("/dev/fake0"));
    }

    // "Dispositivo:" shows the device of the port chosen and follows the list, keeping what was
    // typed for a port until OK or Annulla; its drop-down offers the devices the system reports,
    // each with what it is.
    void deviceFollowsThePortList()
    {
        Harness h("[Ports]\ncom2 = /dev/ttyUSB1\n");
        h.devices.reported = {{"/dev/serial/by-id/usb-FTDI_FT232R-if00-port0",
                               "FT232R USB UART, FTDI, n. di serie A1 (/dev/ttyUSB0)"},
                              {"/dev/ttyS0", ""}};
        QVERIFY(h.start());
        const auto d = openDialog(h);
        QCOMPARE(d->lblDevice->text(), QStringLiteral("&Dispositivo:"));
        QCOMPARE(d->lblDevice->buddy(), d->cboDevice);
        QVERIFY(d->cboDevice->isEditable());
        QCOMPARE(d->cboDevice->accessibleName(), QStringLiteral("Dispositivo"));
        QCOMPARE(d->cboDevice->count(), 2);
        QCOMPARE(d->cboDevice->itemText(0),
                 QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R-if00-port0"));
        QCOMPARE(d->cboDevice->itemData(0, Qt::ToolTipRole).toString(),
                 QStringLiteral("FT232R USB UART, FTDI, n. di serie A1 (/dev/ttyUSB0)"));
        QCOMPARE(d->cboDevice->currentText(), QStringLiteral("/dev/fake0"));
        QVERIFY(choose(d->cboPort, "Com2"));
        QCOMPARE(d->cboDevice->currentText(), QStringLiteral("/dev/ttyUSB1"));
        d->cboDevice->lineEdit()->setText("/dev/typed");
        QVERIFY(choose(d->cboPort, "Com3"));
        QCOMPARE(d->cboDevice->currentText(), QStringLiteral("/dev/fake2"));
        QVERIFY(choose(d->cboPort, "Com2"));
        QCOMPARE(d->cboDevice->currentText(), QStringLiteral("/dev/typed"));
        d->cmdCancel->click();
        QCOMPARE(openDialog(h)->cboDevice->currentText(), QStringLiteral("/dev/fake0"));
        const auto again = openDialog(h);
        QVERIFY(choose(again->cboPort, "Com2"));
        QCOMPARE(again->cboDevice->currentText(), QStringLiteral("/dev/ttyUSB1"));
    }

    // A device typed (as assistive technology sets it) or picked is opened, then stored as the
    // port's [Ports] entry with the six settings, and used again at the next start.
    void newDeviceIsOpenedStoredAndUsedAgain_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<bool>("picked");  // from the drop-down, else typed
        QTest::addColumn<QByteArray>("ports");
        QTest::newRow("typed for the port in use")
            << "Com1" << false << QByteArray("[Ports]\nCom1=/dev/ttyUSB0\n");
        QTest::newRow("picked for another port")
            << "Com3" << true
            << QByteArray("[Ports]\nCom3=/dev/serial/by-id/usb-Prolific-if00-port0\n");
    }
    void newDeviceIsOpenedStoredAndUsedAgain()
    {
        QFETCH(QString, port);
        QFETCH(bool, picked);
        QFETCH(QByteArray, ports);
        Harness h;
        h.devices.reported = {{"/dev/serial/by-id/usb-Prolific-if00-port0", "PL2303"}};
        QVERIFY(h.start());
        const auto d = openDialog(h);
        QVERIFY(choose(d->cboPort, port));
        if (picked)
            d->cboDevice->setCurrentIndex(0);
        else
            d->cboDevice->lineEdit()->setText(" /dev/ttyUSB0 ");
        d->cmdOK->click();

        QVERIFY2(h.messages.shown.isEmpty(), qPrintable(h.messages.texts().join('\n')));
        QVERIFY(!d->isVisible());
        const QString device = QString::fromUtf8(ports.mid(ports.indexOf('=') + 1).trimmed());
        QCOMPARE(h.comm.openedDevices, (QStringList{"/dev/fake0", device}));
        QCOMPARE(h.comm.currentDevice(), device);
        QCOMPARE(h.window.Panels[1]->toolTip(), device);
        QVERIFY2(h.settings.readFile().startsWith("[Properties]\nCommPort="),
                 h.settings.readFile().constData());
        QVERIFY2(h.settings.readFile().endsWith("\n\n" + ports), h.settings.readFile().constData());
        QCOMPARE(stored(h).size(), 6);

        Harness next(h.settings.readFile());
        QVERIFY(next.start());
        QCOMPARE(next.comm.openedDevices, QStringList{device});
        const auto again = openDialog(next);
        QCOMPARE(again->cboDevice->currentText(), device);
    }

    // A device that cannot be opened, or none at all: the failure exit, the previous device open
    // again, nothing stored, the dialog still showing what the operator gave.
    void newDeviceRefused_data()
    {
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("why");
        QTest::newRow("cannot be opened") << "/dev/ttyUSB7"
                                          << "/dev/ttyUSB7: dispositivo inesistente";
        QTest::newRow("none") << "  "
                              << "nessun dispositivo indicato per Com1";
    }
    void newDeviceRefused()
    {
        QFETCH(QString, device);
        QFETCH(QString, why);
        Harness h;
        h.comm.deviceOpenErrors["/dev/ttyUSB7"] = {SerialError::DeviceMissing,
                                                   "/dev/ttyUSB7: dispositivo inesistente"};
        QVERIFY(h.start());
        const auto d = openDialog(h);
        d->cboDevice->lineEdit()->setText(device);
        d->cmdOK->click();

        QCOMPARE(h.messages.shown.size(), 1);
        QVERIFY2(h.messages.shown[0].text.contains(why), qPrintable(h.messages.shown[0].text));
        QCOMPARE(h.messages.shown[0].style, int(kStyleWarning));
        QVERIFY(d->isVisible());
        QCOMPARE(d->cboDevice->currentText(), device);
        QVERIFY(h.comm.portOpen());
        QCOMPARE(h.comm.currentDevice(), QStringLiteral("/dev/fake0"));
        QCOMPARE(h.comm.openedDevices.last(), QStringLiteral("/dev/fake0"));
        QVERIFY(!QFile::exists(h.settings.fileName()));
    }

    // "Cerca stampante" holds the printer and locks the settings while it asks the devices,
    // shows where it is and then what it found, and selects the printer: by its port number when
    // one stands for it, else as the device of the port chosen, with the speed it answered at.
    // Nothing is applied before OK; OK then uses it.
    void searchFromTheDialog_data()
    {
        QTest::addColumn<QString>("printer");   // the device the printer is on
        QTest::addColumn<int>("printerSpeed");  // the speed it answers at, 0 at any
        QTest::addColumn<QString>("port");      // selected after the search
        QTest::addColumn<QString>("speed");
        QTest::newRow("behind another port") << "/dev/ttyUSB1" << 0 << "Com3"
                                             << "9600";
        QTest::newRow("a device no port stands for, at another speed")
            << "/dev/ttyACM0" << 19200 << "Com1"
            << "19200";
    }
    void searchFromTheDialog()
    {
        QFETCH(QString, printer);
        QFETCH(int, printerSpeed);
        QFETCH(QString, port);
        QFETCH(QString, speed);
        const QByteArray file = "[Ports]\nCom2=/dev/ttyUSB0\nCom3=/dev/ttyUSB1\n";
        Harness h(file);
        h.window.link().setTimeScale(0.05);
        h.devices.reported = {
            {"/dev/ttyACM0", "Arduino"},
            {"/dev/ttyUSB1", "FT232R"},
            {"/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0", "FT232R"}};
        h.comm.model().behaviour.silent = true;
        h.devices.printers[printer] = printerSpeed;
        QVERIFY(h.start());
        const auto d = openDialog(h);
        QCOMPARE(d->cmdSearch->text(), QStringLiteral("Cerca &stampante"));
        QCOMPARE(d->txtSearch->accessibleName(), QStringLiteral("Esito della ricerca"));
        QStringList progress;
        QList<bool> held;  // the printer held, the settings locked, at each step shown
        connect(d->txtSearch, &QPlainTextEdit::textChanged, d->widget(), [&] {
            progress << d->txtSearch->toPlainText();
            held << (h.window.link().operationRunning() && !d->cmdOK->isEnabled() &&
                     !d->cboPort->isEnabled() &&
                     d->cmdSearch->text() == QStringLiteral("Interrompi ricerca"));
        });
        d->cmdSearch->click();

        QVERIFY(d->txtSearch->toPlainText().startsWith("Stampante trovata:\n" + printer));
        QCOMPARE(d->txtSearch->verticalScrollBar()->maximum(), 0);  // the long name's too
        QVERIFY(progress.size() >= 2);
        QCOMPARE(
            progress.first(),
            QStringLiteral("Ricerca in corso a 9600 baud (velocità 1 di 7): 6 dispositivi..."));
        held.removeLast();  // the result
        QVERIFY(!held.contains(false));
        QVERIFY(!h.window.link().operationRunning());
        QCOMPARE(d->cmdSearch->text(), QStringLiteral("Cerca &stampante"));
        QVERIFY(d->cmdOK->isEnabled());
        QCOMPARE(d->cboPort->currentText(), port);
        QCOMPARE(d->cboDevice->currentText(), printer);
        QCOMPARE(d->cboSpeed->currentText(), speed);
        QCOMPARE(h.comm.settings(), QStringLiteral("9600,n,8,1"));
        QCOMPARE(h.settings.readFile(), file);
        QVERIFY(h.messages.shown.isEmpty());

        // OK asks the printer found for its model and release, as "Interroga stampante" does.
        h.comm.model().behaviour.silent = false;  // the fake now stands for the printer
        h.comm.writes.clear();
        d->cmdOK->click();
        QVERIFY(!d->isVisible());
        QCOMPARE(h.comm.currentDevice(), printer);
        QCOMPARE(h.comm.settings(), QStringLiteral("%1,n,8,1").arg(speed));
        QCOMPARE(stored(h)["BaudRate"], speed);
        QCOMPARE(h.comm.commands(), (QStringList{"?54&10", "?54&4"}));
        QCOMPARE(h.window.txtModello->text(), QStringLiteral(" VIREO 4400"));
        QCOMPARE(h.window.txtRelease->text(), QStringLiteral(" V1.04.2"));
        QVERIFY(h.messages.shown.isEmpty());
    }

    // "Interrompi ricerca" stops the search at once and says what was tried; closing the dialog
    // does the same before it closes. While another operation holds the printer the search does
    // not start.
    void searchCancelled_data()
    {
        QTest::addColumn<bool>("close");
        QTest::newRow("Interrompi ricerca") << false;
        QTest::newRow("Annulla") << true;
    }
    void searchCancelled()
    {
        QFETCH(bool, close);
        Harness h;
        h.comm.model().behaviour.silent = true;  // each probe waits its whole half second
        QVERIFY(h.start());
        const auto d = openDialog(h);
        int probes = 0;
        connect(d->txtSearch, &QPlainTextEdit::textChanged, d->widget(), [&] {
            if (++probes == 1)  // every device asked, the window running
                h.after(50, [&] {
                    if (close)
                        d->cmdCancel->click();
                    else
                        d->cmdSearch->click();
                });
        });
        d->cmdSearch->click();
        QCOMPARE(h.devices.writes.size(), 3);  // stopped at the first speed
        QCOMPARE(d->isVisible(), !close);
        QCOMPARE(d->result(), int(QDialog::Rejected));
        QCOMPARE(d->txtSearch->toPlainText(),
                 QStringLiteral("Ricerca interrotta: nessuna stampante trovata finora. Dispositivi "
                                "provati:\n/dev/fake0 (Com1): prova interrotta\n"
                                "/dev/fake1 (Com2): prova interrotta\n"
                                "/dev/fake2 (Com3): prova interrotta\n"
                                "/dev/fake3 (Com4): prova interrotta"));
        QVERIFY(d->cmdOK->isEnabled());
        QVERIFY(!h.window.link().operationRunning());
        QVERIFY(h.comm.portOpen());
        QVERIFY(!QFile::exists(h.settings.fileName()));

        const PrinterLink::Operation other = h.window.link().beginOperation();
        QVERIFY(other);
        const auto again = openDialog(h);
        again->cmdSearch->click();
        QVERIFY(again->txtSearch->toPlainText().startsWith("Attendere"));
        QCOMPARE(h.devices.writes.size(), 3);
    }

    // The dialog shows what the serial control holds now, not what is stored.
    void opensWithTheLiveSettings_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("live");       // set on the control after start-up, when given
        QTest::addColumn<QStringList>("shown");  // port, speed, data bits, parity, stop bits
        QTest::addColumn<int>("flow");
        QTest::newRow("9600,n,8,1")
            << QByteArray() << QString() << QStringList{"Com1", "9600", "8", "Nessuna", "1"} << 0;
        QTest::newRow("57600,e,7,2")
            << QByteArray("[Properties]\nCommPort=3\nBaudRate=57600\nParity=E\nDataBit=7\n"
                          "StopBit=2\nHandshaking=2\n")
            << QString() << QStringList{"Com3", "57600", "7", "Pari", "2"} << 2;
        QTest::newRow("changed since start-up")
            << QByteArray("[Properties]\nBaudRate=19200\nHandshaking=3\n") << "4800,m,7,2"
            << QStringList{"Com1", "4800", "7", "Mark", "2"} << 3;
    }
    void opensWithTheLiveSettings()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, live);
        QFETCH(QStringList, shown);
        QFETCH(int, flow);
        Harness h(file);
        QVERIFY(h.start());
        if (!live.isEmpty())
            QVERIFY(h.comm.setSettings(live).ok());
        const auto d = openDialog(h);
        QCOMPARE((QStringList{d->cboPort->currentText(), d->cboSpeed->currentText(),
                              d->cboDataBits->currentText(), d->cboParity->currentText(),
                              d->cboStopBits->currentText()}),
                 shown);
        QVERIFY(d->optFlow[flow]->isChecked());
        QCOMPARE(d->chosenFlow(), flow);
    }

    void okWithNothingChanged()
    {
        Harness h;
        QVERIFY(h.start());
        h.window.cmdInterroga->click();
        const QStringList before = panels(h.window);
        h.window.Panels[2]->setText("stale");
        const auto d = openDialog(h);
        QTest::keyClick(d->widget(), Qt::Key_Return);  // OK is the default button

        QCOMPARE(d->result(), int(QDialog::Accepted));
        QVERIFY(!d->isVisible());
        QCOMPARE(h.comm.closeCount, 0);  // the port stays open throughout
        QCOMPARE(h.comm.openCount, 1);
        QVERIFY(h.comm.portOpen());
        QCOMPARE(h.comm.settings(), QStringLiteral("9600,n,8,1"));
        QCOMPARE(stored(h), kDefaults);
        QVERIFY(!h.settings.readFile().contains("[Ports]"));  // the device is the one it was
        QCOMPARE(panels(h.window), before);
        QCOMPARE(h.window.txtModello->text(), QStringLiteral(" VIREO 4400"));  // the same printer
        QVERIFY(h.messages.shown.isEmpty());
    }

    // Closed, renumbered, reopened; the entry Com4 is stored as "4". The model and release of
    // the printer on the device before are cleared.
    void anotherPortWhileOpen()
    {
        Harness h;
        QVERIFY(h.start());
        h.window.cmdInterroga->click();
        const auto d = openDialog(h);
        QVERIFY(choose(d->cboPort, "Com4"));
        QVERIFY(choose(d->cboSpeed, "38400"));
        d->cmdOK->click();

        QCOMPARE(d->result(), int(QDialog::Accepted));
        QCOMPARE(h.comm.closeCount, 1);
        QCOMPARE(h.comm.openCount, 2);
        QVERIFY(h.comm.portOpen());
        QCOMPARE(h.comm.commPort(), 4);
        QCOMPARE(h.comm.settings(), QStringLiteral("38400,n,8,1"));
        QCOMPARE(stored(h)["CommPort"], QStringLiteral("4"));
        QCOMPARE(h.window.Panels[1]->text(), QStringLiteral("Porta Seriale:  COM4"));
        QCOMPARE(h.window.Panels[2]->text(), QStringLiteral("Baudrate:  38400"));
        QVERIFY(h.window.txtModello->text().isEmpty() && h.window.txtRelease->text().isEmpty());
        QCOMPARE(h.comm.commands().size(), 2);  // not asked again without a search
        QVERIFY(h.messages.shown.isEmpty());
    }

    // The operator's choices, as stored and as the next start-up applies them.
    void choicesAreStoredAndUsedAtTheNextStart()
    {
        Harness h;
        QVERIFY(h.start());
        const auto d = openDialog(h);
        QVERIFY(choose(d->cboPort, "Com3"));
        QVERIFY(choose(d->cboSpeed, "19200"));
        QVERIFY(choose(d->cboParity, "Dispari"));
        QVERIFY(choose(d->cboDataBits, "7"));
        QVERIFY(choose(d->cboStopBits, "2"));
        d->optFlow[1]->click();
        d->cmdOK->click();

        const Values expected = {{"CommPort", "3"}, {"BaudRate", "19200"}, {"Parity", "O"},
                                 {"DataBit", "7"},  {"StopBit", "2"},      {"Handshaking", "1"}};
        QCOMPARE(stored(h), expected);
        QCOMPARE(h.comm.handshaking(), 1);
        QCOMPARE(h.window.Panels[3]->text(), QStringLiteral("Parità:  DISPARI"));

        FakeSerialControl comm;
        RecordingMessages messages;
        SettingsStore store;
        frmMain next(comm, store, messages);
        QVERIFY(next.load());
        QCOMPARE(comm.commPort(), 3);
        QCOMPARE(comm.settings(), QStringLiteral("19200,o,7,2"));
        QCOMPARE(comm.handshaking(), 1);
    }

    // The new port cannot be opened: the settings text is still applied, then OK fails with the
    // open failure's description and the line goes back to the previous port, open.
    void portThatCannotBeOpened()
    {
        Harness h;
        QVERIFY(h.start());
        h.comm.portOpenErrors[2] = {SerialError::DeviceBusy,
                                    "/dev/fake1: porta già in uso da un altro programma"};
        const QStringList before = panels(h.window);
        const auto d = openDialog(h);
        QVERIFY(choose(d->cboPort, "Com2"));
        QVERIFY(choose(d->cboSpeed, "19200"));
        d->cmdOK->click();

        QCOMPARE(h.messages.shown.size(), 1);
        QCOMPARE(h.messages.shown[0].text,
                 QStringLiteral("/dev/fake1: porta già in uso da un altro programma"));
        QCOMPARE(h.messages.shown[0].style, int(kStyleWarning));
        QCOMPARE(h.comm.commPort(), 1);
        QVERIFY(h.comm.portOpen());
        QCOMPARE(h.comm.openCount, 3);  // start-up, Com2 (refused), Com1 again
        QCOMPARE(h.comm.settings(), QStringLiteral("19200,n,8,1"));
        QVERIFY(stored(h).isEmpty());
        QVERIFY(d->isVisible());
        QCOMPARE(d->cboPort->currentText(), QStringLiteral("Com2"));  // the choices stay
        QCOMPARE(panels(h.window), before);
    }

    // The serial layer refuses the settings text: on the same port, and after the port was
    // already reopened on a new number (closed, set back, opened again).
    void refusedSettingsText_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<int>("closes");
        QTest::addColumn<int>("opens");
        QTest::newRow("same port") << "Com1" << 0 << 1;
        QTest::newRow("new port") << "Com3" << 2 << 3;
    }
    void refusedSettingsText()
    {
        QFETCH(QString, port);
        QFETCH(int, closes);
        QFETCH(int, opens);
        Harness h;
        QVERIFY(h.start());
        h.comm.lineError = {SerialError::InvalidSettings,
                            "/dev/fake: impostazioni \"57600,s,8,1\" rifiutate dal dispositivo"};
        const auto d = openDialog(h);
        QVERIFY(choose(d->cboPort, port));
        QVERIFY(choose(d->cboSpeed, "57600"));
        QVERIFY(choose(d->cboParity, "Space"));
        d->optFlow[3]->click();
        d->cmdOK->click();

        QCOMPARE(h.messages.texts(), QStringList{h.comm.lineError.description});
        QCOMPARE(h.comm.commPort(), 1);
        QVERIFY(h.comm.portOpen());
        QCOMPARE(h.comm.closeCount, closes);
        QCOMPARE(h.comm.openCount, opens);
        QCOMPARE(h.comm.settings(), QStringLiteral("9600,n,8,1"));
        QCOMPARE(h.comm.handshaking(), 0);  // not reached
        QVERIFY(stored(h).isEmpty());
        QVERIFY(d->isVisible());
    }

    void cancelChangesNothing_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("Annulla") << 0;
        QTest::newRow("Esc") << 1;
        QTest::newRow("close box") << 2;
    }
    void cancelChangesNothing()
    {
        QFETCH(int, how);
        Harness h;
        QVERIFY(h.start());
        const QStringList before = panels(h.window);
        const auto d = openDialog(h);
        QVERIFY(choose(d->cboPort, "Com2"));
        QVERIFY(choose(d->cboSpeed, "1200"));
        d->optFlow[2]->click();
        if (how == 0)
            d->cmdCancel->click();
        else if (how == 1)
            QTest::keyClick(d->widget(), Qt::Key_Escape);
        else
            d->close();

        QVERIFY(!d->isVisible());
        QCOMPARE(d->result(), int(QDialog::Rejected));
        QCOMPARE(h.comm.commPort(), 1);
        QCOMPARE(h.comm.settings(), QStringLiteral("9600,n,8,1"));
        QCOMPARE(h.comm.handshaking(), 0);
        QCOMPARE(h.comm.closeCount, 0);
        QVERIFY(!QFile::exists(h.settings.fileName()));
        QCOMPARE(panels(h.window), before);
        QVERIFY(h.messages.shown.isEmpty());
    }

    // A value the serial control holds but no list offers opens that list without a selection;
    // OK then fails, saying what is missing, until the operator picks an entry.
    void valuesNoListHolds_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("reportedSettings");
        QTest::addColumn<int>("reportedFlow");
        QTest::addColumn<QString>("list");  // objectName of the list left empty
        QTest::addColumn<QString>("why");   // in the failure's description
        QTest::addColumn<QString>("pick");
        QTest::newRow("speed 300")
            << QByteArray("[Properties]\nBaudRate=300\n") << QString() << -1 << "cboSpeed"
            << "velocità «» non ammessa"
            << "9600";
        QTest::newRow("stop bits 1.5")
            << QByteArray("[Properties]\nStopBit=1.5\n") << QString() << -1 << "cboStopBits"
            << "bit di stop «»"
            << "1";
        QTest::newRow("upper-case parity letter")
            << QByteArray() << "9600,N,8,1" << -1 << "cboParity"
            << "manca la parità"
            << "Nessuna";
        QTest::newRow("port 7") << QByteArray("[Properties]\nCommPort=7\n") << QString() << -1
                                << "cboPort"
                                << "nessuna porta scelta"
                                << "Com1";
        QTest::newRow("flow mode 9") << QByteArray() << QString() << 9 << "optFlow"
                                     << "nessun controllo di flusso scelto"
                                     << "Xon/Xoff";
    }
    void valuesNoListHolds()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, reportedSettings);
        QFETCH(int, reportedFlow);
        QFETCH(QString, list);
        QFETCH(QString, why);
        QFETCH(QString, pick);
        Harness h(file);
        QVERIFY(h.start());
        if (!reportedSettings.isEmpty())
            h.comm.reportedSettings = reportedSettings;
        if (reportedFlow >= 0)
            h.comm.reportedHandshaking = reportedFlow;
        const int port = h.comm.commPort();
        const Values before = stored(h);
        const auto d = openDialog(h);

        for (QComboBox *l : d->findChildren<QComboBox *>()) {
            if (l != d->cboDevice)  // a field as much as a list
                QCOMPARE(l->currentIndex() < 0, l->objectName() == list);
        }
        for (QRadioButton *option : d->optFlow)
            QCOMPARE(option->isChecked(), list != "optFlow" && option == d->optFlow[0]);

        d->cmdOK->click();
        QCOMPARE(h.messages.shown.size(), 1);
        QVERIFY2(h.messages.shown[0].text.contains(why), qPrintable(h.messages.shown[0].text));
        QCOMPARE(h.messages.shown[0].style, int(kStyleWarning));
        QVERIFY(d->isVisible());
        QCOMPARE(stored(h), before);
        QCOMPARE(h.comm.commPort(), port);
        QVERIFY(h.comm.portOpen());

        h.comm.reportedSettings.reset();
        h.comm.reportedHandshaking.reset();
        if (list == "optFlow")
            d->optFlow[1]->click();
        else
            QVERIFY(choose(d->findChild<QComboBox *>(list), pick));
        d->cmdOK->click();
        QCOMPARE(h.messages.shown.size(), 1);
        QVERIFY(!d->isVisible());
        QCOMPARE(stored(h).size(), 6);
    }

    // The settings are in use but will not last: the operator is told once, the file and the
    // cause named, and the file stays as it was. (A file damaged before start-up stops the start,
    // see tst_startup.)
    void storeThatCannotBeWritten_data()
    {
        QTest::addColumn<QString>("trouble");
        QTest::addColumn<QString>("why");
        QTest::newRow("folder not writable")
            << "folder"
            << "salvarle nel file\n@\n(una parte del percorso non è una cartella)";
        QTest::newRow("disk full") << "disk"
                                   << "salvarle nel file\n@\n(spazio su disco esaurito)";
        QTest::newRow("lines the program cannot read") << "lines"
                                                       << "@\ncontiene righe";
    }
    void storeThatCannotBeWritten()
    {
        QFETCH(QString, trouble);
        QFETCH(QString, why);
        SmallDisk disk;
        if (trouble == "disk" && !disk.available())
            QSKIP(SmallDisk::why());
        const QByteArray file = "[Ports]\nCom1=/dev/fake0\n";
        Harness h(file);
        QVERIFY(h.start());
        const QString fileName = h.settings.fileName();
        if (trouble == "lines") {
            h.settings.writeFile(file + "not a setting\n");  // damaged by hand while running
        } else if (trouble == "disk") {
            // The file lives on the small disk, where the new one is written beside it.
            QVERIFY(QFile::rename(fileName, disk.filePath("V4400 TAG RF.conf")));
            QVERIFY(QFile::link(disk.filePath("V4400 TAG RF.conf"), fileName));
            disk.fill();
        } else {
            // A plain file where the settings folder was: not even root can write there.
            QVERIFY(QDir(h.settings.dir()).removeRecursively());
            QFile plain(h.settings.dir());
            QVERIFY(plain.open(QIODevice::WriteOnly));
        }
        const QByteArray before = h.settings.readFile();
        const auto d = openDialog(h);
        QVERIFY(choose(d->cboSpeed, "2400"));
        d->cmdOK->click();

        QCOMPARE(h.messages.shown.size(), 1);
        const QString text = h.messages.shown[0].text;
        QVERIFY2(text.startsWith("ATTENZIONE!") &&
                     text.contains(QString(why).replace('@', fileName)),
                 qPrintable(text));
        // Applied all the same.
        QCOMPARE(h.comm.settings(), QStringLiteral("2400,n,8,1"));
        QCOMPARE(h.window.Panels[2]->text(), QStringLiteral("Baudrate:  2400"));
        QVERIFY(!d->isVisible());
        QCOMPARE(h.settings.readFile(), before);
        if (trouble == "folder")
            QVERIFY(QFile::remove(h.settings.dir()));
    }

    // After a lost device the port is closed; confirming the dialog opens it again.
    void lostDeviceRecovery()
    {
        Harness h;
        QVERIFY(h.start());
        h.comm.loseDevice();
        QTRY_COMPARE(h.messages.shown.size(), 1);  // reported by the printer link
        QVERIFY(!h.comm.portOpen());

        // Still unplugged: OK fails with the reason, the dialog stays.
        h.comm.openError = {SerialError::DeviceMissing, "/dev/fake0: dispositivo inesistente"};
        const auto d = openDialog(h);
        d->cmdOK->click();
        QCOMPARE(h.messages.shown.size(), 2);
        QCOMPARE(h.messages.shown[1].text, h.comm.openError.description);
        QVERIFY(!h.comm.portOpen());
        QVERIFY(d->isVisible());
        QVERIFY(stored(h).isEmpty());

        // Plugged back in.
        h.comm.openError = {};
        d->cmdOK->click();
        QVERIFY(!d->isVisible());
        QVERIFY(h.comm.portOpen());
        QCOMPARE(h.messages.shown.size(), 2);
        QCOMPARE(stored(h), kDefaults);
        h.window.cmdInterroga->click();
        QCOMPARE(h.window.txtModello->text(), QStringLiteral(" VIREO 4400"));
    }

    // The menu shows the dialog modally and holds the printer for as long as it is open.
    void menuEntry()
    {
        Harness h;
        QVERIFY(h.start());
        QVERIFY(h.window.mnuSerialPort->isEnabled());
        bool seen = false;
        h.after(0, [&] {
            auto *modal = qobject_cast<frmProperties *>(QApplication::activeModalWidget());
            QVERIFY(modal);
            const auto d = std::make_unique<PropertiesPage>(modal);
            seen = true;
            QCOMPARE(d->parentWidget(), h.window.widget());
            QVERIFY(h.window.link().operationRunning());
            h.window.cmdInterroga->click();  // another printer operation does not start
            QVERIFY(h.comm.writes.isEmpty());
            QVERIFY(choose(d->cboSpeed, "4800"));
            d->cmdOK->click();
        });
        h.window.mnuSerialPort->trigger();
        QVERIFY(seen);
        QVERIFY(!h.window.link().operationRunning());
        QCOMPARE(h.comm.settings(), QStringLiteral("4800,n,8,1"));
        QCOMPARE(h.window.Panels[2]->text(), QStringLiteral("Baudrate:  4800"));
    }

    // While another operation talks to the printer the menu entry does not open the dialog.
    void menuEntryDuringAnotherOperation()
    {
        Harness h;
        h.comm.model().behaviour.silent = true;
        QVERIFY(h.start());
        int dialogs = 0;
        QTimer guard;  // should a dialog appear after all, close it rather than hang
        connect(&guard, &QTimer::timeout, [&] {
            if (auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                ++dialogs;
                d->reject();
            }
        });
        guard.start(10);
        QString note;
        h.after(100, [&] {
            h.window.mnuSerialPort->trigger();
            note = h.window.statusBar()->currentMessage();
        });
        h.window.cmdInterroga->click();  // waits for an answer that never comes
        QCOMPARE(dialogs, 0);
        QVERIFY2(note.startsWith("Attendere"), qPrintable(note));
        QCOMPARE(h.comm.closeCount, 0);
    }
};

V4400_TEST(tst_Properties);
#include "tst_properties.moc"
