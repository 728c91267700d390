#include "harness.h"
#include "scriptedchooser.h"
#include "testmain.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>

// The block page as a view of the block grid: its rows, its own buttons, the marks of a failed
// verification, and the buttons that reach the block operations.
class tst_Blocks : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void grid()
    {
        Harness h;
        QVERIFY(h.start());
        BlocksPage &page = *h.window.blockPage;
        QCOMPARE(page.chkBlocks[0]->text(), QStringLiteral("Blocco 1"));
        QCOMPARE(page.chkBlocks[27]->text(), QStringLiteral("Blocco 28"));
        QCOMPARE(page.widget->findChildren<QCheckBox *>("chkBlocks").size(), 28);
        QCOMPARE(page.cmdClearFlds->toolTip(),
                 QStringLiteral("Cancella i campi dati di tutti i blocchi (solo a video)"));

        // Typing a fifth character is refused.
        h.window.TabStrip->setCurrentIndex(1);
        QTest::keyClicks(page.txtBlocks[3], "ABCDE");
        QCOMPARE(page.txtBlocks[3]->text(), QStringLiteral("ABCD"));

        // Tab runs row by row, check box before field.
        page.chkBlocks[6]->setFocus();
        QCOMPARE(page.chkBlocks[6]->nextInFocusChain(), page.txtBlocks[6]);
        QCOMPARE(page.txtBlocks[6]->nextInFocusChain(), page.chkBlocks[7]);

        page.cmdSelAll->click();
        for (QCheckBox *c : page.chkBlocks)
            QVERIFY(c->isChecked());
        page.cmdClearFlds->click();
        for (int i = 0; i < 28; ++i) {
            QVERIFY(page.txtBlocks[i]->text().isEmpty());
            QVERIFY(page.chkBlocks[i]->isChecked());  // selections stay
        }
        page.cmdUnselAll->click();
        for (QCheckBox *c : page.chkBlocks)
            QVERIFY(!c->isChecked());
        QVERIFY(page.selectedRows().isEmpty());
        QVERIFY(h.comm.writes.isEmpty());
    }

    // "Esadecimale" shows the same bytes as digits and takes digits only, in either case; half-
    // typed rows keep the view as it is, and say why.
    void hexView()
    {
        Harness h;
        QVERIFY(h.start());
        h.window.TabStrip->setCurrentIndex(1);
        BlocksPage &page = *h.window.blockPage;
        page.txtBlocks[0]->setText("B001");
        page.chkHex->setChecked(true);
        QCOMPARE(page.txtBlocks[0]->text(), QStringLiteral("42303031"));
        QCOMPARE(page.txtBlocks[0]->maxLength(), 8);
        page.txtBlocks[4]->setFocus();
        QTest::keyClicks(page.txtBlocks[4], "7fzg01");
        QCOMPARE(page.txtBlocks[4]->text(), QStringLiteral("7f01"));
        QCOMPARE(page.rowBytes(4), QByteArray("\x7F\x01", 2));
        page.chkHex->setChecked(false);
        QCOMPARE(page.txtBlocks[0]->text(), QStringLiteral("B001"));
        QCOMPARE(page.txtBlocks[0]->maxLength(), 4);

        page.chkHex->setChecked(true);
        page.txtBlocks[2]->setText("414");
        page.chkHex->setChecked(false);
        QVERIFY(page.chkHex->isChecked());
        QCOMPARE(page.txtBlocks[2]->text(), QStringLiteral("414"));
        QCOMPARE(h.messages.texts(),
                 QStringList{"ATTENZIONE! La vista dei blocchi non è cambiata: il blocco 3 ha un "
                             "numero dispari di cifre esadecimali."});
    }

    // "Salva..." and "Carica..." put the grid in a file and back, through the file chooser.
    void fileButtons()
    {
        Harness h;
        QVERIFY(h.start());
        ScriptedChooser chooser;
        h.window.setFileChooser(chooser);
        QTemporaryDir dir;
        chooser.answer = dir.filePath("copia.bin");
        BlocksPage &page = *h.window.blockPage;
        page.txtBlocks[0]->setText("B001");
        page.txtBlocks[1]->setText("X");
        page.txtBlocks[1]->setText("");  // emptied by the operator: nothing known again
        page.cmdSaveBlocks->click();     // rows never read nor typed: no .bin
        QCOMPARE(h.messages.shown.size(), 1);
        QVERIFY(h.messages.shown[0].text.contains("i blocchi 2-28 non contengono"));
        chooser.answer = dir.filePath("copia.json");
        page.cmdSaveBlocks->click();
        page.cmdClearFlds->click();
        page.chkBlocks[27]->setChecked(true);
        page.cmdLoadBlocks->click();
        QCOMPARE(page.txtBlocks[0]->text(), QStringLiteral("B001"));
        QCOMPARE(page.txtBlocks[1]->text(), QString());
        QVERIFY(page.chkBlocks[0]->isChecked());
        QVERIFY(!page.chkBlocks[27]->isChecked());
        QCOMPARE(h.messages.shown.size(), 1);
    }

    // "Interrompi" is live only while a block loop runs, and stops it.
    void stopButton()
    {
        Harness h;
        QVERIFY(h.start());
        h.window.txtModello->setText(" VIREO 4400");
        h.window.link().setTimeScale(0.2);
        BlocksPage &page = *h.window.blockPage;
        QVERIFY(!page.cmdStop->isEnabled());
        page.cmdSelAll->click();
        QList<bool> live;
        h.comm.onWrite = [&](const QByteArray &bytes) {
            live << page.cmdStop->isEnabled();
            if (bytes.startsWith("?R2&23,1,"))
                page.cmdStop->click();
        };
        page.cmdReadBlocks->click();
        QCOMPARE(live, QList<bool>(3, true));
        QVERIFY(!page.cmdStop->isEnabled());
        QCOMPARE(h.messages.texts(), QStringList{"Lettura interrotta dopo il blocco 2"});
    }

    // "LEGGI" and "SCRIVI" work on the rows ticked and the texts typed, "Verifica dopo
    // scrittura" (off at first) reads them back, and the rows that failed are marked for eye
    // and ear until "Cancella campi".
    void writeVerifyAndMarks()
    {
        Harness h;
        QVERIFY(h.start());
        h.window.txtModello->setText(" VIREO 4400");
        h.comm.model().behaviour.ignoredWrites = {1};
        BlocksPage &page = *h.window.blockPage;
        QVERIFY(!page.chkVerify->isChecked());
        QCOMPARE(page.chkVerify->text(), QStringLiteral("&Verifica dopo scrittura"));
        for (int row : {0, 1}) {
            page.chkBlocks[row]->setChecked(true);
            page.txtBlocks[row]->setText(QStringLiteral("W%1").arg(row));
        }
        page.chkVerify->setChecked(true);
        page.cmdWriteBlocks->click();
        QCOMPARE(h.comm.commands(), (QStringList{"?R2&24,0,1,  W0", "?R2&24,1,1,  W1", "?R1&2,1",
                                                 "?R2&23,0,1", "?R2&23,1,1"}));
        QCOMPARE(h.messages.texts(), QStringList{"ATTENZIONE! Verifica fallita per i blocchi: 2"});
        const QColor normal = page.txtBlocks[0]->palette().color(QPalette::Base);
        QVERIFY(page.txtBlocks[1]->palette().color(QPalette::Base) != normal);
        // What was written and what the tag holds, in the form the fields show.
        QCOMPARE(page.txtBlocks[1]->accessibleDescription(),
                 QStringLiteral("Verifica fallita: scritto «W1», nel tag «B002»"));
        page.chkHex->setChecked(true);
        QCOMPARE(page.txtBlocks[1]->toolTip(),
                 QStringLiteral("Verifica fallita: scritto 20205731, nel tag 42303032"));
        QCOMPARE(page.txtBlocks[1]->accessibleDescription(), page.txtBlocks[1]->toolTip());
        page.chkHex->setChecked(false);
        QVERIFY(page.txtBlocks[0]->accessibleDescription().isEmpty());

        page.cmdClearFlds->click();
        QVERIFY(page.failedRows().isEmpty());
        QCOMPARE(page.txtBlocks[1]->palette().color(QPalette::Base), normal);
        QVERIFY(page.txtBlocks[1]->accessibleDescription().isEmpty());

        h.comm.writes.clear();
        page.cmdReadBlocks->click();
        QCOMPARE(h.comm.commands(), (QStringList{"?R1&2,1", "?R2&23,0,1", "?R2&23,1,1"}));
        QCOMPARE(page.txtBlocks[0]->text(), QStringLiteral("W0"));
    }
};

V4400_TEST(tst_Blocks);
#include "tst_blocks.moc"
