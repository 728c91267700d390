#include "harness.h"
#include "scriptedchooser.h"
#include "smalldisk.h"
#include "tag/blockpage.h"
#include "tag/taginfopage.h"
#include "testmain.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

// The block grid as bytes: the hexadecimal view and entry, saved and loaded copies, and
// "Interrompi", on the fake serial control.
class tst_HexBlocks : public QObject
{
    Q_OBJECT
private:
    static void start(Harness &h)
    {
        QVERIFY(h.start());
        h.window.txtModello->setText(" VIREO 4400");
        h.window.TabStrip->setCurrentIndex(1);
    }
    static QByteArray memory(Harness &h, int row)
    {
        return h.comm.model().tag.memory.mid(row * 4, 4);
    }

private Q_SLOTS:
    void hexViewEntryAndWrite()
    {
        Harness h;
        start(h);
        BlockPage &page = *h.window.blockPage;
        page.txtBlocks[0]->setText("B001");
        page.txtBlocks[1]->setText("AB");
        h.comm.model().tag.memory.replace(8, 4, QByteArray("\x00\xFF\x7F\x41", 4));
        page.chkBlocks[2]->setChecked(true);
        page.cmdReadBlocks->click();
        QCOMPARE(page.txtBlocks[2]->text(), QString());  // code 0 first: nothing to show

        page.chkHex->setChecked(true);
        QCOMPARE(page.txtBlocks[0]->text(), QStringLiteral("42303031"));
        QCOMPARE(page.txtBlocks[1]->text(), QStringLiteral("4142"));
        QCOMPARE(page.txtBlocks[2]->text(), QStringLiteral("00FF7F41"));
        QCOMPARE(page.txtBlocks[3]->text(), QString());
        QCOMPARE(page.txtBlocks[0]->maxLength(), 8);
        // Switching back and forth never changes a field's bytes.
        page.chkHex->setChecked(false);
        QCOMPARE(page.txtBlocks[0]->text(), QStringLiteral("B001"));
        QCOMPARE(page.txtBlocks[0]->maxLength(), 4);
        page.chkHex->setChecked(true);
        QCOMPARE(page.txtBlocks[2]->text(), QStringLiteral("00FF7F41"));

        // Typed digits in either case; anything else is not taken.
        page.txtBlocks[4]->setFocus();
        QTest::keyClicks(page.txtBlocks[4], "7fzg01");
        QCOMPARE(page.txtBlocks[4]->text(), QStringLiteral("7f01"));
        QCOMPARE(page.rowBytes(4), QByteArray("\x7F\x01", 2));

        // A write in hex mode sends exactly the bytes, padded as a short text is; read back,
        // they show again.
        page.txtBlocks[3]->setText("00ff7f41");
        page.cmdUnselAll->click();
        for (int row : {3, 4})
            page.chkBlocks[row]->setChecked(true);
        h.comm.writes.clear();
        page.cmdWriteBlocks->click();
        QCOMPARE(h.comm.writes,
                 (QList<QByteArray>{QByteArray("?R2&24,3,1,\x00\xFF\x7F\x41\r\n", 17),
                                    QByteArray("?R2&24,4,1,  \x7F\x01\r\n", 17)}));
        QCOMPARE(memory(h, 3), QByteArray("\x00\xFF\x7F\x41", 4));
        page.cmdClearFlds->click();
        page.cmdReadBlocks->click();
        QCOMPARE(page.txtBlocks[3]->text(), QStringLiteral("00FF7F41"));
        // Read in hexadecimal a block keeps its four bytes as the tag holds them, blanks too, and
        // goes back unchanged; read as characters it loses its blanks, as it always has.
        QCOMPARE(page.txtBlocks[4]->text(), QStringLiteral("20207F01"));
        h.comm.model().tag.memory.replace(20, 4, "A   ");
        page.cmdReadBlocks->click();
        QCOMPARE(page.txtBlocks[5]->text(), QString());  // not selected
        page.chkBlocks[5]->setChecked(true);
        page.cmdReadBlocks->click();
        QCOMPARE(page.txtBlocks[5]->text(), QStringLiteral("41202020"));
        h.comm.writes.clear();
        page.cmdWriteBlocks->click();
        QCOMPARE(h.comm.writes.last(), QByteArray("?R2&24,5,1,A   \r\n"));
        page.chkHex->setChecked(false);
        page.cmdReadBlocks->click();
        QCOMPARE(page.rowBytes(5), QByteArray("A"));
        page.chkHex->setChecked(true);
        QCOMPARE(h.messages.texts(), QStringList(2, "Scrittura terminata"));

        // The block data label prints the bytes as characters, as in character mode.
        page.txtBlocks[0]->setText("41424344");
        page.txtBlocks[1]->setText("");
        page.cmdStampa2->click();
        QVERIFY(h.comm.commands().contains("?52&31,480,37,14,116;ABCD"));
    }

    void whatCannotBeWrittenIsRefused()
    {
        Harness h;
        start(h);
        BlockPage &page = *h.window.blockPage;
        page.chkHex->setChecked(true);
        page.txtBlocks[2]->setText("414");     // half a byte
        page.txtBlocks[4]->setText("410D42");  // CR
        page.txtBlocks[5]->setText("0A");      // LF
        page.txtBlocks[6]->setText("zz");      // not digits (a script, not the keyboard)
        page.txtBlocks[8]->setText("123");     // not selected: no concern of the write
        for (int row : {0, 2, 4, 5, 6})
            page.chkBlocks[row]->setChecked(true);
        page.cmdWriteBlocks->click();
        QVERIFY(h.comm.writes.isEmpty());
        QCOMPARE(h.messages.texts(),
                 QStringList{"ATTENZIONE! Scrittura annullata: il blocco 3 ha un numero dispari "
                             "di cifre esadecimali; il blocco 7 contiene caratteri che non sono "
                             "cifre esadecimali; i blocchi 5, 6 contengono i byte CR o LF (0D, "
                             "0A), che non possono stare in un comando. Nessun blocco è stato "
                             "scritto."});
        QCOMPARE(h.messages.shown[0].style, int(kStyleError));

        // Half-typed rows keep the view as it is, and say why.
        h.messages.shown.clear();
        page.chkHex->setChecked(false);
        QVERIFY(page.chkHex->isChecked());
        QCOMPARE(page.txtBlocks[2]->text(), QStringLiteral("414"));
        QCOMPARE(h.messages.shown.size(), 1);
        QCOMPARE(h.messages.texts(),
                 QStringList{"ATTENZIONE! La vista dei blocchi non è cambiata: i blocchi 3, 9 "
                             "hanno un numero dispari di cifre esadecimali; il blocco 7 contiene "
                             "caratteri che non sono cifre esadecimali."});

        // In character mode a line break typed or pasted is refused the same way.
        for (int row : {2, 6, 8})
            page.txtBlocks[row]->setText("41");
        page.chkHex->setChecked(false);
        QVERIFY(!page.chkHex->isChecked());
        h.messages.shown.clear();
        page.txtBlocks[4]->setText("A\r\nB");
        page.cmdWriteBlocks->click();
        QVERIFY(h.comm.writes.isEmpty());
        QVERIFY(h.messages.shown[0].text.contains("i blocchi 5, 6 contengono i byte CR o LF"));

        // Bytes 1, 127 and 255 are the tag's data: written and read back as they are.
        page.cmdUnselAll->click();
        page.chkBlocks[7]->setChecked(true);
        page.txtBlocks[7]->setText(QString::fromLatin1("\x01\x7F\xFF"));
        h.messages.shown.clear();
        page.cmdWriteBlocks->click();
        QCOMPARE(h.comm.writes, QList<QByteArray>{"?R2&24,7,1, \x01\x7F\xFF\r\n"});
        page.cmdClearFlds->click();
        page.cmdReadBlocks->click();
        QCOMPARE(page.rowBytes(7), QByteArray("\x01\x7F\xFF"));

        // A row changed during the write into something that cannot be written ends the write
        // there: its earlier bytes are not written, and no success is announced.
        page.cmdUnselAll->click();
        for (int row : {10, 11, 12}) {
            page.chkBlocks[row]->setChecked(true);
            page.txtBlocks[row]->setText("OLD");
        }
        h.comm.writes.clear();
        h.messages.shown.clear();
        h.comm.onWrite = [&](const QByteArray &bytes) {
            if (bytes.startsWith("?R2&24,10,"))
                page.txtBlocks[12]->setText(QString::fromUtf8("N€W"));
        };
        page.cmdWriteBlocks->click();
        QCOMPARE(h.comm.writes.size(), 2);
        QCOMPARE(h.messages.texts(),
                 QStringList{"ATTENZIONE! Scrittura interrotta: il blocco 13 contiene caratteri "
                             "che non si possono scrivere come byte singoli. I blocchi precedenti "
                             "sono stati scritti, questo e i seguenti no."});
    }

    void saveAndLoad()
    {
        Harness h;
        start(h);
        ScriptedChooser chooser;
        h.window.setFileChooser(chooser);
        QTemporaryDir dir;
        BlockPage &page = *h.window.blockPage;
        h.window.tagPage->txtUId->setText(" 224   4   1   80   42   60   123   18  ");
        page.setRowBytes(0, "B001");
        page.setRowBytes(1, "AB");
        page.setRowBytes(27, QByteArray("\x00\xFF\x0D\x41", 4));

        const QString bin = dir.filePath("copia.bin");
        const QString json = dir.filePath("copia.JSON");
        chooser.answer = bin;
        page.cmdSaveBlocks->click();
        chooser.answer = json;
        page.cmdSaveBlocks->click();
        QVERIFY(h.messages.shown.isEmpty());
        QCOMPARE(chooser.offered, dir.filePath("blocchi.bin"));  // the folder last used
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
        page.cmdClearFlds->click();
        page.cmdSelAll->click();
        page.chkBlocks[5]->setChecked(false);
        chooser.answer = json;
        page.cmdLoadBlocks->click();
        QCOMPARE(page.rowBytes(0), QByteArray("B001"));
        QCOMPARE(page.rowBytes(1), QByteArray("  AB"));
        QCOMPARE(page.rowBytes(27), QByteArray("\x00\xFF\x0D\x41", 4));
        for (int row = 0; row < 28; ++row)
            QCOMPARE(page.chkBlocks[row]->isChecked(), row == 0 || row == 1 || row == 27);
        chooser.answer = bin;
        page.cmdLoadBlocks->click();
        for (int row = 0; row < 28; ++row)
            QVERIFY(page.chkBlocks[row]->isChecked());
        QCOMPARE(page.rowBytes(2), QByteArray("    "));
        chooser.answer = dir.filePath("ancora.bin");
        page.cmdSaveBlocks->click();
        QFile again(chooser.answer);
        QVERIFY(again.open(QIODevice::ReadOnly));
        QCOMPARE(again.readAll(), dump);
        QVERIFY(h.comm.writes.isEmpty());  // nothing went to the tag
        QVERIFY(h.messages.shown.isEmpty());

        // What is not a copy of the blocks is refused, naming the problem; the grid stays.
        const auto refused = [&](const QString &name, const QByteArray &content,
                                 const QString &expected) {
            if (!content.isNull()) {
                QFile f(dir.filePath(name));
                QVERIFY(f.open(QIODevice::WriteOnly));
                f.write(content);
            }
            page.chkBlocks[3]->setChecked(false);
            h.messages.shown.clear();
            chooser.answer = dir.filePath(name);
            page.cmdLoadBlocks->click();
            QCOMPARE(h.messages.shown.size(), 1);
            QVERIFY2(h.messages.shown[0].text.startsWith("ATTENZIONE! Il file non è stato "
                                                         "caricato") &&
                         h.messages.shown[0].text.contains(expected),
                     qPrintable(h.messages.shown[0].text));
            QCOMPARE(page.rowBytes(0), QByteArray("B001"));
            QVERIFY(!page.chkBlocks[3]->isChecked());
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
        h.messages.shown.clear();
        chooser.answer = dir.filePath("non/esiste/copia.bin");
        page.cmdSaveBlocks->click();
        QCOMPARE(h.messages.shown.size(), 1);
        QVERIFY(h.messages.shown[0].text.startsWith("ATTENZIONE! Il file non è stato salvato"));
        QVERIFY(!QFile::exists(chooser.answer));
    }

    // A save over a copy on a full disk fails with the cause, and the copy keeps every byte.
    void saveOnAFullDisk()
    {
        SmallDisk disk;
        if (!disk.available())
            QSKIP(SmallDisk::why());
        Harness h;
        start(h);
        ScriptedChooser chooser;
        h.window.setFileChooser(chooser);
        chooser.answer = disk.filePath("copia.json");
        h.window.blockPage->cmdSaveBlocks->click();
        QFile saved(chooser.answer);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QByteArray before = saved.readAll();
        saved.close();

        disk.fill();
        h.window.blockPage->setRowBytes(0, "B002");
        h.window.blockPage->cmdSaveBlocks->click();
        QCOMPARE(h.messages.texts(), QStringList{"ATTENZIONE! Il file non è stato salvato: «" +
                                                 chooser.answer + "»: spazio su disco esaurito."});
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), before);
    }

    void stopAReadAndAWrite()
    {
        Harness h;
        start(h);
        BlockPage &page = *h.window.blockPage;
        h.window.link().setTimeScale(0.2);
        ScriptedChooser chooser;
        h.window.setFileChooser(chooser);
        QVERIFY(!page.cmdStop->isEnabled());
        page.cmdSelAll->click();
        // "Interrompi" while block 4 is being read: its request and pause complete, then nothing.
        h.comm.onWrite = [&](const QByteArray &bytes) {
            if (bytes.startsWith("?R2&23,3,"))
                page.cmdStop->click();
        };
        page.cmdReadBlocks->click();
        QCOMPARE(h.comm.commands(),
                 (QStringList{"?R1&2,1", "?R2&23,0,1", "?R2&23,1,1", "?R2&23,2,1", "?R2&23,3,1"}));
        QCOMPARE(page.txtBlocks[3]->text(), QStringLiteral("B004"));  // its result is kept
        QCOMPARE(page.txtBlocks[4]->text(), QString());
        QCOMPARE(h.messages.texts(), QStringList{"Lettura interrotta dopo il blocco 4"});
        QCOMPARE(h.messages.shown[0].style, int(kStyleInformation));
        QVERIFY(!page.cmdStop->isEnabled());

        // A write with verification: stopped after block 7, nothing verified, no "terminata".
        h.comm.writes.clear();
        h.messages.shown.clear();
        page.chkVerify->setChecked(true);
        h.comm.onWrite = [&](const QByteArray &bytes) {
            QVERIFY(page.cmdStop->isEnabled());
            if (bytes.startsWith("?R2&24,2,")) {  // every other printer operation stays refused,
                h.window.tagPage->cmdInventory->click();
                page.cmdReadBlocks->click();
                page.cmdSaveBlocks->click();  // and a file dialog would hold the write's pause
            }
            if (bytes.startsWith("?R2&24,6,"))
                page.cmdStop->click();
        };
        page.cmdWriteBlocks->click();
        QCOMPARE(h.comm.writes.size(), 7);
        QVERIFY(h.comm.writes.last().startsWith("?R2&24,6,1,"));
        QCOMPARE(h.messages.texts(), QStringList{"Scrittura interrotta dopo il blocco 7"});
        QVERIFY(chooser.offered.isEmpty());
        QVERIFY(page.failedRows().isEmpty());
        QVERIFY(!page.cmdStop->isEnabled());

        // The next write runs whole.
        h.comm.writes.clear();
        h.messages.shown.clear();
        h.comm.onWrite = {};
        page.chkVerify->setChecked(false);
        page.cmdWriteBlocks->click();
        QCOMPARE(h.comm.writes.size(), 28);
        QCOMPARE(h.messages.texts(), QStringList{"Scrittura terminata"});
    }
};

V4400_TEST(tst_HexBlocks);
#include "tst_hexblocks.moc"
