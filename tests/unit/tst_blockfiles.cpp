#include "desk.h"
#include "smalldisk.h"
#include "tag/blockdump.h"
#include "tag/tagfields.h"
#include "testmain.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

// "Salva..." and "Carica...": the block grid in a file and back, without a window.
class tst_BlockFiles : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void saveAndLoad()
    {
        Desk d;
        d.queried();
        d.bench.tags().inventory();  // the tag whose UID a JSON copy records
        d.comm.writes.clear();
        d.bench.tagInfo().setField(tagfields::kUid, " 1  ");  // an edit is no tag's UID
        QTemporaryDir dir;
        BlockModel &grid = d.bench.blocks();
        grid.setBytes(0, "B001");
        grid.setBytes(1, "AB");
        grid.setBytes(27, QByteArray("\x00\xFF\x1B\x41", 4));

        const QString bin = dir.filePath("copia.bin");
        const QString json = dir.filePath("copia.JSON");
        d.chooser.answer = bin;
        d.bench.saveBlocks();  // refused: rows 3 to 27 were never read nor typed
        QVERIFY(!QFile::exists(bin));
        d.chooser.answer = json;
        d.bench.saveBlocks();
        QCOMPARE(d.messages.texts(),
                 QStringList{"ATTENZIONE! Il file non è stato salvato: «" + bin +
                             "»: i blocchi 3-27 non contengono niente di letto o digitato e un "
                             "file .bin li scriverebbe come spazi: salvare in .json, che li "
                             "registra come vuoti (null)."});
        // Named after the tag, in the folder last used, as the kind that can hold the grid.
        QCOMPARE(d.chooser.offered, dir.filePath("blocchi-E00401502A3C7B12.json"));
        QCOMPARE(d.chooser.filters.first(), QStringLiteral("Dump binario (*.bin)"));
        QFile jsonFile(json);
        QVERIFY(jsonFile.open(QIODevice::ReadOnly));
        const QByteArray copy = jsonFile.readAll();
        QVERIFY(copy.contains("\"uid\": \"E00401502A3C7B12\""));
        QVERIFY(copy.contains("\"00FF1B41\""));

        // Loaded into a cleared grid: the same bytes, exactly the rows the file gives ticked,
        // the others unknown again.
        grid.clear();
        for (int row = 0; row < 28; ++row)
            grid.setSelected(row, row != 5);
        d.chooser.answer = json;
        d.bench.loadBlocks();
        QCOMPARE(d.chooser.filters.first(), QStringLiteral("Blocchi (*.bin *.json)"));
        QCOMPARE(grid.bytes(0), QByteArray("B001"));
        QCOMPARE(grid.bytes(1), QByteArray("  AB"));
        QCOMPARE(grid.bytes(27), QByteArray("\x00\xFF\x1B\x41", 4));
        QCOMPARE(grid.selectedRows(), (QList<int>{0, 1, 27}));
        QCOMPARE(grid.unknownRows().size(), 25);

        // Every row known (four blanks read are known): the raw dump, and back, all 28 ticked.
        d.messages.shown.clear();
        for (int row = 2; row < 27; ++row)
            grid.setBytes(row, row == 2 ? QByteArray() : QByteArray("x"));
        d.chooser.answer = bin;
        d.bench.saveBlocks();
        QCOMPARE(d.chooser.offered, dir.filePath("blocchi-E00401502A3C7B12.bin"));
        QFile binFile(bin);
        QVERIFY(binFile.open(QIODevice::ReadOnly));
        const QByteArray dump = binFile.readAll();
        QCOMPARE(dump.size(), 112);
        QCOMPARE(dump.left(12), QByteArray("B001  AB    "));
        d.bench.loadBlocks();
        QCOMPARE(grid.selectedRows().size(), 28);
        QCOMPARE(grid.bytes(2), QByteArray("    "));
        d.chooser.answer = dir.filePath("ancora.bin");
        d.bench.saveBlocks();
        QFile again(d.chooser.answer);
        QVERIFY(again.open(QIODevice::ReadOnly));
        QCOMPARE(again.readAll(), dump);
        QVERIFY(d.comm.writes.isEmpty());  // nothing went to the tag
        QVERIFY(d.messages.shown.isEmpty());

        // What is not a copy of the blocks is refused, naming the problem; the grid stays.
        const auto refused = [&](const QString &name, const QByteArray &content,
                                 const QString &expected) {
            QFile f(dir.filePath(name));
            QVERIFY(content.isNull() || (f.open(QIODevice::WriteOnly) && f.write(content) >= 0));
            f.close();
            grid.setSelected(3, false);
            d.messages.shown.clear();
            d.chooser.answer = dir.filePath(name);
            d.bench.loadBlocks();
            QCOMPARE(d.messages.shown.size(), 1);
            QVERIFY2(d.messages.shown[0].text.startsWith("ATTENZIONE! Il file non è stato "
                                                         "caricato") &&
                         d.messages.shown[0].text.contains(expected),
                     qPrintable(d.messages.shown[0].text));
            QCOMPARE(grid.bytes(0), QByteArray("B001"));
            QVERIFY(!grid.selected(3));
        };
        refused("corto.bin", dump.left(100), "contiene 100 byte");
        refused("lungo.bin", dump + dump, "contiene 224 byte");
        refused("rotto.json", "{ non json", "JSON valido");
        refused("strano.txt", "B001", ".bin");
        refused("a-capo.bin", QByteArray(dump).replace(4, 1, "\r").replace(9, 1, "\n"),
                "i blocchi 2, 3 contengono i byte CR o LF (0D, 0A), che non possono stare in un "
                "comando.");
        refused("a-capo.json", QByteArray(copy).replace("00FF1B41", "00FF0A41"),
                "il blocco 28 contiene i byte CR o LF");
        refused("uid.json", QByteArray(copy).replace("E00401502A3C7B12", "E004"),
                "il campo \"uid\" non è un UID di 16 cifre esadecimali.");
        refused("manca.bin", QByteArray(), "«" + dir.filePath("manca.bin") + "»: non esiste.");
        // What is no file is refused at once for what it is, never read: a FIFO would wait for a
        // writer for ever, /dev/zero fill the memory.
        QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath("fifo.bin")).constData(), 0600), 0);
        refused("fifo.bin", QByteArray(), "è una FIFO (pipe con nome), non un file.");
        QVERIFY(QFile::link("/dev/zero", dir.filePath("zero.bin")));
        refused("zero.bin", QByteArray(), "che è un dispositivo a caratteri, non un file.");
        refused("grande.json", QByteArray((1 << 20) + 1, ' '), "è troppo grande");

        // Saving where nothing can be written says so and leaves no half-written file.
        d.messages.shown.clear();
        d.chooser.answer = dir.filePath("non/esiste/copia.bin");
        d.bench.saveBlocks();
        QCOMPARE(d.messages.shown.size(), 1);
        QVERIFY(d.messages.shown[0].text.startsWith("ATTENZIONE! Il file non è stato salvato"));
        QVERIFY(!QFile::exists(d.chooser.answer));
    }

    // A copy of another tag than the one on the page fills the grid only when the operator says
    // so; a copy of no known tag, or with no tag on the page, fills it at once.
    void anotherTagsCopy_data()
    {
        QTest::addColumn<QByteArray>("fileUid");
        QTest::addColumn<bool>("tagShown");
        QTest::addColumn<bool>("chosen");
        QTest::addColumn<bool>("asked");  // filled unless asked and declined
        const QByteArray other("E00401502A3C7B13");
        QTest::newRow("another tag, declined") << other << true << false << true;
        QTest::newRow("another tag, loaded anyway") << other << true << true << true;
        QTest::newRow("the same tag") << QByteArray("E00401502A3C7B12") << true << false << false;
        QTest::newRow("no tag on the page") << other << false << false << false;
        QTest::newRow("no UID in the file") << QByteArray() << true << false << false;
    }
    void anotherTagsCopy()
    {
        QFETCH(QByteArray, fileUid);
        QFETCH(bool, tagShown);
        QFETCH(bool, chosen);
        QFETCH(bool, asked);
        const bool filled = !asked || chosen;
        Desk d;
        d.queried();
        if (tagShown)
            d.bench.tags().inventory();
        QTemporaryDir dir;
        d.chooser.answer = dir.filePath("copia.json");
        blockdump::Blocks blocks;
        blocks[0] = QByteArray("B001");
        QFile file(d.chooser.answer);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(
            blockdump::toJson(blocks, QDateTime::currentDateTime(), QByteArray::fromHex(fileUid)));
        file.close();
        d.messages.choose = [&](const RecordingMessages::Message &) { return chosen; };
        d.bench.loadBlocks();
        QCOMPARE(d.messages.shown.size(), int(asked));
        if (asked)
            QCOMPARE(d.messages.shown[0].text,
                     "ATTENZIONE! Il file «" + d.chooser.answer +
                         "» è la copia del tag con UID E0 04 01 50 2A 3C 7B 13, ma la pagina "
                         "mostra il tag con UID E0 04 01 50 2A 3C 7B 12. I campi restano come "
                         "sono; «Carica comunque» li riempie dal file.");
        QCOMPARE(d.bench.blocks().bytes(0), filled ? QByteArray("B001") : QByteArray());
        QCOMPARE(d.bench.blocks().selected(0), filled);
    }

    // A save over a copy on a full disk fails with the cause, and the copy keeps every byte.
    void saveOnAFullDisk()
    {
        SmallDisk disk;
        if (!disk.available())
            QSKIP(SmallDisk::why());
        Desk d;
        d.chooser.answer = disk.filePath("copia.json");
        d.bench.saveBlocks();
        QFile saved(d.chooser.answer);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QByteArray before = saved.readAll();
        saved.close();

        disk.fill();
        d.bench.blocks().setBytes(0, "B002");
        d.bench.saveBlocks();
        QCOMPARE(d.messages.texts(),
                 QStringList{"ATTENZIONE! Il file non è stato salvato: «" + d.chooser.answer +
                             "»: spazio su disco esaurito."});
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), before);
    }

    // While another operation holds the printer neither asks for a file.
    void filesWaitForThePrinter()
    {
        Desk d;
        d.chooser.answer = QStringLiteral("/nonexistent/copia.bin");
        const PrinterLink::Operation other = d.bench.link().beginOperation();
        d.bench.saveBlocks();
        d.bench.loadBlocks();
        QVERIFY(d.chooser.offered.isEmpty());
        QVERIFY(d.messages.shown.isEmpty());
    }
};

V4400_TEST(tst_BlockFiles);
#include "tst_blockfiles.moc"
