// v4400-bench: how fast and how frugally the program waits, measured on the real QSerialPort over
// a pseudo-terminal against the simulated printer (answering at once, in a thread of its own),
// side by side with the same waits built the naive way (processEvents() in a loop until the
// deadline or the length). Prints a table of figures beside their goals. Not a test: nothing is
// asserted.

#include "app/ui/startup.h"
#include "common/messages.h"
#include "link/port/qserialportcontrol.h"
#include "link/port/systemserialdevices.h"
#include "link/printercommands.h"
#include "link/printerlink.h"
#include "link/tracefile.h"
#include "pages.h"
#include "production/production.h"
#include "production/productionrecord.h"
#include "ptyprinter.h"
#include "scriptedchooser.h"
#include "settings/printersearch.h"
#include "settings/propertyselection.h"
#include "settings/settingsstore.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCommandLineParser>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>

namespace {

using Clock = std::chrono::steady_clock;

double nowMs()
{
    return std::chrono::duration<double, std::milli>(Clock::now().time_since_epoch()).count();
}

double threadCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

struct Stats
{
    double median = 0, p99 = 0, min = 0, max = 0;
    int n = 0;
};

Stats stats(QList<double> v)
{
    Stats s;
    if (v.isEmpty())
        return s;
    std::sort(v.begin(), v.end());
    s.n = int(v.size());
    s.median = v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
    s.p99 = v[qMin<qsizetype>(v.size() - 1, qsizetype(std::ceil(v.size() * 0.99)) - 1)];
    s.min = v.first();
    s.max = v.last();
    return s;
}

class NullMessages : public MessageSink
{
public:
    int count = 0;
    QString last;
    void show(const QString &text, MessageStyle) override
    {
        ++count;
        last = text;
    }
};

// The simulated printer in a thread of its own, so that its work is not the program's.
class SimThread
{
public:
    SimThread()
    {
        m_thread.start();
        m_printer.moveToThread(&m_thread);
        run([this] {
            QString error;
            if (!m_printer.openPty(&error))
                qFatal("openpty: %s", qPrintable(error));
            QObject::connect(
                &m_printer, &PtyPrinter::bytesSent, &m_printer,
                [this](const QByteArray &) { m_lastWriteMs.store(nowMs()); }, Qt::DirectConnection);
        });
    }
    ~SimThread()
    {
        run([this] { m_printer.close(); });
        m_thread.quit();
        m_thread.wait();
    }
    QString path() const { return m_printer.path(); }
    double lastWriteMs() const { return m_lastWriteMs.load(); }
    void setSilent(bool silent)
    {
        run([this, silent] { m_printer.model().behaviour.silent = silent; });
    }
    // A roll of tags: every label printed brings a new one over the antenna.
    void startRoll()
    {
        run([this] {
            m_printer.model().roll.enabled = true;
            m_printer.model().loadRollTag(1);
        });
    }

private:
    template <typename F>
    void run(F f)
    {
        QMetaObject::invokeMethod(&m_printer, f, Qt::BlockingQueuedConnection);
    }
    QThread m_thread;
    PtyPrinter m_printer;
    std::atomic<double> m_lastWriteMs{0};
};

// Only the devices named: nothing the machine reports.
class NamedDevices : public SystemSerialDevices
{
public:
    QList<SerialDevice> available() const override { return {}; }
};

// The baseline: a busy-polling wait, as the naive design builds it.
void naiveWait(PrinterLink &link, double seconds, int length)
{
    const double end = nowMs() + seconds * 1000;
    while (nowMs() < end && (length < 0 || link.ReceiveBuffer.size() != length))
        QCoreApplication::processEvents();
}

void row(const char *what, const QString &ours, const QString &naive, const char *goal)
{
    std::printf("  %-44s %-28s %-26s %s\n", what, qPrintable(ours), qPrintable(naive), goal);
}

QString ms(const Stats &s)
{
    return QStringLiteral("%1 / %2 ms").arg(s.median, 0, 'f', 3).arg(s.p99, 0, 'f', 3);
}

int startupChild(QApplication &app)
{
    const double t0 = qEnvironmentVariable("V4400_BENCH_T0").toDouble();
    return runProgram(app, [t0](QWidget &) {
        // The peak of this program's own memory: getrusage()'s maximum keeps, across exec, the
        // size of the benchmark that forked it.
        long peakKb = 0;
        if (FILE *status = std::fopen("/proc/self/status", "r")) {
            char line[256];
            while (std::fgets(line, sizeof line, status))
                if (std::sscanf(line, "VmHWM: %ld", &peakKb) == 1)
                    break;
            std::fclose(status);
        }
        std::printf("%.3f %ld\n", nowMs() - t0, peakKb);
        std::fflush(stdout);
        QCoreApplication::exit(0);
    });
}

}  // namespace

int main(int argc, char *argv[])
{
    if (argc > 1 && qstrcmp(argv[1], "--startup-child") == 0) {
        QApplication app(argc, argv);
        return startupChild(app);
    }
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption quick("quick", "Fewer repetitions.");
    parser.addOption(quick);
    parser.process(app);
    const int reps = parser.isSet(quick) ? 1 : 4;

    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    SimThread sim;
    {
        QFile conf(config.filePath(QStringLiteral("V4400 TAG RF.conf")));
        conf.open(QIODevice::WriteOnly);
        conf.write("[Ports]\nCom1=" + sim.path().toUtf8() + "\n");
    }

    std::printf("v4400-bench: QSerialPort on %s, simulated printer answering at once\n",
                qPrintable(sim.path()));
    std::printf("  %-44s %-28s %-26s %s\n", "figure (median / p99)", "ours", "naive baseline",
                "goal");

    // Serial numbers from the worst start values: those followed by the most values whose bytes
    // hold 0A or 0D, which are passed over in one jump; then where 9999 tags from there end.
    {
        using production::SerialForm;
        const struct
        {
            int width;
            quint64 start;
        } worst[] = {{4, 0x0A000000},         {4, 0x0D0D0D0D},         {8, 0x0A00000000},
                     {8, 0x0A00000000000000}, {8, 0x0D0D0D0D0D0D0D0D}, {8, 0x0C0AFFFFFFFFFFFF}};
        QList<double> times;
        for (int i = 0; i < 2000 * reps; ++i) {
            for (const auto &w : worst) {
                const production::SerialNumber serial{0, w.width, SerialForm::Binary, w.start};
                quint64 value = w.start, last = 0;
                QList<production::ValueRange> skipped;
                const double t0 = nowMs();
                if (!production::firstSerial(serial, &value, &skipped) ||
                    !production::lastSerial(serial, value, 9999, &last))
                    qFatal("no serial number from %llu", w.start);
                times << (nowMs() - t0) * 1000;
            }
        }
        const Stats s = stats(times);
        row("serial numbers: worst start, 9999 tags",
            QStringLiteral("%1 / %2 us").arg(s.median, 0, 'f', 2).arg(s.p99, 0, 'f', 2),
            QStringLiteral("-"), "p99 <= 10 us");
    }
    {
        // A log of 100,000 tags read back before a run goes on with it.
        const production::SerialNumber serial{0, 8, production::SerialForm::Decimal, 1};
        const production::RunStamp stamp{QStringLiteral("20261209-140501-3fa2"),
                                         QStringLiteral(" VIREO 4400"), QStringLiteral("V1.04.2")};
        const QDateTime time = QDateTime::currentDateTime();
        QByteArray log = production::spreadsheetHeader() + '\n';
        for (int tag = 1; tag <= 100000; ++tag)
            log += production::spreadsheetLine(time, stamp, tag, "\xE0\x04\x01\x50\x2A\x3C\x7B\x12",
                                               production::serialText(serial, quint64(tag)),
                                               QStringLiteral("1:30303030 2:31303031"),
                                               QStringLiteral("OK")) +
                   '\n';
        QList<double> times;
        for (int i = 0; i < 3; ++i) {
            production::LogContent content;
            QString why;
            const double t0 = nowMs();
            if (!production::readLog(log, &serial, &content, &why))
                qFatal("log refused: %s", qPrintable(why));
            times << nowMs() - t0;
        }
        row("reading a log of 100,000 tags (14 MB)", ms(stats(times)), QStringLiteral("-"),
            "<= 1 s");
    }

    SettingsStore store;
    NullMessages messages;
    {
        QSerialPortControl comm(store.portResolver());
        PrinterLink link(comm, messages);
        if (SerialError e = comm.setPortOpen(true); e.failed())
            qFatal("%s", qPrintable(e.text()));

        // Wait-end latency: from the printer's last byte written to WaitForReply returning.
        QList<double> ours, naive;
        for (int i = 0; i < 50 * reps; ++i) {
            for (bool ourWait : {true, false}) {
                link.ReceiveBuffer.clear();
                (void)link.SendCommand(QLatin1String(printer::kQueryModel));
                if (ourWait)
                    (void)link.WaitForReply(0.5, printer::kModelReplyLength);
                else
                    naiveWait(link, 0.5, printer::kModelReplyLength);
                const double end = nowMs();
                if (link.ReceiveBuffer.size() != printer::kModelReplyLength)
                    qFatal("no model reply");
                (ourWait ? ours : naive) << end - sim.lastWriteMs();
            }
        }
        row("wait-end latency", ms(stats(ours)), ms(stats(naive)), "median <= 1 ms, p99 <= 5 ms");

        // CPU used by a wait that runs to its 1.5 s limit.
        sim.setSilent(true);
        QList<double> ourCpu, naiveCpu;
        for (int i = 0; i < qMax(1, reps - 1); ++i) {
            for (bool ourWait : {true, false}) {
                link.ReceiveBuffer.clear();
                (void)link.SendCommand(QLatin1String(printer::kInventory));
                const double cpu0 = threadCpuMs(), t0 = nowMs();
                if (ourWait)
                    (void)link.WaitForReply(printer::kTagReplyLimit,
                                            printer::kInventoryReplyLength);
                else
                    naiveWait(link, printer::kTagReplyLimit, printer::kInventoryReplyLength);
                (ourWait ? ourCpu : naiveCpu) << 100.0 * (threadCpuMs() - cpu0) / (nowMs() - t0);
            }
        }
        sim.setSilent(false);
        row("CPU during a 1.5 s wait (% of a core)",
            QStringLiteral("%1 %").arg(stats(ourCpu).median, 0, 'f', 2),
            QStringLiteral("%1 %").arg(stats(naiveCpu).median, 0, 'f', 2), "<= 1 %");

        // Pause accuracy: actual minus requested.
        for (double d : {0.1, 0.2, 0.5}) {
            QList<double> o, n;
            const int count = int((d < 0.3 ? 10 : 4) * reps);
            for (int i = 0; i < count; ++i) {
                double t0 = nowMs();
                (void)link.Pause(d);
                o << nowMs() - t0 - d * 1000;
                t0 = nowMs();
                naiveWait(link, d, -1);
                n << nowMs() - t0 - d * 1000;
            }
            const Stats so = stats(o), sn = stats(n);
            row(qPrintable(QStringLiteral("pause %1 s: actual - requested (min)").arg(d)),
                ms(so) + QStringLiteral(" (%1)").arg(so.min, 0, 'f', 3),
                ms(sn) + QStringLiteral(" (%1)").arg(sn.min, 0, 'f', 3), "0 <= median <= 2 ms");
        }
    }

    // "Cerca stampante" over five silent devices at every speed of the list, beside the same
    // five asked one at a time (five one-device searches, as the search asked them before).
    {
        PtyPrinter silent[5];
        QStringList devices;
        for (PtyPrinter &p : silent) {
            if (QString error; !p.openPty(&error))
                qFatal("openpty: %s", qPrintable(error));
            p.model().behaviour.silent = true;
            devices << p.path();
        }
        QList<int> speeds;
        for (const QString &speed : properties::speedEntries())
            speeds << speed.toInt();
        QSerialPortControl comm(store.portResolver());
        PrinterLink link(comm, messages);
        NamedDevices named;
        PrinterSearch search(link, named);
        const QString tail = QStringLiteral(",N,8,1");
        double t0 = nowMs();
        const PrinterSearch::Result all = search.run(devices, speeds, tail);
        const double together = nowMs() - t0;
        t0 = nowMs();
        for (const QString &device : devices)
            (void)search.run({device}, speeds, tail);
        const double oneAtATime = nowMs() - t0;
        QString figure = QStringLiteral("%1 s").arg(together / 1000, 0, 'f', 2);
        if (all.others.size() != 5 || all.others.first().outcome != QLatin1String("nessuna "
                                                                                  "risposta"))
            figure += QStringLiteral(" [%1]").arg(all.text());
        row("printer search: 5 silent devices, 7 speeds", figure,
            QStringLiteral("%1 s one at a time").arg(oneAtATime / 1000, 0, 'f', 2), "< 4.5 s");
    }

    // Whole operations through the main window, minus the pauses and limits they must spend.
    {
        // The production run's log goes to a file of the benchmark's own.
        ScriptedChooser chooser;
        chooser.answer = config.filePath(QStringLiteral("produzione.csv"));
        TraceFile trace;  // written with the monitor open, below; outlives the window
        QSerialPortControl comm(store.portResolver());
        MainWindowPage window(comm, store, messages);
        window.setEndProgram([] {});
        if (!window.load())
            qFatal("load: %s", qPrintable(messages.last));
        window.show();
        QCoreApplication::processEvents();
        BlocksPage &blocks = *window.blockPage;
        for (int i = 0; i < BlockModel::kRows; ++i) {
            blocks.chkBlocks[i]->setChecked(true);
            blocks.txtBlocks[i]->setText(QStringLiteral("W%1").arg(i));
        }
        struct Op
        {
            const char *name;
            QPushButton *button;
            double mustSpend;  // seconds of pauses and limits the operation cannot avoid
            int runs;
            bool loop;
        };
        const Op ops[] = {
            {"printer query", window.cmdInterroga, printer::kQuerySettle, 5 * reps, false},
            {"Inventory", window.tagPage->cmdInventory, printer::kRfPreamblePause, 5 * reps, false},
            {"System information", window.tagPage->cmdSysInfo, printer::kRfPreamblePause, 5 * reps,
             false},
            {"28-block write", blocks.cmdWriteBlocks, 28 * printer::kWriteBlockPause, reps, true},
            {"28-block read", blocks.cmdReadBlocks,
             printer::kRfPreamblePause + 28 * printer::kReadBlockPause, reps, true},
            {"tag information label (7 fields)", window.tagPage->cmdStampa1,
             7 * printer::kLabelFieldPause, 2 * reps, false},
        };
        const auto runOps = [&](const char *prefix) {
            for (const Op &op : ops) {
                QList<double> overhead;
                const int before = messages.count;
                for (int i = 0; i < op.runs; ++i) {
                    const double t0 = nowMs();
                    op.button->click();
                    overhead << nowMs() - t0 - op.mustSpend * 1000;
                }
                const Stats s = stats(overhead);
                QString figure = ms(s);
                if (op.loop)
                    figure += QStringLiteral(" (%1 %)").arg(100 * s.median / (op.mustSpend * 1000),
                                                            0, 'f', 2);
                const bool expectsMessage = op.button == blocks.cmdWriteBlocks;
                if (messages.count - before != (expectsMessage ? op.runs : 0))
                    figure += QStringLiteral(" [message: %1]").arg(messages.last);
                row(qPrintable(QLatin1String(prefix) + QLatin1String(op.name)), figure,
                    QStringLiteral("-"), op.loop ? "<= 1 %" : "<= 5 ms");
            }
        };
        runOps("overhead: ");

        // A production run: per tag Inventory, 2 rows written and verified, the block data
        // label, a line of log; against the pauses those steps must spend.
        sim.startRoll();
        window.setFileChooser(chooser);
        blocks.cmdUnselAll->click();
        blocks.chkBlocks[0]->setChecked(true);
        blocks.chkBlocks[1]->setChecked(true);
        blocks.cmdProduction->click();
        ProductionPage &production = *window.production();
        const int tags = 3 * reps;
        production.spnCount->setValue(tags);
        production.cboLabel->setCurrentIndex(2);
        const double mustSpend = printer::kRfPreamblePause + 2 * printer::kWriteBlockPause +
                                 printer::kRfPreamblePause + 2 * printer::kReadBlockPause;
        const int before = messages.count;
        const double t0 = nowMs();
        production.cmdStart->click();
        const double perTag = (nowMs() - t0) / tags;
        QString figure = QStringLiteral("%1 ms (%2 %), %3/min")
                             .arg(perTag, 0, 'f', 1)
                             .arg(100 * (perTag - mustSpend * 1000) / (mustSpend * 1000), 0, 'f', 2)
                             .arg(60000 / perTag, 0, 'f', 1);
        if (messages.count - before != 1 || !messages.last.startsWith(QLatin1String("Produzione "
                                                                                    "terminata")))
            figure += QStringLiteral(" [message: %1]").arg(messages.last);
        row(qPrintable(QStringLiteral("production run (%1 tags): a tag, tags/min").arg(tags)),
            figure, QStringLiteral("%1 ms of pauses").arg(mustSpend * 1000, 0, 'f', 0),
            "overhead <= 2 %");

        // The same operations with the line monitor open and a trace file written (on the
        // roll's tags, which read and write as the single tag does).
        production.close();
        for (QCheckBox *row : blocks.chkBlocks)
            row->setChecked(true);
        if (QString why; !trace.open(config.filePath(QStringLiteral("traccia.txt")), &why))
            qFatal("trace: %s", qPrintable(why));
        window.link().trace().writeTo(trace, messages);
        window.mnuMonitor->trigger();
        QCoreApplication::processEvents();
        std::printf("  monitor: the same with the line monitor open and a trace file written\n");
        runOps("monitor: ");
        window.monitor()->close();
    }

    // Start-up of the program to its window painted with the port open, and its peak memory.
    {
        QList<double> startup, rss;
        for (int i = 0; i < 5 * reps; ++i) {
            QProcess child;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("V4400_BENCH_T0"), QString::number(nowMs(), 'f', 3));
            child.setProcessEnvironment(env);
            child.start(QCoreApplication::applicationFilePath(),
                        {QStringLiteral("--startup-child")});
            child.waitForFinished(10000);
            const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split(' ');
            if (fields.size() != 2)
                qFatal("start-up child: %s", child.readAllStandardError().constData());
            startup << fields[0].toDouble();
            rss << fields[1].toDouble() / 1024;
        }
        row("start-up to window shown", ms(stats(startup)), QStringLiteral("-"), "<= 150 ms");
        row("peak resident memory", QStringLiteral("%1 MB").arg(stats(rss).max, 0, 'f', 1),
            QStringLiteral("-"), "<= 60 MB");
    }
    std::printf("platform: %s\n", qPrintable(QGuiApplication::platformName()));
    return 0;
}
