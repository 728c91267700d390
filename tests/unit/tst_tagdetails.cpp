#include "tag/tagcodec.h"
#include "tag/tagdetails.h"
#include "testmain.h"

#include <QTest>

using namespace tagdetails;

class tst_TagDetails : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void manufacturers_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("name");
        QTest::newRow("0x01") << 0x01 << "Motorola";
        QTest::newRow("0x02") << 0x02 << "STMicroelectronics";
        QTest::newRow("0x04") << 0x04 << "NXP Semiconductors";
        QTest::newRow("0x05") << 0x05 << "Infineon Technologies";
        QTest::newRow("0x07") << 0x07 << "Texas Instruments";
        QTest::newRow("0x08") << 0x08 << "Fujitsu";
        QTest::newRow("0x16") << 0x16 << "EM Microelectronic-Marin";
        QTest::newRow("0x1F") << 0x1F << "Melexis";
        QTest::newRow("0x2C") << 0x2C << "Impinj";
        QTest::newRow("0x00") << 0x00 << "sconosciuto";
        QTest::newRow("0x2D") << 0x2D << "sconosciuto";
        QTest::newRow("0xFF") << 0xFF << "sconosciuto";
    }
    void manufacturers()
    {
        QFETCH(int, code);
        QFETCH(QString, name);
        QCOMPARE(manufacturer(quint8(code)), name);
    }

    void memorySizes_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second");
        QTest::addColumn<QString>("text");
        QTest::newRow("28 x 4") << 27 << 3 << QString::fromUtf8("28 blocchi × 4 byte = 112 byte");
        QTest::newRow("1 x 1") << 0 << 0 << QString::fromUtf8("1 blocchi × 1 byte = 1 byte");
        QTest::newRow("high bits of the size byte ignored")
            << 63 << 0xE3 << QString::fromUtf8("64 blocchi × 4 byte = 256 byte");
        QTest::newRow("256 x 32") << 255 << 0x1F
                                  << QString::fromUtf8("256 blocchi × 32 byte = 8192 byte");
    }
    void memorySizes()
    {
        QFETCH(int, first);
        QFETCH(int, second);
        QFETCH(QString, text);
        QCOMPARE(memorySize(quint8(first), quint8(second)), text);
    }

    void hexAndTooltips()
    {
        QCOMPARE(hexByte(0), QStringLiteral("0x00"));
        QCOMPARE(hexByte(0xAB), QStringLiteral("0xAB"));
        QCOMPARE(hexBytes(QByteArray("\xE0\x04\x01\0\0\0\0\0", 8)),
                 QStringLiteral("E0 04 01 00 00 00 00 00"));
        QCOMPARE(uidManufacturer(QByteArray("\xE0\x07", 2)), QStringLiteral("Texas Instruments"));
        QCOMPARE(uidManufacturer(QByteArray("\x12\x07", 2)), QStringLiteral("sconosciuto"));

        QString reply;
        for (int c : {0, 0, 224, 4, 1, 0, 0, 0, 0, 0, 0x2A, 27, 3, 1, 0, 0})
            reply += QChar(c);
        const tagcodec::TagInfo t = tagcodec::decodeSystemInformation(reply);
        QCOMPARE(t.uidTip,
                 QStringLiteral("E0 04 01 00 00 00 00 00\nProduttore: NXP Semiconductors"));
        QCOMPARE(t.afiTip, QStringLiteral("0x2A"));
        QCOMPARE(t.memSizeTip, QString::fromUtf8("28 blocchi × 4 byte = 112 byte"));
        QCOMPARE(t.icRefTip, QStringLiteral("0x01"));
        QCOMPARE(t.dsfidTip, QStringLiteral("0x00"));
        QVERIFY(t.dataSetsTip.isEmpty());  // placeholders carry no meaning
        QVERIFY(t.trTypeTip.isEmpty());
    }
};

V4400_TEST(tst_TagDetails);
#include "tst_tagdetails.moc"
