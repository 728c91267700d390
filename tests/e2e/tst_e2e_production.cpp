#include "ptyrig.h"
#include "scriptedchooser.h"
#include "testmain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

// Production runs over a pseudo-terminal against the simulated printer with a roll of tags.
class tst_E2eProduction : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    ScriptedChooser m_chooser;

    ProductionPage *open(PtyRig &r)
    {
        r.window->setFileChooser(m_chooser);
        m_chooser.answer = m_dir.filePath(QTest::currentTestFunction() + QStringLiteral(".csv"));
        PrinterModel &printer = r.printer.model();
        printer.roll.enabled = true;
        printer.loadRollTag(1);
        BlocksPage &page = *r.window->blockPage;
        page.setRowBytes(2, "DATA");
        page.chkBlocks[2]->setChecked(true);
        page.cmdProduction->click();
        ProductionPage *dialog = r.window->production();
        dialog->fraSerial->setChecked(true);
        dialog->cboSerialWidth->setCurrentIndex(1);  // rows 1 and 2: "00000001"...
        dialog->cboLabel->setCurrentIndex(2);        // the block data label
        return dialog;
    }
    QStringList log() const
    {
        QFile f(m_chooser.answer);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()).split('\n')
                                           : QStringList();
    }

    // QString::fromUtf8() leaves the byte-order mark out.
    const QString kHeader =
        QStringLiteral("ora;utc;serie;modello;versione;sequenza;uid;seriale;dati;esito");

private Q_SLOTS:
    // Tags 1 to 6 of the roll, the fourth faulty: voided and the series goes on with the same
    // serial number. Then, on the same log, a series that stops at its faulty tag.
    void seriesOnTheRoll()
    {
        PtyRig r;
        QVERIFY(r.startQueried());
        ProductionPage *dialog = open(r);
        PrinterModel &printer = r.printer.model();
        printer.roll.badTags = {4, 8};
        dialog->spnCount->setValue(5);
        dialog->cboOnFailure->setCurrentIndex(1);
        dialog->cmdStart->click();

        // The printer reads the last label's commands a moment after they were sent.
        QTRY_COMPARE(printer.roll.passed.size(), 6);
        for (int tag = 0; tag < 6; ++tag) {
            const SimTag &t = printer.roll.passed.at(tag);
            if (tag == 3) {
                QCOMPARE(t.memory.left(12), QByteArray(12, '\0'));  // it kept nothing
                continue;
            }
            const int serial = tag < 3 ? tag + 1 : tag;  // the void tag's serial goes on
            QCOMPARE(t.memory.left(12), "0000000" + QByteArray::number(serial) + "DATA");
        }
        QCOMPARE(printer.transcript.count(QStringLiteral("?14&1  stampa")), 6);
        QCOMPARE(printer.transcript.count(QStringLiteral(
                     "?52&   riga  720 colonna   10 (tipo 20, 7, 12): \"ANNULLATO\"")),
                 1);
        QStringList lines = log();
        QCOMPARE(lines.first(), kHeader);
        QCOMPARE(lines.filter(QRegularExpression(";OK$")).size(), 5);
        QVERIFY(lines.at(5).endsWith(";verifica fallita per i blocchi 1, 2, 3"));
        QVERIFY(r.messages.texts().value(0).startsWith(
            "Produzione terminata: 5 tag riusciti, 1 fallito."));
        // The failed tag stands out in words and in colour; every line is seen whole.
        QVERIFY(dialog->lstTags->item(3)->text().contains("FALLITO: verifica fallita"));
        QVERIFY(dialog->lstTags->item(3)->background() != dialog->lstTags->item(2)->background());
        QCOMPARE(dialog->lstTags->horizontalScrollBar()->maximum(), 0);

        // Stop at a faulty tag: tag 7 succeeds, tag 8 fails and ends the series.
        r.messages.shown.clear();
        dialog->cboOnFailure->setCurrentIndex(0);
        dialog->txtSerialStart->setText("50");
        dialog->cmdStart->click();
        lines = log();
        QCOMPARE(lines.count(kHeader), 1);
        QTRY_COMPARE(printer.roll.passed.size(), 7);
        QCOMPARE(printer.roll.passed.last().memory.left(8), QByteArray("00000050"));
        // The sequence goes on in the same log.
        QVERIFY(lines.at(lines.size() - 2).contains(";8;E00401502A3C7B19;\"=\"\"00000051\"\"\";"));
        QVERIFY(r.messages.texts().value(0).startsWith(
            "ATTENZIONE! Produzione fermata: il tag n. 8 (UID E00401502A3C7B19) è fallito"));
    }

    // Two days on one log: the program started again, its first value back at 1 and the last
    // tag programmed still over the antenna. The log's first free value is offered, that tag is
    // not written again, the sequence goes on: no serial number or UID twice.
    void twoRunsAfterARestart()
    {
        PtyRig r;
        QVERIFY(r.startQueried());
        ProductionPage *dialog = open(r);
        dialog->spnCount->setValue(2);
        dialog->cmdStart->click();
        QTRY_COMPARE(r.printer.model().roll.passed.size(), 2);
        QTRY_VERIFY(!r.messages.texts().isEmpty());

        QVERIFY(r.load());  // the program started again
        r.window->cmdInterroga->click();
        QVERIFY(!r.window->txtModello->text().isEmpty());
        r.messages.shown.clear();
        dialog = open(r);
        PrinterModel &printer = r.printer.model();
        printer.loadRollTag(2);
        printer.onCommand = [&](const QByteArray &command) {
            if (command == "?R2&1,0" && printer.roll.position == 2 &&
                dialog->lblStep->text() == QStringLiteral("Tag già programmato: sostituirlo"))
                printer.loadRollTag(3);
        };
        r.messages.choose = [](const RecordingMessages::Message &m) {
            return m.choice == QStringLiteral("Parti da 3");
        };
        dialog->spnCount->setValue(2);
        QCOMPARE(dialog->txtSerialStart->text(), QStringLiteral("1"));
        dialog->cmdStart->click();
        QTRY_VERIFY(r.messages.texts().size() >= 2);
        QCOMPARE(r.messages.texts().value(0),
                 QStringLiteral("ATTENZIONE! La produzione non può partire: il numero di serie 1 "
                                "è già stato scritto: la serie può partire da 3."));
        QVERIFY2(r.messages.texts().value(1).startsWith("Produzione terminata: 2 tag riusciti"),
                 qPrintable(r.messages.texts().value(1)));
        QStringList tags = log().filter(QRegularExpression(";OK$"));
        QCOMPARE(tags.size(), 4);
        for (int n = 1; n <= 4; ++n)
            QVERIFY2(tags.at(n - 1).contains(
                         QStringLiteral(";%1;E00401502A3C7B1%2;\"=\"\"0000000%1\"\"\";")
                             .arg(n)
                             .arg(n + 1)),
                     qPrintable(tags.at(n - 1)));
        QCOMPARE(dialog->txtSerialStart->text(), QStringLiteral("5"));
    }

    // The printer lost while the second tag is verified: its blocks went out, so the log says
    // it was written and its serial number is not given to another tag.
    void printerLostDuringVerification()
    {
        PtyRig r;
        QVERIFY(r.startQueried());
        ProductionPage *dialog = open(r);
        PrinterModel &printer = r.printer.model();
        dialog->spnCount->setValue(3);
        printer.onCommand = [&](const QByteArray &command) {
            if (command.startsWith("?R2&23,0") && printer.roll.position == 2)
                QTimer::singleShot(0, &r.printer, [&] { r.printer.close(); });
        };
        dialog->cmdStart->click();
        QTRY_VERIFY(!r.messages.texts().filter("Produzione fermata").isEmpty());
        QCOMPARE(printer.roll.passed.size(), 1);
        QCOMPARE(printer.tag.memory.left(12), QByteArray("00000002DATA"));
        const QStringList lines = log();
        QCOMPARE(lines.size(), 5);  // the header, the run's start, two tags, the last line break
        QVERIFY2(lines.at(3).contains(QRegularExpression(
                     ";2;E00401502A3C7B13;\"=\"\"00000002\"\"\";[^;]+;scritto, non verificato$")),
                 qPrintable(lines.at(3)));
        QCOMPARE(dialog->txtSerialStart->text(), QStringLiteral("3"));
        QVERIFY(r.messages.texts()
                    .filter("Produzione fermata")
                    .first()
                    .startsWith("ATTENZIONE! Produzione fermata: la stampante non riceve i "
                                "comandi.\n1 tag riuscito, 0 "
                                "falliti."));
    }

    // The printer does not advance: the tag just programmed is never written again; the run
    // waits until "Interrompi".
    void stuckPrinterAndInterrompi()
    {
        PtyRig r;
        QVERIFY(r.startQueried());
        ProductionPage *dialog = open(r);
        PrinterModel &printer = r.printer.model();
        printer.roll.stuck = true;
        dialog->spnCount->setValue(3);
        int inventories = 0;
        QString step;
        printer.onCommand = [&](const QByteArray &command) {
            if (command == "?R2&1,0" && ++inventories == 4) {
                step = dialog->lblStep->text();
                dialog->cmdStop->click();
            }
        };
        dialog->cmdStart->click();
        QCOMPARE(step, QStringLiteral("Tag già programmato: sostituirlo"));
        QCOMPARE(std::count_if(printer.commands.begin(), printer.commands.end(),
                               [](const QByteArray &c) { return c.startsWith("?R2&24,"); }),
                 3);
        QCOMPARE(printer.tag.memory.left(12), QByteArray("00000001DATA"));
        QCOMPARE(log().filter(QRegularExpression(";OK$")).size(), 1);
        QVERIFY(r.messages.texts().value(0).startsWith(
            "Produzione interrotta: 1 tag riuscito, 0 falliti."));
    }
};

V4400_TEST(tst_E2eProduction);
#include "tst_e2e_production.moc"
