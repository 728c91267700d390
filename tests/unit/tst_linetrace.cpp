#include "fakeserialcontrol.h"
#include "link/printerlink.h"
#include "link/tracefile.h"
#include "recordingmessages.h"
#include "smalldisk.h"
#include "testmain.h"

#include <QTest>

using Kind = TraceEntry::Kind;

// What crossed the line, as the monitor and the trace file get it: in order, raw, bounded, and
// nothing at all while nobody observes.
class tst_LineTrace : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A technician must tell every byte apart: blanks at the ends, quotes, controls, high bytes.
    void showsEveryByte_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shown");  // quoted text, then hex
        QTest::newRow("command") << QByteArray("?54&10\r\n")
                                 << "\"?54&10\\r\\n\"  3F 35 34 26 31 30 0D 0A";
        QTest::newRow("blanks") << QByteArray("  A ") << "\"  A \"  20 20 41 20";
        QTest::newRow("quote, backslash") << QByteArray("\"\\") << "\"\\\"\\\\\"  22 5C";
        QTest::newRow("controls") << QByteArray("\x00\t\x1B\x7F", 4)
                                  << "\"\\x00\\t\\x1B\\x7F\"  00 09 1B 7F";
        QTest::newRow("beyond ASCII")
            << QByteArray("\x80\xE9\xFF") << "\"\\x80\\xE9\\xFF\"  80 E9 FF";
    }
    void showsEveryByte()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        const QDateTime wall(QDate(2026, 12, 9), QTime(14, 5, 3, 123));
        const TraceEntry e{Kind::FromPrinter, 1234567890, wall.toMSecsSinceEpoch(), bytes};
        QCOMPARE(tracetext::line(e), "    1234.568  14:05:03.123  <  " + shown);
    }

    void recordsWhatCrossedInOrder()
    {
        FakeSerialControl comm;
        RecordingMessages messages;
        PrinterLink link(comm, messages);
        LineTrace &trace = link.trace();
        QVERIFY(comm.setPortOpen(true).ok());
        const auto query = [&] {
            const PrinterLink::Operation operation = link.beginOperation();
            link.ReceiveBuffer.clear();
            QVERIFY(link.SendCommand("?54&10") && link.WaitForReply(1, 11));
        };
        query();
        QCOMPARE(trace.total(), 0);  // nobody observed

        trace.attach();
        QVERIFY(comm.setPortOpen(false).ok() && comm.setPortOpen(true).ok());
        query();
        {
            const PrinterLink::Operation nothingSent = link.beginOperation();
        }
        // More than ReceiveBuffer keeps: the trace shows what arrived, a line for every 80 bytes.
        comm.deliver(QByteArray(5000, 'x'));
        QCOMPARE(link.ReceiveBuffer.size(), PrinterLink::kReceiveLimit);
        trace.detach();
        query();

        QList<std::pair<Kind, QByteArray>> seen;
        for (const TraceEntry &e : trace.entries())
            seen.append({e.kind, e.bytes});
        QList<std::pair<Kind, QByteArray>> expected = {
            {Kind::Note, "linea aperta: " + comm.currentDevice().toUtf8() + " 9600,n,8,1"},
            {Kind::ToPrinter, "?54&10\r\n"},
            {Kind::FromPrinter, "VIREO 4400\r"},
            {Kind::Boundary, ""},
        };
        for (int i = 0; i < 62; ++i)
            expected.append({Kind::FromPrinter, QByteArray(80, 'x')});
        expected.append({Kind::FromPrinter, QByteArray(40, 'x')});
        QCOMPARE(seen, expected);
    }

    void keepsTheLastTenThousand()
    {
        LineTrace trace;
        trace.attach();
        for (int i = 0; i < LineTrace::kKept + 5; ++i)
            trace.toPrinter(QByteArray::number(i));
        QCOMPARE(trace.entries().size(), size_t(LineTrace::kKept));
        QCOMPARE(trace.entries().front().bytes, QByteArray("5"));
        QCOMPARE(trace.droppedNote(),
                 QStringLiteral("Voci più vecchie scartate: 5 (si tengono le ultime 10000)."));
        const QStringList lines = trace.text().split('\n');
        QCOMPARE(lines.size(), LineTrace::kKept + 2);  // the note, the entries, the final break
        QCOMPARE(lines[0], "# " + trace.droppedNote());
        trace.clear();
        QCOMPARE(trace.text(), QString());
    }

    // A trace file that cannot take more is told once, and the trace stops there.
    void fullDiskStopsTheFileOnce()
    {
        SmallDisk disk;
        if (!disk.available())
            QSKIP(SmallDisk::why());
        TraceFile file;
        FakeSerialControl comm;
        RecordingMessages messages;
        PrinterLink link(comm, messages);
        QString why;
        QVERIFY2(file.open(disk.filePath("traccia.txt"), &why), qPrintable(why));
        link.trace().writeTo(file, messages);
        QVERIFY(comm.setPortOpen(true).ok());
        disk.fill();
        for (int i = 0; i < 2; ++i) {
            const PrinterLink::Operation operation = link.beginOperation();
            QVERIFY(link.SendCommand("?54&10"));
        }
        QTRY_COMPARE(messages.shown.size(), 1);
        QCoreApplication::processEvents();
        QCOMPARE(messages.texts(), QStringList{"ATTENZIONE! La traccia della linea si ferma qui: "
                                               "il file di traccia «" +
                                               disk.filePath("traccia.txt") +
                                               "» non si può più scrivere (spazio su disco "
                                               "esaurito)."});
        QVERIFY(!link.trace().recording());
    }
};

V4400_TEST(tst_LineTrace);
#include "tst_linetrace.moc"
