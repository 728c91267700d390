#include "harness.h"
#include "tag/blockpage.h"
#include "tag/taginfopage.h"
#include "testmain.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTest>

// Random replies to the labels' commands, in random pieces: nothing changes and nothing breaks.
// Time runs fifty times faster.
class tst_ReplyFuzz : public QObject
{
    Q_OBJECT
private:
    struct Reply
    {
        QByteArray bytes;
        QList<QByteArray> pieces;  // each arrives in a pass of the event loop of its own
        QList<int> totals;         // the received length after each piece
    };

    // Sends the pieces one event-loop pass apart, as bytes trickling in over the line would
    // arrive; a wait looks at the received text after each.
    static QList<Emission> trickle(FakeSerialControl &comm, const QList<QByteArray> &pieces)
    {
        comm.trickle(pieces);
        return {};
    }

    // What is still on its way when an operation ends stays out of the next one.
    static void settle(const FakeSerialControl &comm) { QTRY_COMPARE(comm.scheduled(), 0); }

    QRandomGenerator m_random{15693};

    Reply randomReply(int length, bool whole)
    {
        Reply r;
        for (int i = 0; i < length; ++i)
            r.bytes += char(m_random.bounded(256));
        for (int from = 0; from < length;) {
            const int size = whole ? length : 1 + m_random.bounded(qMin(8, length - from));
            r.pieces.append(r.bytes.mid(from, size));
            from += size;
            r.totals.append(from);
        }
        return r;
    }

    static void start(Harness &h)
    {
        QVERIFY(h.start());
        h.window.link().setTimeScale(0.02);
        h.window.txtModello->setText(" VIREO 4400");
    }

private Q_SLOTS:
    // Labels read nothing: whatever the printer sends back changes nothing and sends nothing more.
    void labelsIgnoreReplies()
    {
        Harness h;
        start(h);
        h.comm.script = [this, &h](const QByteArray &) {
            return trickle(h.comm, randomReply(m_random.bounded(41), false).pieces);
        };
        h.window.tagPage->txtUId->setText(" 1  ");
        h.window.blockPage->txtBlocks[0]->setText("AB");
        h.window.tagPage->cmdStampa1->click();
        h.window.blockPage->cmdStampa2->click();
        QCOMPARE(h.comm.writes.size(), 8 + 11);
        QVERIFY(h.messages.shown.isEmpty());
    }
};

V4400_TEST(tst_ReplyFuzz);
#include "tst_replyfuzz.moc"
