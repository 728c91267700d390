#include "harness.h"
#include "tag/blockpage.h"
#include "tag/taginfopage.h"
#include "testmain.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

// Verify after write, and the decoded view of the tag in the fields' tooltips.
class tst_Verify : public QObject
{
    Q_OBJECT
private:
    static void start(Harness &h)
    {
        QVERIFY(h.start());
        h.window.txtModello->setText(" VIREO 4400");
    }
    static BlockPage &rows(Harness &h, std::initializer_list<std::pair<int, const char *>> rows)
    {
        BlockPage &page = *h.window.blockPage;
        for (auto [row, text] : rows) {
            page.chkBlocks[row - 1]->setChecked(true);
            page.txtBlocks[row - 1]->setText(QString::fromLatin1(text));
        }
        return page;
    }

private Q_SLOTS:
    void uncheckedIsTodaysWrite()
    {
        Harness h;
        start(h);
        BlockPage &page = rows(h, {{2, "AB"}});
        QVERIFY(!page.chkVerify->isChecked());
        QCOMPARE(page.chkVerify->text(), QStringLiteral("Verifica dopo scrittura"));
        page.cmdWriteBlocks->click();
        QCOMPARE(h.comm.commands(), QStringList{"?R2&24,1,1,  AB"});
        QCOMPARE(h.messages.texts(), QStringList{"Scrittura terminata"});
    }

    void everyRowMatches()
    {
        Harness h;
        start(h);
        BlockPage &page = rows(h, {{1, "A"}, {3, " B C"}, {28, "1234"}});
        page.chkVerify->setChecked(true);
        page.cmdWriteBlocks->click();
        QCOMPARE(h.comm.commands(),
                 (QStringList{"?R2&24,0,1,   A", "?R2&24,2,1, B C", "?R2&24,27,1,1234", "?R1&2,1",
                              "?R2&23,0,1", "?R2&23,2,1", "?R2&23,27,1"}));
        // Paced as a read: the preamble's pause, then 0.2 s a row.
        const QList<qint64> &t = h.comm.writeTimesMs;
        QVERIFY(t[3] - t[2] >= 100);
        QVERIFY(t[4] - t[3] >= 500);
        QVERIFY(t[5] - t[4] >= 200);
        QCOMPARE(h.messages.texts(), QStringList{"Scrittura terminata e verificata"});
        QCOMPARE(h.messages.shown[0].style, int(kStyleInformation));
        QVERIFY(page.failedRows().isEmpty());
        QCOMPARE(page.txtBlocks[2]->text(), QStringLiteral(" B C"));  // texts untouched
    }

    // A write the tag ignored, one it altered, one it cannot read back: one message naming the
    // three rows, the rows marked until the next read, write or "Cancella campi".
    void failedRowsAreNamedAndMarked()
    {
        Harness h;
        start(h);
        PrinterModel &tag = h.comm.model();
        tag.behaviour.ignoredWrites = {1};
        tag.behaviour.corruptedWrites = {4};
        tag.behaviour.unreadableBlocks = {6};
        BlockPage &page = rows(h, {{1, "ok"}, {2, "WXYZ"}, {5, "ABCD"}, {7, "QRST"}});
        page.chkVerify->setChecked(true);
        page.cmdWriteBlocks->click();
        QCOMPARE(h.messages.texts(),
                 QStringList{"ATTENZIONE! Verifica fallita per i blocchi: 2, 5, 7"});
        QCOMPARE(h.messages.shown[0].style, int(kStyleError));
        QCOMPARE(page.failedRows(), (QList<int>{1, 4, 6}));
        const QColor normal = page.txtBlocks[0]->palette().color(QPalette::Base);
        QVERIFY(page.txtBlocks[1]->palette().color(QPalette::Base) != normal);
        QCOMPARE(page.txtBlocks[1]->text(), QStringLiteral("WXYZ"));
        QCOMPARE(page.txtBlocks[4]->text(), QStringLiteral("ABCD"));
        QCOMPARE(page.txtBlocks[1]->accessibleDescription(), QStringLiteral("Verifica fallita"));

        page.cmdClearFlds->click();
        QVERIFY(page.failedRows().isEmpty());
        QCOMPARE(page.txtBlocks[1]->palette().color(QPalette::Base), normal);

        tag.behaviour.corruptedWrites.clear();
        page.cmdWriteBlocks->click();
        QCOMPARE(page.failedRows(), (QList<int>{1, 6}));
        page.cmdReadBlocks->click();
        QVERIFY(page.failedRows().isEmpty());
    }

    void decodedTooltips()
    {
        Harness h;
        start(h);
        TagInfoPage &page = *h.window.tagPage;
        page.cmdSysInfo->click();
        QCOMPARE(page.txtUId->toolTip(),
                 QStringLiteral("E0 04 01 50 2A 3C 7B 12\nProduttore: NXP Semiconductors"));
        QCOMPARE(page.txtMemSize->toolTip(), QString::fromUtf8("28 blocchi × 4 byte = 112 byte"));
        QCOMPARE(page.txtAFI->toolTip(), QStringLiteral("0x00"));
        QCOMPARE(page.txtIcRef->toolTip(), QStringLiteral("0x01"));
        QVERIFY(page.txtDataSets->toolTip().isEmpty());

        // A failed command leaves them as they were, like the fields.
        h.comm.model().tag.present = false;
        page.cmdInventory->click();
        QCOMPARE(h.messages.shown.size(), 1);
        QCOMPARE(page.txtMemSize->toolTip(), QString::fromUtf8("28 blocchi × 4 byte = 112 byte"));

        h.comm.model().tag.present = true;
        page.cmdInventory->click();
        QVERIFY(page.txtMemSize->toolTip().isEmpty());
        QCOMPARE(page.txtDataSets->toolTip(), QStringLiteral("0x01"));
        QVERIFY(page.txtUId->toolTip().startsWith("E0 04 01 50"));
    }
};

V4400_TEST(tst_Verify);
#include "tst_verify.moc"
