#include "link/replytext.h"
#include "tag/blockdata.h"
#include "tag/tagcodec.h"
#include "testmain.h"

#include <QTest>

using namespace tagcodec;

namespace {

// A reply from byte values: index 0 is position 1.
QString reply(std::initializer_list<int> codes)
{
    QString s;
    for (int c : codes)
        s += QChar(c);
    return s;
}

}  // namespace

class tst_TagCodec : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void displayForms()
    {
        QCOMPARE(decimalByte(QChar(0)), QStringLiteral(" 0"));
        QCOMPARE(decimalByte(QChar(7)), QStringLiteral(" 7"));
        QCOMPARE(decimalByte(QChar(224)), QStringLiteral(" 224"));
        QCOMPARE(decimalByte(QChar(255)), QStringLiteral(" 255"));
        QCOMPARE(byteList(reply({1, 2, 3})), QStringLiteral(" 1   2   3  "));
        QCOMPARE(byteList(QString()), QString());
    }

    void inventory()
    {
        const TagInfo t = decodeInventory(reply({9, 0, 1, 2, 224, 4, 1, 0, 0, 0, 0, 0, 9, 9}));
        QCOMPARE(t.dataSets, QStringLiteral(" 0"));
        QCOMPARE(t.trType, QStringLiteral(" 1"));
        QCOMPARE(t.dsfid, QStringLiteral(" 2"));
        QCOMPARE(t.uid, QStringLiteral(" 224   4   1   0   0   0   0   0  "));
        QCOMPARE(t.afi, QStringLiteral(" **"));
        QCOMPARE(t.memSize, QStringLiteral(" **"));
        QCOMPARE(t.icRef, QStringLiteral(" **"));
        QCOMPARE(t.command, QStringLiteral("INVENTORY"));
    }

    void systemInformation()
    {
        const TagInfo t =
            decodeSystemInformation(reply({9, 0, 224, 4, 1, 0, 0, 0, 0, 0, 0, 27, 3, 1, 9, 9}));
        QCOMPARE(t.dsfid, QStringLiteral(" 0"));
        QCOMPARE(t.uid, QStringLiteral(" 224   4   1   0   0   0   0   0  "));
        QCOMPARE(t.afi, QStringLiteral(" 0"));
        QCOMPARE(t.memSize, QStringLiteral(" 27  3"));
        QCOMPARE(t.icRef, QStringLiteral(" 1"));
        QCOMPARE(t.dataSets, QStringLiteral(" **"));
        QCOMPARE(t.trType, QStringLiteral(" **"));
        QCOMPARE(t.command, QStringLiteral("GET SYSTEM INFORMATION"));
    }

    void blockRequests()
    {
        // Zero-based block numbers, no padding.
        QCOMPARE(readBlockRequest(0), QStringLiteral("?R2&23,0,1"));
        QCOMPARE(readBlockRequest(27), QStringLiteral("?R2&23,27,1"));
        const auto data = [](const char *field) {
            return QString::fromLatin1(blockdata::padded(field));
        };
        QCOMPARE(writeBlockRequest(1, data("AB")), QStringLiteral("?R2&24,1,1,  AB"));
        QCOMPARE(writeBlockRequest(0, data("")), QStringLiteral("?R2&24,0,1,    "));
        QCOMPARE(writeBlockRequest(27, data("1234")), QStringLiteral("?R2&24,27,1,1234"));
        QCOMPARE(data(" A "), QStringLiteral("  A "));
    }

    void blockReplies_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("field");
        QTest::newRow("AB then blanks")
            << reply({0, 0, 0, 0, 65, 66, 32, 32, 1, 2}) << true << "AB";
        QTest::newRow("blanks then AB")
            << reply({0, 0, 0, 0, 32, 32, 65, 66, 1, 2}) << true << "AB";
        QTest::newRow("blank inside kept")
            << reply({0, 0, 0, 0, 65, 32, 66, 32, 1, 2}) << true << "A B";
        QTest::newRow("four zero bytes") << reply({0, 0, 0, 0, 0, 0, 0, 0, 1, 2}) << true << "";
        QTest::newRow("zero ends the text")
            << reply({0, 0, 0, 0, 65, 0, 66, 67, 1, 2}) << true << "A";
        QTest::newRow("Latin-1 bytes")
            << reply({0, 0, 0, 0, 0xE8, 0xFF, 33, 126, 1, 2}) << true << QString::fromUtf8("èÿ!~");
        QTest::newRow("status not 0")
            << reply({0, 0, 0, 15, 65, 66, 67, 68, 1, 2}) << false << "ABCD";
        QTest::newRow("nine characters")
            << reply({0, 0, 0, 0, 65, 66, 67, 68, 1}) << false << "ABCD";
    }
    void blockReplies()
    {
        QFETCH(QString, reply);
        QFETCH(bool, ok);
        QFETCH(QString, field);
        QCOMPARE(blockReadOk(reply), ok);
        // As a character field shows it.
        QCOMPARE(blockdata::displayText(blockdata::trimmed(blockReplyData(reply).toLatin1())),
                 field);
    }

    void singleByteText()
    {
        QVERIFY(isSingleByte(QString::fromUtf8("àèìòù ÿ\x01")));
        QVERIFY(!isSingleByte(QString::fromUtf8("AB€")));
        QVERIFY(!isSingleByte(QString::fromUtf8("😀")));
    }
};

V4400_TEST(tst_TagCodec);
#include "tst_tagcodec.moc"
