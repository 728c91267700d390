#include "ptyrig.h"
#include "testmain.h"

#include <QLabel>
#include <QTest>

class tst_E2eLabel : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Both labels reach the simulated printer whole and in order; its transcript reads them.
    void bothLabels()
    {
        PtyRig r;
        QVERIFY(r.startQueried());
        r.window->tagPage->cmdInventory->click();
        r.window->tagPage->cmdStampa1->click();
        QTRY_COMPARE(r.printer.model().transcript.size(), 20);
        const QStringList &t = r.printer.model().transcript;
        QVERIFY(t.first().startsWith("?00&"));
        QCOMPARE(t[3],
                 QStringLiteral("?52&   riga  720 colonna  150 (tipo 20, 7, 12): \"INVENTORY\""));
        QCOMPARE(t[17], QStringLiteral("?52&   riga  532 colonna  150 (tipo 20, 7, 11): "
                                       "\" 224   4   1   80   42   60   123   18  \""));
        QVERIFY(t.last().startsWith("?81&0"));

        BlocksPage &blocks = *r.window->blockPage;
        blocks.txtBlocks[0]->setText("AB");
        blocks.txtBlocks[1]->setText("CD;,");
        r.printer.model().commands.clear();
        blocks.cmdStampa2->click();
        QTRY_COMPARE(r.printer.model().commands.size(), 11);
        QCOMPARE(r.printer.model().commands[8], QByteArray("?52&31,480,37,14,116;ABCD;,"));
        QCOMPARE(r.printer.model().commands.last(), QByteArray("?81&0"));
        QVERIFY(r.messages.shown.isEmpty());
    }
};

V4400_TEST(tst_E2eLabel);
#include "tst_e2e_label.moc"
