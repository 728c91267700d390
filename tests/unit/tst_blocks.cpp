#include "desk.h"
#include "testmain.h"

#include <QSignalSpy>
#include <QTest>

namespace {

QByteArray blockReply(const QByteArray &data, char status = 0)
{
    return QByteArray("\0\0\0", 3) + status + data + "cc";
}

// The texts of the grid's rows, counted from 0.
QStringList texts(const BlockModel &grid, std::initializer_list<int> rows)
{
    QStringList out;
    for (int row : rows)
        out << grid.text(row);
    return out;
}

struct QueriedDesk : Desk
{
    QueriedDesk() { queried(); }
};

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
        QueriedDesk d;
        d.bench.tags().readBlocks();
        d.bench.tags().writeBlocks(false);
        QCOMPARE(d.comm.commands(), QStringList{"?R1&2,1"});
        QVERIFY(d.messages.shown.isEmpty());
    }

    void readSelectedRows()
    {
        QueriedDesk d;
        BlockModel &grid = d.bench.blocks();
        // Row 4 answers "not read" (skipped silently), row 6 with nine characters, rows 5 and 7
        // not at all; row 7's answer comes once the read is over, below.
        const QHash<QByteArray, QByteArray> answers = {{"?R2&23,0,1", blockReply("AB  ")},
                                                       {"?R2&23,2,1", blockReply("  CD")},
                                                       {"?R2&23,3,1", blockReply("EFGH", 0x0F)},
                                                       {"?R2&23,5,1", blockReply("IJK")},
                                                       {"?R2&23,7,1", blockReply("MNOP")}};
        d.comm.script = [answers](const QByteArray &command) {
            return answers.contains(command) ? QList<Emission>{{5, answers[command]}}
                                             : QList<Emission>{};
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
        QCOMPARE(texts(grid, {0, 2, 3, 4, 7}), (QStringList{"AB", "CD", "old4", "old5", "MNOP"}));
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
        QCOMPARE(texts(grid, {6, 7}), (QStringList{"old7", "MNOP"}));
        QCOMPARE(d.messages.shown.size(), 3);
    }

    // The grid stays live during a read; the loop sees the new selection for rows not reached.
    void gridChangesDuringARead()
    {
        QueriedDesk d;
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
        QueriedDesk d;
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
        QCOMPARE(texts(grid, {1, 0}), (QStringList{"AB", ""}));
    }

    void writeRefusesCharactersWithoutASingleByteCode()
    {
        QueriedDesk d;
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
        QCOMPARE(texts(grid, {0, 1}), (QStringList{"B001", "old"}));
    }

    void writeWithoutVerification()
    {
        QueriedDesk d;
        rows(d, {{2, "AB"}});
        d.bench.tags().writeBlocks(false);
        QCOMPARE(d.comm.commands(), QStringList{"?R2&24,1,1,  AB"});
        QCOMPARE(d.messages.texts(), QStringList{"Scrittura terminata"});
    }

    void verificationOfEveryRow()
    {
        QueriedDesk d;
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
        QueriedDesk d;
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
        // Each failed row tells what was written and what the tag holds.
        QCOMPARE((QStringList{grid.failureText(0), grid.failureText(1), grid.failureText(4),
                              grid.failureText(6)}),
                 (QStringList{"", "Verifica fallita: scritto «WXYZ», nel tag «B002»",
                              "Verifica fallita: scritto «ABCD», nel tag «@BCD»",
                              "Verifica fallita: scritto «QRST», il blocco non si è potuto "
                              "rileggere"}));
        QCOMPARE(texts(grid, {1, 4}), (QStringList{"WXYZ", "ABCD"}));

        tag.behaviour.corruptedWrites.clear();
        d.bench.tags().writeBlocks(true);
        QCOMPARE(grid.failedRows(), (QList<int>{1, 6}));
        d.bench.tags().readBlocks();
        QVERIFY(grid.failedRows().isEmpty());
    }

    // A failed row's text follows the fields' form; characters that would show two blocks alike
    // give way to the digits.
    void failureTextsFollowTheForm_data()
    {
        QTest::addColumn<bool>("hex");
        QTest::addColumn<QByteArray>("written");
        QTest::addColumn<QByteArray>("held");  // null: not read back
        QTest::addColumn<QString>("text");
        QTest::newRow("characters") << false << QByteArray("B001") << QByteArray("B00A")
                                    << "Verifica fallita: scritto «B001», nel tag «B00A»";
        QTest::newRow("hexadecimal") << true << QByteArray("B001") << QByteArray("B00A")
                                     << "Verifica fallita: scritto 42303031, nel tag 42303041";
        QTest::newRow("alike as characters")
            << false << QByteArray("  AB") << QByteArray("\0\0AB", 4)
            << "Verifica fallita: scritto 20204142, nel tag 00004142";
        QTest::newRow("not read back") << true << QByteArray("B001") << QByteArray()
                                       << "Verifica fallita: scritto 42303031, il blocco non si "
                                          "è potuto rileggere";
    }
    void failureTextsFollowTheForm()
    {
        QFETCH(bool, hex);
        QFETCH(QByteArray, written);
        QFETCH(QByteArray, held);
        QFETCH(QString, text);
        BlockModel grid;
        QSignalSpy marks(&grid, &BlockModel::marksChanged);
        grid.setFailedRows({3},
                           {{3, {written, held.isNull() ? std::nullopt : std::optional(held)}}});
        if (hex) {
            marks.clear();
            QVERIFY(grid.setMode(BlockModel::Mode::Hex));
            QCOMPARE(marks.size(), 1);  // the view shows the new form
        }
        QCOMPARE(grid.failureText(3), text);
        grid.setFailedRows({});
        QVERIFY(grid.failureText(3).isEmpty());
    }

    // Bytes in hexadecimal: the view changes, never the bytes; a write sends exactly the bytes,
    // padded as a short text is; read in hexadecimal a block keeps its four bytes as the tag
    // holds them, blanks too, and goes back unchanged; read as characters it loses its blanks.
    void hexBytesWrittenAndReadBack()
    {
        QueriedDesk d;
        BlockModel &grid = d.bench.blocks();
        QByteArray &memory = d.comm.model().tag.memory;
        grid.edit(0, "B001");
        grid.edit(1, "AB");
        memory.replace(8, 4, QByteArray("\x00\xFF\x7F\x41", 4));
        select(d, {3});
        d.bench.tags().readBlocks();
        QCOMPARE(grid.text(2), QString());  // code 0 first: nothing to show

        QVERIFY(grid.setMode(BlockModel::Mode::Hex));
        QCOMPARE(texts(grid, {0, 1, 2, 3}), (QStringList{"42303031", "4142", "00FF7F41", ""}));
        QCOMPARE(grid.maxLength(), 8);
        QVERIFY(grid.setMode(BlockModel::Mode::Characters));
        QCOMPARE(grid.text(0), QStringLiteral("B001"));
        QCOMPARE(grid.maxLength(), 4);
        QVERIFY(grid.setMode(BlockModel::Mode::Hex));
        QCOMPARE(grid.text(2), QStringLiteral("00FF7F41"));

        grid.edit(3, "00ff7f41");
        grid.edit(4, "7f01");
        grid.setSelected(2, false);
        select(d, {4, 5});
        d.comm.writes.clear();
        d.bench.tags().writeBlocks(false);
        QCOMPARE(d.comm.writes,
                 (QList<QByteArray>{QByteArray("?R2&24,3,1,\x00\xFF\x7F\x41\r\n", 17),
                                    QByteArray("?R2&24,4,1,  \x7F\x01\r\n", 17)}));
        QCOMPARE(memory.mid(12, 4), QByteArray("\x00\xFF\x7F\x41", 4));
        grid.clear();
        d.bench.tags().readBlocks();
        QCOMPARE(texts(grid, {3, 4}), (QStringList{"00FF7F41", "20207F01"}));
        memory.replace(20, 4, "A   ");
        d.bench.tags().readBlocks();
        QCOMPARE(grid.text(5), QString());  // not selected
        select(d, {6});
        d.bench.tags().readBlocks();
        QCOMPARE(grid.text(5), QStringLiteral("41202020"));
        d.comm.writes.clear();
        d.bench.tags().writeBlocks(false);
        QCOMPARE(d.comm.writes.last(), QByteArray("?R2&24,5,1,A   \r\n"));
        QVERIFY(grid.setMode(BlockModel::Mode::Characters));
        d.bench.tags().readBlocks();
        QCOMPARE(grid.bytes(5), QByteArray("A"));
        QCOMPARE(d.messages.texts(), QStringList(2, "Scrittura terminata"));
    }

    void whatCannotBeWrittenIsRefused()
    {
        QueriedDesk d;
        BlockModel &grid = d.bench.blocks();
        QVERIFY(grid.setMode(BlockModel::Mode::Hex));
        grid.edit(2, "414");     // half a byte
        grid.edit(4, "410D42");  // CR
        grid.edit(5, "0A");      // LF
        grid.edit(6, "zz");      // not digits (a script, not the keyboard)
        grid.edit(8, "123");     // not selected: no concern of the write
        select(d, {1, 3, 5, 6, 7});
        d.bench.tags().writeBlocks(false);
        QVERIFY(d.comm.writes.isEmpty());
        QCOMPARE(d.messages.texts(),
                 QStringList{"ATTENZIONE! Scrittura annullata: il blocco 3 ha un numero dispari "
                             "di cifre esadecimali; il blocco 7 contiene caratteri che non sono "
                             "cifre esadecimali; i blocchi 5, 6 contengono i byte CR o LF (0D, "
                             "0A), che non possono stare in un comando. Nessun blocco è stato "
                             "scritto."});
        QCOMPARE(d.messages.shown[0].style, int(kStyleError));

        // Half-typed rows keep the view as it is, and the operator is told why.
        d.messages.shown.clear();
        QVERIFY(!grid.setMode(BlockModel::Mode::Characters));
        QCOMPARE(grid.mode(), BlockModel::Mode::Hex);
        QCOMPARE(grid.rowsWithProblems(), (QList<int>{2, 6, 8}));
        d.bench.tags().reportModeRefused(grid.rowsWithProblems());
        QCOMPARE(d.messages.texts(),
                 QStringList{"ATTENZIONE! La vista dei blocchi non è cambiata: i blocchi 3, 9 "
                             "hanno un numero dispari di cifre esadecimali; il blocco 7 contiene "
                             "caratteri che non sono cifre esadecimali."});

        // In character mode a line break typed or pasted is refused the same way.
        for (int row : {2, 6, 8})
            grid.edit(row, "41");
        QVERIFY(grid.setMode(BlockModel::Mode::Characters));
        d.messages.shown.clear();
        grid.edit(4, "A\r\nB");
        d.bench.tags().writeBlocks(false);
        QVERIFY(d.comm.writes.isEmpty());
        QVERIFY(d.messages.shown[0].text.contains("i blocchi 5, 6 contengono i byte CR o LF"));

        // Bytes 1, 127 and 255 are the tag's data: written and read back as they are.
        for (int row = 0; row < 28; ++row)
            grid.setSelected(row, row == 7);
        grid.edit(7, QString::fromLatin1("\x01\x7F\xFF"));
        d.messages.shown.clear();
        d.bench.tags().writeBlocks(false);
        QCOMPARE(d.comm.writes, QList<QByteArray>{"?R2&24,7,1, \x01\x7F\xFF\r\n"});
        grid.clear();
        d.bench.tags().readBlocks();
        QCOMPARE(grid.bytes(7), QByteArray("\x01\x7F\xFF"));

        // A row changed during the write into something that cannot be written ends the write
        // there: its earlier bytes are not written, and no success is announced.
        for (int row = 0; row < 28; ++row)
            grid.setSelected(row, row >= 10 && row <= 12);
        for (int row : {10, 11, 12})
            grid.edit(row, "OLD");
        d.comm.writes.clear();
        d.messages.shown.clear();
        d.comm.onWrite = [&](const QByteArray &bytes) {
            if (bytes.startsWith("?R2&24,10,"))
                grid.edit(12, QString::fromUtf8("N€W"));
        };
        d.bench.tags().writeBlocks(false);
        QCOMPARE(d.comm.writes.size(), 2);
        QCOMPARE(d.messages.texts(),
                 QStringList{"ATTENZIONE! Scrittura interrotta: il blocco 13 contiene caratteri "
                             "che non si possono scrivere come byte singoli. I blocchi precedenti "
                             "sono stati scritti, questo e i seguenti no."});
    }

    void stopAReadAndAWrite()
    {
        QueriedDesk d;
        d.bench.link().setTimeScale(0.2);
        TagOperations &tags = d.bench.tags();
        BlockModel &grid = d.bench.blocks();
        QSignalSpy stoppable(&tags, &TagOperations::stoppableChanged);
        for (int row = 0; row < 28; ++row)
            grid.setSelected(row, true);
        // "Interrompi" while block 4 is being read: its request and pause complete, then nothing.
        d.comm.onWrite = [&](const QByteArray &bytes) {
            if (bytes.startsWith("?R2&23,3,"))
                tags.requestStop();
        };
        tags.readBlocks();
        QCOMPARE(d.comm.commands(),
                 (QStringList{"?R1&2,1", "?R2&23,0,1", "?R2&23,1,1", "?R2&23,2,1", "?R2&23,3,1"}));
        QCOMPARE(texts(grid, {3, 4}), (QStringList{"B004", ""}));  // its result is kept
        QCOMPARE(d.messages.texts(), QStringList{"Lettura interrotta dopo il blocco 4"});
        QCOMPARE(d.messages.shown[0].style, int(kStyleInformation));
        QCOMPARE(stoppable.size(), 2);
        QCOMPARE(stoppable.last().first().toBool(), false);

        // A write with verification: stopped after block 7, nothing verified, no "terminata".
        d.comm.writes.clear();
        d.messages.shown.clear();
        d.comm.onWrite = [&](const QByteArray &bytes) {
            QCOMPARE(stoppable.last().first().toBool(), true);
            if (bytes.startsWith("?R2&24,2,")) {  // every other printer operation stays refused,
                tags.inventory();
                tags.readBlocks();
                d.bench.saveBlocks();  // and a file dialog would hold the write's pause
            }
            if (bytes.startsWith("?R2&24,6,"))
                tags.requestStop();
        };
        tags.writeBlocks(true);
        QCOMPARE(d.comm.writes.size(), 7);
        QVERIFY(d.comm.writes.last().startsWith("?R2&24,6,1,"));
        QCOMPARE(d.messages.texts(), QStringList{"Scrittura interrotta dopo il blocco 7"});
        QVERIFY(d.chooser.offered.isEmpty());
        QVERIFY(grid.failedRows().isEmpty());
        QCOMPARE(stoppable.last().first().toBool(), false);

        // The next write runs whole.
        d.comm.writes.clear();
        d.messages.shown.clear();
        d.comm.onWrite = {};
        tags.writeBlocks(false);
        QCOMPARE(d.comm.writes.size(), 28);
        QCOMPARE(d.messages.texts(), QStringList{"Scrittura terminata"});
    }
};

V4400_TEST(tst_Blocks);
#include "tst_blocks.moc"
