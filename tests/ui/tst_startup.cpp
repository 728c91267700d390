#include "app/ui/messagebox.h"
#include "harness.h"
#include "settings/ui/frmproperties.h"
#include "testmain.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabBar>
#include <QTest>

class tst_Startup : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void firstStartWithAnEmptyStore()
    {
        Harness h;
        QVERIFY(h.start());
        QCOMPARE(h.comm.commPort(), 1);
        QCOMPARE(h.comm.settings(), QStringLiteral("9600,n,8,1"));
        QCOMPARE(h.comm.handshaking(), 0);
        QCOMPARE(h.comm.inputMode(), 0);
        QVERIFY(h.comm.portOpen());
        QCOMPARE(h.comm.openCount, 1);
        QVERIFY(h.comm.writes.isEmpty());  // nothing is sent at start-up
        QVERIFY(h.messages.shown.isEmpty());

        MainWindowPage &w = h.window;
        QCOMPARE(w.windowTitle(), QStringLiteral("Vireo 4400 TAG - RF"));
        const QStringList panels = {"Porta Seriale:  COM1", "Baudrate:  9600", "Parità:  NESSUNA",
                                    "Bit DATI:  8", "Bit STOP:  1"};
        for (int i = 1; i <= 5; ++i)
            QCOMPARE(w.Panels[i]->text(), panels[i - 1]);
        QCOMPARE(w.TabStrip->currentIndex(), 0);
        QVERIFY(!w.link().PrintingFlag());
        QVERIFY(w.tagPage->isVisible());
        QVERIFY(!w.blockPage->isVisible());
        QVERIFY(w.link().ReceiveBuffer.isEmpty());
        QVERIFY(w.txtModello->text().isEmpty());
        QVERIFY(w.txtRelease->text().isEmpty());

        // Texts and names operators and maintainers rely on.
        QCOMPARE(w.Frame6->title(), QStringLiteral("Controllo stampante"));
        QCOMPARE(w.cmdInterroga->text(), QStringLiteral("Interroga stampante"));
        QCOMPARE(w.cmdEsci->text(), QStringLiteral("&Chiudi"));
        QCOMPARE(w.cmdEsci->toolTip(), QStringLiteral("Chude l'applicazione"));
        QCOMPARE(w.mnuSerialPort->text(), QStringLiteral("&Porta Seriale..."));
        QCOMPARE(w.mnuInfo->text(), QStringLiteral("&?"));
        QCOMPARE(w.TabStrip->tabText(0), QStringLiteral("Informazioni TAG"));
        QCOMPARE(w.TabStrip->tabText(1), QStringLiteral("Lettura e Scrittura blocchi del TAG"));
        QCOMPARE(w.findChild<QLineEdit *>("txtModello"), w.txtModello);
        QCOMPARE(w.txtModello->accessibleName(), QStringLiteral("Modello"));

        // The window icon is the logo, in every size the desktop may ask for.
        const QIcon icon = w.windowIcon();
        QCOMPARE(icon.availableSizes().size(), 8);
        for (const QSize &size : icon.availableSizes())
            QCOMPARE(icon.pixmap(size).size(), size);
    }

    void storedValuesAreApplied()
    {
        Harness h("[Properties]\nCommPort=3\nBaudRate=19200\nParity=O\nDataBit=7\n"
                  "StopBit=2\nHandshaking=1\n");
        QVERIFY(h.start());
        QCOMPARE(h.comm.commPort(), 3);
        QCOMPARE(h.comm.settings(), QStringLiteral("19200,o,7,2"));
        QCOMPARE(h.comm.handshaking(), 1);
        QCOMPARE(h.window.Panels[1]->text(), QStringLiteral("Porta Seriale:  COM3"));
        QCOMPARE(h.window.Panels[3]->text(), QStringLiteral("Parità:  DISPARI"));
        // Start-up never writes the store.
        QVERIFY(!h.settings.readFile().contains("Ports"));
    }

    void unusableStoredValueEndsStartup_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("mentions");
        QTest::newRow("CommPort not a number")
            << QByteArray("[Properties]\nCommPort=abc\n")
            << QStringList{"\"CommPort\"", "«abc»", "non è un numero"};
        QTest::newRow("CommPort empty") << QByteArray("[Properties]\nCommPort=\n")
                                        << QStringList{"\"CommPort\"", "«»", "non è un numero"};
        QTest::newRow("CommPort overflow") << QByteArray("[Properties]\nCommPort=99999\n")
                                           << QStringList{"\"CommPort\"", "«99999»", "fuori"};
        QTest::newRow("CommPort negative")
            << QByteArray("[Properties]\nCommPort=-1\n")
            << QStringList{"\"CommPort\"", "«-1»", "(codice errore 1)"};
        QTest::newRow("Handshaking 7")
            << QByteArray("[Properties]\nHandshaking=7\n")
            << QStringList{"\"Handshaking\"", "«7»", "(codice errore 4)"};
        QTest::newRow("BaudRate fast")
            << QByteArray("[Properties]\nBaudRate=fast\n")
            << QStringList{"\"BaudRate\"", "«fast»", "(codice errore 3)"};
        QTest::newRow("Parity X") << QByteArray("[Properties]\nParity=X\n")
                                  << QStringList{"\"Parity\"", "«X»", "(codice errore 3)"};
        QTest::newRow("StopBit empty") << QByteArray("[Properties]\nStopBit=\n")
                                       << QStringList{"\"StopBit\"", "(codice errore 3)"};
        QTest::newRow("line that is no setting")
            << QByteArray(
                   "[Properties]\nCommPort=2\n[Ports]\nCom1=/dev/ttyUSB0\nCom2 /dev/ttyUSB1\n")
            << QStringList{"riga 5: «Com2 /dev/ttyUSB1»", "non viene riscritto"};
        QTest::newRow("group without its bracket")
            << QByteArray("; ports\n[Properties\nCommPort=2\n")
            << QStringList{"riga 2: «[Properties»"};
        // Values from outside are cut in the message, and their control characters spelled out.
        QTest::newRow("BaudRate of nearly a megabyte")
            << "[Properties]\nBaudRate=" + QByteArray(1000000, '9') + '\n'
            << QStringList{"\"BaudRate\"", "«" + QString(60, '9') + "…» (1000000 caratteri)",
                           "(codice errore 3)"};
        QTest::newRow("CommPort with an escape sequence")
            << QByteArray("[Properties]\nCommPort=\x1B]0;x\x07\n")
            << QStringList{"«\\x1B]0;x\\x07»"};
    }
    void unusableStoredValueEndsStartup()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, mentions);
        Harness h(file);
        QVERIFY(!h.window.load());
        QCOMPARE(h.messages.shown.size(), 1);
        const QString text = h.messages.shown[0].text;
        QVERIFY2(text.startsWith("ATTENZIONE!"), qPrintable(text));
        QCOMPARE(h.messages.shown[0].style, int(kStyleError));
        for (const QString &m : mentions)
            QVERIFY2(text.contains(m), qPrintable(text));
        QVERIFY2(text.contains(h.settings.fileName()), qPrintable(text));
        QVERIFY2(text.size() < 1000, qPrintable(text.left(1000)));
        QVERIFY(!h.comm.portOpen());
        QCOMPARE(h.settings.readFile(), file);  // left exactly as it was
    }

    void portThatCannotOpenEndsStartup()
    {
        Harness h;
        h.comm.openError = {
            SerialError::PermissionDenied,
            "/dev/fake0: accesso negato (l'utente deve far parte del gruppo dialout)"};
        QVERIFY(!h.window.load());
        QCOMPARE(h.messages.shown.size(), 1);
        const QString text = h.messages.shown[0].text;
        QVERIFY2(text.startsWith("ATTENZIONE! Il programma non può partire.\n\nLa porta COM1 non "
                                 "si può aprire.\n/dev/fake0: accesso negato (l'utente deve far "
                                 "parte del gruppo dialout) (codice errore 6)\n\n"),
                 qPrintable(text));
        // The box offers the settings dialog; its own OK (chosen here) ends the start.
        QCOMPARE(h.messages.shown[0].choice, QStringLiteral("Porta Seriale..."));
        QCOMPARE(h.messages.shown[0].style, int(kStyleError));
        QVERIFY(!h.window.isVisible());
    }

    // "Porta Seriale..." in the start-up failure's box: the settings dialog, before the window
    // exists on screen; OK with a device that opens goes on with the start, Annulla ends it.
    void recoveryThroughTheSettingsDialog_data()
    {
        QTest::addColumn<QString>("port");    // chosen in the dialog
        QTest::addColumn<QString>("device");  // typed for it, when given
        QTest::addColumn<bool>("started");
        QTest::addColumn<QString>("panel");
        QTest::addColumn<QByteArray>("stored");  // the start of the settings file afterwards
        QTest::newRow("another port") << "Com2" << QString() << true << "Porta Seriale:  COM2"
                                      << QByteArray("[Properties]\nCommPort=2\nBaudRate=9600\n");
        QTest::newRow("another device") << "Com1"
                                        << "/dev/ttyUSB0" << true << "Porta Seriale:  COM1"
                                        << QByteArray("[Properties]\nCommPort=1\n");
        QTest::newRow("Annulla") << QString() << QString() << false << QString() << QByteArray();
    }
    void recoveryThroughTheSettingsDialog()
    {
        QFETCH(QString, port);
        QFETCH(QString, device);
        QFETCH(bool, started);
        QFETCH(QString, panel);
        QFETCH(QByteArray, stored);
        Harness h;
        const SerialError missing{SerialError::DeviceMissing,
                                  "/dev/fake0: dispositivo inesistente"};
        if (device.isEmpty())
            h.comm.portOpenErrors[1] = missing;
        else
            h.comm.deviceOpenErrors["/dev/fake0"] = missing;
        bool seen = false;
        h.messages.choose = [&](const RecordingMessages::Message &) {
            QTimer::singleShot(0, [&] {
                auto *modal = qobject_cast<frmProperties *>(QApplication::activeModalWidget());
                QVERIFY(modal);
                const auto d = std::make_unique<PropertiesPage>(modal);
                seen = true;
                QVERIFY(!h.window.isVisible());
                QVERIFY(!d->parentWidget());
                QCOMPARE(d->cboPort->currentText(), QStringLiteral("Com1"));
                QCOMPARE(d->cboDevice->currentText(), QStringLiteral("/dev/fake0"));
                d->cmdOK->click();  // the same port again: refused, the dialog stays
                QCOMPARE(h.messages.shown.size(), 2);
                QCOMPARE(h.messages.shown[1].style, int(kStyleWarning));
                QVERIFY(d->isVisible());
                if (port.isEmpty()) {
                    d->cmdCancel->click();
                    return;
                }
                d->cboPort->setCurrentIndex(d->cboPort->findText(port));
                if (!device.isEmpty())
                    d->cboDevice->lineEdit()->setText(device);
                d->cmdOK->click();
            });
            return true;
        };
        QCOMPARE(h.window.load(), started);
        QVERIFY(seen);
        QCOMPARE(h.messages.shown[0].choice, QStringLiteral("Porta Seriale..."));
        QCOMPARE(h.messages.shown.size(), 2);
        QCOMPARE(h.comm.portOpen(), started);
        QVERIFY(h.settings.readFile().startsWith(stored));
        if (!started) {
            QVERIFY(!QFile::exists(h.settings.fileName()));
            return;
        }
        QCOMPARE(h.window.Panels[1]->text(), panel);
        QCOMPARE(h.window.Panels[2]->text(), QStringLiteral("Baudrate:  9600"));
        QVERIFY(!h.window.link().operationRunning());
        h.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(h.window.widget()));
        h.window.cmdInterroga->click();
        QCOMPARE(h.window.txtModello->text(), QStringLiteral(" VIREO 4400"));
        if (!device.isEmpty()) {
            QCOMPARE(h.comm.currentDevice(), device);
            QVERIFY(h.settings.readFile().endsWith("\n\n[Ports]\nCom1=" + device.toUtf8() + "\n"));
        }
    }

    // The real box: OK and "Porta Seriale...", titled with the program's name; Esc is OK.
    void messageBoxOffersTheChoice_data()
    {
        QTest::addColumn<QString>("press");
        QTest::addColumn<bool>("chosen");
        QTest::newRow("Porta Seriale...") << "Porta Seriale..." << true;
        QTest::newRow("OK") << "OK" << false;
        QTest::newRow("Esc") << QString() << false;
        QTest::newRow("Enter") << "\n" << true;  // recovery is the default
    }
    void messageBoxOffersTheChoice()
    {
        QFETCH(QString, press);
        QFETCH(bool, chosen);
        MessageBoxSink sink;
        QStringList buttons;
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            QCOMPARE(box->windowTitle(), QStringLiteral("V4400 TAG RF"));
            QCOMPARE(box->text(), QStringLiteral("ATTENZIONE! prova"));
            QCOMPARE(box->icon(), QMessageBox::Critical);
            for (QAbstractButton *b : box->buttons())
                buttons << b->text().remove('&');
            if (press.isEmpty() || press == "\n") {
                QTest::keyClick(box, press.isEmpty() ? Qt::Key_Escape : Qt::Key_Return);
                return;
            }
            for (QAbstractButton *b : box->buttons()) {
                if (b->text().remove('&') == press)
                    b->click();
            }
        });
        QCOMPARE(sink.showWithChoice("ATTENZIONE! prova", kStyleError, "Porta Seriale..."), chosen);
        buttons.sort();
        QCOMPARE(buttons, (QStringList{"OK", "Porta Seriale..."}));
    }

    // A text that nothing cut on its way is cut by the box, which takes the best part of a minute
    // to lay out a megabyte.
    void longMessageIsCut()
    {
        QString shown;
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            shown = box->text();
            box->button(QMessageBox::Ok)->click();
        });
        MessageBoxSink().show("ATTENZIONE! " + QString(1 << 20, '9'), kStyleError);
        QVERIFY(shown.endsWith("… (1048588 caratteri)") && shown.size() < 5000);
    }

    void tabChanges()
    {
        Harness h;
        QVERIFY(h.start());
        MainWindowPage &w = h.window;
        w.txtModello->setText("x");
        QTest::mouseClick(w.TabStrip, Qt::LeftButton, {}, w.TabStrip->tabRect(1).center());
        QCOMPARE(w.TabStrip->currentIndex(), 1);
        QVERIFY(!w.tagPage->isVisible());
        QVERIFY(w.blockPage->isVisible());
        // The tab already selected changes nothing.
        QTest::mouseClick(w.TabStrip, Qt::LeftButton, {}, w.TabStrip->tabRect(1).center());
        QCOMPARE(w.TabStrip->currentIndex(), 1);
        QVERIFY(w.blockPage->isVisible());
        QTest::mouseClick(w.TabStrip, Qt::LeftButton, {}, w.TabStrip->tabRect(0).center());
        QCOMPARE(w.TabStrip->currentIndex(), 0);
        QVERIFY(w.tagPage->isVisible());
        QVERIFY(!w.blockPage->isVisible());
        QCOMPARE(w.txtModello->text(), QStringLiteral("x"));
        QVERIFY(h.comm.portOpen());
    }

    void exitButton()
    {
        Harness h;
        QVERIFY(h.start());
        {
            // A label is being sent.
            const PrinterLink::Operation label = h.window.link().beginOperation();
            const PrinterLink::Printing printing = h.window.link().beginPrinting();
            h.window.cmdEsci->click();
            QCOMPARE(h.ended, 0);
            QVERIFY(h.window.isVisible());
        }
        h.window.cmdEsci->click();
        QCOMPARE(h.ended, 1);
        QVERIFY(h.messages.shown.isEmpty());
    }

    // Ending the program in the middle of a wait abandons it: nothing more is sent, no message.
    void endingDuringAWait_data()
    {
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("exit button") << false;
        QTest::newRow("close box") << true;
    }
    void endingDuringAWait()
    {
        QFETCH(bool, closeBox);
        Harness h;
        h.comm.model().behaviour.silent = true;
        QVERIFY(h.start());
        h.after(100, [&] {
            if (closeBox)
                h.window.close();
            else
                h.window.cmdEsci->click();
        });
        h.window.cmdInterroga->click();  // returns when the query handler has returned
        QCOMPARE(h.ended, 1);
        QCOMPARE(h.comm.commands(), QStringList{"?54&10"});
        QVERIFY(h.messages.shown.isEmpty());
        // And nothing starts afterwards.
        h.window.cmdInterroga->click();
        QCOMPARE(h.comm.writes.size(), 1);
    }

    void closeBoxWhileALabelIsSent()
    {
        Harness h;
        QVERIFY(h.start());
        const PrinterLink::Operation label = h.window.link().beginOperation();
        const PrinterLink::Printing printing = h.window.link().beginPrinting();
        h.window.close();
        QCOMPARE(h.ended, 1);
    }
};

V4400_TEST(tst_Startup);
#include "tst_startup.moc"
