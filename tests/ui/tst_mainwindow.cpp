#include "harness.h"
#include "testmain.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTest>

// The main window's wiring: each control reaches its operation, the views show the models and
// pass the operator's edits back. What the operations do is tested on the models (tests/unit).
class tst_MainWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // "Interroga stampante" fills the printer fields; the fields are the operator's word for the
    // printer too, and a tag command refused for want of a query moves the focus to the button.
    void printerFrame()
    {
        Harness h;
        QVERIFY(h.start());
        QApplication::setActiveWindow(h.window.widget());
        h.window.txtModello->setFocus();
        h.window.tagPage->cmdInventory->click();
        QCOMPARE(h.messages.texts(), QStringList{"Prima bisogna interrogare la stampante"});
        QTRY_COMPARE(QApplication::focusWidget(), h.window.cmdInterroga);

        h.window.cmdInterroga->click();
        QCOMPARE(h.comm.commands(), (QStringList{"?54&10", "?54&4"}));
        QCOMPARE(h.window.txtModello->text(), QStringLiteral(" VIREO 4400"));
        QCOMPARE(h.window.txtRelease->text(), QStringLiteral(" V1.04.2"));

        h.window.txtModello->clear();
        h.window.txtRelease->clear();
        h.window.tagPage->cmdInventory->click();
        QCOMPARE(h.messages.shown.size(), 2);
        h.window.txtRelease->setText(" R");
        h.window.tagPage->cmdInventory->click();
        QCOMPARE(h.comm.commands().mid(2), (QStringList{"?R1&2,1", "?R2&1,0"}));
        QCOMPARE(h.messages.shown.size(), 2);
    }

    // Inventory and "Informazioni di sistema" fill the page: the fields, their decoded tooltips
    // and the last command. A field the operator edits keeps its tooltip.
    void tagPage()
    {
        Harness h;
        QVERIFY(h.start());
        h.window.txtModello->setText(" VIREO 4400");
        TagPage &page = *h.window.tagPage;
        QCOMPARE(page.lblComando->text(), QStringLiteral("nessuna lettura"));
        page.cmdSysInfo->click();
        QCOMPARE(h.comm.commands(), (QStringList{"?R1&2,1", "?R2&2B,0"}));
        QCOMPARE(page.lblComando->text(), QStringLiteral("GET SYSTEM INFORMATION"));
        QCOMPARE(page.txtMemSize->text(), QStringLiteral(" 27  3"));
        QCOMPARE(page.txtMemSize->toolTip(), QString::fromUtf8("28 blocchi × 4 byte = 112 byte"));
        page.cmdInventory->click();
        QCOMPARE(h.comm.commands().mid(2), (QStringList{"?R1&2,1", "?R2&1,0"}));
        QCOMPARE(page.lblComando->text(), QStringLiteral("INVENTORY"));
        QCOMPARE(page.txtUId->text(), QStringLiteral(" 224   4   1   80   42   60   123   18  "));
        QVERIFY(page.txtMemSize->toolTip().isEmpty());
        page.txtUId->setText(" 1  ");
        QVERIFY(page.txtUId->toolTip().startsWith("E0 04 01 50"));
        QVERIFY(h.messages.shown.isEmpty());
    }

    // "Stampa" and "STAMPA" send their labels from what the pages show, each button saying so
    // while its label goes out; during a label's pause "Chiudi" is refused, the close box ends
    // the program at once.
    void labels()
    {
        Harness h;
        QVERIFY(h.start());
        h.window.txtModello->setText(" M");
        TagPage &page = *h.window.tagPage;
        BlocksPage &blocks = *h.window.blockPage;
        QCOMPARE(page.Frame5->title(), QStringLiteral("Stampa i dati ricevuti"));
        QCOMPARE(blocks.cmdStampa2->text(), QStringLiteral("STAMPA"));
        page.txtUId->setText(" 1  ");
        blocks.txtBlocks[1]->setText("CD");
        QStringList captions;
        h.comm.onWrite = [&](const QByteArray &) {
            captions << page.cmdStampa1->text() + QLatin1Char('|') + blocks.cmdStampa2->text();
        };
        h.after(100, [&] { h.window.cmdEsci->click(); });
        page.cmdStampa1->click();
        blocks.cmdStampa2->click();
        QCOMPARE(h.comm.commands()[5], QStringLiteral("?52&20,682,150,7,11; 1  "));
        QCOMPARE(h.comm.commands()[8 + 8], QStringLiteral("?52&31,480,37,14,116;CD"));
        QCOMPARE(captions,
                 QStringList(8, "Stampa in corso...|STAMPA") + QStringList(11, "Stampa|STAMPA..."));
        QCOMPARE(page.cmdStampa1->text(), QStringLiteral("Stampa"));
        QCOMPARE(blocks.cmdStampa2->text(), QStringLiteral("STAMPA"));
        QCOMPARE(h.ended, 0);
        QVERIFY(h.messages.shown.isEmpty());

        h.after(100, [&] { h.window.close(); });
        h.comm.writes.clear();
        page.cmdStampa1->click();
        QCOMPARE(h.ended, 1);
        QCOMPARE(h.comm.commands().size(), 6);  // up to the first field, then nothing more
    }

    // During an operation's wait the tab strip still changes page; the others wait.
    void tabStripDuringAnOperation()
    {
        Harness h;
        h.comm.model().behaviour.delayMs = 300;
        QVERIFY(h.start());
        h.window.txtModello->setText(" VIREO 4400");
        h.after(100, [&] {
            h.window.tagPage->cmdSysInfo->click();
            h.window.TabStrip->setCurrentIndex(1);
        });
        h.window.tagPage->cmdInventory->click();
        QCOMPARE(h.comm.commands(), (QStringList{"?R1&2,1", "?R2&1,0"}));
        QCOMPARE(h.window.TabStrip->currentIndex(), 1);
        QVERIFY(h.window.blockPage->isVisible());
        QVERIFY(!h.window.tagPage->isVisible());
        QCOMPARE(h.window.statusBar()->currentMessage(),
                 QStringLiteral("Attendere: è in corso un'altra operazione con la stampante"));
    }
};

V4400_TEST(tst_MainWindow);
#include "tst_mainwindow.moc"
