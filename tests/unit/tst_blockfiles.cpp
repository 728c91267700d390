#include "desk.h"
#include "smalldisk.h"
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
        grid.setBytes(27, QByteArray("\x00\xFF\x0D\x41", 4));

        const QString bin = dir.filePath("copia.bin");
        const QString json = dir.filePath("copia.JSON");
        d.chooser.answer = bin;
        d.bench.saveBlocks();
        d.chooser.answer = json;
        d.bench.saveBlocks();
        QVERIFY(d.messages.shown.isEmpty());
        QCOMPARE(d.chooser.offered, dir.filePath("blocchi.bin"));  // the folder last used
        QFile binFile(bin);
        QVERIFY(binFile.open(QIODevice::ReadOnly));
        const QByteArray dump = binFile.readAll();
        QCOMPARE(dump.size(), 112);
        QCOMPARE(dump.left(12), QByteArray("B001  AB    "));
        QFile jsonFile(json);
        QVERIFY(jsonFile.open(QIODevice::ReadOnly));
        const QByteArray copy = jsonFile.readAll();
        QVERIFY(copy.contains("\"uid\": \"E00401502A3C7B12\""));
        QVERIFY(copy.contains("\"00FF0D41\""));

        // Loaded into a cleared grid: the same bytes, exactly the rows the file gives ticked.
        grid.clear();
        for (int row = 0; row < 28; ++row)
            grid.setSelected(row, row != 5);
        d.chooser.answer = json;
        d.bench.loadBlocks();
        QCOMPARE(grid.bytes(0), QByteArray("B001"));
        QCOMPARE(grid.bytes(1), QByteArray("  AB"));
        QCOMPARE(grid.bytes(27), QByteArray("\x00\xFF\x0D\x41", 4));
        QCOMPARE(grid.selectedRows(), (QList<int>{0, 1, 27}));
        d.chooser.answer = bin;
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
            if (!content.isNull()) {
                QFile f(dir.filePath(name));
                QVERIFY(f.open(QIODevice::WriteOnly));
                f.write(content);
            }
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
