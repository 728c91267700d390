#include "production/production.h"
#include "production/productionjob.h"
#include "production/productionrecord.h"
#include "production/runtexts.h"
#include "testmain.h"

#include <QElapsedTimer>
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

        QCOMPARE(production::valueRanges({{10, 10}, {13, 13}, {266, 268}, {511, 511}}),
                 QStringLiteral("10, 13, 266-268, 511"));
    }

    // Values whose bytes would end a command line (0A, 0D) are passed over in one jump, however
    // many there are; a series ends where stepping through it ends; the width runs out without
    // wrapping. "first;last;passed over": none first from the start on, no last when the series
    // does not fit, the first values passed over.
    void serialsPassOverLineBreaks_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("binary");
        QTest::addColumn<quint64>("start");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("expected");
        QTest::newRow("0A, 0D") << 4 << true << quint64(0x0A) << 3 << "11;14;10";
        QTest::newRow("4 bytes, top byte 0A")
            << 4 << true << quint64(0x0A000000) << 2 << "184549376;184549377;167772160-184549375";
        QTest::newRow("8 bytes, fifth byte 0A")
            << 8 << true << quint64(0x0A00000000) << 2
            << "47244640256;47244640257;42949672960-47244640255";
        QTest::newRow("8 bytes 0D, 9999 tags")
            << 8 << true << quint64(0x0D0D0D0D0D0D0D0D) << 9999
            << "1008806316530991104;1008806316531001694;940422246894996749-1008806316530991103";
        QTest::newRow("inner byte")
            << 4 << true << quint64(0x010A0D00) << 1 << "17498112;17498112;17435904-17498111";
        QTest::newRow("4 bytes, to the end")
            << 4 << true << quint64(0xFFFFFFFE) << 2 << "4294967294;4294967295;";
        QTest::newRow("4 bytes, past it")
            << 4 << true << quint64(0xFFFFFFFE) << 3 << "4294967294;;";
        QTest::newRow("8 bytes, no wrap")
            << 8 << true << ~quint64(0) << 2 << "18446744073709551615;;";
        QTest::newRow("digits, to the end") << 4 << false << quint64(9998) << 2 << "9998;9999;";
        QTest::newRow("digits, past it") << 4 << false << quint64(9998) << 3 << "9998;;";
        QTest::newRow("digits, beyond") << 4 << false << quint64(10000) << 1 << ";;";
    }
    void serialsPassOverLineBreaks()
    {
        QFETCH(int, width);
        QFETCH(bool, binary);
        QFETCH(quint64, start);
        QFETCH(int, count);
        QFETCH(QString, expected);
        using production::SerialForm;
        const production::SerialNumber serial{
            0, width, binary ? SerialForm::Binary : SerialForm::Decimal, start};
        QElapsedTimer clock;
        clock.start();
        quint64 value = start, end = 0;
        QList<production::ValueRange> passed;
        QStringList got{QString(), QString()};
        if (production::firstSerial(serial, &value, &passed)) {
            got[0] = QString::number(value);
            const bool fits = production::lastSerial(serial, value, count, &end);
            if (fits)
                got[1] = QString::number(end);
            // Step by step as the run goes: to the same end, never a byte 0A or 0D.
            bool left = true;
            for (int i = 1; i < count && left; ++i) {
                left = production::nextSerial(serial, &value, &passed);
                const QByteArray bytes = production::serialBytes(serial, value);
                QVERIFY(!bytes.contains('\n') && !bytes.contains('\r'));
            }
            QCOMPARE(left, fits);
            QVERIFY(!fits || value == end);
        }
        got << production::valueRanges(passed.mid(0, 1));
        QCOMPARE(got.join(';'), expected);
        QVERIFY(clock.elapsed() < 1000);  // jumps, not a walk through what is passed over
    }

    // Serial numbers already written: a series that would touch one is found, and where a series
    // of as many tags can start instead. "first used;where it can start;the used ranges".
    void usedSerials_data()
    {
        QTest::addColumn<int>("usedLayout");  // 0 the plan's, 1 another row, 2 another form
        QTest::addColumn<bool>("binary");
        QTest::addColumn<QList<quint64>>("used");  // first, last, first, last...
        QTest::addColumn<quint64>("start");
        QTest::addColumn<int>("count");  // 0: until the width runs out
        QTest::addColumn<QString>("expected");
        using L = QList<quint64>;
        const quint64 max = ~quint64(0);
        QTest::newRow("used up") << 0 << false << L{9998, 9999} << quint64(9998) << 2
                                 << "9998;;9998-9999";
        QTest::newRow("used up, until stopped")
            << 0 << false << L{9998, 9999} << quint64(9998) << 0 << "9998;;9998-9999";
        QTest::newRow("again from the start")
            << 0 << false << L{1, 5} << quint64(1) << 3 << "1;6;1-5";
        QTest::newRow("in a gap too small")
            << 0 << false << L{1, 5, 9, 9} << quint64(2) << 4 << "2;10;1-5, 9";
        QTest::newRow("until stopped, ahead")
            << 0 << false << L{100, 105, 200, 210} << quint64(1) << 0 << "100;211;100-105, 200-210";
        QTest::newRow("joined") << 0 << false << L{1, 3, 7, 7, 4, 6, 5, 8} << quint64(2) << 1
                                << "2;9;1-8";
        QTest::newRow("8 bytes, the largest")
            << 0 << true << L{max, max} << max << 1 << "18446744073709551615;;18446744073709551615";
        QTest::newRow("binary, past 0D") << 0 << true << L{9, 12} << quint64(9) << 1 << "9;14;9-12";
        QTest::newRow("another row") << 1 << false << L{1, 5} << quint64(1) << 5 << ";1;";
        QTest::newRow("another form") << 2 << false << L{1, 5} << quint64(1) << 5 << ";1;";
    }
    void usedSerials()
    {
        QFETCH(int, usedLayout);
        QFETCH(bool, binary);
        QFETCH(QList<quint64>, used);
        QFETCH(quint64, start);
        QFETCH(int, count);
        QFETCH(QString, expected);
        using production::SerialForm;
        const production::SerialNumber plan{
            2, binary ? 8 : 4, binary ? SerialForm::Binary : SerialForm::Decimal, start};
        production::SerialNumber other = plan;
        if (usedLayout == 1)
            other.row = 3;
        if (usedLayout == 2)
            other.form = SerialForm::Binary;
        production::UsedSerials set;
        for (int i = 0; i + 1 < used.size(); i += 2)
            set.add(other, used[i], used[i + 1]);
        quint64 first = start, last = production::largestSerial(plan);
        QVERIFY(production::firstSerial(plan, &first));
        QVERIFY(count == 0 || production::lastSerial(plan, first, count, &last));
        const auto text = [](std::optional<quint64> v) {
            return v ? QString::number(*v) : QString();
        };
        QCOMPARE(QStringList({text(set.firstUsed(plan, first, last)),
                              text(set.firstFree(plan, start, count)),
                              production::valueRanges(set.ranges(plan))})
                     .join(';'),
                 expected);
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

        // The form a spreadsheet set for Italy opens: ";", local time with its offset apart, the
        // serial as text, a printer's answer never taken for a formula.
        const production::RunStamp run{"20261208-213005-3fa2", "=VIREO", "1.0;2"};
        QCOMPARE(production::spreadsheetHeader(),
                 QByteArray("\xEF\xBB\xBFora;utc;serie;modello;versione;sequenza;uid;seriale;"
                            "dati;esito"));
        QCOMPARE(
            production::spreadsheetLine(time, run, 3, "\xE0\x04", "0041", "1:30303431",
                                        "verifica fallita per i blocchi 1, 2"),
            QByteArray("2026-12-08 21:30:05;UTC+01:00;20261208-213005-3fa2;'=VIREO;\"1.0;2\";"
                       "3;E004;\"=\"\"0041\"\"\";1:30303431;verifica fallita per i blocchi 1, 2"));
        QCOMPARE(production::spreadsheetLine(time.toOffsetFromUtc(-5 * 3600 - 1800), run, 0, {}, {},
                                             {}, "a")
                     .left(30),
                 QByteArray("2026-12-08 15:00:05;UTC-05:30;"));
        production::SerialNumber binary{2, 8, production::SerialForm::Binary, 0};
        QCOMPARE(production::serialText(binary, 42), QStringLiteral("000000000000002A"));
        QCOMPARE(production::layoutText(&binary),
                 QStringLiteral("numero di serie blocco 3, 8 byte, binario"));

        QCOMPARE(production::duration(0.4), QStringLiteral("0:00"));
        QCOMPARE(production::duration(65), QStringLiteral("1:05"));
        QCOMPARE(production::duration(3725), QStringLiteral("1:02:05"));
        QCOMPARE(production::duration(-3), QStringLiteral("0:00"));
    }

    // What the dialog shows of a run: counts that agree in number, failures marked in words, the
    // template with its data and the rows the serial number replaces.
    void runTexts_data()
    {
        QTest::addColumn<QString>("actual");
        QTest::addColumn<QString>("expected");
        using runtexts::Mark;
        QTest::newRow("one each") << runtexts::counts(1, 1) << "1 tag riuscito, 1 fallito";
        QTest::newRow("many") << runtexts::counts(2, 3) << "2 tag riusciti, 3 falliti";
        const QByteArray uid = QByteArray::fromHex("E00401502A3C7B12");
        QTest::newRow("failed") << runtexts::listLine(3, uid, "1003", "nessun tag", Mark::Failed)
                                << "   3  E00401502A3C7B12  1003  FALLITO: nessun tag";
        QTest::newRow("unfinished")
            << runtexts::listLine(3, uid, "", "non inviato", Mark::Unfinished)
            << "   3  E00401502A3C7B12    NON COMPLETATO: non inviato";
        const production::SerialNumber serial{1, 8, production::SerialForm::Decimal, 1};
        QTest::newRow("template") << runtexts::templateListing(
                                         {{0, "B001"}, {2, "AB"}, {4, QByteArray("\x01\x0D", 2)}},
                                         &serial)
                                  << "Dalla griglia, come li scriverebbe ora \"SCRIVI\":\n"
                                     "Blocco 1: «B001» 42303031\n"
                                     "Blocco 3: sostituito dal numero di serie\n"
                                     "Blocco 5: 2020010D\n"
                                     "Numero di serie nei blocchi 2 e 3.";
        QTest::newRow("empty template")
            << runtexts::templateListing({}, nullptr) << "Nessun blocco selezionato nella griglia.";
    }
    void runTexts()
    {
        QFETCH(QString, actual);
        QFETCH(QString, expected);
        QCOMPARE(actual, expected);
    }

    // A log read back: the serial numbers it records as used (in its runs' own layouts, or in
    // the one assumed for the old form), the UIDs programmed, the last sequence; anything else
    // refused naming the first bad line. Lines whose tag received nothing use no serial.
    void readingALog_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expected");  // decimal used; binary used; UIDs; sequence
        const QByteArray header = production::spreadsheetHeader() + "\n";
        const QByteArray start = "2026-12-09 14:05:03;UTC+01:00;R1;V;1;;;;\"numero di serie blocco "
                                 "3, 4 byte, binario; verifica: sì\";inizio serie\n";
        const QByteArray tags =
            "2026-12-09 14:05:04;UTC+01:00;R1;V;1;;;\"=\"\"0000000A\"\"\";;saltati: i loro byte "
            "contengono 0D o 0A\n"
            "2026-12-09 14:05:04;UTC+01:00;R1;V;1;1;E00401;\"=\"\"0000000B\"\"\";3:0000000B;OK\n"
            "2026-12-09 14:05:05;UTC+01:00;R1;V;1;2;E00402;\"=\"\"0000000C\"\"\";;\"no; OK\"\n"
            "2026-12-09 14:05:06;UTC+01:00;R1;V;1;3;E00403;\"=\"\"0000000E\"\"\";;non inviato\n";
        const QByteArray old = "ora,sequenza,uid,seriale,dati,esito\n"
                               "2026-12-08T21:30:02+01:00,7,E00401,1001,1:31303031,OK\n"
                               "2026-12-08T21:30:04+01:00,8,E00402,1002,,\"verifica fallita, 1\"\n";
        QTest::newRow("new log") << QByteArray() << ";;0;0";
        QTest::newRow("runs in their layouts") << header + start + tags << ";11-12;1;3";
        QTest::newRow("CRLF, last line cut short")
            << QByteArray(header + start + tags).replace("\n", "\r\n") + "2026-12-09 14:0"
            << ";11-12;1;3";
        QTest::newRow("old comma form") << old << "1001-1002;;1;8";
        QTest::newRow("not a log")
            << QByteArray("nome,cognome\nRossi,Mario\n")
            << "non è un registro della produzione: la prima riga è «nome,cognome»";
        QTest::newRow("a line with fields missing")
            << old + "2026-12-08,9,E004\n" + old.mid(36)
            << "non si può continuare: la riga 4 non ha i campi del registro "
               "(«2026-12-08,9,E004»)";
        QTest::newRow("a UID not in hex")
            << old + "2026-12-08,9,E0X4,1003,,OK\n"
            << "non si può continuare: la riga 4 ha un UID che non è esadecimale "
               "(«2026-12-08,9,E0X4,1003,,OK»)";
        QTest::newRow("a serial not of its layout")
            << header + start + tags.left(tags.indexOf("OK\n") + 3).replace("0000000B", "0B")
            << "non si può continuare: la riga 4 ha un numero di serie che non corrisponde al "
               "suo formato («2026-12-09 14:05:04;UTC+01:00;R1;V;1;1;E00401;\"=\"\"0B\"\"\";3:0B…» "
               "(63 caratteri))";
        QTest::newRow("a quote left open")
            << old + "2026-12-08,9,E004,1003,,\"OK\n2026-12-08,10,E005,1004,,OK\n"
            << "non si può continuare: la riga 4 non ha i campi del registro "
               "(«2026-12-08,9,E004,1003,,\"OK\\n2026-12-08,10,E005,1004,,OK»)";
    }
    // A job file: what is saved opens the same; every field is checked, a bad file refused
    // with the reason.
    void jobFiles_data()
    {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("as saved") << QByteArray() << QByteArray() << QString();
        QTest::newRow("not JSON") << QByteArray("{") << QByteArray("[")
                                  << "non è un file JSON valido";
        QTest::newRow("another format")
            << QByteArray("v4400-tag-rf-lavoro") << QByteArray("v4400-tag-rf-blocchi")
            << "non è un lavoro di produzione di questo programma";
        QTest::newRow("a later version")
            << QByteArray("\"version\": 1") << QByteArray("\"version\": 2")
            << "è di una versione che questo programma non conosce";
        QTest::newRow("row 29") << QByteArray("\"row\": 3") << QByteArray("\"row\": 29")
                                << "il campo \"template\" non è valido";
        QTest::newRow("serial past its width")
            << QByteArray("\"start\": \"41\"") << QByteArray("\"start\": \"100000000\"")
            << "il campo \"serial\" non è valido";
        QTest::newRow("a label unknown") << QByteArray("\"blocchi\"") << QByteArray("\"tutte\"")
                                         << "il campo \"label\" non è valido";
    }
    void jobFiles()
    {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(QString, refusal);
        ProductionPlan job;
        job.templateRows = {{2, "DATA"}, {5, QByteArray("\x00\x0D\xFF ", 4)}};
        job.count = 7;
        job.serial = production::SerialNumber{0, 8, production::SerialForm::Decimal, 41};
        job.verify = false;
        job.label = ProductionPlan::Label::Blocks;
        job.onFailure = ProductionPlan::OnFailure::Void;
        job.logPath = QStringLiteral("/srv/produzione/registro;1.csv");
        QByteArray content = productionjob::toJson(job);
        QVERIFY(from.isEmpty() || content.contains(from));
        content.replace(from, to);
        ProductionPlan read;
        read.count = 3;
        const QByteArray untouched = productionjob::toJson(read);
        QString why;
        QCOMPARE(productionjob::fromJson(content, &read, &why), refusal.isEmpty());
        QCOMPARE(why, refusal);
        QCOMPARE(productionjob::toJson(read),
                 refusal.isEmpty() ? productionjob::toJson(job) : untouched);
    }

    void readingALog()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        const production::SerialNumber decimal{0, 8, production::SerialForm::Decimal, 1};
        const production::SerialNumber binary{2, 4, production::SerialForm::Binary, 1};
        production::LogContent log;
        QString why;
        if (!production::readLog(content, &decimal, &log, &why)) {
            QCOMPARE(why, expected);
            return;
        }
        QCOMPARE(QStringList({production::valueRanges(log.used.ranges(decimal)),
                              production::valueRanges(log.used.ranges(binary)),
                              QString::number(log.uids.size()), QString::number(log.lastSequence)})
                     .join(';'),
                 expected);
    }
};

V4400_TEST(tst_Production);
#include "tst_production.moc"
