#include "desk.h"
#include "tag/tagfields.h"
#include "testmain.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

namespace {

QList<QByteArray> crlf(const QStringList &lines)
{
    QList<QByteArray> out;
    for (const QString &l : lines)
        out << l.toLatin1() + "\r\n";
    return out;
}

// What each write of a label found: the label's printing signals so far and PrintingFlag.
QStringList &recordPrinting(Desk &d, QSignalSpy &printing, QStringList &seen)
{
    d.comm.onWrite = [&d, &printing, &seen](const QByteArray &) {
        seen << QStringLiteral("%1 %2").arg(printing.size()).arg(d.bench.link().PrintingFlag());
    };
    return seen;
}

// The commands printing one field of the tag label: its caption, then its text.
QStringList field(int y, const QString &caption, const QString &text, int size = 11)
{
    const QString at = QStringLiteral("?52&20,%1,%2,7,%3;").arg(y);
    return {at.arg(10).arg(size) + caption, at.arg(150).arg(size) + text};
}

// AFI and UID filled in, nothing else.
TagInfoModel &afiAndUid(Desk &d, const QString &uid = QStringLiteral(" 1  "))
{
    TagInfoModel &info = d.bench.tagInfo();
    info.setField(tagfields::kAfi, " 0");
    info.setField(tagfields::kUid, uid);
    return info;
}

}  // namespace

// The tag information label and the block data label on the models, without a window.
class tst_Labels : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void workedExample()
    {
        Desk d;
        afiAndUid(d, " 224   4  ").setLastCommand("INVENTORY");
        QSignalSpy printing(&d.bench.labels(), &LabelJobs::printingChanged);
        QStringList seen;
        recordPrinting(d, printing, seen);
        d.bench.labels().printTagInfo();
        QCOMPARE(
            d.comm.writes,
            crlf({"?00&", "?81&1", "?52&20,720,10,7,12;Comando:", "?52&20,720,150,7,12;INVENTORY",
                  "?52&20,682,10,7,11;AFI:", "?52&20,682,150,7,11; 0",
                  "?52&20,657,10,7,11;UID:", "?52&20,657,150,7,11; 224   4  ", "?14&1", "?81&0"}));
        const QList<qint64> &t = d.comm.writeTimesMs;
        QVERIFY(t[6] - t[5] >= 200);  // a pause after each printed field
        QVERIFY(t[8] - t[7] >= 200);
        QVERIFY(t[5] - t[0] < 150);  // and none before
        QCOMPARE(seen, QStringList(10, "1 1"));
        QCOMPARE(printing.size(), 2);
        QCOMPARE(printing[1],
                 (QList<QVariant>{QVariant::fromValue(LabelJobs::Label::TagInfo), false}));
        QVERIFY(!d.bench.link().PrintingFlag());
        QVERIFY(d.messages.shown.isEmpty());
        // No printer query is needed for this label, and nothing was read back.
        QVERIFY(!d.bench.printer().queried());
    }

    void whichFieldsArePrinted()
    {
        Desk d;
        TagInfoModel &info = d.bench.tagInfo();

        // Only the UID: the command line, then the UID at 682, one pause.
        info.setField(tagfields::kUid, " 1  ");
        d.bench.labels().printTagInfo();
        QCOMPARE(d.comm.commands(),
                 (QStringList{"?00&", "?81&1"} + field(720, "Comando:", "nessuna lettura", 12) +
                  field(682, "UID:", " 1  ") + QStringList{"?14&1", "?81&0"}));

        // All seven, blanks and placeholders included, with an empty command caption: 20 commands.
        d.comm.writes.clear();
        info.setLastCommand({});
        for (int i = 0; i < tagfields::kCount; ++i)
            info.setField(i, " **");
        info.setField(tagfields::kDsfid, "   ");
        QElapsedTimer clock;
        clock.start();
        d.bench.labels().printTagInfo();
        QVERIFY(clock.elapsed() >= 1400);  // seven pauses
        const QStringList c = d.comm.commands();
        QCOMPARE(c.size(), 20);
        QCOMPARE(c[3], QStringLiteral("?52&20,720,150,7,12;"));
        const QStringList captions = {
            "DATA-SETS:", "DSF ID:", "MEM-SIZE:", "TR-TIPE:", "AFI:", "IC-REF:", "UID:"};
        for (int i = 0; i < 7; ++i)
            QCOMPARE(c.mid(4 + 2 * i, 2), field(682 - 25 * i, captions[i], i == 1 ? "   " : " **"));
        QCOMPARE(c.mid(18), (QStringList{"?14&1", "?81&0"}));

        // Nothing to print.
        d.comm.writes.clear();
        for (int i = 0; i < tagfields::kCount; ++i)
            info.setField(i, {});
        info.setLastCommand("INVENTORY");
        d.bench.labels().printTagInfo();
        QCOMPARE(d.messages.texts(), QStringList{"ATTENZIONE! Nessun dato da stampare"});
        QCOMPARE(d.messages.shown[0].style, int(kStyleError));
        QVERIFY(d.comm.writes.isEmpty());
    }

    // During a pause: a second label, Inventory, System information and the block label do
    // nothing, without a word; an edit of a field not printed yet is printed as edited; the
    // program ending stops the label at once.
    void duringAPause()
    {
        Desk d;
        d.queried();
        TagInfoModel &info = afiAndUid(d);
        d.bench.blocks().edit(0, "AB");
        QSignalSpy refused(&d.bench.link(), &PrinterLink::operationRefused);
        d.after(100, [&] {
            QVERIFY(d.bench.link().PrintingFlag());
            d.bench.labels().printTagInfo();
            d.bench.tags().inventory();
            d.bench.tags().systemInformation();
            d.bench.labels().printBlocks();
            info.setField(tagfields::kUid, " 9  ");
        });
        d.bench.labels().printTagInfo();
        const QStringList c = d.comm.commands();
        QCOMPARE(c.size(), 10);
        QCOMPARE(c[7], QStringLiteral("?52&20,657,150,7,11; 9  "));
        QVERIFY(d.messages.shown.isEmpty());
        QCOMPARE(refused.size(), 0);

        d.after(100, [&] { d.bench.link().abandon(); });
        d.comm.writes.clear();
        d.bench.labels().printTagInfo();
        QCOMPARE(d.comm.commands().size(), 6);  // up to the first field, then nothing more
        QVERIFY(!d.bench.link().PrintingFlag());
    }

    void writeErrorEndsTheJobCleanly()
    {
        Desk d;
        afiAndUid(d);
        QSignalSpy printing(&d.bench.labels(), &LabelJobs::printingChanged);
        d.after(100, [&] {
            d.comm.writeError = {SerialError::WriteFailed, "/dev/fake0: scrittura non riuscita"};
        });
        d.bench.labels().printTagInfo();
        QCOMPARE(d.messages.shown.size(), 1);
        QVERIFY(d.messages.shown[0].text.contains("scrittura non riuscita"));
        QVERIFY(!d.bench.link().PrintingFlag());
        QCOMPARE(printing.size(), 2);
        QVERIFY(!d.bench.link().operationRunning());
    }

    void textsWithoutASingleByteCodeAreRefused()
    {
        Desk d;
        d.queried();
        TagInfoModel &info = afiAndUid(d, QString::fromUtf8("€ 1"));
        d.bench.labels().printTagInfo();
        d.bench.blocks().edit(1, QString::fromUtf8("Ω"));
        d.bench.labels().printBlocks();
        QVERIFY(d.comm.writes.isEmpty());
        QCOMPARE(d.messages.shown.size(), 2);
        QVERIFY2(d.messages.shown[0].text.contains("il campo UID contiene"),
                 qPrintable(d.messages.shown[0].text));
        QVERIFY2(d.messages.shown[1].text.contains("il blocco 2 contiene"),
                 qPrintable(d.messages.shown[1].text));
        QVERIFY(!d.bench.link().PrintingFlag());
        // Latin-1 letters go out as the bytes they are.
        info.setField(tagfields::kUid, QString::fromUtf8("è"));
        d.bench.labels().printTagInfo();
        QVERIFY(d.comm.writes.contains("?52&20,657,150,7,11;\xE8\r\n"));
    }

    // A line break in a text would end the text command and make a command of what follows; no
    // label prints a control character either. In any of the eight texts of the tag label, or
    // in rows 1 and 2 of the block label, one refuses the whole label with one message naming
    // them all, and nothing is sent.
    void controlCharactersAreRefused()
    {
        Desk d;
        d.queried();
        TagInfoModel &info = d.bench.tagInfo();
        BlockModel &grid = d.bench.blocks();
        const QList<QChar> controls = {QChar(13), QChar(10), QChar(0),  QChar(9),
                                       QChar(27), QChar(31), QChar(127)};
        const QStringList names = {"l'ultima lettura",  "il campo DATA-SETS", "il campo DSFID",
                                   "il campo MEM-SIZE", "il campo TR-TYPE",   "il campo AFI",
                                   "il campo IC-REF",   "il campo UID"};
        for (int i = 0; i < 8; ++i) {
            for (QChar c : controls) {
                for (int f = 0; f < tagfields::kCount; ++f)
                    info.setField(f, " 1");
                info.setLastCommand("INVENTORY");
                const QString text = QStringLiteral("12") + c + QStringLiteral("?14&1");
                if (i == 0)
                    info.setLastCommand(text);
                else
                    info.setField(i - 1, text);
                d.messages.shown.clear();
                d.bench.labels().printTagInfo();
                QCOMPARE(d.messages.texts(),
                         QStringList{QStringLiteral("ATTENZIONE! Stampa annullata: %1 contiene "
                                                    "caratteri di controllo (a capo, tabulazioni "
                                                    "o simili), che nessuna etichetta può "
                                                    "stampare. Non è stato inviato nulla.")
                                         .arg(names[i])});
            }
        }
        for (int row = 0; row < 2; ++row) {
            for (QChar c : controls) {
                grid.edit(0, "AB");
                grid.edit(1, "CD");
                grid.edit(row, QStringLiteral("A") + c + QStringLiteral("?"));
                d.messages.shown.clear();
                d.bench.labels().printBlocks();
                QCOMPARE(d.messages.shown.size(), 1);
                QVERIFY2(d.messages.shown[0].text.startsWith(
                             QStringLiteral("ATTENZIONE! Stampa annullata: il blocco %1 contiene "
                                            "caratteri di controllo")
                                 .arg(row + 1)),
                         qPrintable(d.messages.shown[0].text));
            }
        }
        QVERIFY(d.comm.writes.isEmpty());
        QVERIFY(!d.bench.link().PrintingFlag());

        // Several texts and both kinds of fault: one message, every text named.
        info.setField(tagfields::kAfi, "\t");
        info.setField(tagfields::kIcRef, "\r\n");
        info.setField(tagfields::kUid, QString::fromUtf8("€"));
        d.messages.shown.clear();
        d.bench.labels().printTagInfo();
        QCOMPARE(d.messages.texts(),
                 QStringList{"ATTENZIONE! Stampa annullata: il campo AFI, il campo IC-REF "
                             "contengono caratteri di controllo (a capo, tabulazioni o simili), "
                             "che nessuna etichetta può stampare; il campo UID contiene caratteri "
                             "che non si possono inviare come byte singoli. Non è stato inviato "
                             "nulla."});
        grid.edit(0, QStringLiteral("\n"));
        grid.edit(1, QStringLiteral("\r"));
        d.bench.labels().printBlocks();
        QVERIFY2(d.messages.shown.last().text.contains("il blocco 1, il blocco 2 contengono"),
                 qPrintable(d.messages.shown.last().text));
        QVERIFY(d.comm.writes.isEmpty());

        // Every other byte is printed as it is.
        grid.edit(0, QString::fromLatin1("\x80\xA0\xE8\xFF"));
        grid.edit(1, QString::fromLatin1("\x9F~ "));
        d.bench.labels().printBlocks();
        QCOMPARE(d.comm.writes.size(), 11);
        QCOMPARE(d.comm.writes[8], QByteArray("?52&31,480,37,14,116;\x80\xA0\xE8\xFF\x9F~ \r\n"));
    }

    // A field changed during a pause is checked when its turn comes: a control character stops
    // the label there, before the print command, and says so.
    void controlCharacterTypedDuringAPause()
    {
        Desk d;
        TagInfoModel &info = afiAndUid(d);
        QSignalSpy printing(&d.bench.labels(), &LabelJobs::printingChanged);
        d.after(100, [&] { info.setField(tagfields::kUid, "1\r\n?00&"); });
        d.bench.labels().printTagInfo();
        QCOMPARE(d.comm.commands(),
                 (QStringList{"?00&", "?81&1"} + field(720, "Comando:", "nessuna lettura", 12) +
                  field(682, "AFI:", " 0")));
        QCOMPARE(d.messages.shown.size(), 1);
        QVERIFY2(d.messages.shown[0].text.startsWith(
                     "ATTENZIONE! Stampa interrotta: il campo UID contiene caratteri di controllo"),
                 qPrintable(d.messages.shown[0].text));
        QVERIFY(!d.bench.link().PrintingFlag());
        QCOMPARE(printing.size(), 2);
    }

    void blockLabel()
    {
        Desk d;
        BlockModel &grid = d.bench.blocks();

        // Not queried, rows empty: only the query message.
        QSignalSpy needed(&d.bench.query(), &PrinterQuery::queryNeeded);
        d.bench.labels().printBlocks();
        QCOMPARE(d.messages.texts(), QStringList{"Prima bisogna interrogare la stampante"});
        QCOMPARE(needed.size(), 1);
        d.bench.printer().setRelease(" R");
        d.bench.labels().printBlocks();
        QCOMPARE(d.messages.texts().last(),
                 QStringLiteral("ATTENZIONE! I blocchi 1 e 2 non contengono nessun dato"));
        QCOMPARE(d.messages.shown.last().style, int(kStyleError));
        QVERIFY(d.comm.writes.isEmpty());

        // Rows 1 and 2 whether selected or not; no other row.
        grid.edit(0, "AB");
        grid.edit(1, "CDEF");
        grid.edit(2, "XYZ");
        grid.setSelected(2, true);
        QSignalSpy printing(&d.bench.labels(), &LabelJobs::printingChanged);
        QStringList seen;
        recordPrinting(d, printing, seen);
        d.bench.labels().printBlocks();
        QCOMPARE(d.comm.writes,
                 crlf({"?00&", "?81&1", "?52&00,474,764,18,11;BELMUTH",
                       "?52&00,538,763,17,11;Vireo 4400 TAG - RF", "?09&2", "?10&1", "?11&2",
                       "?13&2", "?52&31,480,37,14,116;ABCDEF", "?14&1", "?81&0"}));
        QCOMPARE(seen, QStringList(11, "1 1"));
        QCOMPARE(printing[1],
                 (QList<QVariant>{QVariant::fromValue(LabelJobs::Label::Blocks), false}));
        QVERIFY(!d.bench.link().PrintingFlag());
        QCOMPARE(d.messages.shown.size(), 2);

        d.comm.writes.clear();
        grid.edit(0, {});
        grid.edit(1, "ABCD");
        d.bench.labels().printBlocks();
        QCOMPARE(d.comm.commands()[8], QStringLiteral("?52&31,480,37,14,116;ABCD"));

        // Rows typed in hexadecimal are printed as the characters of their bytes.
        QVERIFY(grid.setMode(BlockModel::Mode::Hex));
        grid.edit(0, "41424344");
        grid.edit(1, "");
        d.bench.labels().printBlocks();
        QVERIFY(d.comm.commands().contains("?52&31,480,37,14,116;ABCD"));
    }

    // Labels read nothing: whatever the printer sends back, in random pieces, changes nothing
    // and sends nothing more. Time runs fifty times faster.
    void labelsIgnoreReplies()
    {
        Desk d;
        d.queried();
        d.bench.link().setTimeScale(0.02);
        QRandomGenerator random(15693);
        d.comm.script = [&](const QByteArray &) {
            QList<QByteArray> pieces;
            for (int left = int(random.bounded(41)); left > 0;) {
                const int size = 1 + int(random.bounded(qMin(8, left)));
                QByteArray piece;
                for (int i = 0; i < size; ++i)
                    piece += char(random.bounded(256));
                pieces << piece;
                left -= size;
            }
            d.comm.trickle(pieces);
            return QList<Emission>{};
        };
        d.bench.tagInfo().setField(tagfields::kUid, " 1  ");
        d.bench.blocks().edit(0, "AB");
        d.bench.labels().printTagInfo();
        d.bench.labels().printBlocks();
        QCOMPARE(d.comm.writes.size(), 8 + 11);
        QVERIFY(d.messages.shown.isEmpty());
    }
};

V4400_TEST(tst_Labels);
#include "tst_labels.moc"
