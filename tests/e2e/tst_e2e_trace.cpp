#include "link/tracefile.h"
#include "ptyrig.h"
#include "testmain.h"

#include <QAction>
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The bytes of a trace's lines in one direction (">" or "<"), one piece after the other.
QByteArray traceStream(const QString &trace, const QString &direction)
{
    static const QRegularExpression entry(
        QStringLiteral(R"(^ *\d+\.\d{3}  \d\d:\d\d:\d\d\.\d{3}  ([<>])  ".*"  ([0-9A-F ]+)$)"),
        QRegularExpression::MultilineOption);
    QByteArray bytes;
    for (auto it = entry.globalMatch(trace); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured(1) == direction)
            bytes += QByteArray::fromHex(m.captured(2).toLatin1());
    }
    return bytes;
}

QString fileText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

}  // namespace

class tst_E2eTrace : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // With the monitor open and a trace file written, a query, an Inventory, a 3-block read and
    // a tag information label: the monitor, the program's trace and the simulator's own list the
    // same bytes in the same order.
    void programAndSimulatorAgree()
    {
        QTemporaryDir dir;
        const QString simulatorTrace = dir.filePath("simulatore.txt");
        const QString programTrace = dir.filePath("programma.txt");
        QProcess sim;
        sim.start(qEnvironmentVariable("V4400_SIM"), {"--trace", simulatorTrace});
        QVERIFY(sim.waitForStarted());
        QVERIFY(sim.waitForReadyRead(5000));
        const QString path = QString::fromLocal8Bit(sim.readLine()).trimmed();

        TraceFile file;  // outlives the window that writes to it
        QString why;
        QVERIFY2(file.open(programTrace, &why), qPrintable(why));
        PtyRig r;
        QVERIFY(r.start(path));
        r.window->link().trace().writeTo(file, r.messages);
        r.window->mnuMonitor->trigger();

        r.window->cmdInterroga->click();
        r.window->tagPage->cmdInventory->click();
        for (int row : {0, 1, 2})
            r.window->blockPage->chkBlocks[row]->setChecked(true);
        r.window->blockPage->cmdReadBlocks->click();
        r.window->tagPage->cmdStampa1->click();
        QVERIFY(r.messages.shown.isEmpty());
        file.close();

        const QString ours = fileText(programTrace);
        QCOMPARE(ours.count("\n\n"), 4);  // each operation's end
        const QByteArray sent = traceStream(ours, ">");
        QVERIFY2(
            sent.startsWith("?54&10\r\n?54&4\r\n?R1&2,1\r\n?R2&1,0\r\n?R1&2,1\r\n?R2&23,0,1\r\n"),
            sent.constData());
        QVERIFY2(sent.endsWith("?14&1\r\n?81&0\r\n"), sent.constData());
        QVERIFY(traceStream(ours, "<").startsWith("VIREO 4400\rV1.04.2\r"));
        QTRY_COMPARE(traceStream(fileText(simulatorTrace), ">"), sent);
        QCOMPARE(traceStream(fileText(simulatorTrace), "<"), traceStream(ours, "<"));
        QTRY_COMPARE(r.window->monitor()->txtTraffic->toPlainText() + '\n', ours);

        sim.terminate();
        QVERIFY(sim.waitForFinished(5000));
    }
};

V4400_TEST(tst_E2eTrace);
#include "tst_e2e_trace.moc"
