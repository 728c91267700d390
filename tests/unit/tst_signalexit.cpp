#include "app/signalexit.h"
#include "testmain.h"

#include <QSignalSpy>
#include <QTest>

#include <csignal>

namespace {

void (*disposition(int signal))(int)
{
    struct sigaction now = {};
    ::sigaction(signal, nullptr, &now);
    return now.sa_handler;
}

}  // namespace

// The signals that end the program, as the event loop sees them.
class tst_SignalExit : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Each arrives from the event loop, never from inside the handler, and once however often it
    // is sent; afterwards the signal has its former effect again.
    void signalsReachTheEventLoop()
    {
        for (int signal : {SIGTERM, SIGHUP, SIGINT}) {
            const auto before = disposition(signal);
            {
                SignalExit signalExit;
                QSignalSpy raised(&signalExit, &SignalExit::raised);
                QVERIFY(!signalExit.isRaised());
                QCOMPARE(::raise(signal), 0);
                QCOMPARE(raised.count(), 0);
                QVERIFY(raised.wait(10000));
                QVERIFY(signalExit.isRaised());
                QCOMPARE(::raise(signal), 0);
                QCOMPARE(::raise(signal), 0);
                QTest::qWait(50);
                QCOMPARE(raised.count(), 1);
            }
            QVERIFY(disposition(signal) == before);
        }
    }

    // Started with a signal ignored (nohup, a background job), the program keeps ignoring it.
    void ignoredStaysIgnored()
    {
        std::signal(SIGHUP, SIG_IGN);
        {
            SignalExit signalExit;
            QSignalSpy raised(&signalExit, &SignalExit::raised);
            QCOMPARE(::raise(SIGHUP), 0);
            QCOMPARE(::raise(SIGTERM), 0);
            QVERIFY(raised.wait(10000));
            QVERIFY(disposition(SIGHUP) == SIG_IGN);
        }
        QVERIFY(disposition(SIGHUP) == SIG_IGN);
        std::signal(SIGHUP, SIG_DFL);
    }
};

V4400_TEST(tst_SignalExit);
#include "tst_signalexit.moc"
