#include "harness.h"
#include "scriptedchooser.h"
#include "testmain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

// The program on the fake printer with a roll of tags, the production dialog open, time
// compressed twentyfold.
struct ProductionDesk
{
    Harness h;
    ScriptedChooser chooser;
    QTemporaryDir dir;
    ProductionPage *dialog = nullptr;
    PrinterModel &printer = h.comm.model();

    bool open()
    {
        if (!h.start())
            return false;
        h.window.txtModello->setText(" VIREO 4400");
        h.window.setFileChooser(chooser);
        h.window.link().setTimeScale(0.05);
        printer.roll.enabled = true;
        printer.loadRollTag(1);
        chooser.answer = dir.filePath("registro.csv");
        h.window.blockPage->cmdProduction->click();
        dialog = h.window.production();
        return dialog && dialog->isVisible();
    }
    // Decimal serial number in rows 1 and 2, the third row from the grid, the block data label.
    void serialsAndBlockLabel(int count, quint64 start)
    {
        h.window.blockPage->setRowBytes(2, "DATA");
        h.window.blockPage->chkBlocks[2]->setChecked(true);
        dialog->spnCount->setValue(count);
        dialog->fraSerial->setChecked(true);
        dialog->spnSerialRow->setValue(1);
        dialog->cboSerialWidth->setCurrentIndex(1);
        dialog->txtSerialStart->setText(QString::number(start));
        dialog->cboLabel->setCurrentIndex(2);
    }
};

// The production dialog as a view of the run: the template it shows, the options it passes, the
// progress while the run goes on, and the ways to stop it.
class tst_ProductionUi : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void dialogShowsTheRun()
    {
        ProductionDesk d;
        QVERIFY(d.open());
        QCOMPARE(d.dialog->lblStep->text(),
                 QStringLiteral("Pronto: \"Avvia\" chiede il file del registro e parte."));
        QVERIFY(d.dialog->lblNoLabel->isVisible());  // no label at first: nothing feeds the roll
        d.h.window.blockPage->chkBlocks[0]->setChecked(true);
        d.serialsAndBlockLabel(2, 41);
        QVERIFY(!d.dialog->lblNoLabel->isVisible());
        QCOMPARE(d.dialog->lblTemplate->text(),
                 QStringLiteral("Dalla griglia, come li scriverebbe ora \"SCRIVI\":\n"
                                "Blocco 1: sostituito dal numero di serie\n"
                                "Blocco 3: «DATA» 44415441\n"
                                "Numero di serie nei blocchi 1 e 2."));
        QStringList steps;
        d.h.comm.onWrite = [&](const QByteArray &) {
            if (steps.isEmpty() || steps.last() != d.dialog->lblStep->text())
                steps << d.dialog->lblStep->text();
            QVERIFY(!d.dialog->cmdStart->isEnabled() && d.dialog->cmdStop->isEnabled());
            QVERIFY(!d.dialog->fraSerial->isEnabled());
        };
        d.dialog->cmdStart->click();

        QCOMPARE(d.printer.roll.passed.size(), 2);
        QCOMPARE(d.h.comm.commands().filter("?R2&24,0,1,").size(), 2);
        QVERIFY(d.h.comm.commands().contains("?52&31,480,37,14,116;00000042"));
        QVERIFY(steps.contains("Attesa di un tag..."));
        QVERIFY(steps.contains("Scrittura dei blocchi 1, 2, 3..."));
        QVERIFY(steps.contains("Verifica..."));
        QCOMPARE(d.dialog->lblCounts->text(), QStringLiteral("Riusciti: 2   Falliti: 0"));
        QCOMPARE(d.dialog->lstTags->count(), 2);
        QVERIFY(d.dialog->lstTags->item(1)->text().endsWith("E00401502A3C7B13  00000042  OK"));
        QCOMPARE(d.dialog->lblLog->text(), "Registro: " + d.dir.filePath("registro.csv"));
        QVERIFY(d.dialog->cmdStart->isEnabled() && !d.dialog->cmdStop->isEnabled());
        QCOMPARE(d.dialog->txtSerialStart->text(), QStringLiteral("43"));  // the series goes on
        QCOMPARE(d.h.messages.texts().value(0).section('\n', 0, 0),
                 QStringLiteral("Produzione terminata: 2 tag riusciti, 0 falliti."));
    }

    // "Salva lavoro..." then "Apri lavoro...": the options come back as they were saved.
    void jobButtonsSaveAndRestoreTheOptions()
    {
        ProductionDesk d;
        QVERIFY(d.open());
        d.serialsAndBlockLabel(7, 41);
        d.dialog->cboOnFailure->setCurrentIndex(1);
        d.chooser.answer = d.dir.filePath("lavoro.json");
        d.dialog->cmdSaveJob->click();
        d.dialog->fraSerial->setChecked(false);
        d.dialog->spnCount->setValue(1);
        d.dialog->cboLabel->setCurrentIndex(0);
        d.dialog->cboOnFailure->setCurrentIndex(0);
        d.h.window.blockPage->chkBlocks[2]->setChecked(false);
        d.dialog->cmdOpenJob->click();
        QVERIFY(d.h.messages.texts().isEmpty());
        QVERIFY(d.dialog->fraSerial->isChecked());
        QCOMPARE(d.dialog->cboSerialWidth->currentIndex(), 1);
        QCOMPARE(d.dialog->txtSerialStart->text(), QStringLiteral("41"));
        QCOMPARE(d.dialog->spnCount->value(), 7);
        QCOMPARE(d.dialog->cboLabel->currentIndex(), 2);
        QCOMPARE(d.dialog->cboOnFailure->currentIndex(), 1);
        QVERIFY(d.h.window.blockPage->chkBlocks[2]->isChecked());
    }

    // "Interrompi", Esc and the close box end the run after the step in progress; closing the
    // main window ends it at once, the log intact.
    void stoppingTheRun_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("Interrompi") << 0;
        QTest::newRow("Esc") << 1;
        QTest::newRow("close box") << 2;
        QTest::newRow("main window closed") << 3;
    }
    void stoppingTheRun()
    {
        QFETCH(int, how);
        ProductionDesk d;
        QVERIFY(d.open());
        d.serialsAndBlockLabel(9, 1);
        d.h.comm.onWrite = [&](const QByteArray &bytes) {
            if (!bytes.startsWith("?R2&24,1,1,0002"))
                return;
            if (how == 0)
                d.dialog->cmdStop->click();
            else if (how == 1)
                QTest::keyClick(d.dialog->dialog, Qt::Key_Escape);
            else if (how == 2)
                d.dialog->close();
            else
                d.h.window.close();
        };
        d.dialog->cmdStart->click();
        // The step in progress ends, or nothing more goes out.
        QCOMPARE(d.h.comm.commands().last(),
                 how == 3 ? QStringLiteral("?R2&24,1,1,0002") : QStringLiteral("?R2&24,2,1,DATA"));
        QCOMPARE(d.h.ended, how == 3 ? 1 : 0);
        QVERIFY(d.dialog->isVisible());  // stopping the run leaves the dialog open
        QCOMPARE(d.h.messages.texts().value(0).section('\n', 0, 0),
                 how == 3 ? QString()
                          : QStringLiteral("Produzione interrotta: 1 tag riuscito, 0 falliti."));
    }
};

V4400_TEST(tst_ProductionUi);
#include "tst_production_ui.moc"
