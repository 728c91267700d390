#include "app/ui/startup.h"
#include "link/tracefile.h"
#include "ptyprinter.h"
#include "testmain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <cstdio>

namespace {

// Set in the environment of the test's own program started as a child: it then runs the program.
const char kChildMode[] = "V4400_SIGNALS_CHILD";
// The child's trace file, as --trace names it.
const char kChildTrace[] = "V4400_SIGNALS_TRACE";

// The lock QSerialPort holds on `device`, if it is there: the folders it tries, in its order.
QString lockFile(const QString &device)
{
    QString name = device.startsWith(QLatin1String("/dev/")) ? device.mid(5) : device;
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    for (const char *dir : {"/var/lock", "/etc/locks", "/var/spool/locks", "/var/spool/uucp",
                            "/tmp", "/var/tmp", "/var/lock/lockdev", "/run/lock"}) {
        const QString path = QLatin1String(dir) + QStringLiteral("/LCK..") + name;
        if (QFileInfo::exists(path))
            return path;
    }
    return {};
}

// Says on its output when a message box comes up.
class MessageWatch : public QObject
{
protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && qobject_cast<QMessageBox *>(watched)) {
            std::puts("message");
            std::fflush(stdout);
        }
        return false;
    }
};

// The child: the program as main() runs it; once its window is on screen, the printer query and
// Inventory are clicked.
int runChild(QApplication &app)
{
    MessageWatch watch;
    app.installEventFilter(&watch);
    TraceFile trace;
    if (QString why; !trace.open(qEnvironmentVariable(kChildTrace), &why))
        qFatal("trace: %s", qPrintable(why));
    return runProgram(
        app,
        [](QWidget &window) {
            QTimer::singleShot(0, &window, [&window] {
                window.findChild<QPushButton *>(QStringLiteral("cmdInterroga"))->click();
                window.findChild<QPushButton *>(QStringLiteral("cmdInventory"))->click();
            });
        },
        &trace);
}

// A program in a process of its own, against the simulated printer on a pseudo-terminal, with a
// settings file of its own naming it as Com1.
struct Program
{
    QTemporaryDir config;
    PtyPrinter printer;
    QProcess process;

    // The program itself, or with `clicks` the test's own program as the child above.
    bool start(bool clicks)
    {
        QString error;
        if (!printer.openPty(&error))
            qFatal("openpty: %s", qPrintable(error));
        QFile file(config.filePath(QStringLiteral("V4400 TAG RF.conf")));
        if (!file.open(QIODevice::WriteOnly))
            return false;
        file.write("[Ports]\nCom1=" + printer.path().toUtf8() + "\n");
        file.close();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        if (clicks) {
            env.insert(QLatin1String(kChildMode), QStringLiteral("1"));
            env.insert(QLatin1String(kChildTrace), tracePath());
        }
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // Whatever started the tests may have set a signal aside (nohup, a background job); the
        // program keeps what it is given, so give it the defaults.
        process.setChildProcessModifier([] {
            for (int s : {SIGTERM, SIGHUP, SIGINT})
                std::signal(s, SIG_DFL);
        });
        if (clicks)
            process.start(testmain::program(), testmain::selfArguments());
        else
            process.start(qEnvironmentVariable("V4400_PROGRAM"), {});
        return process.waitForStarted(30000);
    }

    QString tracePath() const { return config.filePath(QStringLiteral("traccia.txt")); }

    // Sends `signal`; true when the program then ends by itself with status 0.
    bool endsWith(int signal)
    {
        QElapsedTimer clock;
        clock.start();
        ::kill(pid_t(process.processId()), signal);
        if (!QTest::qWaitFor([this] { return process.state() == QProcess::NotRunning; }, 30000))
            return false;
        qInfo("signal %d: ended after %lld ms", signal, clock.elapsed());
        return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    }
};

const int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

}  // namespace

// A shutdown, a logout or Ctrl+C ends the program as closing its window does: status 0, and the
// port closed with its lock file gone, so that the next user finds it free.
class tst_E2eSignals : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void idle()
    {
        QVERIFY2(!qEnvironmentVariableIsEmpty("V4400_PROGRAM"), "V4400_PROGRAM names the program");
        for (int signal : kSignals) {
            Program p;
            QVERIFY(p.start(false));
            QTRY_VERIFY_WITH_TIMEOUT(!lockFile(p.printer.path()).isEmpty(), 30000);
            QTest::qWait(200);  // past start-up, into the event loop
            QVERIFY2(p.endsWith(signal), qPrintable(QString::number(signal)));
            QVERIFY(lockFile(p.printer.path()).isEmpty());
            QVERIFY(p.printer.model().commands.isEmpty());
        }
    }

    // Inventory waits for a tag that is not in the field; the signal ends the wait, and the
    // program, and nothing more is sent. The trace file holds the Inventory to its end.
    void duringAnInventoryWait()
    {
        for (int signal : kSignals) {
            Program p;
            p.printer.model().tag.present = false;
            QVERIFY(p.start(true));
            QTRY_VERIFY_WITH_TIMEOUT(p.printer.model().commands.contains("?R2&1,0"), 30000);
            QVERIFY(!lockFile(p.printer.path()).isEmpty());
            QVERIFY2(p.endsWith(signal), qPrintable(QString::number(signal)));
            QVERIFY(lockFile(p.printer.path()).isEmpty());
            QCOMPARE(p.printer.model().commands,
                     (QList<QByteArray>{"?54&10", "?54&4", "?R1&2,1", "?R2&1,0"}));
            QFile trace(p.tracePath());
            QVERIFY(trace.open(QIODevice::ReadOnly));
            const QByteArray traced = trace.readAll();
            QVERIFY2(traced.endsWith("\"?R2&1,0\\r\\n\"  3F 52 32 26 31 2C 30 0D 0A\n\n"),
                     traced.constData());
        }
    }

    // The same Inventory's failure message is on screen: it does not hold the program up.
    void withAMessageOpen()
    {
        Program p;
        p.printer.model().tag.present = false;
        QVERIFY(p.start(true));
        QByteArray output;
        QTRY_VERIFY_WITH_TIMEOUT((output += p.process.readAllStandardOutput()).contains("message"),
                                 30000);
        QVERIFY(!lockFile(p.printer.path()).isEmpty());
        QVERIFY(p.endsWith(SIGTERM));
        QVERIFY(lockFile(p.printer.path()).isEmpty());
        QCOMPARE(p.printer.model().commands.size(), 4);
    }
};

// Started by the test itself with kChildMode set, the program runs as the real one does.
static const testmain::Registration registration(__FILE__, [](int argc, char **argv) {
    if (qEnvironmentVariableIsSet(kChildMode))
        return runChild(*qApp);
    tst_E2eSignals test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
});

#include "tst_e2e_signals.moc"
