#include "app/statusbartexts.h"
#include "testmain.h"

#include <QTest>

class tst_StatusBarTexts : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void texts_data()
    {
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("defaults") << 1 << "9600,n,8,1"
                                  << QStringList{"Porta Seriale:  COM1", "Baudrate:  9600",
                                                 "Parità:  NESSUNA", "Bit DATI:  8",
                                                 "Bit STOP:  1"};
        QTest::newRow("lower-case e")
            << 2 << "1200,e,7,2"
            << QStringList{"Porta Seriale:  COM2", "Baudrate:  1200", "Parità:  PARI",
                           "Bit DATI:  7", "Bit STOP:  2"};
        QTest::newRow("five-digit speed, odd")
            << 4 << "57600,o,8,1"
            << QStringList{"Porta Seriale:  COM4", "Baudrate:  57600", "Parità:  DISPARI",
                           "Bit DATI:  8", "Bit STOP:  1"};
        QTest::newRow("stop bits 1.5 show their first character")
            << 3 << "9600,m,8,1.5"
            << QStringList{"Porta Seriale:  COM3", "Baudrate:  9600", "Parità:  MARK",
                           "Bit DATI:  8", "Bit STOP:  1"};
        QTest::newRow("port 12, space")
            << 12 << "19200,S,8,2"
            << QStringList{"Porta Seriale:  COM12", "Baudrate:  19200", "Parità:  SPACE",
                           "Bit DATI:  8", "Bit STOP:  2"};
    }
    void texts()
    {
        QFETCH(int, port);
        QFETCH(QString, settings);
        QFETCH(QStringList, expected);
        QCOMPARE(statusBarTexts(port, settings), expected);
    }

    // Texts that the serial control never returns still give five texts and no crash.
    void malformedSettings()
    {
        for (const QString &s : {QString(), QStringLiteral("9600"), QStringLiteral("9600,"),
                                 QStringLiteral(",,,"), QStringLiteral("9600,x")}) {
            const QStringList texts = statusBarTexts(1, s);
            QCOMPARE(texts.size(), 5);
            QCOMPARE(texts[0], QStringLiteral("Porta Seriale:  COM1"));
        }
        QCOMPARE(statusBarTexts(1, "9600")[1], QStringLiteral("Baudrate:  9600"));
        QCOMPARE(statusBarTexts(1, "9600,x")[2], QStringLiteral("Parità:  X"));
    }
};

V4400_TEST(tst_StatusBarTexts);
#include "tst_statusbartexts.moc"
