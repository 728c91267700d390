#include "harness.h"
#include "testmain.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

class tst_PrinterQuery : public QObject
{
    Q_OBJECT
private:
    static const QString kNoAnswer;

private Q_SLOTS:
    void answeredQuery()
    {
        Harness h;
        QVERIFY(h.start());
        h.window.cmdInterroga->click();
        QCOMPARE(h.comm.writes, (QList<QByteArray>{"?54&10\r\n", "?54&4\r\n"}));
        // A blank, then the reply without its last character.
        QCOMPARE(h.window.txtModello->text(), QStringLiteral(" VIREO 4400"));
        QCOMPARE(h.window.txtRelease->text(), QStringLiteral(" V1.04.2"));
        QVERIFY(h.messages.shown.isEmpty());
        // The release is asked for after the settle pause, not before.
        QVERIFY(h.comm.writeTimesMs[1] - h.comm.writeTimesMs[0] >= 500);
    }

    void modelOnly()
    {
        Harness h;
        QVERIFY(h.start());
        h.comm.script = [&h](const QByteArray &command) -> QList<Emission> {
            if (command == "?54&10")
                return {{5, h.comm.model().modelReply}};
            return {};
        };
        h.window.txtRelease->setText(" old");
        h.window.cmdInterroga->click();
        QCOMPARE(h.window.txtModello->text(), QStringLiteral(" VIREO 4400"));
        QCOMPARE(h.window.txtRelease->text(), QString());
        QCOMPARE(h.messages.texts(), QStringList{kNoAnswer});
        QCOMPARE(h.messages.shown[0].style, int(kStyleError));
        // The precondition holds with the model alone.
        QVERIFY(h.window.query().requireQueried());
    }

    void noAnswerKeepsEarlierFields()
    {
        Harness h;
        QVERIFY(h.start());
        h.window.cmdInterroga->click();
        h.comm.model().behaviour.silent = true;
        h.window.cmdInterroga->click();
        QCOMPARE(h.comm.commands().last(), QStringLiteral("?54&10"));
        QCOMPARE(h.window.txtModello->text(), QStringLiteral(" VIREO 4400"));
        QCOMPARE(h.window.txtRelease->text(), QStringLiteral(" V1.04.2"));
        QCOMPARE(h.messages.texts(), QStringList{kNoAnswer});
        QVERIFY(h.window.query().requireQueried());
    }

    // 11 characters end the model wait at once; 12 never reach the expected length, so the wait
    // runs its 0.5 s and the reply is used all the same.
    void replyLengthDecidesTheWait()
    {
        for (const QByteArray &model : {QByteArray("ABCDEFGHIJ\r"), QByteArray("ABCDEFGHIJK\r")}) {
            Harness h;
            h.comm.model().modelReply = model;
            QVERIFY(h.start());
            h.window.cmdInterroga->click();
            const qint64 gap = h.comm.writeTimesMs[1] - h.comm.writeTimesMs[0];
            if (model.size() == 11) {
                QVERIFY2(gap >= 500 && gap < 950, qPrintable(QString::number(gap)));
                QCOMPARE(h.window.txtModello->text(), QStringLiteral(" ABCDEFGHIJ"));
            } else {
                QVERIFY2(gap >= 1000, qPrintable(QString::number(gap)));
                QCOMPARE(h.window.txtModello->text(), QStringLiteral(" ABCDEFGHIJK"));
            }
        }
    }

    void oddReplies()
    {
        Harness h;
        QVERIFY(h.start());
        // In three pieces, the last one during the settle pause; one character; a code-0 byte.
        h.comm.script = [](const QByteArray &command) -> QList<Emission> {
            if (command == "?54&10")
                return {{5, "VIR"}, {20, "EO 44"}, {600, "00\r"}};
            return {{5, "x"}};
        };
        h.window.cmdInterroga->click();
        QCOMPARE(h.window.txtModello->text(), QStringLiteral(" VIREO 4400"));
        QCOMPARE(h.window.txtRelease->text(), QStringLiteral(" "));  // one character: a blank
        h.comm.script = [](const QByteArray &) -> QList<Emission> {
            return {{5, QByteArray("AB\0CDEFGHI\r", 11)}};
        };
        h.window.cmdInterroga->click();
        QCOMPARE(h.window.txtModello->text(), QStringLiteral(" AB"));
        QVERIFY(h.messages.shown.isEmpty());
    }

    // A printer that streams without end: the model field shows what the program keeps of a
    // reply, no more, and the release is asked for as usual.
    void endlessModelReply()
    {
        Harness h;
        QVERIFY(h.start());
        h.comm.script = [](const QByteArray &command) -> QList<Emission> {
            if (command == "?54&10")
                return {{5, QByteArray(1 << 20, 'M')}, {20, QByteArray(1 << 20, 'M')}};
            return {{5, "V1.04.2\r"}};
        };
        h.window.cmdInterroga->click();
        QCOMPARE(h.window.txtModello->text(),
                 QLatin1Char(' ') + QString(PrinterLink::kReceiveLimit - 1, QLatin1Char('M')));
        QCOMPARE(h.window.txtRelease->text(), QStringLiteral(" V1.04.2"));
        QCOMPARE(h.comm.commands(), (QStringList{"?54&10", "?54&4"}));
        QVERIFY(h.messages.shown.isEmpty());
    }

    void preconditionBeforeAnyQuery()
    {
        Harness h;
        QVERIFY(h.start());
        QApplication::setActiveWindow(&h.window);
        h.window.txtModello->setFocus();
        QVERIFY(!h.window.query().requireQueried());
        QCOMPARE(h.messages.texts(), QStringList{"Prima bisogna interrogare la stampante"});
        QCOMPARE(h.messages.shown[0].style, int(kStyleError));
        QTRY_COMPARE(QApplication::focusWidget(), h.window.cmdInterroga);
        QVERIFY(h.comm.writes.isEmpty());
        h.window.txtRelease->setText(" R");
        QVERIFY(h.window.query().requireQueried());
        QCOMPARE(h.messages.shown.size(), 1);
    }

    void oneOperationAtATime()
    {
        Harness h;
        h.comm.model().behaviour.delayMs = 100;
        QVERIFY(h.start());
        h.after(50, [&] { h.window.cmdInterroga->click(); });
        h.window.cmdInterroga->click();
        QCOMPARE(h.comm.commands(), (QStringList{"?54&10", "?54&4"}));
        QCOMPARE(h.window.txtModello->text(), QStringLiteral(" VIREO 4400"));
        QVERIFY(h.messages.shown.isEmpty());
        // Once it is over the next one runs.
        h.window.cmdInterroga->click();
        QCOMPARE(h.comm.writes.size(), 4);
    }

    void sendFailureIsReportedOnce()
    {
        Harness h;
        QVERIFY(h.start());
        h.window.txtModello->setText(" M");
        h.comm.writeError = {SerialError::WriteFailed, "/dev/fake0: scrittura non riuscita"};
        h.window.cmdInterroga->click();
        QCOMPARE(h.messages.shown.size(), 1);
        QVERIFY2(h.messages.shown[0].text.contains("/dev/fake0: scrittura non riuscita"),
                 qPrintable(h.messages.shown[0].text));
        QCOMPARE(h.window.txtModello->text(), QStringLiteral(" M"));
    }

    // The adapter is pulled during the settle pause: one message, the fields as they were, the
    // port closed; a later query says the port is not open.
    void lostDevice()
    {
        Harness h;
        QVERIFY(h.start());
        h.window.txtModello->setText(" OLD");
        h.window.txtRelease->setText(" R0");
        h.after(200, [&] { h.comm.loseDevice(); });
        h.window.cmdInterroga->click();
        QTRY_COMPARE(h.messages.shown.size(), 1);
        QVERIFY2(h.messages.shown[0].text.contains("Collegamento con la stampante perso"),
                 qPrintable(h.messages.shown[0].text));
        QCOMPARE(h.window.txtModello->text(), QStringLiteral(" OLD"));
        QCOMPARE(h.window.txtRelease->text(), QStringLiteral(" R0"));
        QVERIFY(!h.comm.portOpen());
        QCOMPARE(h.comm.writes.size(), 1);
        QTest::qWait(50);
        QCOMPARE(h.messages.shown.size(), 1);

        h.window.cmdInterroga->click();
        QCOMPARE(h.messages.shown.size(), 2);
        QVERIFY2(h.messages.shown[1].text.contains("non è aperta"),
                 qPrintable(h.messages.shown[1].text));
        QCOMPARE(h.comm.writes.size(), 1);
    }

    // The loss comes in the same pass of the event loop as the end of a wait, so the operation
    // goes on to its next send before the loss has been reported: still one message, the loss.
    void lossReportedOnceWhenASendFollowsAtOnce()
    {
        Harness h;
        QVERIFY(h.start());
        h.comm.loseDevice();
        h.window.cmdInterroga->click();
        QVERIFY(h.messages.shown.isEmpty());
        QTRY_COMPARE(h.messages.shown.size(), 1);
        QVERIFY(h.messages.shown[0].text.contains("Collegamento con la stampante perso"));
        QTest::qWait(20);
        QCOMPARE(h.messages.shown.size(), 1);
    }
};

const QString tst_PrinterQuery::kNoAnswer =
    QStringLiteral("ATTENZIONE! La stampante non risponde.");

V4400_TEST(tst_PrinterQuery);
#include "tst_printerquery.moc"
