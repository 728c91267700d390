#include "harness.h"
#include "tag/taginfopage.h"
#include "testmain.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>

namespace {

QByteArray bytes(std::initializer_list<int> codes)
{
    QByteArray b;
    for (int c : codes)
        b += char(c);
    return b;
}

const QByteArray kInventoryReply = bytes({0, 0, 1, 2, 224, 4, 1, 0, 0, 0, 0, 0, 7, 7});
const QByteArray kSystemInfoReply = bytes({0, 0, 224, 4, 1, 0, 0, 0, 0, 0, 0, 27, 3, 1, 7, 7});
const QString kNoAnswer = QStringLiteral("ATTENZIONE! Nessuna risposta dal TAG");

// The seven fields in page order, then the last-command label.
QStringList shown(const TagInfoPage &page)
{
    QStringList out;
    for (const QLineEdit *f : page.fields())
        out << f->text();
    return out << page.lblComando->text();
}

}  // namespace

class tst_TagInfo : public QObject
{
    Q_OBJECT
private:
    // A started harness whose printer has been queried, answering each command with `answers`.
    static void queried(Harness &h, QMap<QByteArray, QList<Emission>> answers)
    {
        QVERIFY(h.start());
        h.window.txtModello->setText(" VIREO 4400");
        h.comm.script = [answers](const QByteArray &command) { return answers.value(command); };
    }

private Q_SLOTS:
    void inventory()
    {
        Harness h;
        queried(h, {{"?R2&1,0", {{5, kInventoryReply}}}});
        TagInfoPage &page = *h.window.tagPage;
        QCOMPARE(page.lblComando->text(), QStringLiteral("nessuna lettura"));
        // Text left over from before is emptied after the preamble goes out.
        h.comm.deliver("stale");
        page.cmdInventory->click();
        QCOMPARE(h.comm.writes, (QList<QByteArray>{"?R1&2,1\r\n", "?R2&1,0\r\n"}));
        QVERIFY(h.comm.writeTimesMs[1] - h.comm.writeTimesMs[0] >= 500);
        QCOMPARE(shown(page), (QStringList{" 0", " 2", " **", " 1", " **", " **",
                                           " 224   4   1   0   0   0   0   0  ", "INVENTORY"}));
        QVERIFY(h.messages.shown.isEmpty());
    }

    void systemInformationThenInventory()
    {
        Harness h;
        queried(h, {{"?R2&2B,0", {{5, kSystemInfoReply}}},
                    {"?R2&1,0", {{5, bytes({0, 5, 6, 7, 1, 2, 3, 4, 5, 6, 7, 8, 0, 0})}}}});
        TagInfoPage &page = *h.window.tagPage;
        page.cmdSysInfo->click();
        QCOMPARE(h.comm.commands(), (QStringList{"?R1&2,1", "?R2&2B,0"}));
        QCOMPARE(shown(page),
                 (QStringList{" **", " 0", " 27  3", " **", " 0", " 1",
                              " 224   4   1   0   0   0   0   0  ", "GET SYSTEM INFORMATION"}));
        page.cmdInventory->click();
        QCOMPARE(shown(page), (QStringList{" 5", " 7", " **", " 6", " **", " **",
                                           " 1   2   3   4   5   6   7   8  ", "INVENTORY"}));
        page.cmdSysInfo->click();
        QCOMPARE(page.txtDataSets->text(), QStringLiteral(" **"));
        QCOMPARE(page.txtMemSize->text(), QStringLiteral(" 27  3"));
        QVERIFY(h.messages.shown.isEmpty());
    }

    // What arrives after the preamble counts: its own answer plus the reply make the length.
    void preambleAnswerCounts()
    {
        Harness h;
        queried(h, {{"?R1&2,1", {{100, kInventoryReply.left(4)}}},
                    {"?R2&1,0", {{5, kInventoryReply.mid(4)}}}});
        h.window.tagPage->cmdInventory->click();
        QVERIFY(h.messages.shown.isEmpty());
        QCOMPARE(h.window.tagPage->lblComando->text(), QStringLiteral("INVENTORY"));
        QCOMPARE(h.window.tagPage->txtUId->text(),
                 QStringLiteral(" 224   4   1   0   0   0   0   0  "));
    }

    // The length must be exact when a check is made: 10 then 6 characters overshoot, 15 are
    // too many, 14 are not a System information. Nothing changes on screen.
    void wrongLengthsFail_data()
    {
        QTest::addColumn<bool>("inventory");
        QTest::addColumn<QList<Emission>>("answer");
        QTest::newRow("10 + 6") << true
                                << QList<Emission>{{5, kInventoryReply.left(10)}, {40, "123456"}};
        QTest::newRow("15") << true << QList<Emission>{{5, kInventoryReply + "x"}};
        QTest::newRow("silence") << true << QList<Emission>{};
        QTest::newRow("14 for system information")
            << false << QList<Emission>{{5, kInventoryReply}};
        // Beyond what the program keeps of a reply: cut at the limit, it is still too long.
        QTest::newRow("a megabyte") << true << QList<Emission>{{5, QByteArray(1 << 20, '\x07')}};
        QTest::newRow("10 + a megabyte, system information")
            << false
            << QList<Emission>{{5, kSystemInfoReply.left(10)}, {40, QByteArray(1 << 20, 'x')}};
    }
    void wrongLengthsFail()
    {
        QFETCH(bool, inventory);
        QFETCH(QList<Emission>, answer);
        Harness h;
        queried(h, {{inventory ? "?R2&1,0" : "?R2&2B,0", answer}});
        TagInfoPage &page = *h.window.tagPage;
        page.txtUId->setText("kept");
        const QStringList before = shown(page);
        QElapsedTimer clock;
        clock.start();
        (inventory ? page.cmdInventory : page.cmdSysInfo)->click();
        QVERIFY(clock.elapsed() >= 2000);  // the 0.5 s pause and the whole 1.5 s wait
        QCOMPARE(h.messages.texts(), QStringList{kNoAnswer});
        QCOMPARE(h.messages.shown[0].style, int(kStyleError));
        QCOMPARE(shown(page), before);
    }

    void guards()
    {
        Harness h;
        queried(h, {{"?R2&1,0", {{5, kInventoryReply}}}, {"?R2&2B,0", {{5, kSystemInfoReply}}}});
        TagInfoPage &page = *h.window.tagPage;

        // While a label is being sent both do nothing at all.
        {
            const PrinterLink::Operation label = h.window.link().beginOperation();
            const PrinterLink::Printing printing = h.window.link().beginPrinting();
            QSignalSpy refused(&h.window.link(), &PrinterLink::operationRefused);
            page.cmdInventory->click();
            page.cmdSysInfo->click();
            QVERIFY(h.comm.writes.isEmpty());
            QVERIFY(h.messages.shown.isEmpty());
            QCOMPARE(refused.size(), 0);
        }

        // Before the printer answered a query: a message, the focus to the query button, no
        // traffic.
        h.window.txtModello->clear();
        QApplication::setActiveWindow(&h.window);
        for (QPushButton *b : {page.cmdInventory, page.cmdSysInfo}) {
            b->setFocus();
            b->click();
            QTRY_COMPARE(QApplication::focusWidget(), h.window.cmdInterroga);
        }
        QCOMPARE(h.messages.texts(), QStringList(2, "Prima bisogna interrogare la stampante"));
        QVERIFY(h.comm.writes.isEmpty());

        // The release alone is enough.
        h.window.txtRelease->setText(" V1");
        page.cmdInventory->click();
        QCOMPARE(page.lblComando->text(), QStringLiteral("INVENTORY"));
    }

    // A second printer operation clicked during a wait does not start; the tab strip still works.
    void oneOperationAtATime()
    {
        Harness h;
        queried(h, {{"?R2&1,0", {{300, kInventoryReply}}}});
        TagInfoPage &page = *h.window.tagPage;
        h.after(100, [&] {
            page.cmdSysInfo->click();
            page.cmdInventory->click();
            h.window.cmdInterroga->click();
            h.window.TabStrip->setCurrentIndex(1);
        });
        page.cmdInventory->click();
        QCOMPARE(h.comm.commands(), (QStringList{"?R1&2,1", "?R2&1,0"}));
        QCOMPARE(page.lblComando->text(), QStringLiteral("INVENTORY"));
        QCOMPARE(h.window.TabStrip->currentIndex(), 1);
        QVERIFY(h.messages.shown.isEmpty());
    }
};

V4400_TEST(tst_TagInfo);
#include "tst_taginfo.moc"
