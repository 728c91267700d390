#include "ptyrig.h"
#include "testmain.h"

#include <QCheckBox>
#include <QLabel>
#include <QTest>

class tst_E2eTag : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void inventoryAndSystemInformation()
    {
        PtyRig r;
        QVERIFY(r.startQueried());
        TagPage &page = *r.window->tagPage;
        page.cmdInventory->click();
        QCOMPARE(page.lblComando->text(), QStringLiteral("INVENTORY"));
        QCOMPARE(page.txtUId->text(), QStringLiteral(" 224   4   1   80   42   60   123   18  "));
        QCOMPARE(page.txtDataSets->text(), QStringLiteral(" 1"));
        page.cmdSysInfo->click();
        QCOMPARE(page.lblComando->text(), QStringLiteral("GET SYSTEM INFORMATION"));
        QCOMPARE(page.txtMemSize->text(), QStringLiteral(" 27  3"));
        QCOMPARE(page.txtIcRef->text(), QStringLiteral(" 1"));
        QVERIFY(r.messages.shown.isEmpty());

        // Replies in small pieces still make up their length.
        r.printer.model().behaviour.chunkSize = 3;
        r.printer.model().behaviour.chunkGapMs = 10;
        page.txtUId->clear();
        page.cmdInventory->click();
        QCOMPARE(page.txtUId->text(), QStringLiteral(" 224   4   1   80   42   60   123   18  "));

        // No tag in the field.
        r.printer.model().tag.present = false;
        page.cmdSysInfo->click();
        QCOMPARE(r.messages.texts(), QStringList{"ATTENZIONE! Nessuna risposta dal TAG"});
        QCOMPARE(page.lblComando->text(), QStringLiteral("INVENTORY"));
    }

    // Every byte value survives the trip: write all 28 blocks, clear the grid, read them back.
    void writeThenReadBackAllBlocks()
    {
        PtyRig r;
        QVERIFY(r.startQueried());
        BlocksPage &page = *r.window->blockPage;
        QStringList written;
        for (int i = 0; i < 28; ++i) {
            QString text;
            for (int k = 0; k < 4; ++k)
                text += QChar(0x21 + (i * 4 + k) * 2);  // printable Latin-1, 0x21 to 0xFF
            written << text;
            page.txtBlocks[i]->setText(text);
        }
        page.cmdSelAll->click();
        page.cmdWriteBlocks->click();
        QCOMPARE(r.messages.texts(), QStringList{"Scrittura terminata"});
        for (int i = 0; i < 28; ++i)
            QCOMPARE(QString::fromLatin1(r.printer.model().tag.memory.mid(i * 4, 4)), written[i]);

        page.cmdClearFlds->click();
        page.cmdReadBlocks->click();
        for (int i = 0; i < 28; ++i)
            QCOMPARE(page.txtBlocks[i]->text(), written[i]);
        QCOMPARE(r.messages.shown.size(), 1);

        // A block the tag cannot read is reported and the others still come in.
        r.printer.model().behaviour.unreadableBlocks = {4};
        page.cmdClearFlds->click();
        page.cmdReadBlocks->click();
        QCOMPARE(r.messages.texts().last(), QStringLiteral("ATTENZIONE! Blocco n. 5 non letto."));
        QCOMPARE(page.txtBlocks[4]->text(), QString());
        QCOMPARE(page.txtBlocks[5]->text(), written[5]);
    }

    void verifyAfterWrite()
    {
        PtyRig r;
        QVERIFY(r.startQueried());
        r.printer.model().behaviour.ignoredWrites = {2};
        BlocksPage &page = *r.window->blockPage;
        page.chkVerify->setChecked(true);
        for (int row : {0, 1, 2}) {
            page.chkBlocks[row]->setChecked(true);
            page.txtBlocks[row]->setText(QStringLiteral("V%1").arg(row));
        }
        page.cmdWriteBlocks->click();
        QCOMPARE(r.messages.texts(), QStringList{"ATTENZIONE! Verifica fallita per i blocchi: 3"});
        QCOMPARE(page.failedRows(), QList<int>{2});
        r.printer.model().behaviour.ignoredWrites.clear();
        page.cmdWriteBlocks->click();
        QCOMPARE(r.messages.texts().last(), QStringLiteral("Scrittura terminata e verificata"));
        QVERIFY(page.failedRows().isEmpty());
    }

    // Bytes typed in hexadecimal reach the tag as they are and come back; "Interrompi" ends a
    // 28-row read and a 28-row write after the block in progress.
    void hexBytesAndStop()
    {
        PtyRig r;
        QVERIFY(r.startQueried());
        BlocksPage &page = *r.window->blockPage;
        page.chkHex->setChecked(true);
        page.txtBlocks[0]->setText("00FF7F41");
        page.txtBlocks[1]->setText("0102");
        page.chkBlocks[0]->setChecked(true);
        page.chkBlocks[1]->setChecked(true);
        page.cmdWriteBlocks->click();
        QCOMPARE(r.printer.model().tag.memory.left(8), QByteArray("\x00\xFF\x7F\x41  \x01\x02", 8));
        page.cmdClearFlds->click();
        page.cmdReadBlocks->click();
        QCOMPARE(page.txtBlocks[0]->text(), QStringLiteral("00FF7F41"));
        QCOMPARE(page.txtBlocks[1]->text(), QStringLiteral("20200102"));  // as the tag holds it

        // The printer takes in each request well within the pause that follows it, also under
        // valgrind: "Interrompi" lands during the block named.
        QStringList seen;
        r.printer.model().onCommand = [&](const QByteArray &command) {
            seen << QString::fromLatin1(command);
            if (command == "?R2&23,9,1" || command.startsWith("?R2&24,12,"))
                page.cmdStop->click();
        };
        page.cmdSelAll->click();
        page.cmdReadBlocks->click();
        QCOMPARE(seen.size(), 11);  // the preamble and blocks 1 to 10
        QCOMPARE(r.messages.texts().last(), QStringLiteral("Lettura interrotta dopo il blocco 10"));
        seen.clear();
        page.cmdWriteBlocks->click();
        QTest::qWait(300);  // anything sent late would arrive meanwhile
        QCOMPARE(seen.size(), 13);
        QCOMPARE(r.messages.texts().last(),
                 QStringLiteral("Scrittura interrotta dopo il blocco 13"));
    }
};

V4400_TEST(tst_E2eTag);
#include "tst_e2e_tag.moc"
