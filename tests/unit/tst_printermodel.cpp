#include "link/printercommands.h"
#include "printermodel.h"
#include "testmain.h"

#include <QTest>

// The simulated printer must answer the lengths and positions the program relies on, or every
// other test proves nothing.
class tst_PrinterModel : public QObject
{
    Q_OBJECT
private:
    static QByteArray only(const QList<Emission> &emissions)
    {
        QByteArray all;
        for (const Emission &e : emissions)
            all += e.bytes;
        return all;
    }

private Q_SLOTS:
    void answersWithTheLengthsReliedOn()
    {
        PrinterModel m;
        QCOMPARE(only(m.feed("?54&10\r\n")).size(), printer::kModelReplyLength);
        QCOMPARE(only(m.feed("?54&4\r\n")).size(), printer::kReleaseReplyLength);
        QCOMPARE(only(m.feed("?R1&2,1\r\n")).size(), 0);

        const QByteArray inventory = only(m.feed("?R2&1,0\r\n"));
        QCOMPARE(inventory.size(), printer::kInventoryReplyLength);
        QCOMPARE(inventory.mid(4, 8), QByteArray("\xE0\x04\x01\x50\x2A\x3C\x7B\x12"));

        const QByteArray info = only(m.feed("?R2&2B,0\r\n"));
        QCOMPARE(info.size(), printer::kSystemInformationReplyLength);
        QCOMPARE(info.mid(2, 8), inventory.mid(4, 8));
        QCOMPARE(quint8(info[11]), quint8(27));  // 28 blocks
        QCOMPARE(quint8(info[12]), quint8(3));   // of 4 bytes

        const QByteArray block = only(m.feed("?R2&23,0,1\r\n"));
        QCOMPARE(block.size(), printer::kReadBlockReplyLength);
        QCOMPARE(block[3], '\0');
        QCOMPARE(block.mid(4, 4), QByteArray("B001"));

        // Label commands print; they answer nothing and land in the transcript.
        QCOMPARE(only(m.feed("?00&\r\n?52&20,720,10,7,12;Comando:\r\n")).size(), 0);
        QCOMPARE(m.transcript.size(), 2);
        QVERIFY(m.transcript[1].contains("riga  720 colonna   10"));
        QVERIFY(m.transcript[1].endsWith("\"Comando:\""));
        QCOMPARE(m.commands.size(), 8);
    }

    void keepsTheTagMemory()
    {
        PrinterModel m;
        // Any four bytes, CR and LF included, are data.
        m.feed(QByteArray("?R2&24,27,1,\r\n\0A\r\n", 18));
        QCOMPARE(only(m.feed("?R2&23,27,1\r\n")).mid(4, 4), QByteArray("\r\n\0A", 4));
        QCOMPARE(m.commands.first().size(), 16);

        m.behaviour.ignoredWrites = {1};
        m.behaviour.corruptedWrites = {2};
        m.feed("?R2&24,1,1,WXYZ\r\n?R2&24,2,1,ABCD\r\n");
        QCOMPARE(only(m.feed("?R2&23,1,1\r\n")).mid(4, 4), QByteArray("B002"));
        QCOMPARE(only(m.feed("?R2&23,2,1\r\n")).mid(4, 4), QByteArray("@BCD"));
    }

    void misbehavesOnRequest()
    {
        PrinterModel m;
        m.behaviour.unreadableBlocks = {4};
        m.behaviour.blockStatus = {{5, 0x0F}};
        QCOMPARE(only(m.feed("?R2&23,4,1\r\n")).size(), 9);
        const QByteArray status = only(m.feed("?R2&23,5,1\r\n"));
        QCOMPARE(status.size(), 10);
        QCOMPARE(status[3], '\x0F');

        m.behaviour.delayMs = 30;
        m.behaviour.chunkSize = 10;
        m.behaviour.chunkGapMs = 5;
        const QList<Emission> chunks = m.feed("?R2&1,0\r\n");
        QCOMPARE(chunks.size(), 2);
        QCOMPARE(chunks[0].bytes.size(), 10);
        QCOMPARE(chunks[1].bytes.size(), 4);
        QCOMPARE(chunks[0].delayMs, 30);
        QCOMPARE(chunks[1].delayMs, 35);

        m.behaviour = {};
        m.behaviour.lengthDelta = 1;
        QCOMPARE(only(m.feed("?54&10\r\n")).size(), 12);
        m.behaviour.lengthDelta = -1;
        QCOMPARE(only(m.feed("?R2&2B,0\r\n")).size(), 15);

        m.behaviour = {};
        m.tag.present = false;
        QCOMPARE(only(m.feed("?R2&1,0\r\n")).size(), 0);
        QCOMPARE(only(m.feed("?54&10\r\n")).size(), 11);  // the printer itself still answers
        m.behaviour.silent = true;
        QCOMPARE(only(m.feed("?54&10\r\n")).size(), 0);
    }
};

V4400_TEST(tst_PrinterModel);
#include "tst_printermodel.moc"
