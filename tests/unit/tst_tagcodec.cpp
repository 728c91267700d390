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
        QCOMPARE(t.uidBytes, QByteArray("\xE0\x04\x01\x00\x00\x00\x00\x00", 8));
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
        QCOMPARE(t.uidBytes, QByteArray("\xE0\x04\x01\x00\x00\x00\x00\x00", 8));
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

    // What the printer search takes for a printer's model answer: printable ASCII before the
    // last character, which the printer query does not show; never the query coming back.
    void modelReplies_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("fault");
        const QString echo = QStringLiteral("eco della richiesta");
        const QString unprintable = QStringLiteral("caratteri non stampabili");
        const QString noText = QStringLiteral("nessun testo");
        QTest::newRow("the simulated printer") << QByteArray("VIREO 4400\r") << QString();
        QTest::newRow("any last character") << QByteArray("VIREO 4400\xFF") << QString();
        QTest::newRow("a shorter model") << QByteArray("V4400\r") << QString();
        QTest::newRow("all of printable ASCII")
            << QByteArray(" !\"#$%&'()*+,-./09:;<=>?@AZ[\\]^_`az{|}~\r") << QString();
        QTest::newRow("echo") << QByteArray("?54&10\r\n") << echo;
        QTest::newRow("echo, cut") << QByteArray("?54&1") << echo;
        QTest::newRow("echo, then a modem's ERROR")
            << QByteArray("?54&10\r\n\r\nERROR\r\n") << echo;
        QTest::newRow("echo without CR LF") << QByteArray("?54&10") << echo;
        QTest::newRow("a control character") << QByteArray("VIREO\t4400\r") << unprintable;
        QTest::newRow("CR LF after the model: the field would show the CR")
            << QByteArray("VIREO 4400\r\n") << unprintable;
        QTest::newRow("code 0, which the field would cut at")
            << QByteArray("VIR\0EO 4400\r", 12) << unprintable;
        QTest::newRow("DEL") << QByteArray("VIREO\x7F\r") << unprintable;
        QTest::newRow("Latin-1 letter") << QByteArray("VIR\xC9O 4400\r") << unprintable;
        QTest::newRow("noise") << QByteArray("\x8A\x01\xF3\x00\x7E\x0D", 6) << unprintable;
        QTest::newRow("one character") << QByteArray("\r") << noText;
        QTest::newRow("blanks") << QByteArray("   \r") << noText;
        QTest::newRow("nothing") << QByteArray() << noText;
    }
    void modelReplies()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QString, fault);
        QCOMPARE(modelReplyFault(QString::fromLatin1(reply)), fault);
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
