#include "ptyrig.h"
#include "testmain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTabBar>
#include <QTest>
#include <QTimer>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

double processCpuMs()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 +
           (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

// CPU the process uses while it sits idle for half a second: a port left spinning on a lost
// device would take all of it.
double idleCpuMs()
{
    const double before = processCpuMs();
    QTest::qWait(500);
    return processCpuMs() - before;
}

const QString kLost = QStringLiteral("ATTENZIONE! Collegamento con la stampante perso");

}  // namespace

// Faults of the device, the port and the operator, on the real QSerialPort over a pseudo-terminal.
class tst_E2eFaults : public QObject
{
    Q_OBJECT
private:
    // After a fault: one message about it, the flag clear, nothing spinning, and once the
    // printer is back and the port confirmed again, an operation succeeds.
    static void recovers(PtyRig &r)
    {
        QTRY_COMPARE(r.messages.shown.size(), 1);
        QVERIFY2(r.messages.shown[0].text.startsWith(kLost), qPrintable(r.messages.shown[0].text));
        QVERIFY(!r.comm->portOpen());
        QVERIFY(!r.window->link().PrintingFlag());
        QCOMPARE(r.window->tagPage->cmdStampa1->text(), QStringLiteral("Stampa"));
        QVERIFY2(idleCpuMs() < 150, "the program keeps working after the device is gone");
        QCOMPARE(r.messages.shown.size(), 1);
        // The cause once, its code after it, and how to reopen the port; the next command, sent
        // on the closed port, says that again.
        const QString reopen = QStringLiteral("Per riaprire la porta: ricollegare la stampante, "
                                              "poi \"Porta Seriale...\" e OK.");
        const QString lost = r.messages.shown[0].text;
        QVERIFY2(lost.contains(" (codice errore 11).") && !lost.contains("))") &&
                     lost.endsWith(reopen),
                 qPrintable(lost));
        r.window->cmdInterroga->click();
        QCOMPARE(r.messages.shown.size(), 2);
        QVERIFY2(r.messages.shown[1].text.endsWith(reopen), qPrintable(r.messages.shown[1].text));

        r.printer.model().behaviour = {};
        r.printer.model().tag.present = true;
        r.reconnect();
        const auto dialog = r.window->createPropertiesDialog();
        dialog->show();
        dialog->cmdOK->click();
        QVERIFY(r.comm->portOpen());
        r.window->txtModello->clear();
        r.window->cmdInterroga->click();
        QCOMPARE(r.window->txtModello->text(), QStringLiteral(" VIREO 4400"));
        QCOMPARE(r.messages.shown.size(), 2);

        r.window->cmdEsci->click();
        QCOMPARE(r.ended, 1);
    }

private Q_SLOTS:
    void deviceLostDuringAQueryWait()
    {
        PtyRig r;
        QVERIFY(r.startQueried(true));
        r.printer.model().behaviour.silent = true;
        r.closePrinterOn([](const QByteArray &c) { return c == "?54&10"; });
        r.window->cmdInterroga->click();
        QCOMPARE(r.window->txtModello->text(), QStringLiteral(" VIREO 4400"));
        QCOMPARE(r.window->txtRelease->text(), QStringLiteral(" V1.04.2"));
        recovers(r);
    }

    void deviceLostDuringAnInventoryWait()
    {
        PtyRig r;
        QVERIFY(r.startQueried(true));
        TagPage &page = *r.window->tagPage;
        page.cmdSysInfo->click();
        const QString uid = page.txtUId->text();
        r.printer.model().tag.present = false;
        r.closePrinterOn([](const QByteArray &c) { return c == "?R2&1,0"; });
        page.cmdInventory->click();
        QCOMPARE(page.txtUId->text(), uid);
        QCOMPARE(page.txtMemSize->text(), QStringLiteral(" 27  3"));
        QCOMPARE(page.lblComando->text(), QStringLiteral("GET SYSTEM INFORMATION"));
        recovers(r);
    }

    void deviceLostInTheMiddleOfABlockRead()
    {
        PtyRig r;
        QVERIFY(r.startQueried(true));
        BlocksPage &page = *r.window->blockPage;
        for (QLineEdit *t : page.txtBlocks)
            t->setText("old");
        page.cmdSelAll->click();
        r.closePrinterOn([](const QByteArray &c) { return c == "?R2&23,9,1"; });  // row 10
        page.cmdReadBlocks->click();
        int read = 0;
        while (read < 28 && page.txtBlocks[read]->text() != "old")
            ++read;
        QCOMPARE(read, 9);
        for (int i = 0; i < 28; ++i)  // rows read have their block, the others what they had
            QCOMPARE(page.txtBlocks[i]->text(),
                     i < read ? QStringLiteral("B%1").arg(i + 1, 3, 10, QLatin1Char('0'))
                              : QStringLiteral("old"));
        QCOMPARE(page.workingRow(), -1);
        recovers(r);
    }

    void deviceLostInTheMiddleOfABlockWrite()
    {
        PtyRig r;
        QVERIFY(r.startQueried(true));
        BlocksPage &page = *r.window->blockPage;
        for (int i = 0; i < 28; ++i)
            page.txtBlocks[i]->setText(QStringLiteral("w%1").arg(i));
        page.cmdSelAll->click();
        page.chkVerify->setChecked(true);
        r.closePrinterOn([](const QByteArray &c) { return c.startsWith("?R2&24,13,"); });
        page.cmdWriteBlocks->click();
        for (int i = 0; i < 28; ++i)
            QCOMPARE(page.txtBlocks[i]->text(), QStringLiteral("w%1").arg(i));
        const QByteArray memory = r.printer.model().tag.memory;
        QVERIFY(memory.startsWith("  w0  w1"));
        QVERIFY(memory.endsWith(" B28") ||
                memory.endsWith("B028"));  // the last rows never went out
        recovers(r);
    }

    void deviceLostInTheMiddleOfATagLabel()
    {
        PtyRig r;
        QVERIFY(r.startQueried(true));
        TagPage &page = *r.window->tagPage;
        page.cmdSysInfo->click();
        r.closePrinterOn([](const QByteArray &c) { return c.startsWith("?52&"); });
        page.cmdStampa1->click();
        QCOMPARE(page.txtMemSize->text(), QStringLiteral(" 27  3"));
        recovers(r);
    }

    // Held by another program: at start-up and when chosen in the settings dialog.
    void busyPort()
    {
        PtyRig holder;
        QVERIFY(holder.start());
        PtyRig r;
        QVERIFY(!r.start(holder.printer.path()));
        QCOMPARE(r.messages.shown.size(), 1);
        QVERIFY2(r.messages.shown[0].text.contains(holder.printer.path() + ": porta già in uso"),
                 qPrintable(r.messages.shown[0].text));

        PtyRig other;
        QVERIFY(other.start({}, "Com2=" + holder.printer.path().toUtf8() + "\n"));
        const auto dialog = other.window->createPropertiesDialog();
        dialog->show();
        dialog->cboPort->setCurrentIndex(1);
        dialog->cmdOK->click();
        QCOMPARE(other.messages.shown.size(), 1);
        QVERIFY2(other.messages.shown[0].text.contains("già in uso"),
                 qPrintable(other.messages.shown[0].text));
        QVERIFY(dialog->isVisible());
        QCOMPARE(other.comm->commPort(), 1);
        QVERIFY(other.comm->portOpen());
    }

    // As a user outside the dialout group (root opens anything, so the test runs itself as
    // nobody when it must).
    void portNotPermitted()
    {
        if (::geteuid() == 0) {
            QProcess child;
            child.setProcessChannelMode(QProcess::ForwardedChannels);
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("HOME", QDir::tempPath());
            env.remove("XDG_RUNTIME_DIR");
            child.setProcessEnvironment(env);
            child.start(
                QStringLiteral("setpriv"),
                QStringList{"--reuid=65534", "--regid=65534", "--clear-groups", testmain::program()}
                    << testmain::selfArguments() << "portNotPermitted");
            QVERIFY(child.waitForFinished(60000));
            QCOMPARE(child.exitCode(), 0);
            return;
        }
        QTemporaryDir dir;
        const QString device = dir.filePath("ttyUSB0");
        QFile f(device);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QVERIFY(::chmod(QFile::encodeName(device).constData(), 0) == 0);

        PtyRig r;
        QVERIFY(!r.start(device));
        QCOMPARE(r.messages.shown.size(), 1);
        QVERIFY2(r.messages.shown[0].text.contains(device + ": accesso negato") &&
                     r.messages.shown[0].text.contains("dialout"),
                 qPrintable(r.messages.shown[0].text));

        PtyRig other;
        QVERIFY(other.start({}, "Com2=" + device.toUtf8() + "\n"));
        const auto dialog = other.window->createPropertiesDialog();
        dialog->show();
        dialog->cboPort->setCurrentIndex(1);
        dialog->cmdOK->click();
        QCOMPARE(other.messages.shown.size(), 1);
        QVERIFY2(other.messages.shown[0].text.contains("dialout"),
                 qPrintable(other.messages.shown[0].text));
        QCOMPARE(other.comm->commPort(), 1);
        QVERIFY(other.comm->portOpen());

        // A settings file the user cannot read stops the start and says so.
        PtyRig unreadable;
        unreadable.settings.writeFile("[Properties]\nCommPort=1\n");
        QVERIFY(::chmod(QFile::encodeName(unreadable.settings.fileName()).constData(), 0) == 0);
        unreadable.store = std::make_unique<SettingsStore>();
        unreadable.comm = std::make_unique<QSerialPortControl>(unreadable.store->portResolver());
        frmMain window(*unreadable.comm, *unreadable.store, unreadable.messages);
        QVERIFY(!window.load());
        QCOMPARE(unreadable.messages.shown.size(), 1);
        QVERIFY2(unreadable.messages.shown[0].text.contains("non si può leggere"),
                 qPrintable(unreadable.messages.shown[0].text));
    }

    // What the real serial layer reports reaches the operator in Italian: a device that refuses a
    // setting, one that disappears, one that is missing or held by another program.
    void serialFailuresInItalian()
    {
        const QRegularExpression english(
            QStringLiteral("\\b(error|device|invalid|argument|permission|denied|no such|resource|"
                           "unknown|timed out|not open|locking)\\b"),
            QRegularExpression::CaseInsensitiveOption);
        PtyRig holder;
        QVERIFY(holder.start());
        PtyRig r;
        QVERIFY(
            r.start({}, "Com2=/dev/v4400-assente\nCom3=" + holder.printer.path().toUtf8() + "\n"));
        const auto dialog = r.window->createPropertiesDialog();
        dialog->show();
        dialog->cboDataBits->setCurrentIndex(dialog->cboDataBits->findText("7"));
        dialog->cmdOK->click();  // a pseudo-terminal takes no 7 data bits
        for (int port : {2, 3}) {
            dialog->cboDataBits->setCurrentIndex(dialog->cboDataBits->findText("8"));
            dialog->cboPort->setCurrentIndex(port - 1);
            dialog->cmdOK->click();
        }
        dialog->reject();
        r.printer.close();
        QTRY_COMPARE(r.messages.shown.size(), 4);
        const QStringList expected = {"rifiutate dal dispositivo", "dispositivo inesistente",
                                      "già in uso", kLost};
        for (int i = 0; i < 4; ++i) {
            const QString text = r.messages.shown[i].text;
            QVERIFY2(text.contains(expected[i]) && !text.contains(english), qPrintable(text));
        }
    }

    // 200 clicks over every button while operations wait and labels pause: never more than one
    // printer operation at a time, nothing breaks, and the program ends cleanly.
    void operatorStorm()
    {
        PtyRig r;
        QVERIFY(r.startQueried());
        MainWindowPage &w = *r.window;
        BlocksPage &blocks = *w.blockPage;
        TagPage &tag = *w.tagPage;
        for (int i = 0; i < 28; i += 3)
            blocks.chkBlocks[i]->setChecked(true);
        const QList<QAbstractButton *> buttons = {
            w.cmdInterroga,     tag.cmdInventory,     tag.cmdSysInfo,        tag.cmdStampa1,
            blocks.cmdStampa2,  blocks.cmdReadBlocks, blocks.cmdWriteBlocks, blocks.cmdSelAll,
            blocks.cmdUnselAll, blocks.cmdClearFlds,  blocks.chkVerify};
        int deepest = 0;
        QObject::connect(&r.printer, &PtyPrinter::bytesReceived, &r.printer,
                         [&] { deepest = qMax(deepest, w.link().waitDepth()); });
        int refused = 0;  // clicks that came while another operation ran
        QObject::connect(&w.link(), &PrinterLink::operationRefused, &w, [&] { ++refused; });
        QRandomGenerator random(4400);
        int clicks = 0;
        QTimer storm;
        QObject::connect(&storm, &QTimer::timeout, &storm, [&] {
            if (clicks == 200) {
                // A settings dialog opened by the storm holds the printer until it is closed.
                if (auto *modal = QApplication::activeModalWidget())
                    modal->close();
                else
                    storm.stop();
                return;
            }
            ++clicks;
            deepest = qMax(deepest, w.link().waitDepth());
            // Posted, as a real click is: the handler then runs from the event loop, and the
            // storm goes on inside whatever it waits for.
            const int pick = random.bounded(int(buttons.size()) + 3);
            if (pick < buttons.size()) {
                QMetaObject::invokeMethod(buttons[pick], &QAbstractButton::click,
                                          Qt::QueuedConnection);
            } else if (pick == buttons.size()) {
                w.TabStrip->setCurrentIndex(random.bounded(2));
            } else if (pick == buttons.size() + 1) {
                QMetaObject::invokeMethod(w.mnuInfo, &QAction::trigger, Qt::QueuedConnection);
            } else if (auto *modal = QApplication::activeModalWidget()) {
                modal->close();
            } else {
                QMetaObject::invokeMethod(w.mnuSerialPort, &QAction::trigger, Qt::QueuedConnection);
            }
        });
        storm.start(25);
        tag.cmdStampa1->click();
        QTRY_VERIFY_WITH_TIMEOUT(!storm.isActive(), 60000);
        QTRY_VERIFY_WITH_TIMEOUT(!w.link().operationRunning(), 30000);
        QCOMPARE(clicks, 200);
        QVERIFY2(deepest <= 1, qPrintable(QString::number(deepest)));
        QVERIFY2(refused > 50, qPrintable(QString::number(refused)));
        QVERIFY(!w.link().PrintingFlag());
        QVERIFY(r.comm->portOpen());
        for (const RecordingMessages::Message &m : r.messages.shown)  // only what operations say
            QVERIFY2(!m.text.contains("Errore"), qPrintable(m.text));
        w.cmdEsci->click();
        QCOMPARE(r.ended, 1);
    }
};

V4400_TEST(tst_E2eFaults);
#include "tst_e2e_faults.moc"
