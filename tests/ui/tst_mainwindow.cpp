#include "harness.h"
#include "tag/taginfopage.h"
#include "testmain.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

// The main window's wiring: each control reaches its operation, the views show the models and
// pass the operator's edits back. What the operations do is tested on the models (tests/unit).
class tst_MainWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // "Interroga stampante" fills the printer fields; the fields are the operator's word for the
    // printer too, and a tag command refused for want of a query moves the focus to the button.
    void printerFrame()
    {
        Harness h;
        QVERIFY(h.start());
        QApplication::setActiveWindow(&h.window);
        h.window.txtModello->setFocus();
        h.window.tagPage->cmdInventory->click();
        QCOMPARE(h.messages.texts(), QStringList{"Prima bisogna interrogare la stampante"});
        QTRY_COMPARE(QApplication::focusWidget(), h.window.cmdInterroga);

        h.window.cmdInterroga->click();
        QCOMPARE(h.comm.commands(), (QStringList{"?54&10", "?54&4"}));
        QCOMPARE(h.window.txtModello->text(), QStringLiteral(" VIREO 4400"));
        QCOMPARE(h.window.txtRelease->text(), QStringLiteral(" V1.04.2"));

        h.window.txtModello->clear();
        h.window.txtRelease->clear();
        h.window.tagPage->cmdInventory->click();
        QCOMPARE(h.messages.shown.size(), 2);
        h.window.txtRelease->setText(" R");
        h.window.tagPage->cmdInventory->click();
        QCOMPARE(h.comm.commands().mid(2), (QStringList{"?R1&2,1", "?R2&1,0"}));
        QCOMPARE(h.messages.shown.size(), 2);
    }
};

V4400_TEST(tst_MainWindow);
#include "tst_mainwindow.moc"
