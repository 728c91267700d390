#include "desk.h"
#include "testmain.h"

#include <QSignalSpy>
#include <QTest>

namespace {

QByteArray blockReply(const QByteArray &data, char status = 0)
{
    return QByteArray("\0\0\0", 3) + status + data + "cc";
}

}  // namespace

// "LEGGI", "SCRIVI" and its verification on the block grid, without a window.
class tst_Blocks : public QObject
{
    Q_OBJECT
private:
    // Rows as the operator counts them, ticked, with what their fields were given.
    static void rows(Desk &d, std::initializer_list<std::pair<int, const char *>> rows)
    {
        for (auto [row, text] : rows) {
            d.bench.blocks().setSelected(row - 1, true);
            d.bench.blocks().edit(row - 1, QString::fromUtf8(text));
        }
    }
    static void select(Desk &d, std::initializer_list<int> rows)
    {
        for (int row : rows)
            d.bench.blocks().setSelected(row - 1, true);
    }

private Q_SLOTS:
    // With nothing selected a read sends only the preamble, a write nothing at all.
    void nothingSelected()
    {
        Desk d;
        d.queried();
        d.bench.tags().readBlocks();
        d.bench.tags().writeBlocks(false);
        QCOMPARE(d.comm.commands(), QStringList{"?R1&2,1"});
        QVERIFY(d.messages.shown.isEmpty());
    }

    void readSelectedRows()
    {
        Desk d;
        d.queried();
        BlockModel &grid = d.bench.blocks();
        d.comm.script = [](const QByteArray &command) -> QList<Emission> {
            if (command == "?R2&23,0,1")
                return {{5, blockReply("AB  ")}};
            if (command == "?R2&23,2,1")
                return {{5, blockReply("  CD")}};
            if (command == "?R2&23,3,1")
                return {{5, blockReply("EFGH", 0x0F)}};  // not read: skipped silently
            if (command == "?R2&23,5,1")
                return {{5, blockReply("IJK")}};  // nine characters
            if (command == "?R2&23,7,1")
                return {{5, blockReply("MNOP")}};
            return {};  // no answer; row 7's comes once the read is over, below
        };
        grid.edit(3, "old4");
        grid.edit(4, "old5");
        grid.edit(6, "old7");
        select(d, {1, 3, 4, 5, 6, 7, 8});
        QSignalSpy busy(&d.bench.tags(), &TagOperations::busyChanged);
        d.bench.tags().readBlocks();
        QCOMPARE(d.comm.commands(),
                 (QStringList{"?R1&2,1", "?R2&23,0,1", "?R2&23,2,1", "?R2&23,3,1", "?R2&23,4,1",
                              "?R2&23,5,1", "?R2&23,6,1", "?R2&23,7,1"}));
        QCOMPARE(grid.text(0), QStringLiteral("AB"));
        QCOMPARE(grid.text(2), QStringLiteral("CD"));
        QCOMPARE(grid.text(3), QStringLiteral("old4"));
        QCOMPARE(grid.text(4), QStringLiteral("old5"));
        QCOMPARE(grid.text(7), QStringLiteral("MNOP"));
        QCOMPARE(d.messages.texts(), (QStringList{"ATTENZIONE! Blocco n. 5 non letto.",
                                                  "ATTENZIONE! Blocco n. 6 non letto.",
                                                  "ATTENZIONE! Blocco n. 7 non letto."}));
        QCOMPARE(d.messages.shown[0].style, int(kStyleErrorInformation));
        // Paced: the preamble pause, then 0.2 s for each row.
        QVERIFY(d.comm.writeTimesMs[1] - d.comm.writeTimesMs[0] >= 500);
        for (int i = 2; i < d.comm.writeTimesMs.size(); ++i)
            QVERIFY(d.comm.writeTimesMs[i] - d.comm.writeTimesMs[i - 1] >= 200);
        QCOMPARE(grid.workingRow(), -1);
        QCOMPARE(busy.size(), 2);
        QCOMPARE(busy.last().first().toBool(), false);

        // Row 7's answer comes after its pause and the next row's: it changes nothing.
        d.comm.deliver(blockReply("LATE"));
        QCOMPARE(grid.text(6), QStringLiteral("old7"));
        QCOMPARE(grid.text(7), QStringLiteral("MNOP"));
        QCOMPARE(d.messages.shown.size(), 3);
    }

    // The grid stays live during a read; the loop sees the new selection for rows not reached.
    void gridChangesDuringARead()
    {
        Desk d;
        d.queried();
        BlockModel &grid = d.bench.blocks();
        select(d, {1, 2, 3});
        d.comm.onWrite = [&](const QByteArray &bytes) {
            if (bytes != "?R2&23,0,1\r\n")
                return;
            d.after(0, [&] {  // while row 1 is being read
                QCOMPARE(grid.workingRow(), 0);
                grid.setSelected(1, false);
                grid.setSelected(4, true);
                d.bench.tags().readBlocks();  // a second read does not start
            });
        };
        d.bench.tags().readBlocks();
        QCOMPARE(d.comm.commands(),
                 (QStringList{"?R1&2,1", "?R2&23,0,1", "?R2&23,2,1", "?R2&23,4,1"}));
        QCOMPARE(grid.text(4), QStringLiteral("B005"));
    }

    void writeSelectedRows()
    {
        Desk d;
        d.queried();
        BlockModel &grid = d.bench.blocks();
        grid.edit(2, "ABC");  // not selected
        rows(d, {{1, ""}, {2, "AB"}, {7, "è ù"}, {28, "1234"}});
        d.bench.tags().writeBlocks(false);
        QCOMPARE(d.comm.writes,
                 (QList<QByteArray>{"?R2&24,0,1,    \r\n", "?R2&24,1,1,  AB\r\n",
                                    "?R2&24,6,1, \xE8 \xF9\r\n", "?R2&24,27,1,1234\r\n"}));
        for (int i = 1; i < d.comm.writeTimesMs.size(); ++i)
            QVERIFY(d.comm.writeTimesMs[i] - d.comm.writeTimesMs[i - 1] >= 100);
        QCOMPARE(d.messages.texts(), QStringList{"Scrittura terminata"});
        QCOMPARE(d.messages.shown[0].style, int(kStyleInformation));
        // The tag holds what was written; read back, blanks move to the left on the next write.
        QCOMPARE(d.comm.model().tag.memory.mid(4, 4), QByteArray("  AB"));
        d.bench.tags().readBlocks();
        QCOMPARE(grid.text(1), QStringLiteral("AB"));
        QCOMPARE(grid.text(0), QString());
    }

    void writeRefusesCharactersWithoutASingleByteCode()
    {
        Desk d;
        d.queried();
        d.bench.blocks().edit(9, QString::fromUtf8("Ω"));  // not selected: not a concern
        rows(d, {{1, ""}, {3, "1€"}, {7, "ĀB"}});
        d.bench.tags().writeBlocks(false);
        QVERIFY(d.comm.writes.isEmpty());
        QCOMPARE(d.messages.shown.size(), 1);
        QVERIFY2(d.messages.shown[0].text.startsWith("ATTENZIONE!") &&
                     d.messages.shown[0].text.contains("i blocchi 3, 7 contengono"),
                 qPrintable(d.messages.shown[0].text));
        QCOMPARE(d.bench.blocks().rowText(2), QString::fromUtf8("1€"));
    }

    void preconditionAndSendFailure()
    {
        Desk d;
        BlockModel &grid = d.bench.blocks();
        select(d, {1, 2});
        d.bench.tags().readBlocks();
        d.bench.tags().writeBlocks(false);
        QCOMPARE(d.messages.texts(), QStringList(2, "Prima bisogna interrogare la stampante"));
        QVERIFY(d.comm.writes.isEmpty());

        // The line fails after the first row: one message, that row keeps its new text, the
        // next its old one.
        d.bench.printer().setRelease(" R");
        d.messages.shown.clear();
        grid.edit(1, "old");
        d.comm.onWrite = [&](const QByteArray &bytes) {
            if (bytes == "?R2&23,0,1\r\n")
                d.comm.writeError = {SerialError::WriteFailed,
                                     "/dev/fake0: scrittura non riuscita"};
        };
        d.bench.tags().readBlocks();
        QCOMPARE(d.messages.shown.size(), 1);
        QVERIFY(d.messages.shown[0].text.contains("scrittura non riuscita"));
        QCOMPARE(grid.text(0), QStringLiteral("B001"));
        QCOMPARE(grid.text(1), QStringLiteral("old"));
    }

    void writeWithoutVerification()
    {
        Desk d;
        d.queried();
        rows(d, {{2, "AB"}});
        d.bench.tags().writeBlocks(false);
        QCOMPARE(d.comm.commands(), QStringList{"?R2&24,1,1,  AB"});
        QCOMPARE(d.messages.texts(), QStringList{"Scrittura terminata"});
    }

    void verificationOfEveryRow()
    {
        Desk d;
        d.queried();
        rows(d, {{1, "A"}, {3, " B C"}, {28, "1234"}});
        d.bench.tags().writeBlocks(true);
        QCOMPARE(d.comm.commands(),
                 (QStringList{"?R2&24,0,1,   A", "?R2&24,2,1, B C", "?R2&24,27,1,1234", "?R1&2,1",
                              "?R2&23,0,1", "?R2&23,2,1", "?R2&23,27,1"}));
        // Paced as a read: the preamble's pause, then 0.2 s a row.
        const QList<qint64> &t = d.comm.writeTimesMs;
        QVERIFY(t[3] - t[2] >= 100);
        QVERIFY(t[4] - t[3] >= 500);
        QVERIFY(t[5] - t[4] >= 200);
        QCOMPARE(d.messages.texts(), QStringList{"Scrittura terminata e verificata"});
        QCOMPARE(d.messages.shown[0].style, int(kStyleInformation));
        QVERIFY(d.bench.blocks().failedRows().isEmpty());
        QCOMPARE(d.bench.blocks().text(2), QStringLiteral(" B C"));  // texts untouched
    }

    // A write the tag ignored, one it altered, one it cannot read back: one message naming the
    // three rows, the rows marked until the next read, write or "Cancella campi".
    void failedRowsAreNamedAndMarked()
    {
        Desk d;
        d.queried();
        PrinterModel &tag = d.comm.model();
        tag.behaviour.ignoredWrites = {1};
        tag.behaviour.corruptedWrites = {4};
        tag.behaviour.unreadableBlocks = {6};
        BlockModel &grid = d.bench.blocks();
        rows(d, {{1, "ok"}, {2, "WXYZ"}, {5, "ABCD"}, {7, "QRST"}});
        d.bench.tags().writeBlocks(true);
        QCOMPARE(d.messages.texts(),
                 QStringList{"ATTENZIONE! Verifica fallita per i blocchi: 2, 5, 7"});
        QCOMPARE(d.messages.shown[0].style, int(kStyleError));
        QCOMPARE(grid.failedRows(), (QList<int>{1, 4, 6}));
        QCOMPARE(grid.text(1), QStringLiteral("WXYZ"));
        QCOMPARE(grid.text(4), QStringLiteral("ABCD"));

        tag.behaviour.corruptedWrites.clear();
        d.bench.tags().writeBlocks(true);
        QCOMPARE(grid.failedRows(), (QList<int>{1, 6}));
        d.bench.tags().readBlocks();
        QVERIFY(grid.failedRows().isEmpty());
    }
};

V4400_TEST(tst_Blocks);
#include "tst_blocks.moc"
