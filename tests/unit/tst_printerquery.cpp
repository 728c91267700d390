#include "desk.h"
#include "testmain.h"

#include <QSignalSpy>
#include <QTest>

namespace {

const QString kNoAnswer = QStringLiteral("ATTENZIONE! La stampante non risponde.");

// The model command answered with `model`, every other command with `other`.
std::function<QList<Emission>(const QByteArray &)> replies(QList<Emission> model,
                                                           QList<Emission> other)
{
    return [=](const QByteArray &command) { return command == "?54&10" ? model : other; };
}

}  // namespace

// "Interroga stampante" and its precondition on the printer identity, without a window.
class tst_PrinterQuery : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void answeredQuery()
    {
        Desk d;
        d.bench.query().run();
        QCOMPARE(d.comm.writes, (QList<QByteArray>{"?54&10\r\n", "?54&4\r\n"}));
        // A blank, then the reply without its last character.
        QCOMPARE(d.bench.printer().model(), QStringLiteral(" VIREO 4400"));
        QCOMPARE(d.bench.printer().release(), QStringLiteral(" V1.04.2"));
        QVERIFY(d.messages.shown.isEmpty());
        // The release is asked for after the settle pause, not before.
        QVERIFY(d.comm.writeTimesMs[1] - d.comm.writeTimesMs[0] >= 500);
    }

    void modelOnly()
    {
        Desk d;
        d.comm.script = replies({{5, d.comm.model().modelReply}}, {});
        d.bench.printer().setRelease(" old");
        d.bench.query().run();
        QCOMPARE(d.bench.printer().model(), QStringLiteral(" VIREO 4400"));
        QCOMPARE(d.bench.printer().release(), QString());
        QCOMPARE(d.messages.texts(), QStringList{kNoAnswer});
        QCOMPARE(d.messages.shown[0].style, int(kStyleError));
        // The precondition holds with the model alone.
        QVERIFY(d.bench.query().requireQueried());
    }

    void noAnswerKeepsEarlierFields()
    {
        Desk d;
        d.bench.query().run();
        d.comm.model().behaviour.silent = true;
        d.bench.query().run();
        QCOMPARE(d.comm.commands().last(), QStringLiteral("?54&10"));
        QCOMPARE(d.bench.printer().model(), QStringLiteral(" VIREO 4400"));
        QCOMPARE(d.bench.printer().release(), QStringLiteral(" V1.04.2"));
        QCOMPARE(d.messages.texts(), QStringList{kNoAnswer});
        QVERIFY(d.bench.query().requireQueried());
    }

    // 11 characters end the model wait at once; 12 never reach the expected length, so the wait
    // runs its 0.5 s and the reply is used all the same.
    void replyLengthDecidesTheWait_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("model");
        QTest::addColumn<bool>("wholeWait");
        QTest::newRow("11") << QByteArray("ABCDEFGHIJ\r") << " ABCDEFGHIJ" << false;
        QTest::newRow("12") << QByteArray("ABCDEFGHIJK\r") << " ABCDEFGHIJK" << true;
    }
    void replyLengthDecidesTheWait()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QString, model);
        QFETCH(bool, wholeWait);
        Desk d;
        d.comm.model().modelReply = reply;
        d.bench.query().run();
        const qint64 gap = d.comm.writeTimesMs[1] - d.comm.writeTimesMs[0];
        QVERIFY2(wholeWait ? gap >= 1000 : gap >= 500 && gap < 950,
                 qPrintable(QString::number(gap)));
        QCOMPARE(d.bench.printer().model(), model);
    }

    void oddReplies()
    {
        Desk d;
        // In three pieces, the last one during the settle pause; one character; a code-0 byte.
        d.comm.script = replies({{5, "VIR"}, {20, "EO 44"}, {600, "00\r"}}, {{5, "x"}});
        d.bench.query().run();
        QCOMPARE(d.bench.printer().model(), QStringLiteral(" VIREO 4400"));
        QCOMPARE(d.bench.printer().release(), QStringLiteral(" "));  // one character: a blank
        const QList<Emission> withNul = {{5, QByteArray("AB\0CDEFGHI\r", 11)}};
        d.comm.script = replies(withNul, withNul);
        d.bench.query().run();
        QCOMPARE(d.bench.printer().model(), QStringLiteral(" AB"));
        QVERIFY(d.messages.shown.isEmpty());
    }

    // A printer that streams without end: the model shows what the program keeps of a reply, no
    // more, and the release is asked for as usual.
    void endlessModelReply()
    {
        Desk d;
        const QByteArray mega(1 << 20, 'M');
        d.comm.script = replies({{5, mega}, {20, mega}}, {{5, "V1.04.2\r"}});
        d.bench.query().run();
        QCOMPARE(d.bench.printer().model(),
                 QLatin1Char(' ') + QString(PrinterLink::kReceiveLimit - 1, QLatin1Char('M')));
        QCOMPARE(d.bench.printer().release(), QStringLiteral(" V1.04.2"));
        QCOMPARE(d.comm.commands(), (QStringList{"?54&10", "?54&4"}));
        QVERIFY(d.messages.shown.isEmpty());
    }

    // Before any query: a message, the window asked to move the focus, nothing sent. A release
    // typed by the operator is enough.
    void preconditionBeforeAnyQuery()
    {
        Desk d;
        QSignalSpy needed(&d.bench.query(), &PrinterQuery::queryNeeded);
        QVERIFY(!d.bench.query().requireQueried());
        QCOMPARE(d.messages.texts(), QStringList{"Prima bisogna interrogare la stampante"});
        QCOMPARE(d.messages.shown[0].style, int(kStyleError));
        QCOMPARE(needed.size(), 1);
        QVERIFY(d.comm.writes.isEmpty());
        d.bench.printer().setRelease(" R");
        QVERIFY(d.bench.query().requireQueried());
        QCOMPARE(d.messages.shown.size(), 1);
        QCOMPARE(needed.size(), 1);
    }

    void oneOperationAtATime()
    {
        Desk d;
        d.comm.model().behaviour.delayMs = 100;
        d.after(50, [&] { d.bench.query().run(); });
        d.bench.query().run();
        QCOMPARE(d.comm.commands(), (QStringList{"?54&10", "?54&4"}));
        QCOMPARE(d.bench.printer().model(), QStringLiteral(" VIREO 4400"));
        QVERIFY(d.messages.shown.isEmpty());
        // Once it is over the next one runs.
        d.bench.query().run();
        QCOMPARE(d.comm.writes.size(), 4);
    }

    void sendFailureIsReportedOnce()
    {
        Desk d;
        d.bench.printer().setModel(" M");
        d.comm.writeError = {SerialError::WriteFailed, "/dev/fake0: scrittura non riuscita"};
        d.bench.query().run();
        QCOMPARE(d.messages.shown.size(), 1);
        QVERIFY2(d.messages.shown[0].text.contains("/dev/fake0: scrittura non riuscita"),
                 qPrintable(d.messages.shown[0].text));
        QCOMPARE(d.bench.printer().model(), QStringLiteral(" M"));
    }

    // The adapter is pulled during the settle pause: one message, the texts as they were, the
    // port closed; a later query says the port is not open.
    void lostDevice()
    {
        Desk d;
        d.bench.printer().setModel(" OLD");
        d.bench.printer().setRelease(" R0");
        d.after(200, [&] { d.comm.loseDevice(); });
        d.bench.query().run();
        QTRY_COMPARE(d.messages.shown.size(), 1);
        QVERIFY2(d.messages.shown[0].text.contains("Collegamento con la stampante perso"),
                 qPrintable(d.messages.shown[0].text));
        QCOMPARE(d.bench.printer().model(), QStringLiteral(" OLD"));
        QCOMPARE(d.bench.printer().release(), QStringLiteral(" R0"));
        QVERIFY(!d.comm.portOpen());
        QCOMPARE(d.comm.writes.size(), 1);
        QTest::qWait(50);
        QCOMPARE(d.messages.shown.size(), 1);

        d.bench.query().run();
        QCOMPARE(d.messages.shown.size(), 2);
        QVERIFY2(d.messages.shown[1].text.contains("non è aperta"),
                 qPrintable(d.messages.shown[1].text));
        QCOMPARE(d.comm.writes.size(), 1);
    }

    // The loss comes in the same pass of the event loop as the end of a wait, so the operation
    // goes on to its next send before the loss has been reported: still one message, the loss.
    void lossReportedOnceWhenASendFollowsAtOnce()
    {
        Desk d;
        d.comm.loseDevice();
        d.bench.query().run();
        QVERIFY(d.messages.shown.isEmpty());
        QTRY_COMPARE(d.messages.shown.size(), 1);
        QVERIFY(d.messages.shown[0].text.contains("Collegamento con la stampante perso"));
        QTest::qWait(20);
        QCOMPARE(d.messages.shown.size(), 1);
    }
};

V4400_TEST(tst_PrinterQuery);
#include "tst_printerquery.moc"
