#include "label/production.h"
#include "testmain.h"

#include <QTest>

// The arithmetic of a production run: serial numbers in their two forms and the log's lines.
class tst_Production : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void serialNumbersAndTagBlocks()
    {
        using production::SerialForm;
        production::SerialNumber s{2, 4, SerialForm::Decimal, 1};
        QCOMPARE(production::serialBytes(s, 42), QByteArray("0042"));
        QCOMPARE(production::largestSerial(s), quint64(9999));
        s.width = 8;
        QCOMPARE(production::serialBytes(s, 12345678), QByteArray("12345678"));
        QCOMPARE(production::largestSerial(s), quint64(99999999));
        s.form = SerialForm::Binary;
        QCOMPARE(production::serialBytes(s, 0x0102030405060708ull),
                 QByteArray("\x01\x02\x03\x04\x05\x06\x07\x08"));
        QCOMPARE(production::largestSerial(s), ~quint64(0));
        s.width = 4;
        QCOMPARE(production::serialBytes(s, 0x2A), QByteArray("\x00\x00\x00\x2A", 4));
        QCOMPARE(production::largestSerial(s), quint64(0xFFFFFFFF));

        // The serial's rows are written over the template's, in row order.
        const QList<RowBytes> templateRows{{0, "HEAD"}, {2, "old"}, {5, "TAIL"}};
        const production::SerialNumber eight{1, 8, SerialForm::Decimal, 1};
        QCOMPARE(production::tagBlocks(templateRows, &eight, 77),
                 (QList<RowBytes>{{0, "HEAD"}, {1, "0000"}, {2, "0077"}, {5, "TAIL"}}));
        QCOMPARE(production::tagBlocks(templateRows, nullptr, 77), templateRows);

        // Values whose bytes would end a command line are passed over; the width runs out.
        production::SerialNumber binary{0, 4, SerialForm::Binary, 0};
        QList<quint64> skipped;
        quint64 value = 0x0A;
        QVERIFY(production::firstSerial(binary, &value, &skipped));
        QCOMPARE(value, quint64(0x0B));
        QVERIFY(production::nextSerial(binary, &value, &skipped));
        QVERIFY(production::nextSerial(binary, &value, &skipped));
        QCOMPARE(value, quint64(0x0E));
        QCOMPARE(skipped, (QList<quint64>{0x0A, 0x0D}));
        value = 0xFFFFFFFE;
        QVERIFY(production::nextSerial(binary, &value, &skipped));
        QVERIFY(!production::nextSerial(binary, &value, &skipped));
        QCOMPARE(value, quint64(0xFFFFFFFF));
        binary.width = 8;
        value = ~quint64(0);
        QVERIFY(!production::nextSerial(binary, &value, &skipped));  // no wrap to 0
        production::SerialNumber decimal{0, 4, SerialForm::Decimal, 0};
        value = 10000;
        QVERIFY(!production::firstSerial(decimal, &value, &skipped));
        QCOMPARE(production::valueRanges({10, 13, 266, 267, 268, 511}),
                 QStringLiteral("10, 13, 266-268, 511"));
    }

    void logLines()
    {
        const QDateTime time(QDate(2026, 12, 8), QTime(21, 30, 5), Qt::OffsetFromUTC, 3600);
        QCOMPARE(production::logHeader(), QStringLiteral("ora,sequenza,uid,seriale,dati,esito"));
        QCOMPARE(production::logLine(time, 3, "\xE0\x04\x01\x50\x2A\x3C\x7B\x12", "41",
                                     {{0, "0041"}, {2, QByteArray("\x00\xFF\x0D\x41", 4)}}, "OK"),
                 QStringLiteral("2026-12-08T21:30:05+01:00,3,E00401502A3C7B12,41,1:30303431 "
                                "3:00FF0D41,OK"));
        // A field with a comma or a quote is quoted.
        QCOMPARE(production::logLine(time, 4, {}, {}, {}, "verifica fallita per i blocchi 1, 2"),
                 QStringLiteral("2026-12-08T21:30:05+01:00,4,,,,\"verifica fallita per i "
                                "blocchi 1, 2\""));
        QCOMPARE(production::logLine(time, 5, {}, {}, {}, "a \"b\""),
                 QStringLiteral("2026-12-08T21:30:05+01:00,5,,,,\"a \"\"b\"\"\""));

        QCOMPARE(production::duration(0.4), QStringLiteral("0:00"));
        QCOMPARE(production::duration(65), QStringLiteral("1:05"));
        QCOMPARE(production::duration(3725), QStringLiteral("1:02:05"));
        QCOMPARE(production::duration(-3), QStringLiteral("0:00"));
    }
};

V4400_TEST(tst_Production);
#include "tst_production.moc"
