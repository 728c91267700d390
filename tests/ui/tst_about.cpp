#include "harness.h"
#include "testmain.h"

#include <QAction>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace std::chrono_literals;

namespace {

frmSplash *openAbout(Harness &h)
{
    h.window.mnuInfo->trigger();
    return h.window.about();
}

// A point of the frame's own area, clear of its labels and the logo.
QPoint bareFramePoint(QGroupBox *frame)
{
    const QPoint p = frame->rect().bottomRight() - QPoint(4, 4);
    return frame->childAt(p) ? QPoint(-1, -1) : p;
}

}  // namespace

class tst_About : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void contents()
    {
        Harness h;
        QVERIFY(h.start());
        QVERIFY(h.window.mnuInfo->isEnabled());
        frmSplash *about = openAbout(h);
        QVERIFY(about);
        const AboutPage view(about);
        QVERIFY(about->isVisible());
        QVERIFY(!about->isModal());
        QCOMPARE(about->windowTitle(), QString());
        QCOMPARE(view.lblCompanyProduct->text(), QStringLiteral("Belmuth s.p.a."));
        QCOMPARE(view.lblProductName->text(), QStringLiteral("V4400 TAG RF"));
        QCOMPARE(view.Label1->text(),
                 QStringLiteral("Software per la lettura, la scrittura e la verifica di TAG "
                                "ISO15693"));
        QCOMPARE(view.lblVersion->text(), QStringLiteral("Versione 1.0.0"));
        QCOMPARE(view.lblVersion->text(), QStringLiteral("Versione " V4400_VERSION));
        QCOMPARE(view.Label2->text(), QStringLiteral("Per le piattaforme:"));
        QCOMPARE(view.lblPlatform->text(), QStringLiteral("Win XP - Win2000 - Win 98 - Win ME"));
        QCOMPARE(view.imgLogo->pixmap().size(), QSize(83, 71));

        const std::tuple<QLabel *, qreal, bool> fonts[] = {
            {view.lblCompanyProduct, 18, true}, {view.lblProductName, 30, true},
            {view.Label1, 12, false},           {view.lblVersion, 12, true},
            {view.Label2, 11.25, false},        {view.lblPlatform, 11.25, true}};
        for (const auto &[label, points, bold] : fonts) {
            QCOMPARE(label->font().family(), QStringLiteral("Arial"));
            QCOMPARE(label->font().pointSizeF(), points);
            QCOMPARE(label->font().bold(), bold);
        }
        for (const char *name : {"Frame1", "imgLogo", "lblCompanyProduct", "lblProductName",
                                 "Label1", "lblVersion", "Label2", "lblPlatform"})
            QVERIFY2(about->findChild<QWidget *>(name), name);

        // The main window stays usable meanwhile.
        h.window.cmdInterroga->click();
        QCOMPARE(h.window.txtModello->text(), QStringLiteral(" VIREO 4400"));
        QVERIFY(about->isVisible());
    }

    // Chosen again while open, the same window comes back as it is; once closed, a new one.
    void oneWindow()
    {
        Harness h;
        QVERIFY(h.start());
        QPointer<frmSplash> first = openAbout(h);
        const AboutPage firstView(first);
        firstView.lblVersion->setText("marked");
        QCOMPARE(openAbout(h), first.data());
        QCOMPARE(h.window.findChildren<frmSplash *>().size(), 1);
        QCOMPARE(firstView.lblVersion->text(), QStringLiteral("marked"));  // not loaded again

        first->close();
        QTRY_VERIFY(!first);
        frmSplash *second = openAbout(h);
        const AboutPage secondView(second);
        QCOMPARE(secondView.lblVersion->text(), QStringLiteral("Versione 1.0.0"));
    }

    void keys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("closes");
        QTest::newRow("letter") << int(Qt::Key_A) << true;
        QTest::newRow("space") << int(Qt::Key_Space) << true;
        QTest::newRow("Enter") << int(Qt::Key_Return) << true;
        QTest::newRow("Esc") << int(Qt::Key_Escape) << true;
        QTest::newRow("Shift") << int(Qt::Key_Shift) << false;
        QTest::newRow("arrow") << int(Qt::Key_Left) << false;
        QTest::newRow("F1") << int(Qt::Key_F1) << false;
    }
    void keys()
    {
        QFETCH(int, key);
        QFETCH(bool, closes);
        Harness h;
        QVERIFY(h.start());
        frmSplash *about = openAbout(h);
        QTest::keyClick(about, Qt::Key(key));
        QCOMPARE(!about->isVisible(), closes);
    }

    void clicks()
    {
        Harness h;
        QVERIFY(h.start());
        frmSplash *about = openAbout(h);
        const AboutPage view(about);
        for (QWidget *w : std::initializer_list<QWidget *>{
                 view.imgLogo, view.lblCompanyProduct, view.lblProductName, view.Label1,
                 view.lblVersion, view.Label2, view.lblPlatform}) {
            QTest::mouseClick(w, Qt::LeftButton);
            QVERIFY2(about->isVisible(), qPrintable(w->objectName()));
        }
        QTest::mouseClick(view.Frame1, Qt::RightButton, {}, bareFramePoint(view.Frame1));
        QVERIFY(about->isVisible());
        const QPoint bare = bareFramePoint(view.Frame1);
        QVERIFY(bare.x() >= 0);
        QTest::mouseClick(view.Frame1, Qt::LeftButton, {}, bare);
        QVERIFY(!about->isVisible());
    }

    // However the window closes, the main window is shown.
    void everyCloseShowsTheMainWindow_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("key") << 0;
        QTest::newRow("frame click") << 1;
        QTest::newRow("time limit") << 2;
    }
    void everyCloseShowsTheMainWindow()
    {
        QFETCH(int, how);
        Harness h;
        QVERIFY(h.start());
        h.window.setAboutCloseAfter(50ms);
        QPointer<frmSplash> about = openAbout(h);
        const AboutPage view(about);
        h.window.hide();
        if (how == 0)
            QTest::keyClick(about, Qt::Key_X);
        else if (how == 1)
            QTest::mouseClick(view.Frame1, Qt::LeftButton, {}, bareFramePoint(view.Frame1));
        QTRY_VERIFY(!about);
        QVERIFY(h.window.isVisible());
        QCOMPARE(h.ended, 0);
    }

    // The time limit runs from the last activation; a shortened limit stands in for 20 s.
    void closesAfterItsLastActivation()
    {
        QCOMPARE(frmSplash::kCloseAfter, 20000ms);
        const auto limit = 1000ms;
        Harness h;
        QVERIFY(h.start());
        h.window.setAboutCloseAfter(limit);
        QElapsedTimer clock;
        QPointer<frmSplash> about = openAbout(h);
        clock.start();
        qint64 closedAt = -1;
        connect(about, &QObject::destroyed, [&] { closedAt = clock.elapsed(); });
        QVERIFY(QTest::qWaitForWindowActive(about));

        QTest::qWait(300);
        h.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(h.window.widget()));
        QVERIFY(about);
        about->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(about));
        const qint64 lastActivation = clock.elapsed();

        QTRY_VERIFY_WITH_TIMEOUT(!about, 10000);
        QVERIFY2(closedAt >= lastActivation + limit.count() - 5,
                 qPrintable(QStringLiteral("%1 ms, last activation at %2 ms")
                                .arg(closedAt)
                                .arg(lastActivation)));
        QVERIFY(h.window.isVisible());
    }
};

V4400_TEST(tst_About);
#include "tst_about.moc"
