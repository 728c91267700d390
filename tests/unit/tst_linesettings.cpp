#include "link/linesettings.h"
#include "testmain.h"

#include <QTest>

class tst_LineSettings : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void accepted_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("readBack");
        QTest::newRow("defaults") << "9600,N,8,1"
                                  << "9600,n,8,1";
        QTest::newRow("lower-case parity") << "9600,n,8,1"
                                           << "9600,n,8,1";
        QTest::newRow("even, 7, 2") << "57600,E,7,2"
                                    << "57600,e,7,2";
        QTest::newRow("odd") << "19200,O,7,2"
                             << "19200,o,7,2";
        QTest::newRow("mark, 1.5") << "1200,m,8,1.5"
                                   << "1200,m,8,1.5";
        QTest::newRow("space") << "2400,S,8,1"
                               << "2400,s,8,1";
        QTest::newRow("blanks around fields") << " 4800 ,N, 8 ,1"
                                              << "4800,n,8,1";
        QTest::newRow("115200") << "115200,N,8,1"
                                << "115200,n,8,1";
    }
    void accepted()
    {
        QFETCH(QString, text);
        QFETCH(QString, readBack);
        LineSettings line;
        const SerialError e = LineSettings::parse(text, &line);
        QVERIFY2(e.ok(), qPrintable(e.description));
        QCOMPARE(line.format(), readBack);
    }

    void refused_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("mentions");
        QTest::newRow("speed not a number") << "fast,N,8,1" << 0 << "«fast»";
        QTest::newRow("speed not offered") << "9601,N,8,1" << 0 << "«9601»";
        QTest::newRow("parity letter") << "9600,X,8,1" << 1 << "«X»";
        QTest::newRow("parity missing") << "9600,,8,1" << 1 << "manca la parità";
        QTest::newRow("parity word") << "9600,NO,8,1" << 1 << "«NO»";
        QTest::newRow("data bits") << "9600,N,9,1" << 2 << "«9»";
        QTest::newRow("stop bits") << "9600,N,8,3" << 3 << "«3»";
        QTest::newRow("three fields") << "9600,N,8" << -1 << "quattro campi";
        QTest::newRow("empty") << "" << -1 << "quattro campi";
        QTest::newRow("five fields") << "9600,N,8,1,1" << -1 << "quattro campi";
    }
    void refused()
    {
        QFETCH(QString, text);
        QFETCH(int, field);
        QFETCH(QString, mentions);
        LineSettings line;
        line.baudRate = 1234;
        const SerialError e = LineSettings::parse(text, &line);
        QCOMPARE(e.number, int(SerialError::InvalidSettings));
        QCOMPARE(e.field, field);
        QVERIFY2(e.description.contains(QStringLiteral("«") + text + QStringLiteral("»")),
                 qPrintable(e.description));
        QVERIFY2(e.description.contains(mentions), qPrintable(e.description));
        QCOMPARE(line.baudRate, 1234);  // untouched on refusal
    }
};

V4400_TEST(tst_LineSettings);
#include "tst_linesettings.moc"
