#include "settings/propertyselection.h"
#include "testmain.h"

#include <QTest>

using properties::Selection;

namespace {

// An index as the entry it selects, so that failures read as the operator would see them.
QString entry(const QStringList &list, int index)
{
    return index < 0 ? QStringLiteral("<none>")
                     : list.value(index, QStringLiteral("<out of range>"));
}

}  // namespace

class tst_PropertySelection : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void lineFields_data()
    {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QString>("speed");
        QTest::addColumn<QString>("parity");
        QTest::addColumn<QString>("dataBits");
        QTest::addColumn<QString>("stopBits");
        QTest::newRow("defaults") << "9600,n,8,1"
                                  << "9600"
                                  << "Nessuna"
                                  << "8"
                                  << "1";
        QTest::newRow("57600 even 7 2") << "57600,e,7,2"
                                        << "57600"
                                        << "Pari"
                                        << "7"
                                        << "2";
        QTest::newRow("odd") << "19200,o,7,2"
                             << "19200"
                             << "Dispari"
                             << "7"
                             << "2";
        QTest::newRow("mark") << "1200,m,8,1"
                              << "1200"
                              << "Mark"
                              << "8"
                              << "1";
        QTest::newRow("space") << "2400,s,8,2"
                               << "2400"
                               << "Space"
                               << "8"
                               << "2";
        // Only the lower-case letter the serial control reads back selects a parity.
        QTest::newRow("upper-case parity") << "9600,N,8,1"
                                           << "9600"
                                           << "<none>"
                                           << "8"
                                           << "1";
        QTest::newRow("other letter") << "9600,x,8,1"
                                      << "9600"
                                      << "<none>"
                                      << "8"
                                      << "1";
        // Values no list holds select nothing in that list only.
        QTest::newRow("speed 300") << "300,n,8,1"
                                   << "<none>"
                                   << "Nessuna"
                                   << "8"
                                   << "1";
        QTest::newRow("speed 115200") << "115200,n,8,1"
                                      << "<none>"
                                      << "Nessuna"
                                      << "8"
                                      << "1";
        QTest::newRow("stop bits 1.5") << "9600,n,8,1.5"
                                       << "9600"
                                       << "Nessuna"
                                       << "8"
                                       << "<none>";
        QTest::newRow("data bits 5") << "4800,m,5,2"
                                     << "4800"
                                     << "Mark"
                                     << "<none>"
                                     << "2";
        // Fields are found by their distance from the end: an empty parity field shifts the speed.
        QTest::newRow("empty parity") << "9600,,8,1"
                                      << "<none>"
                                      << "<none>"
                                      << "8"
                                      << "1";
        QTest::newRow("empty") << ""
                               << "<none>"
                               << "<none>"
                               << "<none>"
                               << "<none>";
        QTest::newRow("one character") << "1"
                                       << "<none>"
                                       << "<none>"
                                       << "<none>"
                                       << "1";
        QTest::newRow("dot only") << "1.5"
                                  << "<none>"
                                  << "<none>"
                                  << "<none>"
                                  << "<none>";
        QTest::newRow("commas") << ",,,,"
                                << "<none>"
                                << "<none>"
                                << "<none>"
                                << "<none>";
    }
    void lineFields()
    {
        QFETCH(QString, settings);
        const Selection s = properties::selection(settings, 1, 0);
        QTEST(entry(properties::speedEntries(), s.speed), "speed");
        QTEST(entry(properties::parityEntries(), s.parity), "parity");
        QTEST(entry(properties::dataBitsEntries(), s.dataBits), "dataBits");
        QTEST(entry(properties::stopBitsEntries(), s.stopBits), "stopBits");
    }

    void portAndFlow_data()
    {
        QTest::addColumn<int>("commPort");
        QTest::addColumn<int>("handshaking");
        QTest::addColumn<int>("port");
        QTest::addColumn<int>("flow");
        QTest::newRow("first") << 1 << 0 << 0 << 0;
        QTest::newRow("last") << 4 << 3 << 3 << 3;
        QTest::newRow("Xon/Xoff on Com2") << 2 << 1 << 1 << 1;
        QTest::newRow("port 7, mode 9") << 7 << 9 << -1 << -1;
        QTest::newRow("port 0, mode -1") << 0 << -1 << -1 << -1;
        QTest::newRow("port 5, mode 4") << 5 << 4 << -1 << -1;
    }
    void portAndFlow()
    {
        QFETCH(int, commPort);
        QFETCH(int, handshaking);
        const Selection s = properties::selection("9600,n,8,1", commPort, handshaking);
        QTEST(s.port, "port");
        QTEST(s.flow, "flow");
    }

    // Every short text over the characters that matter selects only indexes inside the lists.
    void anyTextIsSafe()
    {
        const QString alphabet = QStringLiteral("96,.nN1à");
        QStringList texts{QString()};
        for (int length = 1; length <= 5; ++length) {
            QStringList longer;
            for (const QString &t : texts)
                if (t.size() == length - 1)
                    for (QChar c : alphabet)
                        longer << t + c;
            texts << longer;
        }
        for (const QString &t : texts) {
            const Selection s = properties::selection(t, 1, 0);
            QVERIFY2(s.speed >= -1 && s.speed < 7, qPrintable(t));
            QVERIFY2(s.parity >= -1 && s.parity < 5, qPrintable(t));
            QVERIFY2(s.dataBits >= -1 && s.dataBits < 2, qPrintable(t));
            QVERIFY2(s.stopBits >= -1 && s.stopBits < 2, qPrintable(t));
        }
    }

    void parityLetter_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("letter");
        QTest::newRow("Pari") << "Pari"
                              << "E";
        QTest::newRow("Dispari") << "Dispari"
                                 << "O";
        QTest::newRow("Nessuna") << "Nessuna"
                                 << "N";
        QTest::newRow("Mark") << "Mark"
                              << "M";
        QTest::newRow("Space") << "Space"
                               << "S";
        QTest::newRow("any case") << "nESSUNA"
                                  << "N";
        QTest::newRow("no selection") << ""
                                      << "";
        QTest::newRow("not an entry") << "Nessuno"
                                      << "";
    }
    void parityLetter()
    {
        QFETCH(QString, entry);
        QTEST(properties::parityLetter(entry), "letter");
    }

    void settingsText()
    {
        QCOMPARE(properties::settingsText("19200", "O", "7", "2"), QStringLiteral("19200,O,7,2"));
        QCOMPARE(properties::settingsText(" 9600 ", "N", " 8", "1 "), QStringLiteral("9600,N,8,1"));
        // Nothing selected gives empty fields; the serial control decides about them.
        QCOMPARE(properties::settingsText("9600", "", "8", "1"), QStringLiteral("9600,,8,1"));
        QCOMPARE(properties::settingsText("", "", "", ""), QStringLiteral(",,,"));
    }

    void commPortValue_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("value");
        QTest::newRow("Com1") << "Com1"
                              << "1";
        QTest::newRow("Com3") << "Com3"
                              << "3";
        QTest::newRow("Com4") << "Com4"
                              << "4";
        QTest::newRow("no selection") << ""
                                      << "";
        QTest::newRow("no digit") << "Com"
                                  << "";
    }
    void commPortValue()
    {
        QFETCH(QString, entry);
        QTEST(properties::commPortValue(entry), "value");
    }
};

V4400_TEST(tst_PropertySelection);
#include "tst_propertyselection.moc"
