#include "tag/blockdata.h"
#include "tag/blockdump.h"
#include "testmain.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

// The block grid's bytes: the two ways a field shows them, and the two forms of a saved copy.
class tst_BlockData : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void hexBothWays()
    {
        using blockdata::HexError;
        QCOMPARE(blockdata::toHex("B001"), QStringLiteral("42303031"));
        QCOMPARE(blockdata::toHex(QByteArray("\x00\x7F\xFF\x41", 4)), QStringLiteral("007FFF41"));
        QCOMPARE(blockdata::toHex("AB"), QStringLiteral("4142"));
        QCOMPARE(blockdata::toHex({}), QString());

        QByteArray bytes = "unchanged";
        QCOMPARE(blockdata::fromHex(u"00ff7F41", &bytes), HexError::None);
        QCOMPARE(bytes, QByteArray("\x00\xFF\x7F\x41", 4));
        QCOMPARE(blockdata::fromHex(u"", &bytes), HexError::None);
        QCOMPARE(bytes, QByteArray());
        bytes = "unchanged";
        QCOMPARE(blockdata::fromHex(u"414", &bytes), HexError::OddDigits);
        QCOMPARE(blockdata::fromHex(u"41 42", &bytes), HexError::NotHex);
        QCOMPARE(blockdata::fromHex(u"4G", &bytes), HexError::NotHex);
        QCOMPARE(blockdata::fromHex(QString::fromUtf8("４１"), &bytes), HexError::NotHex);
        QCOMPARE(bytes, QByteArray("unchanged"));

        // A write pads on the left, a read trims blanks only: code 0 is data.
        QCOMPARE(blockdata::padded("AB"), QByteArray("  AB"));
        QCOMPARE(blockdata::padded({}), QByteArray("    "));
        QCOMPARE(blockdata::trimmed(" AB "), QByteArray("AB"));
        QCOMPARE(blockdata::trimmed(QByteArray("\0A \0", 4)), QByteArray("\0A \0", 4));
        QCOMPARE(blockdata::displayText(QByteArray("A\0BC", 4)), QStringLiteral("A"));
        QVERIFY(!blockdata::travelsInCommand("A\rB") && !blockdata::travelsInCommand("\n"));
        QVERIFY(blockdata::travelsInCommand(QByteArray("\x00\x01\x7F\xFF", 4)));
    }

    void dumpsRoundTripAndRefuseWhatIsNotOne()
    {
        blockdump::Blocks blocks;
        blocks[0] = QByteArray("B001");
        blocks[1] = QByteArray("AB");  // a short field, padded as a write pads it
        blocks[27] = QByteArray("\x00\xFF\x7F\x41", 4);

        const QByteArray bin = blockdump::toBin(blocks);
        QCOMPARE(bin.size(), 112);
        QCOMPARE(bin.left(12), QByteArray("B001  AB    "));  // an empty field is four blanks
        QCOMPARE(bin.right(4), QByteArray("\x00\xFF\x7F\x41", 4));
        blockdump::Blocks back;
        QString why;
        QVERIFY(blockdump::fromBin(bin, &back, &why));
        QCOMPARE(blockdump::toBin(back), bin);
        for (const auto &block : back)
            QVERIFY(block.has_value());  // a raw dump gives every block
        QVERIFY(!blockdump::fromBin(bin.left(111), &back, &why));
        QVERIFY2(why.contains("111") && why.contains("112"), qPrintable(why));
        QVERIFY(!blockdump::fromBin(bin + 'x', &back, &why));

        const QDateTime saved(QDate(2026, 12, 8), QTime(21, 30), Qt::UTC);
        const QByteArray json =
            blockdump::toJson(blocks, saved, "\xE0\x04\x01\x50\x2A\x3C\x7B\x12");
        const QJsonObject object = QJsonDocument::fromJson(json).object();
        QCOMPARE(object.value("format").toString(), QStringLiteral("v4400-tag-rf-blocchi"));
        QCOMPARE(object.value("version").toInt(), 1);
        QCOMPARE(object.value("saved").toString(), QStringLiteral("2026-12-08T21:30:00Z"));
        QCOMPARE(object.value("uid").toString(), QStringLiteral("E00401502A3C7B12"));
        QCOMPARE(object.value("blocks").toArray().at(1).toString(), QStringLiteral("20204142"));
        QVERIFY(object.value("blocks").toArray().at(2).isNull());
        QVERIFY(!blockdump::toJson(blocks, saved, {}).contains("uid"));
        QVERIFY(blockdump::fromJson(json, &back, &why));
        QCOMPARE(*back[1], QByteArray("  AB"));
        QVERIFY(!back[2].has_value());
        QCOMPARE(blockdump::toJson(back, saved, "\xE0\x04\x01\x50\x2A\x3C\x7B\x12"), json);

        // Each way a file can fail to be a copy of the blocks says so.
        const auto refused = [&](const QByteArray &content, const char *expected) {
            QString reason;
            blockdump::Blocks untouched;
            untouched[0] = QByteArray("KEEP");
            blockdump::Blocks result = untouched;
            QVERIFY(!blockdump::fromJson(content, &result, &reason));
            QVERIFY2(reason.contains(QString::fromUtf8(expected)), qPrintable(reason));
            QCOMPARE(result, untouched);
        };
        refused("{\"format\": ", "JSON valido");
        refused("[1, 2]", "non è un oggetto");
        refused(QByteArray(json).replace("v4400-tag-rf-blocchi", "altro"), "\"format\"");
        refused(QByteArray(json).replace("\"version\": 1", "\"version\": 2"), "versione");
        refused(QByteArray(json).replace("\"20204142\",", ""), "28 blocchi");
        refused(QByteArray(json).replace("\"20204142\"", "\"2020414\""), "il blocco 2");
        refused(QByteArray(json).replace("\"20204142\"", "12345678"), "il blocco 2");
        refused(QByteArray(json).replace("\"20204142\"", "\"2020 142\""), "il blocco 2");

        QCOMPARE(blockdump::kindOf("/tmp/x.BIN"), blockdump::Kind::Bin);
        QCOMPARE(blockdump::kindOf("x.Json"), blockdump::Kind::Json);
        QCOMPARE(blockdump::kindOf("x.bin.txt"), blockdump::Kind::Unknown);
    }
};

V4400_TEST(tst_BlockData);
#include "tst_blockdata.moc"
