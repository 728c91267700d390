#include "app/ui/startup.h"
#include "ptyrig.h"
#include "testmain.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTest>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

// A loopback plug on a pseudo-terminal: whatever the program writes comes straight back.
class LoopbackPlug : public QObject
{
public:
    ~LoopbackPlug() override
    {
        delete m_notifier;
        for (int fd : {m_fd, m_peerFd}) {
            if (fd >= 0)
                ::close(fd);
        }
    }

    bool open(QString *error)
    {
        char name[256] = {};
        if (::openpty(&m_fd, &m_peerFd, name, nullptr, nullptr) != 0 ||
            ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) | O_NONBLOCK) != 0) {
            *error = QString::fromLocal8Bit(std::strerror(errno));
            return false;
        }
        termios t{};
        ::tcgetattr(m_peerFd, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(m_peerFd, TCSANOW, &t);
        path = QString::fromLocal8Bit(name);
        m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read);
        connect(m_notifier, &QSocketNotifier::activated, this, [this] {
            char buffer[256];
            ssize_t n;
            while ((n = ::read(m_fd, buffer, sizeof buffer)) > 0) {
                received.append(buffer, n);
                [[maybe_unused]] const ssize_t written = ::write(m_fd, buffer, size_t(n));
            }
        });
        return true;
    }

    QString path;         // where the program connects
    QByteArray received;  // everything it wrote

private:
    int m_fd = -1;
    int m_peerFd = -1;  // our own handle on the program's side, so it never hangs up on us
    QSocketNotifier *m_notifier = nullptr;
};

}  // namespace

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
        r.window = std::make_unique<MainWindowPage>(*r.comm, *r.store, r.messages);
        QVERIFY(r.window->load());
        QCOMPARE(r.comm->currentDevice(), second.path());
        queryPrinter(r);
        QCOMPARE(second.model().commands.size(), 4);
    }

    // "Cerca stampante" over real serial lines: the simulated printer at 19200 baud among silent,
    // missing and busy devices, the dialog at 9600. Every device is asked at each speed at once,
    // so the search ends after five windows of half a second (one device at a time, it took about
    // 9.5 s). Its port and speed are selected, and OK connects to it and asks it for its model and
    // release.
    void searchFindsTheSimulatedPrinter()
    {
        PtyPrinter silent;  // the device the program has open: no printer on it
        PtyPrinter other;   // reported by the system, silent too
        PtyPrinter third;   // the same
        QString error;
        QVERIFY2(silent.openPty(&error) && other.openPty(&error) && third.openPty(&error),
                 qPrintable(error));
        for (PtyPrinter *p : {&silent, &other, &third})
            p->model().behaviour.silent = true;
        PtyRig holder;  // another program holds this one
        QVERIFY(holder.start());
        PtyRig r;
        QVERIFY2(r.printer.openPty(&error), qPrintable(error));
        r.printer.model().onCommand = [&r](const QByteArray &) {
            r.printer.model().behaviour.silent =
                !r.printer.programLineSettings().startsWith("19200,");
        };
        r.devices.listed = {{other.path(), "USB-Serial"},
                            {holder.printer.path(), ""},
                            {third.path(), ""},
                            {"/dev/v4400-assente-5", ""}};
        const QByteArray ports = "Com2=/dev/v4400-assente\nCom3=" + r.printer.path().toUtf8() +
                                 "\nCom4=/dev/v4400-assente\n";
        QVERIFY(r.start(silent.path(), ports));
        const auto d = r.window->createPropertiesDialog();
        d->show();
        QElapsedTimer took;
        took.start();
        d->cmdSearch->click();
        const qint64 ms = took.elapsed();

        const QString text = d->txtSearch->toPlainText();
        QVERIFY2(
            text.startsWith("Stampante trovata:\n" + r.printer.path() +
                            " (Com3) a 19200 baud: « VIREO 4400»\nAltri dispositivi provati:\n" +
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
        QCOMPARE(d->cboSpeed->currentText(), QStringLiteral("19200"));
        for (PtyPrinter *p : {&silent, &other, &third, &r.printer})
            QCOMPARE(p->model().commands, QList<QByteArray>(5, "?54&10"));
        QVERIFY(holder.printer.model().commands.isEmpty());
        QCOMPARE(r.comm->currentDevice(), silent.path());  // nothing applied before OK
        QVERIFY(r.messages.shown.isEmpty());
        // A generous bound: 2.5 s expected, over 8 s when the devices are asked one at a time.
        if (!qEnvironmentVariableIsSet("V4400_MEMCHECK"))
            QVERIFY2(ms < 6500, qPrintable(QString::number(ms)));

        d->cmdOK->click();
        QVERIFY(!d->isVisible());
        QCOMPARE(r.comm->currentDevice(), r.printer.path());
        QCOMPARE(r.window->txtModello->text(), QStringLiteral(" VIREO 4400"));
        QCOMPARE(r.window->txtRelease->text(), QStringLiteral(" V1.04.2"));
        QCOMPARE(r.store->read("CommPort", {}), QStringLiteral("3"));
    }

    // A loopback plug sends the query back: it is no printer, whatever its place in the list; the
    // simulated printer behind a later port is selected, and OK connects to it.
    void searchPassesOverALoopbackPlug()
    {
        LoopbackPlug plug;
        PtyPrinter silent;  // the device the program has open: no printer on it
        QString error;
        QVERIFY2(plug.open(&error) && silent.openPty(&error), qPrintable(error));
        silent.model().behaviour.silent = true;
        PtyRig r;
        QVERIFY2(r.printer.openPty(&error), qPrintable(error));
        QVERIFY(r.start(silent.path(), "Com2=" + plug.path.toUtf8() +
                                           "\nCom3=" + r.printer.path().toUtf8() +
                                           "\nCom4=/dev/v4400-assente\n"));
        const auto d = r.window->createPropertiesDialog();
        d->show();
        d->cmdSearch->click();

        const QStringList lines = d->txtSearch->toPlainText().split('\n');
        QCOMPARE(lines.size(), 6);
        QCOMPARE(lines.mid(0, 5),
                 (QStringList{
                     "Stampante trovata:", r.printer.path() + " (Com3) a 9600 baud: « VIREO 4400»",
                     "Altri dispositivi provati:", silent.path() + " (Com1): nessuna risposta",
                     plug.path + " (Com2): risposta non valida (eco della richiesta)"}));
        QVERIFY2(lines[5].startsWith("/dev/v4400-assente (Com4): dispositivo inesistente"),
                 qPrintable(lines[5]));
        QCOMPARE(plug.received, QByteArray("?54&10\r\n"));
        QCOMPARE(d->cboPort->currentText(), QStringLiteral("Com3"));
        QCOMPARE(d->cboDevice->currentText(), r.printer.path());
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

    // The whole program (runProgram, the real message box, QSerialPort) started with a device
    // that is missing: "Porta Seriale..." in the box leads to the settings dialog, where the
    // printer's device is typed; the start goes on and the printer answers. The box's OK ends
    // the program with status 1.
    void startupRecovery_data()
    {
        QTest::addColumn<bool>("recover");
        QTest::addColumn<int>("status");
        QTest::newRow("Porta Seriale...") << true << 0;
        QTest::newRow("OK") << false << 1;
    }
    void startupRecovery()
    {
        QFETCH(bool, recover);
        QFETCH(int, status);
        PtyPrinter printer;
        QString error;
        QVERIFY2(printer.openPty(&error), qPrintable(error));
        TestSettings settings("[Ports]\r\nCom1=/dev/v4400-assente\r\n");
        QStringList seen;  // what the operator saw, in order
        QTimer operatorHand;
        QObject::connect(&operatorHand, &QTimer::timeout, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            if (auto *box = qobject_cast<QMessageBox *>(modal)) {
                seen << box->text();
                for (QAbstractButton *b : box->buttons()) {
                    if (b->text().remove('&') == (recover ? "Porta Seriale..." : "OK"))
                        b->click();
                }
            } else if (auto *dialog = qobject_cast<frmProperties *>(modal)) {
                seen << dialog->windowTitle();
                const PropertiesPage page(dialog);
                page.cboDevice->lineEdit()->setText(printer.path());
                page.cmdOK->click();
            } else if (!modal) {
                for (QWidget *w : QApplication::topLevelWidgets()) {
                    auto *program = qobject_cast<frmMain *>(w);
                    if (!program || !program->isVisible())
                        continue;
                    const auto window = std::make_unique<MainWindowPage>(*program);
                    if (window->txtModello->text().isEmpty()) {
                        if (seen.last() != window->Panels[1]->toolTip())
                            seen << window->Panels[1]->toolTip();
                        QMetaObject::invokeMethod(window->cmdInterroga, &QPushButton::click,
                                                  Qt::QueuedConnection);
                    } else {
                        seen << window->txtModello->text();
                        operatorHand.stop();
                        window->cmdEsci->click();
                    }
                }
            }
        });
        operatorHand.start(50);
        QCOMPARE(runProgram(*qobject_cast<QApplication *>(QCoreApplication::instance())), status);
        operatorHand.stop();

        QVERIFY2(seen.size() >= 1 && seen[0].startsWith("ATTENZIONE! Il programma non può "
                                                        "partire.\n\nLa porta COM1 non si può "
                                                        "aprire.\n/dev/v4400-assente: "
                                                        "dispositivo inesistente ("),
                 qPrintable(seen.join('|')));
        if (!recover) {
            QCOMPARE(seen.size(), 1);
            QCOMPARE(settings.readFile(), QByteArray("[Ports]\r\nCom1=/dev/v4400-assente\r\n"));
            return;
        }
        QCOMPARE(seen.mid(1),
                 (QStringList{"Proprietà porta di comunicazione", printer.path(), " VIREO 4400"}));
        QCOMPARE(settings.readFile(),
                 "[Ports]\r\nCom1=" + printer.path().toUtf8() +
                     "\r\n\r\n[Properties]\r\nCommPort=1\r\nBaudRate=9600\r\nParity=N\r\n"
                     "DataBit=8\r\nStopBit=1\r\nHandshaking=0\r\n");
    }

    // Settings files as operators write them: the program starts on the device they name, and
    // OK in the dialog changes the [Properties] lines alone, every other byte kept. "@" stands for
    // the device: the simulator's pseudo-terminal, or a link to it with ';', ',' and a non-ASCII
    // letter in its name. A lock file left by a killed save holds nothing up.
    void settingsFilesAsOperatorsWriteThem_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("after");  // once OK has stored 19200 baud
        QTest::addColumn<QString>("link");      // the name of a link to the pseudo-terminal
        QTest::addColumn<bool>("staleLock");
        QTest::newRow("Windows editor: byte-order mark and CRLF")
            << QByteArray("\xEF\xBB\xBF; salvato con Blocco note\r\n[Ports]\r\nCom1=@\r\n")
            << QByteArray("\xEF\xBB\xBF; salvato con Blocco note\r\n[Ports]\r\nCom1=@\r\n\r\n"
                          "[Properties]\r\nCommPort=1\r\nBaudRate=19200\r\nParity=N\r\n"
                          "DataBit=8\r\nStopBit=1\r\nHandshaking=0\r\n")
            << QString() << false;
        QTest::newRow("COM1, as the status bar spells it")
            << QByteArray("[Ports]\nCOM1 = @\n[Properties]\nBaudRate=9600\n")
            << QByteArray("[Ports]\nCOM1 = @\n[Properties]\nBaudRate=19200\nCommPort=1\n"
                          "Parity=N\nDataBit=8\nStopBit=1\nHandshaking=0\n")
            << QString() << false;
        QTest::newRow("com1 in [ports]")
            << QByteArray("[ports]\ncom1=@\n") << QByteArray() << QString() << false;
        QTest::newRow("';', ',' and non-ASCII bytes")
            << QByteArray("# stampante del banco \xE8 2 (Latin-1)\n[Ports]\nCom1=@\n"
                          "Com3=/dev/caf\xE9;x,y\n\n[Properties]\n; scelte dal programma\n"
                          "BaudRate=9600\nCommPort=1\n[Altro]\nLista=a, b ; c\n")
            << QByteArray("# stampante del banco \xE8 2 (Latin-1)\n[Ports]\nCom1=@\n"
                          "Com3=/dev/caf\xE9;x,y\n\n[Properties]\n; scelte dal programma\n"
                          "BaudRate=19200\nCommPort=1\nParity=N\nDataBit=8\nStopBit=1\n"
                          "Handshaking=0\n[Altro]\nLista=a, b ; c\n")
            << QString::fromUtf8("stampante;1,è") << false;
        QTest::newRow("lock file of a killed save")
            << QByteArray("[Ports]\nCom1=@\n[Properties]\nCommPort=1\n")
            << QByteArray("[Ports]\nCom1=@\n[Properties]\nCommPort=1\nBaudRate=19200\nParity=N\n"
                          "DataBit=8\nStopBit=1\nHandshaking=0\n")
            << QString() << true;
    }
    void settingsFilesAsOperatorsWriteThem()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, after);
        QFETCH(QString, link);
        QFETCH(bool, staleLock);
        PtyRig r;
        QString error;
        QVERIFY2(r.printer.openPty(&error), qPrintable(error));
        QString device = r.printer.path();
        if (!link.isEmpty()) {
            device = r.settings.dir() + '/' + link;
            QVERIFY(QFile::link(r.printer.path(), device));
        }
        file.replace('@', QFile::encodeName(device));
        after.replace('@', QFile::encodeName(device));
        r.settings.writeFile(file);
        QVERIFY(r.load());
        QVERIFY2(r.messages.shown.isEmpty(), qPrintable(r.messages.texts().join('\n')));
        QCOMPARE(r.comm->currentDevice(), device);
        queryPrinter(r);

        if (staleLock) {
            QFile lock(r.settings.fileName() + ".lock");
            QVERIFY(lock.open(QIODevice::WriteOnly));
            lock.write(QByteArray::number(QCoreApplication::applicationPid()) + "\nv4400-tag-rf\n" +
                       QSysInfo::machineHostName().toUtf8() + "\n");
        }
        const auto d = r.window->createPropertiesDialog();
        d->show();
        QCOMPARE(d->cboDevice->currentText(), device);
        QVERIFY(choose(d->cboSpeed, "19200"));
        QElapsedTimer took;
        took.start();
        d->cmdOK->click();
        // An earlier version waited about 30 s for such a lock to go stale.
        QVERIFY2(took.elapsed() < 10000, qPrintable(QString::number(took.elapsed())));
        QVERIFY(!d->isVisible());
        QVERIFY2(r.messages.shown.isEmpty(), qPrintable(r.messages.texts().join('\n')));
        if (!after.isEmpty())
            QCOMPARE(r.settings.readFile(), after);
        else
            QVERIFY(
                r.settings.readFile().startsWith("[ports]\ncom1=" + QFile::encodeName(device) +
                                                 "\n\n[Properties]\nCommPort=1\nBaudRate=19200"));
        queryPrinter(r);
    }

    // The whole program with a settings file it cannot use: the start stops at once with a short
    // message in the real box, which once took the best part of a minute to lay out a megabyte.
    void settingsFileThatCannotBeUsed_data()
    {
        QTest::addColumn<QByteArray>("file");  // empty: a FIFO
        QTest::addColumn<QString>("mentions");
        QTest::newRow("FIFO") << QByteArray()
                              << "Il file delle impostazioni non si può leggere: è una FIFO (pipe "
                                 "con nome), non un file.";
        QTest::newRow("BaudRate of nearly a megabyte")
            << "[Properties]\nBaudRate=" + QByteArray(1000000, '9') + '\n'
            << "«" + QString(60, '9') + "…» (1000000 caratteri)";
        QTest::newRow("device of nearly a megabyte")
            << "[Ports]\nCom1=/dev/" + QByteArray(1000000, 'x') + '\n'
            << "/dev/" + QString(245, 'x') +
                   "… (1000005 caratteri): apertura non riuscita (nome troppo lungo) (codice "
                   "errore 8)";
    }
    void settingsFileThatCannotBeUsed()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, mentions);
        TestSettings settings(file.isEmpty() ? QByteArray() : file);
        if (file.isEmpty())
            QCOMPARE(::mkfifo(QFile::encodeName(settings.fileName()).constData(), 0600), 0);
        QStringList seen;
        QTimer operatorHand;
        QObject::connect(&operatorHand, &QTimer::timeout, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                seen << box->text();
                box->button(QMessageBox::Ok)->click();
            }
        });
        operatorHand.start(50);
        QElapsedTimer took;
        took.start();
        QCOMPARE(runProgram(*qobject_cast<QApplication *>(QCoreApplication::instance())), 1);
        QVERIFY2(took.elapsed() < 10000, qPrintable(QString::number(took.elapsed())));
        QCOMPARE(seen.size(), 1);
        QVERIFY2(seen[0].startsWith("ATTENZIONE! Il programma non può partire.") &&
                     seen[0].contains(mentions) && seen[0].contains(settings.fileName()) &&
                     seen[0].size() < 1000,
                 qPrintable(seen[0].left(1000)));
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

V4400_TEST(tst_E2eSettings);
#include "tst_e2e_settings.moc"
