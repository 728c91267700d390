#include "label/labelcommands.h"
#include "testmain.h"

#include <QTest>

using namespace labelcommands;

class tst_LabelCommands : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void textCommandForms_data()
    {
        QTest::addColumn<int>("n1");
        QTest::addColumn<int>("n2");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("command");
        QTest::newRow("caption") << 20 << 720 << "Comando:"
                                 << "?52&20,720,10,7,12;Comando:";
        QTest::newRow("empty text ends with ;") << 20 << 720 << ""
                                                << "?52&20,720,10,7,12;";
        QTest::newRow("separators pass unchanged") << 20 << 682 << ";a,b&c;"
                                                   << "?52&20,682,10,7,12;;a,b&c;";
        QTest::newRow("blanks kept") << 20 << 657 << "  x  "
                                     << "?52&20,657,10,7,12;  x  ";
        QTest::newRow("N1 two digits") << 0 << 474 << "BELMUTH"
                                       << "?52&00,474,10,7,12;BELMUTH";
        QTest::newRow("N1 31") << 31 << 480 << "AB"
                               << "?52&31,480,10,7,12;AB";
    }
    void textCommandForms()
    {
        QFETCH(int, n1);
        QFETCH(int, n2);
        QFETCH(QString, text);
        QFETCH(QString, command);
        QCOMPARE(textCommand(n1, n2, 10, 7, 12, text), command);
    }

    void linePositions()
    {
        QCOMPARE(firstFieldLine(), 682);  // 682.5, tie to the even neighbour
        QCOMPARE(roundHalfEven(682.5), 682);
        QCOMPARE(roundHalfEven(683.5), 684);
        QCOMPARE(roundHalfEven(682.49), 682);
        QCOMPARE(roundHalfEven(682.51), 683);
        QCOMPARE(roundHalfEven(-0.5), 0);
        QCOMPARE(roundHalfEven(-1.5), -2);
        QList<int> lines;
        for (int i = 0, line = firstFieldLine(); i < 7; ++i, line -= kFieldLineStep)
            lines << line;
        QCOMPARE(lines, (QList<int>{682, 657, 632, 607, 582, 557, 532}));
    }

    // Which characters a label text may hold: codes 32 to 126 and 128 to 255.
    void printableTexts()
    {
        using labelcommands::TextFault;
        for (int code = 0; code < 0x120; ++code) {
            const QString text = QStringLiteral("AB") + QChar(code) + QStringLiteral("CD");
            const TextFault expected = code < 32 || code == 127 ? TextFault::ControlCharacter
                                       : code > 255             ? TextFault::NotSingleByte
                                                                : TextFault::None;
            QVERIFY2(labelcommands::textFault(text) == expected, qPrintable(QString::number(code)));
        }
        QVERIFY(labelcommands::textFault(QString()) == TextFault::None);
        // The first that cannot be printed decides.
        QVERIFY(labelcommands::textFault(QString::fromUtf8("€\r")) == TextFault::NotSingleByte);
        QVERIFY(labelcommands::textFault(QString::fromUtf8("\r€")) == TextFault::ControlCharacter);
    }

    void blockLabelCommands()
    {
        const QStringList label = blockLabel("AB", "CDEF");
        QCOMPARE(label,
                 (QStringList{"?00&", "?81&1", "?52&00,474,764,18,11;BELMUTH",
                              "?52&00,538,763,17,11;Vireo 4400 TAG - RF", "?09&2", "?10&1", "?11&2",
                              "?13&2", "?52&31,480,37,14,116;ABCDEF", "?14&1", "?81&0"}));
        QCOMPARE(blockLabel("", "ABCD")[8], QStringLiteral("?52&31,480,37,14,116;ABCD"));
        QCOMPARE(blockLabel("  ", "")[8], QStringLiteral("?52&31,480,37,14,116;  "));
    }
};

V4400_TEST(tst_LabelCommands);
#include "tst_labelcommands.moc"
