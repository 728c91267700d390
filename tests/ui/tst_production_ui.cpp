#include "harness.h"
#include "label/frmproduction.h"
#include "scriptedchooser.h"
#include "tag/blockpage.h"
#include "testmain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

// The program on the fake printer with a roll of tags, the production dialog open, time
// compressed twentyfold.
struct Desk
{
    Harness h;
    ScriptedChooser chooser;
    QTemporaryDir dir;
    frmProduction *dialog = nullptr;
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
    QStringList log() const
    {
        QFile f(dir.filePath("registro.csv"));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
        lines.removeAll(QString());
        // The time of day differs on every run.
        for (QString &line : lines)
            line.replace(QRegularExpression("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d"
                                            "(Z|[+-]\\d\\d:\\d\\d),"),
                         "T,");
        return lines;
    }
    QByteArray memory(int tag, int row) const
    {
        return printer.roll.passed.at(tag).memory.mid(row * 4, 4);
    }
};

// The UID of tag n of the fake's roll, in hex as the log writes it.
QString uid(int n)
{
    return QStringLiteral("E00401502A3C7B%1").arg(0x12 + n - 1, 2, 16, QLatin1Char('0')).toUpper();
}

}  // namespace

class tst_ProductionUi : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void fiveTagsWithSerialsAndLabels()
    {
        Desk d;
        QVERIFY(d.open());
        d.serialsAndBlockLabel(5, 41);
        QCOMPARE(d.dialog->lblTemplate->text(),
                 QStringLiteral("Dalla griglia, come li scriverebbe ora \"SCRIVI\": blocchi 3.\n"
                                "Numero di serie nei blocchi 1 e 2."));
        QStringList steps;
        d.h.comm.onWrite = [&](const QByteArray &) {
            if (steps.isEmpty() || steps.last() != d.dialog->lblStep->text())
                steps << d.dialog->lblStep->text();
            QVERIFY(!d.dialog->cmdStart->isEnabled() && d.dialog->cmdStop->isEnabled());
        };
        d.dialog->cmdStart->click();

        QVERIFY(d.chooser.offered.endsWith(
            QStringLiteral("/produzione-%1.csv").arg(QDate::currentDate().toString(Qt::ISODate))));
        QCOMPARE(d.chooser.existing, FileChooser::Existing::Append);
        QCOMPARE(d.printer.roll.passed.size(), 5);
        for (int tag = 0; tag < 5; ++tag) {
            QCOMPARE(d.memory(tag, 0) + d.memory(tag, 1),
                     QByteArray("000000") + QByteArray::number(41 + tag));
            QCOMPARE(d.memory(tag, 2), QByteArray("DATA"));
        }
        QCOMPARE(d.printer.transcript.count(QStringLiteral("?14&1  stampa")), 5);
        QVERIFY(d.printer.transcript.contains(
            QStringLiteral("?52&   riga  480 colonna   37 (tipo 31, 14, 116): \"00000043\"")));
        // The first tag's traffic is that of Inventory, "SCRIVI" with verification and "STAMPA".
        const QStringList first = d.h.comm.commands().mid(0, 20);
        QCOMPARE(first, (QStringList{"?R1&2,1",
                                     "?R2&1,0",
                                     "?R2&24,0,1,0000",
                                     "?R2&24,1,1,0041",
                                     "?R2&24,2,1,DATA",
                                     "?R1&2,1",
                                     "?R2&23,0,1",
                                     "?R2&23,1,1",
                                     "?R2&23,2,1",
                                     "?00&",
                                     "?81&1",
                                     "?52&00,474,764,18,11;BELMUTH",
                                     "?52&00,538,763,17,11;Vireo 4400 TAG - RF",
                                     "?09&2",
                                     "?10&1",
                                     "?11&2",
                                     "?13&2",
                                     "?52&31,480,37,14,116;00000041",
                                     "?14&1",
                                     "?81&0"}));
        QStringList expected{"ora,sequenza,uid,seriale,dati,esito"};
        for (int tag = 1; tag <= 5; ++tag)
            expected << QStringLiteral("T,%1,%2,%3,1:30303030 2:3030%4 3:44415441,OK")
                            .arg(tag)
                            .arg(uid(tag))
                            .arg(40 + tag)
                            .arg(QString::fromLatin1(
                                QByteArray::number(40 + tag).toHex().toUpper()));
        QCOMPARE(d.log(), expected);
        QCOMPARE(d.h.messages.texts(),
                 QStringList{QStringLiteral("Produzione terminata: 5 tag riusciti, 0 falliti.\n"
                                            "Registro: %1")
                                 .arg(d.dir.filePath("registro.csv"))});
        QCOMPARE(d.dialog->lblCounts->text(), QStringLiteral("Riusciti: 5   Falliti: 0"));
        QCOMPARE(d.dialog->lstTags->count(), 5);
        QVERIFY(steps.contains("Attesa di un tag..."));
        QVERIFY(steps.contains("Scrittura dei blocchi 1, 2, 3..."));
        QVERIFY(steps.contains("Verifica..."));
        QVERIFY(d.dialog->cmdStart->isEnabled() && !d.dialog->cmdStop->isEnabled());
        QVERIFY(!d.h.window.link().PrintingFlag());
    }

    // A printer that does not advance leaves the programmed tag over the antenna: it is never
    // written again, and the run waits until another tag answers or the operator stops it.
    void aTagIsNeverProgrammedTwice()
    {
        Desk d;
        QVERIFY(d.open());
        d.printer.roll.stuck = true;
        d.serialsAndBlockLabel(3, 1);
        int inventories = 0;
        QString seen;
        d.h.comm.onWrite = [&](const QByteArray &bytes) {
            if (bytes != "?R2&1,0\r\n")
                return;
            if (++inventories == 6) {  // the first tag, then five times the same one
                seen = d.dialog->lblStep->text();
                d.dialog->cmdStop->click();
            }
        };
        d.dialog->cmdStart->click();
        QCOMPARE(seen, QStringLiteral("Tag già programmato: sostituirlo"));
        QCOMPARE(d.h.comm.commands().filter("?R2&24,").size(), 3);  // the first tag's three rows
        QCOMPARE(d.log().size(), 2);
        QVERIFY(d.log().at(1).endsWith(",OK"));
        QCOMPARE(d.h.messages.texts().value(0).section('\n', 0, 0),
                 QStringLiteral("Produzione interrotta: 1 tag riusciti, 0 falliti."));
        QCOMPARE(d.dialog->txtSerialStart->text(), QStringLiteral("2"));  // the series goes on

        // A new run in the same session does not write over a tag programmed before either.
        inventories = 0;
        d.h.comm.writes.clear();
        d.dialog->cmdStart->click();
        QCOMPARE(d.h.comm.commands().filter("?R2&24,").size(), 0);
    }

    // Serial numbers: binary values holding 0D or 0A are passed over and named; a run until
    // stopped ends when the width holds no further value.
    void serialNumbersSkipAndRunOut()
    {
        Desk d;
        QVERIFY(d.open());
        d.dialog->chkUntilStopped->setChecked(true);
        d.dialog->fraSerial->setChecked(true);
        d.dialog->spnSerialRow->setValue(5);
        d.dialog->cboSerialForm->setCurrentIndex(1);
        d.dialog->txtSerialStart->setText("9");
        d.dialog->cboLabel->setCurrentIndex(1);  // the tag information label feeds the roll
        d.h.comm.onWrite = [&](const QByteArray &) {
            if (d.printer.roll.passed.size() == 4)
                d.dialog->cmdStop->click();
        };
        d.dialog->cmdStart->click();
        QCOMPARE(d.printer.roll.passed.size(), 4);
        QList<quint8> serials;
        for (int tag = 0; tag < 4; ++tag)
            serials << quint8(d.memory(tag, 4).at(3));
        QCOMPARE(serials, (QList<quint8>{9, 11, 12, 14}));
        QVERIFY2(d.h.messages.texts().value(0).endsWith(
                     "Numeri di serie saltati (i loro byte contengono 0D o 0A, che non possono "
                     "stare in un comando): 10, 13."),
                 qPrintable(d.h.messages.texts().value(0)));
        QCOMPARE(d.dialog->txtSerialStart->text(), QStringLiteral("15"));

        d.h.messages.shown.clear();
        d.h.comm.onWrite = {};
        d.dialog->cboSerialForm->setCurrentIndex(0);
        d.dialog->txtSerialStart->setText("9998");
        d.dialog->cmdStart->click();
        QCOMPARE(d.printer.roll.passed.size(), 6);
        QCOMPARE(d.memory(5, 4), QByteArray("9999"));
        QVERIFY2(d.h.messages.texts().value(0).startsWith(
                     "ATTENZIONE! Produzione fermata: i numeri di serie sono finiti (4 byte).\n2 "
                     "tag riusciti"),
                 qPrintable(d.h.messages.texts().value(0)));
        d.dialog->txtSerialStart->setText("99999999999999999999");
        d.h.messages.shown.clear();
        d.dialog->cmdStart->click();
        QVERIFY(d.h.messages.texts().value(0).contains("il primo valore del numero di serie va "
                                                       "da 0 a 9999"));
    }

    // No serial number goes out twice: a series whose values were written before in the session
    // is refused, naming where it could start, and nothing is sent.
    void aSerialNumberIsNeverWrittenTwice_data()
    {
        QTest::addColumn<bool>("eightBytes");  // binary, 8 bytes; else decimal, 4 bytes
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("count");  // 0: "Fino a interruzione"
        QTest::addColumn<QString>("largest");
        QTest::newRow("used up") << false << "9998" << 2 << "9999";
        QTest::newRow("used up until stopped") << false << "9998" << 0 << "9999";
        const QString max = QString::number(~quint64(0));
        QTest::newRow("8 bytes, the largest") << true << max << 1 << max;
    }
    void aSerialNumberIsNeverWrittenTwice()
    {
        QFETCH(bool, eightBytes);
        QFETCH(QString, start);
        QFETCH(int, count);
        QFETCH(QString, largest);
        Desk d;
        QVERIFY(d.open());
        d.dialog->fraSerial->setChecked(true);
        d.dialog->cboSerialWidth->setCurrentIndex(eightBytes ? 1 : 0);
        d.dialog->cboSerialForm->setCurrentIndex(eightBytes ? 1 : 0);
        d.dialog->txtSerialStart->setText(start);
        d.dialog->spnCount->setValue(qMax(count, 1));
        d.dialog->chkUntilStopped->setChecked(count == 0);
        d.dialog->cboLabel->setCurrentIndex(1);  // the tag information label feeds the roll
        d.dialog->cmdStart->click();
        QVERIFY2(d.h.messages.texts().value(0).contains(
                     QRegularExpression("^(Produzione terminata|ATTENZIONE! Produzione fermata: "
                                        "i numeri di serie sono finiti)")),
                 qPrintable(d.h.messages.texts().value(0)));
        const int written = d.h.comm.commands().filter("?R2&24,").size();
        QVERIFY(written > 0);

        d.h.messages.shown.clear();
        QCOMPARE(d.dialog->txtSerialStart->text(), start);  // no next value to move on to
        d.dialog->cmdStart->click();
        QCOMPARE(d.h.messages.texts(),
                 QStringList{QStringLiteral("ATTENZIONE! La produzione non può partire: il numero "
                                            "di serie %1 è già stato scritto e fino a %2 non "
                                            "resta posto per la serie.")
                                 .arg(start, largest)});
        QCOMPARE(d.h.comm.commands().filter("?R2&24,").size(), written);
    }

    // The line lost part-way through a tag: the log says what went out, and a serial number that
    // went out is not given to another tag. Serial number in rows 1 and 2, "DATA" in row 3.
    void lineLostPartWay_data()
    {
        QTest::addColumn<QString>("lastSent");  // the last command that goes out
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("next");  // "Primo valore" afterwards
        QTest::newRow("before the write") << "?R2&1,0"
                                          << "non inviato"
                                          << "41";
        QTest::newRow("during the write") << "?R2&24,0"
                                          << "scritto in parte (blocchi 1)"
                                          << "42";
        QTest::newRow("during verification") << "?R2&23,0"
                                             << "\"scritto, non verificato\""
                                             << "42";
    }
    void lineLostPartWay()
    {
        QFETCH(QString, lastSent);
        QFETCH(QString, result);
        QFETCH(QString, next);
        Desk d;
        QVERIFY(d.open());
        d.serialsAndBlockLabel(3, 41);
        d.h.comm.onWrite = [&](const QByteArray &bytes) {
            if (bytes.startsWith(lastSent.toLatin1()))
                d.h.comm.writeError = {SerialError::WriteFailed,
                                       "/dev/fake0: scrittura non riuscita"};
        };
        d.dialog->cmdStart->click();
        QCOMPARE(d.log().size(), 2);
        QCOMPARE(
            d.log().at(1),
            QStringLiteral("T,1,%1,41,1:30303030 2:30303431 3:44415441,%2").arg(uid(1), result));
        QCOMPARE(d.dialog->txtSerialStart->text(), next);
        QVERIFY(d.h.messages.texts().last().startsWith(
            "ATTENZIONE! Produzione fermata: la stampante non riceve i comandi.\n0 tag riusciti"));
    }

    // The log is the record: removed during the run, the run stops there and says so.
    void aRemovedLogStopsTheRun()
    {
        Desk d;
        QVERIFY(d.open());
        d.serialsAndBlockLabel(5, 1);
        d.h.comm.onWrite = [&](const QByteArray &bytes) {
            if (bytes.startsWith("?R2&24,0,1,0000") && d.printer.roll.position == 3)
                QFile::remove(d.dir.filePath("registro.csv"));
        };
        d.dialog->cmdStart->click();
        QCOMPARE(d.printer.roll.passed.size(), 3);  // tag 3 is labelled, tag 4 never written
        QCOMPARE(d.h.comm.commands().filter("?R2&24,0,").size(), 3);
        QCOMPARE(d.h.messages.texts().value(0).section('\n', 0, 1),
                 QStringLiteral("ATTENZIONE! Produzione fermata: il registro è stato cancellato "
                                "o spostato; il tag n. 3 è stato programmato ma non registrato.\n"
                                "3 tag riusciti, 0 falliti."));
        QCOMPARE(d.dialog->txtSerialStart->text(), QStringLiteral("4"));
    }

    // A tag that keeps nothing: with "stop" the run ends there; with "ANNULLATO" its label is
    // marked and the next tag gets the same serial number.
    void aFailedTagStopsOrIsVoided()
    {
        for (bool voided : {false, true}) {
            Desk d;
            QVERIFY(d.open());
            d.printer.roll.badTags = {2};
            d.printer.loadRollTag(1);
            d.serialsAndBlockLabel(3, 1);
            d.dialog->cboOnFailure->setCurrentIndex(voided ? 1 : 0);
            d.dialog->cmdStart->click();
            const QStringList log = d.log();
            QVERIFY(log.at(2).startsWith(QStringLiteral("T,2,%1,2,").arg(uid(2))));
            QVERIFY2(log.at(2).endsWith(",\"verifica fallita per i blocchi 1, 2, 3\""),
                     qPrintable(log.at(2)));
            if (!voided) {
                QCOMPARE(log.size(), 3);
                QVERIFY2(d.h.messages.texts().value(0).startsWith(
                             "ATTENZIONE! Produzione fermata: il tag n. 2 (UID " + uid(2) +
                             ") è fallito: verifica fallita per i blocchi 1, 2, 3.\n1 tag "
                             "riusciti, 1 falliti."),
                         qPrintable(d.h.messages.texts().value(0)));
                QCOMPARE(d.printer.transcript.count(QStringLiteral("?14&1  stampa")), 1);
                continue;
            }
            QCOMPARE(log.size(), 5);  // three good tags and the void one
            QVERIFY(log.at(3).startsWith(QStringLiteral("T,3,%1,2,").arg(uid(3))));
            QVERIFY(log.at(4).startsWith(QStringLiteral("T,4,%1,3,").arg(uid(4))));
            QVERIFY(log.at(4).endsWith(",OK"));
            QVERIFY(d.printer.transcript.contains(
                "?52&   riga  720 colonna   10 (tipo 20, 7, 12): \"ANNULLATO\""));
            QCOMPARE(d.memory(2, 1), QByteArray("0002"));  // the serial the void tag did not keep
            QCOMPARE(d.h.messages.texts().value(0).section('\n', 0, 0),
                     QStringLiteral("Produzione terminata: 3 tag riusciti, 1 falliti."));
        }
        // A void tag that holds its serial number keeps it: the next tag takes the following one.
        Desk d;
        QVERIFY(d.open());
        d.serialsAndBlockLabel(2, 1);
        d.dialog->cboOnFailure->setCurrentIndex(1);
        d.h.comm.onWrite = [&](const QByteArray &bytes) {
            if (bytes.startsWith("?R2&24,0,1,"))
                d.printer.behaviour.corruptedWrites.clear();
            if (bytes.startsWith("?R2&24,1,1,0002"))
                d.printer.behaviour.corruptedWrites = {2};  // the DATA row written next
        };
        d.dialog->cmdStart->click();
        const QStringList log = d.log();
        QCOMPARE(log.size(), 4);
        QVERIFY2(log.at(2).startsWith(QStringLiteral("T,2,%1,2,").arg(uid(2))),
                 qPrintable(log.at(2)));
        QVERIFY(log.at(2).endsWith(",verifica fallita per i blocchi 3"));
        QVERIFY2(log.at(3).startsWith(QStringLiteral("T,3,%1,3,").arg(uid(3))),
                 qPrintable(log.at(3)));
        QCOMPARE(d.memory(1, 1), QByteArray("0002"));
    }

    // "Interrompi" ends the run after the step in progress, the tag in progress logged as
    // written and stopped; closing the main window ends it at once, the log intact.
    void stoppedOrClosedMidRun()
    {
        {
            Desk d;
            QVERIFY(d.open());
            d.serialsAndBlockLabel(9, 1);
            d.h.comm.onWrite = [&](const QByteArray &bytes) {
                if (bytes.startsWith("?R2&24,1,1,0003"))
                    d.dialog->cmdStop->click();
            };
            d.dialog->cmdStart->click();
            // The write of tag 3 ends; it is not verified, labelled or counted, but its serial
            // number is spent.
            QCOMPARE(d.h.comm.commands().last(), QStringLiteral("?R2&24,2,1,DATA"));
            QCOMPARE(d.log().size(), 4);
            QVERIFY(d.log().at(3).endsWith(",\"scritto, non verificato, interrotto\""));
            QCOMPARE(d.dialog->txtSerialStart->text(), QStringLiteral("4"));
            QCOMPARE(d.printer.roll.passed.size(), 2);
            QCOMPARE(d.h.messages.texts().value(0).section('\n', 0, 0),
                     QStringLiteral("Produzione interrotta: 2 tag riusciti, 0 falliti."));
        }
        Desk d;
        QVERIFY(d.open());
        d.serialsAndBlockLabel(9, 1);
        d.h.comm.onWrite = [&](const QByteArray &bytes) {
            if (bytes.startsWith("?R2&23,1,1") && d.printer.roll.position == 2)
                d.h.window.close();
        };
        d.dialog->cmdStart->click();
        QCOMPARE(d.h.ended, 1);
        QVERIFY(d.h.comm.commands().last().startsWith("?R2&23,1,1"));  // nothing more was sent
        QCOMPARE(d.log().size(), 3);
        QVERIFY(d.log().at(2).endsWith(",\"scritto, non verificato, interrotto\""));
        QVERIFY(d.h.messages.shown.isEmpty());
    }

    // What would make a run go wrong is refused before anything is sent.
    void refusedBeforeAnythingIsSent()
    {
        Desk d;
        QVERIFY(d.open());
        const auto refused = [&](const char *expected) {
            d.h.messages.shown.clear();
            d.dialog->cmdStart->click();
            QCOMPARE(d.h.messages.shown.size(), 1);
            QVERIFY2(d.h.messages.shown[0].text.startsWith("ATTENZIONE! La produzione non può "
                                                           "partire: ") &&
                         d.h.messages.shown[0].text.contains(QString::fromUtf8(expected)),
                     qPrintable(d.h.messages.shown[0].text));
            QVERIFY(d.h.comm.writes.isEmpty());
        };
        refused("non c'è nulla da scrivere");
        BlockPage &page = *d.h.window.blockPage;
        page.chkBlocks[4]->setChecked(true);
        page.setRowBytes(4, "A\nB");
        refused("il blocco 5 contiene i byte CR o LF");
        page.chkHex->setChecked(true);
        page.txtBlocks[4]->setText("414");
        refused("il blocco 5 ha un numero dispari di cifre esadecimali");
        page.txtBlocks[4]->setText("41");
        // Row 1, unticked, is what the block data label would print: checked as the grid is now.
        d.dialog->cboLabel->setCurrentIndex(2);
        page.setRowBytes(0, "A\tB");
        refused("il blocco 1 contiene caratteri di controllo");
        page.setRowBytes(0, "AB");
        d.dialog->cboLabel->setCurrentIndex(0);
        d.dialog->fraSerial->setChecked(true);
        d.dialog->txtSerialStart->setText("9990");
        d.dialog->spnCount->setValue(20);
        refused("arriva al massimo a 9999");
        d.dialog->txtSerialStart->setText("1");
        d.dialog->cboSerialForm->setCurrentIndex(1);
        d.dialog->cboLabel->setCurrentIndex(2);
        refused("binario nei blocchi 1 e 2");
        d.dialog->cboSerialForm->setCurrentIndex(0);
        d.chooser.answer = d.dir.filePath("manca/registro.csv");
        refused("il registro");
        // Not waited on.
        QCOMPARE(::mkfifo(QFile::encodeName(d.dir.filePath("fifo.csv")).constData(), 0600), 0);
        d.chooser.answer = d.dir.filePath("fifo.csv");
        refused("è una FIFO (pipe con nome), non un file");
        // Another printer operation holds the printer: said before the log file is asked for.
        d.chooser.answer = d.dir.filePath("registro.csv");
        d.chooser.offered.clear();
        const PrinterLink::Operation busy = d.h.window.link().beginOperation();
        refused("è in corso un'altra operazione con la stampante");
        QVERIFY(d.chooser.offered.isEmpty());
    }
};

V4400_TEST(tst_ProductionUi);
#include "tst_production_ui.moc"
