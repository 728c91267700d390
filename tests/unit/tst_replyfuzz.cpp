#include "desk.h"
#include "link/replytext.h"
#include "tag/blockdata.h"
#include "tag/tagcodec.h"
#include "tag/tagfields.h"
#include "testmain.h"

#include <QRandomGenerator>
#include <QTest>

// Replies of every length from 0 to 40, random bytes 0 to 255, whole and in random pieces: the
// models change only when the length is right, and nothing breaks. Time runs fifty times faster;
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

    // Each command's answer trickles in, as `answer` gives it.
    static void answer(Desk &d, std::function<QList<QByteArray>(const QByteArray &)> pieces)
    {
        d.bench.link().setTimeScale(0.02);
        d.comm.script = [&d, pieces](const QByteArray &command) {
            d.comm.trickle(pieces(command));
            return QList<Emission>{};
        };
    }

private Q_SLOTS:
    void printerQuery()
    {
        Desk d;
        PrinterIdentity &printer = d.bench.printer();
        for (int length = 0; length <= 40; ++length) {
            for (bool whole : {true, false}) {
                const Reply model = randomReply(length, whole);
                const Reply release = randomReply(40 - length, whole);
                answer(d, [&](const QByteArray &c) {
                    return c == "?54&10" ? model.pieces : release.pieces;
                });
                printer.setModel("before");
                printer.setRelease("before");
                d.messages.shown.clear();
                d.bench.query().run();
                settle(d.comm);
                // The model takes what comes until the settle pause ends; the release what has
                // come when its wait ends, at 8 characters or at its limit.
                const QString latin1Model = QString::fromLatin1(model.bytes);
                const QByteArray releaseSeen =
                    release.totals.contains(8) ? release.bytes.left(8) : release.bytes;
                QCOMPARE(printer.model(), length ? queryFieldText(latin1Model) : "before");
                QCOMPARE(printer.release(), length == 0 ? QStringLiteral("before")
                                            : length < 40
                                                ? queryFieldText(QString::fromLatin1(releaseSeen))
                                                : QString());
                QCOMPARE(d.messages.shown.size(), (length == 0 || length == 40) ? 1 : 0);
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
        Desk d;
        d.queried();
        TagInfoModel &info = d.bench.tagInfo();
        for (int length = 0; length <= 40; ++length) {
            for (bool whole : {true, false}) {
                const Reply reply = randomReply(length, whole);
                answer(d, [&](const QByteArray &c) {
                    return c.startsWith("?R2&") ? reply.pieces : QList<QByteArray>{};
                });
                for (int i = 0; i < tagfields::kCount; ++i)
                    info.setField(i, "before");
                info.setLastCommand("before");
                d.messages.shown.clear();
                if (inventory)
                    d.bench.tags().inventory();
                else
                    d.bench.tags().systemInformation();
                settle(d.comm);
                // The wait ends the moment exactly the expected length has arrived.
                if (reply.totals.contains(expected)) {
                    const QString received = QString::fromLatin1(reply.bytes.left(expected));
                    const tagcodec::TagInfo decoded =
                        inventory ? tagcodec::decodeInventory(received)
                                  : tagcodec::decodeSystemInformation(received);
                    QCOMPARE(info.field(tagfields::kUid), decoded.uid);
                    QCOMPARE(info.field(tagfields::kDsfid), decoded.dsfid);
                    QCOMPARE(info.lastCommand(), decoded.command);
                    QVERIFY(d.messages.shown.isEmpty());
                } else {
                    for (int i = 0; i < tagfields::kCount; ++i)
                        QCOMPARE(info.field(i), QStringLiteral("before"));
                    QCOMPARE(info.lastCommand(), QStringLiteral("before"));
                    QCOMPARE(d.messages.texts(),
                             QStringList{"ATTENZIONE! Nessuna risposta dal TAG"});
                }
            }
        }
    }

    void blockRead()
    {
        Desk d;
        d.queried();
        BlockModel &grid = d.bench.blocks();
        grid.setSelected(6, true);
        for (int length = 0; length <= 40; ++length) {
            for (bool whole : {true, false}) {
                Reply reply = randomReply(length, whole);
                if (length == 10 && whole)
                    reply.bytes[3] = 0,
                    reply.pieces[0][3] = 0;  // make sure a read one is among them
                answer(d, [&](const QByteArray &c) {
                    return c.startsWith("?R2&23,") ? reply.pieces : QList<QByteArray>{};
                });
                grid.edit(6, "old");
                d.messages.shown.clear();
                d.bench.tags().readBlocks();
                settle(d.comm);
                if (length == 10) {
                    const QString received = QString::fromLatin1(reply.bytes);
                    QCOMPARE(grid.text(6), reply.bytes[3] == 0
                                               ? blockdata::displayText(blockdata::trimmed(
                                                     received.mid(4, 4).toLatin1()))
                                               : QStringLiteral("old"));
                    QVERIFY(d.messages.shown.isEmpty());
                } else {
                    QCOMPARE(grid.text(6), QStringLiteral("old"));
                    QCOMPARE(d.messages.texts(), QStringList{"ATTENZIONE! Blocco n. 7 non letto."});
                }
            }
        }
    }
};

V4400_TEST(tst_ReplyFuzz);
#include "tst_replyfuzz.moc"
