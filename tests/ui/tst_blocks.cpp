#include "harness.h"
#include "tag/blockpage.h"
#include "testmain.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>

namespace {

QByteArray blockReply(const QByteArray &data, char status = 0)
{
    return QByteArray("\0\0\0", 3) + status + data + "cc";
}

}  // namespace

class tst_Blocks : public QObject
{
    Q_OBJECT
private:
    static void start(Harness &h)
    {
        QVERIFY(h.start());
        h.window.txtModello->setText(" VIREO 4400");
    }
    static void select(BlockPage &page, std::initializer_list<int> rows)
    {
        for (int row : rows)  // as the operator counts them
            page.chkBlocks[row - 1]->setChecked(true);
    }

private Q_SLOTS:
    void grid()
    {
        Harness h;
        start(h);
        BlockPage &page = *h.window.blockPage;
        QCOMPARE(page.chkBlocks[0]->text(), QStringLiteral("Blocco 1"));
        QCOMPARE(page.chkBlocks[27]->text(), QStringLiteral("Blocco 28"));
        QCOMPARE(page.findChildren<QCheckBox *>("chkBlocks").size(), 28);
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

        // With nothing selected a read sends only the preamble, a write nothing at all.
        page.cmdReadBlocks->click();
        page.cmdWriteBlocks->click();
        QCOMPARE(h.comm.commands(), QStringList{"?R1&2,1"});
        QVERIFY(h.messages.shown.isEmpty());
    }

    void readSelectedRows()
    {
        Harness h;
        start(h);
        BlockPage &page = *h.window.blockPage;
        h.comm.script = [](const QByteArray &command) -> QList<Emission> {
            if (command == "?R2&23,0,1")
                return {{5, blockReply("AB  ")}};
            if (command == "?R2&23,2,1")
                return {{5, blockReply("  CD")}};
            if (command == "?R2&23,3,1")
                return {{5, blockReply("EFGH", 0x0F)}};  // not read: skipped silently
            if (command == "?R2&23,4,1")
                return {};  // no answer
            if (command == "?R2&23,5,1")
                return {{5, blockReply("IJK")}};  // nine characters
            if (command == "?R2&23,6,1")
                return {};  // answers once the read is over, below
            if (command == "?R2&23,7,1")
                return {{5, blockReply("MNOP")}};
            return {};
        };
        page.txtBlocks[3]->setText("old4");
        page.txtBlocks[4]->setText("old5");
        page.txtBlocks[6]->setText("old7");
        select(page, {1, 3, 4, 5, 6, 7, 8});
        page.cmdReadBlocks->click();
        QCOMPARE(h.comm.commands(),
                 (QStringList{"?R1&2,1", "?R2&23,0,1", "?R2&23,2,1", "?R2&23,3,1", "?R2&23,4,1",
                              "?R2&23,5,1", "?R2&23,6,1", "?R2&23,7,1"}));
        QCOMPARE(page.txtBlocks[0]->text(), QStringLiteral("AB"));
        QCOMPARE(page.txtBlocks[2]->text(), QStringLiteral("CD"));
        QCOMPARE(page.txtBlocks[3]->text(), QStringLiteral("old4"));
        QCOMPARE(page.txtBlocks[4]->text(), QStringLiteral("old5"));
        QCOMPARE(page.txtBlocks[7]->text(), QStringLiteral("MNOP"));
        QCOMPARE(h.messages.texts(), (QStringList{"ATTENZIONE! Blocco n. 5 non letto.",
                                                  "ATTENZIONE! Blocco n. 6 non letto.",
                                                  "ATTENZIONE! Blocco n. 7 non letto."}));
        QCOMPARE(h.messages.shown[0].style, int(kStyleErrorInformation));
        // Paced: the preamble pause, then 0.2 s for each row.
        QVERIFY(h.comm.writeTimesMs[1] - h.comm.writeTimesMs[0] >= 500);
        for (int i = 2; i < h.comm.writeTimesMs.size(); ++i)
            QVERIFY(h.comm.writeTimesMs[i] - h.comm.writeTimesMs[i - 1] >= 200);
        QCOMPARE(page.workingRow(), -1);

        // Row 7's answer comes after its pause and the next row's: it changes nothing.
        h.comm.deliver(blockReply("LATE"));
        QCOMPARE(page.txtBlocks[6]->text(), QStringLiteral("old7"));
        QCOMPARE(page.txtBlocks[7]->text(), QStringLiteral("MNOP"));
        QCOMPARE(h.messages.shown.size(), 3);
    }

    // The grid stays live during a read; the loop sees the new selection for rows not reached.
    void gridChangesDuringARead()
    {
        Harness h;
        start(h);
        BlockPage &page = *h.window.blockPage;
        select(page, {1, 2, 3});
        h.comm.onWrite = [&](const QByteArray &bytes) {
            if (bytes != "?R2&23,0,1\r\n")
                return;
            h.after(0, [&] {  // while row 1 is being read
                QCOMPARE(page.workingRow(), 0);
                page.chkBlocks[1]->setChecked(false);
                page.chkBlocks[4]->setChecked(true);
                page.cmdReadBlocks->click();  // a second read does not start
            });
        };
        page.cmdReadBlocks->click();
        QCOMPARE(h.comm.commands(),
                 (QStringList{"?R1&2,1", "?R2&23,0,1", "?R2&23,2,1", "?R2&23,4,1"}));
        QCOMPARE(page.txtBlocks[4]->text(), QStringLiteral("B005"));
    }

    void writeSelectedRows()
    {
        Harness h;
        start(h);
        BlockPage &page = *h.window.blockPage;
        page.txtBlocks[0]->clear();
        page.txtBlocks[1]->setText("AB");
        page.txtBlocks[2]->setText("ABC");  // not selected
        page.txtBlocks[27]->setText("1234");
        page.txtBlocks[6]->setText(QString::fromUtf8("è ù"));
        select(page, {1, 2, 7, 28});
        page.cmdWriteBlocks->click();
        QCOMPARE(h.comm.writes,
                 (QList<QByteArray>{"?R2&24,0,1,    \r\n", "?R2&24,1,1,  AB\r\n",
                                    "?R2&24,6,1, \xE8 \xF9\r\n", "?R2&24,27,1,1234\r\n"}));
        for (int i = 1; i < h.comm.writeTimesMs.size(); ++i)
            QVERIFY(h.comm.writeTimesMs[i] - h.comm.writeTimesMs[i - 1] >= 100);
        QCOMPARE(h.messages.texts(), QStringList{"Scrittura terminata"});
        QCOMPARE(h.messages.shown[0].style, int(kStyleInformation));
        // The tag holds what was written; read back, blanks move to the left on the next write.
        QCOMPARE(h.comm.model().tag.memory.mid(4, 4), QByteArray("  AB"));
        page.cmdReadBlocks->click();
        QCOMPARE(page.txtBlocks[1]->text(), QStringLiteral("AB"));
        QCOMPARE(page.txtBlocks[0]->text(), QString());
    }

    void writeRefusesCharactersWithoutASingleByteCode()
    {
        Harness h;
        start(h);
        BlockPage &page = *h.window.blockPage;
        page.txtBlocks[2]->setText(QString::fromUtf8("1€"));
        page.txtBlocks[6]->setText(QString::fromUtf8("ĀB"));
        page.txtBlocks[9]->setText(QString::fromUtf8("Ω"));  // not selected: not a concern
        select(page, {1, 3, 7});
        page.cmdWriteBlocks->click();
        QVERIFY(h.comm.writes.isEmpty());
        QCOMPARE(h.messages.shown.size(), 1);
        QVERIFY2(h.messages.shown[0].text.startsWith("ATTENZIONE!") &&
                     h.messages.shown[0].text.contains("i blocchi 3, 7 contengono"),
                 qPrintable(h.messages.shown[0].text));
        QCOMPARE(page.txtBlocks[2]->text(), QString::fromUtf8("1€"));
    }

    void preconditionAndSendFailure()
    {
        Harness h;
        QVERIFY(h.start());
        BlockPage &page = *h.window.blockPage;
        select(page, {1, 2});
        page.cmdReadBlocks->click();
        page.cmdWriteBlocks->click();
        QCOMPARE(h.messages.texts(), QStringList(2, "Prima bisogna interrogare la stampante"));
        QVERIFY(h.comm.writes.isEmpty());

        // The line fails after the first row: one message, that row keeps its new text, the
        // next its old one.
        h.window.txtRelease->setText(" R");
        h.messages.shown.clear();
        page.txtBlocks[1]->setText("old");
        h.comm.onWrite = [&](const QByteArray &bytes) {
            if (bytes == "?R2&23,0,1\r\n")
                h.comm.writeError = {SerialError::WriteFailed,
                                     "/dev/fake0: scrittura non riuscita"};
        };
        page.cmdReadBlocks->click();
        QCOMPARE(h.messages.shown.size(), 1);
        QVERIFY(h.messages.shown[0].text.contains("scrittura non riuscita"));
        QCOMPARE(page.txtBlocks[0]->text(), QStringLiteral("B001"));
        QCOMPARE(page.txtBlocks[1]->text(), QStringLiteral("old"));
    }
};

V4400_TEST(tst_Blocks);
#include "tst_blocks.moc"
