#include "harness.h"
#include "link/replytext.h"
#include "tag/blockdata.h"
#include "tag/blockpage.h"
#include "tag/tagcodec.h"
#include "tag/taginfopage.h"
#include "testmain.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTest>

// Replies of every length from 0 to 40, random bytes 0 to 255, whole and in random pieces: the
// fields change only when the length is right, and nothing breaks. Time runs fifty times faster;
// the pieces of a reply are all due the moment its command goes out, so a wait's deadline never
// passes before the last of them has come, however slowly the machine delivers them.
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
    void printerQuery()
    {
        Harness h;
        start(h);
        for (int length = 0; length <= 40; ++length) {
            for (bool whole : {true, false}) {
                const Reply model = randomReply(length, whole);
                const Reply release = randomReply(40 - length, whole);
                h.comm.script = [&](const QByteArray &c) {
                    return trickle(h.comm, c == "?54&10" ? model.pieces : release.pieces);
                };
                h.window.txtModello->setText("before");
                h.window.txtRelease->setText("before");
                h.messages.shown.clear();
                h.window.cmdInterroga->click();
                settle(h.comm);
                // The model takes what comes until the settle pause ends; the release what has
                // come when its wait ends, at 8 characters or at its limit.
                const QString latin1Model = QString::fromLatin1(model.bytes);
                const QByteArray releaseSeen =
                    release.totals.contains(8) ? release.bytes.left(8) : release.bytes;
                QCOMPARE(h.window.txtModello->text(),
                         length ? queryFieldText(latin1Model) : "before");
                QCOMPARE(h.window.txtRelease->text(),
                         length == 0   ? QStringLiteral("before")
                         : length < 40 ? queryFieldText(QString::fromLatin1(releaseSeen))
                                       : QString());
                QCOMPARE(h.messages.shown.size(), (length == 0 || length == 40) ? 1 : 0);
            }
        }
    }

    void tagInformation_data()
    {
        QTest::addColumn<bool>("inventory");
        QTest::newRow("Inventory") << true;
        QTest::newRow("System information") << false;
    }
    void tagInformation()
    {
        QFETCH(bool, inventory);
        const int expected = inventory ? 14 : 16;
        Harness h;
        start(h);
        TagInfoPage &page = *h.window.tagPage;
        for (int length = 0; length <= 40; ++length) {
            for (bool whole : {true, false}) {
                const Reply reply = randomReply(length, whole);
                h.comm.script = [&](const QByteArray &c) {
                    return trickle(h.comm,
                                   c.startsWith("?R2&") ? reply.pieces : QList<QByteArray>{});
                };
                for (QLineEdit *f : page.fields())
                    f->setText("before");
                page.lblComando->setText("before");
                h.messages.shown.clear();
                (inventory ? page.cmdInventory : page.cmdSysInfo)->click();
                settle(h.comm);
                // The wait ends the moment exactly the expected length has arrived.
                if (reply.totals.contains(expected)) {
                    const QString received = QString::fromLatin1(reply.bytes.left(expected));
                    const tagcodec::TagInfo info =
                        inventory ? tagcodec::decodeInventory(received)
                                  : tagcodec::decodeSystemInformation(received);
                    QCOMPARE(page.txtUId->text(), info.uid);
                    QCOMPARE(page.txtDSFId->text(), info.dsfid);
                    QCOMPARE(page.lblComando->text(), info.command);
                    QVERIFY(h.messages.shown.isEmpty());
                } else {
                    for (QLineEdit *f : page.fields())
                        QCOMPARE(f->text(), QStringLiteral("before"));
                    QCOMPARE(page.lblComando->text(), QStringLiteral("before"));
                    QCOMPARE(h.messages.texts(),
                             QStringList{"ATTENZIONE! Nessuna risposta dal TAG"});
                }
            }
        }
    }

    void blockRead()
    {
        Harness h;
        start(h);
        BlockPage &page = *h.window.blockPage;
        page.chkBlocks[6]->setChecked(true);
        for (int length = 0; length <= 40; ++length) {
            for (bool whole : {true, false}) {
                Reply reply = randomReply(length, whole);
                if (length == 10 && whole)
                    reply.bytes[3] = 0,
                    reply.pieces[0][3] = 0;  // make sure a read one is among them
                h.comm.script = [&](const QByteArray &c) {
                    return trickle(h.comm,
                                   c.startsWith("?R2&23,") ? reply.pieces : QList<QByteArray>{});
                };
                page.txtBlocks[6]->setText("old");
                h.messages.shown.clear();
                page.cmdReadBlocks->click();
                settle(h.comm);
                if (length == 10) {
                    const QString received = QString::fromLatin1(reply.bytes);
                    QCOMPARE(page.txtBlocks[6]->text(),
                             reply.bytes[3] == 0 ? blockdata::displayText(blockdata::trimmed(
                                                       received.mid(4, 4).toLatin1()))
                                                 : QStringLiteral("old"));
                    QVERIFY(h.messages.shown.isEmpty());
                } else {
                    QCOMPARE(page.txtBlocks[6]->text(), QStringLiteral("old"));
                    QCOMPARE(h.messages.texts(), QStringList{"ATTENZIONE! Blocco n. 7 non letto."});
                }
            }
        }
    }

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
