#include "ptyrig.h"
#include "testmain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

namespace {

// A value of /proc/self/status in kB ("VmRSS", "VmHWM"); -1 when not there.
qint64 statusKb(const char *key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(key) + ':';
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

// The peak so far becomes the resident memory now.
bool resetPeak()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    return f.open(QIODevice::WriteOnly) && f.write("5") == 1;
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

// Under valgrind (scripts/memcheck.sh says so) or AddressSanitizer freed memory is held back for a
// while, so the resident size tells nothing of what the program keeps; and valgrind is slow.
bool underMemoryChecker()
{
    return kSanitized || qEnvironmentVariableIsSet("V4400_MEMCHECK");
}

const QString kUid = QStringLiteral(" 224   4   1   80   42   60   123   18  ");

}  // namespace

// The program against a hostile line, hostile texts and a second name for its device, on the
// real QSerialPort over a pseudo-terminal.
class tst_E2eHostile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Megabytes of every byte value while nothing waits: the program keeps a few kilobytes of
    // them, its memory stays where it was, and once the line is quiet an Inventory decodes.
    void idleFlood()
    {
        PtyRig r;
        QVERIFY(r.startQueried());
        const qint64 flood = underMemoryChecker() ? 1 << 20 : 24 << 20;
        QSignalSpy sent(&r.printer, &PtyPrinter::noiseSent);
        const bool peakReset = resetPeak();
        const qint64 before = statusKb("VmRSS");
        r.printer.sendNoise(flood);
        QVERIFY(sent.wait(120000));
        QTRY_COMPARE_WITH_TIMEOUT(r.printer.unreadByProgram(), 0, 30000);
        const qint64 peak = statusKb("VmHWM");
        qInfo("resident memory %lld kB before %lld MB of noise, peak %lld kB", before, flood >> 20,
              peak);
        if (!underMemoryChecker() && peakReset) {
            // Kept whole, the noise would take twice its size.
            QVERIFY2(peak - before < 4096, qPrintable(QString::number(peak - before)));
        }

        PrinterLink &link = r.window->link();
        QCOMPARE(link.ReceiveBuffer.size(), PrinterLink::kReceiveLimit);
        // After the release reply, which nothing took: the noise as it came, up to the limit.
        QVERIFY(link.ReceiveBuffer.startsWith(QStringLiteral("V1.04.2\r") +
                                              QString::fromLatin1("\0\1\2", 3)));

        // Quiet: nothing more arrives between two looks.
        QTRY_VERIFY_WITH_TIMEOUT(std::exchange(link.ReceiveBuffer, {}).isEmpty() &&
                                     r.printer.unreadByProgram() == 0,
                                 30000);
        r.window->tagPage->cmdInventory->click();
        QCOMPARE(r.window->tagPage->txtUId->text(), kUid);
        QCOMPARE(r.window->tagPage->lblComando->text(), QStringLiteral("INVENTORY"));
        QVERIFY(r.messages.shown.isEmpty());
    }

    // Blocks read from the tag that hold a line break and a command, and a field with a pasted
    // reset: both labels are refused whole, and the printer gets nothing of them.
    void textsThatWouldBecomeCommands()
    {
        PtyRig r;
        QVERIFY(r.startQueried());
        r.printer.model().tag.memory.replace(0, 8, "A\r\n?14&1");
        BlocksPage &blocks = *r.window->blockPage;
        blocks.chkBlocks[0]->setChecked(true);
        blocks.chkBlocks[1]->setChecked(true);
        blocks.cmdReadBlocks->click();
        QCOMPARE(blocks.txtBlocks[0]->text(), QStringLiteral("A\r\n?"));
        QCOMPARE(blocks.txtBlocks[1]->text(), QStringLiteral("14&1"));
        QVERIFY(r.messages.shown.isEmpty());

        r.printer.model().commands.clear();
        blocks.cmdStampa2->click();
        r.window->tagPage->txtUId->setText(QStringLiteral("12\r\n?14&1\r\n?00&\tX"));
        r.window->tagPage->cmdStampa1->click();
        QCOMPARE(r.messages.shown.size(), 2);
        QVERIFY2(r.messages.shown[0].text.contains("il blocco 1 contiene caratteri di controllo"),
                 qPrintable(r.messages.shown[0].text));
        QVERIFY2(r.messages.shown[1].text.contains("il campo UID contiene caratteri di controllo"),
                 qPrintable(r.messages.shown[1].text));

        // The next label is the first thing the printer hears.
        blocks.txtBlocks[0]->setText(QStringLiteral("A;,&"));
        blocks.cmdStampa2->click();
        QTRY_COMPARE(r.printer.model().commands.size(), 11);
        QCOMPARE(r.printer.model().commands.first(), QByteArray("?00&"));
        QCOMPARE(r.printer.model().commands[8], QByteArray("?52&31,480,37,14,116;A;,&14&1"));
        QCOMPARE(r.messages.shown.size(), 2);
    }

    // A symbolic link to a device another instance holds is the same device: refused as busy
    // at start-up and in the settings dialog, with the message a second opening of the device
    // itself gets; the holder goes on undisturbed.
    void secondNameForADeviceInUse()
    {
        PtyRig holder;
        QVERIFY(holder.start());
        const QString device = holder.printer.path();
        const QString link = holder.settings.dir() + QStringLiteral("/printer");
        QVERIFY(QFile::link(device, link));

        PtyRig direct;
        QVERIFY(!direct.start(device));
        PtyRig linked;
        QVERIFY(!linked.start(link));
        QCOMPARE(direct.messages.shown.size(), 1);
        QCOMPARE(linked.messages.shown.size(), 1);
        QVERIFY2(linked.messages.shown[0].text.contains(link + QStringLiteral(": ")),
                 qPrintable(linked.messages.shown[0].text));
        QCOMPARE(linked.messages.shown[0].text,
                 QString(direct.messages.shown[0].text)
                     .replace(direct.settings.fileName(), linked.settings.fileName())
                     .replace(device, link));

        // In the dialog: the same again, the dialog stays open and the port in use stays open.
        QStringList refusals;
        for (const QString &name : {device, link}) {
            PtyRig other;
            QVERIFY(other.start({}, "Com2=" + name.toUtf8() + "\n"));
            const auto dialog = other.window->createPropertiesDialog();
            dialog->show();
            dialog->cboPort->setCurrentIndex(1);
            dialog->cmdOK->click();
            QCOMPARE(other.messages.shown.size(), 1);
            refusals << other.messages.shown[0].text;
            QVERIFY(dialog->isVisible());
            QCOMPARE(other.comm->commPort(), 1);
            QVERIFY(other.comm->portOpen());
        }
        QVERIFY2(refusals[1].contains(link + QStringLiteral(": ")), qPrintable(refusals[1]));
        QCOMPARE(refusals[1], QString(refusals[0]).replace(device, link));

        holder.window->cmdInterroga->click();
        QCOMPARE(holder.window->txtModello->text(), QStringLiteral(" VIREO 4400"));
        QVERIFY(holder.messages.shown.isEmpty());
    }
};

V4400_TEST(tst_E2eHostile);
#include "tst_e2e_hostile.moc"
