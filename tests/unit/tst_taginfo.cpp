#include "desk.h"
#include "tag/tagfields.h"
#include "testmain.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

namespace {

QByteArray codes(std::initializer_list<int> values)
{
    QByteArray b;
    for (int c : values)
        b += char(c);
    return b;
}

const QByteArray kInventoryReply = codes({0, 0, 1, 2, 224, 4, 1, 0, 0, 0, 0, 0, 7, 7});
const QByteArray kSystemInfoReply = codes({0, 0, 224, 4, 1, 0, 0, 0, 0, 0, 0, 27, 3, 1, 7, 7});
const QString kNoTagAnswer = QStringLiteral("ATTENZIONE! Nessuna risposta dal TAG");
const QString kUidText = QStringLiteral(" 224   4   1   0   0   0   0   0  ");
const QString kMemSizeTip = QString::fromUtf8("28 blocchi × 4 byte = 112 byte");

// The seven fields in page order, then the last command.
QStringList shown(const TagInfoModel &info)
{
    QStringList out;
    for (int i = 0; i < tagfields::kCount; ++i)
        out << info.field(i);
    return out << info.lastCommand();
}

}  // namespace

// Inventory and System information on the tag information, without a window.
class tst_TagInfo : public QObject
{
    Q_OBJECT
private:
    // The printer queried, answering each command with `answers`.
    static void answering(Desk &d, QMap<QByteArray, QList<Emission>> answers)
    {
        d.queried();
        d.comm.script = [answers](const QByteArray &command) { return answers.value(command); };
    }

private Q_SLOTS:
    void inventory()
    {
        Desk d;
        answering(d, {{"?R2&1,0", {{5, kInventoryReply}}}});
        TagInfoModel &info = d.bench.tagInfo();
        QCOMPARE(info.lastCommand(), QStringLiteral("nessuna lettura"));
        // Text left over from before is emptied after the preamble goes out.
        d.comm.deliver("stale");
        d.bench.tags().inventory();
        QCOMPARE(d.comm.writes, (QList<QByteArray>{"?R1&2,1\r\n", "?R2&1,0\r\n"}));
        QVERIFY(d.comm.writeTimesMs[1] - d.comm.writeTimesMs[0] >= 500);
        QCOMPARE(shown(info),
                 (QStringList{" 0", " 2", " **", " 1", " **", " **", kUidText, "INVENTORY"}));
        QCOMPARE(info.uid(), codes({224, 4, 1, 0, 0, 0, 0, 0}));
        QVERIFY(d.messages.shown.isEmpty());
    }

    void systemInformationThenInventory()
    {
        Desk d;
        answering(d, {{"?R2&2B,0", {{5, kSystemInfoReply}}},
                      {"?R2&1,0", {{5, codes({0, 5, 6, 7, 1, 2, 3, 4, 5, 6, 7, 8, 0, 0})}}}});
        TagInfoModel &info = d.bench.tagInfo();
        d.bench.tags().systemInformation();
        QCOMPARE(d.comm.commands(), (QStringList{"?R1&2,1", "?R2&2B,0"}));
        QCOMPARE(shown(info), (QStringList{" **", " 0", " 27  3", " **", " 0", " 1", kUidText,
                                           "GET SYSTEM INFORMATION"}));
        d.bench.tags().inventory();
        QCOMPARE(shown(info), (QStringList{" 5", " 7", " **", " 6", " **", " **",
                                           " 1   2   3   4   5   6   7   8  ", "INVENTORY"}));
        QCOMPARE(info.uid(), codes({1, 2, 3, 4, 5, 6, 7, 8}));
        d.bench.tags().systemInformation();
        QCOMPARE(info.field(tagfields::kDataSets), QStringLiteral(" **"));
        QCOMPARE(info.field(tagfields::kMemSize), QStringLiteral(" 27  3"));
        QVERIFY(d.messages.shown.isEmpty());
    }

    // What arrives after the preamble counts: its own answer plus the reply make the length.
    void preambleAnswerCounts()
    {
        Desk d;
        answering(d, {{"?R1&2,1", {{100, kInventoryReply.left(4)}}},
                      {"?R2&1,0", {{5, kInventoryReply.mid(4)}}}});
        d.bench.tags().inventory();
        QVERIFY(d.messages.shown.isEmpty());
        QCOMPARE(d.bench.tagInfo().lastCommand(), QStringLiteral("INVENTORY"));
        QCOMPARE(d.bench.tagInfo().field(tagfields::kUid), kUidText);
    }

    // The length must be exact when a check is made: 10 then 6 characters overshoot, 15 are
    // too many, 14 are not a System information. Nothing changes, the UID included.
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
        Desk d;
        answering(d, {{inventory ? "?R2&1,0" : "?R2&2B,0", answer}});
        TagInfoModel &info = d.bench.tagInfo();
        info.setField(tagfields::kUid, "kept");
        const QStringList before = shown(info);
        QElapsedTimer clock;
        clock.start();
        if (inventory)
            d.bench.tags().inventory();
        else
            d.bench.tags().systemInformation();
        QVERIFY(clock.elapsed() >= 2000);  // the 0.5 s pause and the whole 1.5 s wait
        QCOMPARE(d.messages.texts(), QStringList{kNoTagAnswer});
        QCOMPARE(d.messages.shown[0].style, int(kStyleError));
        QCOMPARE(shown(info), before);
        QVERIFY(info.uid().isEmpty());
    }

    // While a label is being sent both do nothing at all; before the printer answered a query,
    // a message and no traffic; the release alone is enough.
    void guards()
    {
        Desk d;
        answering(d, {{"?R2&1,0", {{5, kInventoryReply}}}, {"?R2&2B,0", {{5, kSystemInfoReply}}}});
        PrinterLink &link = d.bench.link();
        TagOperations &tags = d.bench.tags();
        {
            const PrinterLink::Operation label = link.beginOperation();
            const PrinterLink::Printing printing = link.beginPrinting();
            QSignalSpy refused(&link, &PrinterLink::operationRefused);
            tags.inventory();
            tags.systemInformation();
            QVERIFY(d.comm.writes.isEmpty());
            QVERIFY(d.messages.shown.isEmpty());
            QCOMPARE(refused.size(), 0);
        }

        d.bench.printer().setModel({});
        QSignalSpy needed(&d.bench.query(), &PrinterQuery::queryNeeded);
        tags.inventory();
        tags.systemInformation();
        QCOMPARE(d.messages.texts(), QStringList(2, "Prima bisogna interrogare la stampante"));
        QCOMPARE(needed.size(), 2);
        QVERIFY(d.comm.writes.isEmpty());

        d.bench.printer().setRelease(" V1");
        tags.inventory();
        QCOMPARE(d.bench.tagInfo().lastCommand(), QStringLiteral("INVENTORY"));
    }

    // A second printer operation asked for during a wait does not start.
    void oneOperationAtATime()
    {
        Desk d;
        answering(d, {{"?R2&1,0", {{300, kInventoryReply}}}});
        QSignalSpy refused(&d.bench.link(), &PrinterLink::operationRefused);
        d.after(100, [&] {
            d.bench.tags().systemInformation();
            d.bench.tags().inventory();
            d.bench.query().run();
        });
        d.bench.tags().inventory();
        QCOMPARE(d.comm.commands(), (QStringList{"?R1&2,1", "?R2&1,0"}));
        QCOMPARE(d.bench.tagInfo().lastCommand(), QStringLiteral("INVENTORY"));
        QCOMPARE(refused.size(), 3);
        QVERIFY(d.messages.shown.isEmpty());
    }

    // The decoded view of each field, for its tooltip: kept by a failed command, replaced by the
    // next answer.
    void decodedTooltips()
    {
        Desk d;
        d.queried();
        TagInfoModel &info = d.bench.tagInfo();
        d.bench.tags().systemInformation();
        QCOMPARE(info.toolTip(tagfields::kUid),
                 QStringLiteral("E0 04 01 50 2A 3C 7B 12\nProduttore: NXP Semiconductors"));
        QCOMPARE(info.toolTip(tagfields::kMemSize), kMemSizeTip);
        QCOMPARE(info.toolTip(tagfields::kAfi), QStringLiteral("0x00"));
        QCOMPARE(info.toolTip(tagfields::kIcRef), QStringLiteral("0x01"));
        QVERIFY(info.toolTip(tagfields::kDataSets).isEmpty());

        d.comm.model().tag.present = false;
        d.bench.tags().inventory();
        QCOMPARE(d.messages.shown.size(), 1);
        QCOMPARE(info.toolTip(tagfields::kMemSize), kMemSizeTip);

        d.comm.model().tag.present = true;
        d.bench.tags().inventory();
        QVERIFY(info.toolTip(tagfields::kMemSize).isEmpty());
        QCOMPARE(info.toolTip(tagfields::kDataSets), QStringLiteral("0x01"));
        QVERIFY(info.toolTip(tagfields::kUid).startsWith("E0 04 01 50"));
        // An edit of a field keeps its tooltip and the tag's UID.
        info.setField(tagfields::kUid, " 1  ");
        QVERIFY(info.toolTip(tagfields::kUid).startsWith("E0 04 01 50"));
        QCOMPARE(info.uid().toHex().toUpper(), QByteArray("E00401502A3C7B12"));
    }
};

V4400_TEST(tst_TagInfo);
#include "tst_taginfo.moc"
