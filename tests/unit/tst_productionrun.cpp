#include "desk.h"
#include "smalldisk.h"
#include "testmain.h"

#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

// The workbench on the fake printer with a roll of tags, queried, time compressed twentyfold;
// the log goes to a folder of its own.
struct ProductionRoll
{
    Desk d;
    QTemporaryDir dir;
    PrinterModel &printer = d.comm.model();
    ProductionRun &run = d.bench.production();
    BlockModel &grid = d.bench.blocks();
    ProductionPlan plan;  // the dialog's options

    ProductionRoll()
    {
        d.queried();
        d.bench.link().setTimeScale(0.05);
        printer.roll.enabled = true;
        printer.loadRollTag(1);
        d.chooser.answer = dir.filePath("registro.csv");
    }
    void start() { run.start(plan); }
    // A serial number in `row`, the dialog's defaults otherwise (four decimal digits).
    production::SerialNumber &serial(quint64 start, int row = 0)
    {
        plan.serial = production::SerialNumber{row, 4, production::SerialForm::Decimal, start};
        return *plan.serial;
    }
    // Decimal serial number in rows 1 and 2, the third row from the grid, the block data label.
    void serialsAndBlockLabel(int count, quint64 start)
    {
        grid.setBytes(2, "DATA");
        grid.setSelected(2, true);
        plan.count = count;
        serial(start).width = 8;
        plan.label = ProductionPlan::Label::Blocks;
    }
    // The log's lines, a run's first line left out; the time, the run and the
    // printer replaced by "T", the serial's formula by its text.
    QStringList log() const
    {
        QFile f(dir.filePath("registro.csv"));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
        lines.removeAll(QString());
        lines.removeIf([](const QString &l) { return l.endsWith(";inizio serie"); });
        for (QString &line : lines) {
            line.replace(QRegularExpression("^[^;]*;UTC[+-]\\d\\d:\\d\\d;[^;]*;[^;]*;[^;]*;"),
                         "T;");
            line.replace(QRegularExpression("\"=\"\"(\\w+)\"\"\""), "\\1");
        }
        return lines;
    }
    QString said(int i = 0) const { return d.messages.texts().value(i); }
    QByteArray memory(int tag, int row) const
    {
        return printer.roll.passed.at(tag).memory.mid(row * 4, 4);
    }
};

namespace {

// The UID of tag n of the fake's roll, in hex as the log writes it.
QString rollUid(int n)
{
    return QStringLiteral("E00401502A3C7B%1").arg(0x12 + n - 1, 2, 16, QLatin1Char('0')).toUpper();
}

bool putRunFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

}  // namespace

// The production run on the workbench: tags written, verified, labelled and logged, without a
// window.
class tst_ProductionRun : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void fiveTagsWithSerialsAndLabels()
    {
        ProductionRoll r;
        r.serialsAndBlockLabel(5, 41);
        QStringList steps;
        connect(&r.run, &ProductionRun::progressChanged, this,
                [&](const ProductionProgress &progress) {
                    if (steps.isEmpty() || steps.last() != progress.step)
                        steps << progress.step;
                });
        QSignalSpy logged(&r.run, &ProductionRun::tagLogged);
        QSignalSpy chosen(&r.run, &ProductionRun::logChosen);
        r.d.comm.onWrite = [&](const QByteArray &) { QVERIFY(r.run.running()); };
        r.start();

        QVERIFY(r.d.chooser.offered.endsWith(
            QStringLiteral("/produzione-%1.csv").arg(QDate::currentDate().toString(Qt::ISODate))));
        QCOMPARE(r.d.chooser.existing, FileChooser::Existing::Append);
        QCOMPARE(chosen.size(), 1);
        QCOMPARE(r.printer.roll.passed.size(), 5);
        for (int tag = 0; tag < 5; ++tag) {
            QCOMPARE(r.memory(tag, 0) + r.memory(tag, 1),
                     QByteArray("000000") + QByteArray::number(41 + tag));
            QCOMPARE(r.memory(tag, 2), QByteArray("DATA"));
        }
        QCOMPARE(r.printer.transcript.count(QStringLiteral("?14&1  stampa")), 5);
        QVERIFY(r.printer.transcript.contains(
            QStringLiteral("?52&   riga  480 colonna   37 (tipo 31, 14, 116): \"00000043\"")));
        // The first tag's traffic is that of Inventory, "SCRIVI" with verification and "STAMPA".
        QCOMPARE(r.d.comm.commands().mid(0, 20),
                 QStringLiteral("?R1&2,1|?R2&1,0|?R2&24,0,1,0000|?R2&24,1,1,0041|?R2&24,2,1,DATA|"
                                "?R1&2,1|?R2&23,0,1|?R2&23,1,1|?R2&23,2,1|?00&|?81&1|"
                                "?52&00,474,764,18,11;BELMUTH|"
                                "?52&00,538,763,17,11;Vireo 4400 TAG - RF|?09&2|?10&1|?11&2|?13&2|"
                                "?52&31,480,37,14,116;00000041|?14&1|?81&0")
                     .split('|'));
        QStringList expected{
            "\uFEFFora;utc;serie;modello;versione;sequenza;uid;seriale;dati;esito"};
        for (int tag = 1; tag <= 5; ++tag)
            expected << QStringLiteral("T;%1;%2;000000%3;1:30303030 2:3030%4 3:44415441;OK")
                            .arg(QString::number(tag), rollUid(tag), QString::number(40 + tag),
                                 QString::fromLatin1(
                                     QByteArray::number(40 + tag).toHex().toUpper()));
        QCOMPARE(r.log(), expected);
        QCOMPARE(r.d.messages.texts(),
                 QStringList{QStringLiteral("Produzione terminata: 5 tag riusciti, 0 falliti.\n"
                                            "Registro: %1")
                                 .arg(r.dir.filePath("registro.csv"))});
        QCOMPARE(r.run.progress().succeeded, 5);
        QCOMPARE(r.run.progress().failed, 0);
        QCOMPARE(logged.size(), 5);
        QVERIFY(steps.contains("Attesa di un tag..."));
        QVERIFY(steps.contains("Scrittura dei blocchi 1, 2, 3..."));
        QVERIFY(steps.contains("Verifica..."));
        QCOMPARE(steps.last(), QStringLiteral("Fermo"));
        QVERIFY(!r.run.running());
        QCOMPARE(r.run.nextSerial(), std::optional<quint64>(46));
        QVERIFY(!r.d.bench.link().PrintingFlag());
    }

    // A printer that does not advance leaves the programmed tag over the antenna: it is never
    // written again, and the run waits until another tag answers or the operator stops it.
    void aTagIsNeverProgrammedTwice()
    {
        ProductionRoll r;
        r.printer.roll.stuck = true;
        r.serialsAndBlockLabel(3, 1);
        int inventories = 0;
        QString seen;
        r.d.comm.onWrite = [&](const QByteArray &bytes) {
            if (bytes != "?R2&1,0\r\n")
                return;
            if (++inventories == 6) {  // the first tag, then five times the same one
                seen = r.run.progress().step;
                r.run.requestStop();
            }
        };
        r.start();
        QCOMPARE(seen, QStringLiteral("Tag già programmato: sostituirlo"));
        QCOMPARE(r.d.comm.commands().filter("?R2&24,").size(), 3);  // the first tag's three rows
        QCOMPARE(r.log().size(), 2);
        QVERIFY(r.log().at(1).endsWith(";OK"));
        QCOMPARE(r.said().section('\n', 0, 0),
                 QStringLiteral("Produzione interrotta: 1 tag riuscito, 0 falliti."));
        QCOMPARE(r.run.nextSerial(), std::optional<quint64>(2));  // the series goes on

        // A new run in the same session does not write over a tag programmed before either.
        inventories = 0;
        r.d.comm.writes.clear();
        r.plan.serial->start = 2;
        r.start();
        QCOMPARE(r.d.comm.commands().filter("?R2&24,").size(), 0);
    }

    // The program started again on the same log: a used first value is refused and the first
    // free one offered, a tag the log records is never written again, the sequence goes on. A
    // log in the old comma form is read too, and goes on in that form.
    void aLogGoesOnAfterARestart_data()
    {
        QTest::addColumn<bool>("oldForm");
        QTest::addColumn<QString>("fourth");
        QTest::newRow("this program's") << false << QStringLiteral("T;4;%1;00001004;");
        QTest::newRow("old comma form") << true << QStringLiteral(",4,%1,1004,");
    }
    void aLogGoesOnAfterARestart()
    {
        QFETCH(bool, oldForm);
        QFETCH(QString, fourth);
        ProductionRoll r;
        if (oldForm) {
            QByteArray old = "ora,sequenza,uid,seriale,dati,esito\n";
            for (int tag = 1; tag <= 3; ++tag)
                old += QStringLiteral("2026-12-08T21:30:0%1+01:00,%1,%2,%3,1:3030,OK\n")
                           .arg(QString::number(tag), rollUid(tag), QString::number(1000 + tag))
                           .toUtf8();
            QVERIFY(putRunFile(r.d.chooser.answer, old));
        } else {
            ProductionRoll yesterday;
            yesterday.d.chooser.answer = r.d.chooser.answer;
            yesterday.serialsAndBlockLabel(3, 1001);
            yesterday.start();
            QCOMPARE(yesterday.run.nextSerial(), std::optional<quint64>(1004));
        }
        r.printer.loadRollTag(3);  // the last tag programmed is still over the antenna
        r.serialsAndBlockLabel(2, 1001);
        r.d.messages.choose = [](const RecordingMessages::Message &m) {
            return m.choice == QLatin1String("Parti da 1004");
        };
        connect(&r.run, &ProductionRun::progressChanged, this, [&](const ProductionProgress &p) {
            if (p.step == QStringLiteral("Tag già programmato: sostituirlo"))
                r.printer.loadRollTag(4);
        });
        r.start();
        QCOMPARE(r.said(),
                 QStringLiteral("ATTENZIONE! La produzione non può partire: il numero di serie "
                                "1001 è già stato scritto: la serie può partire da 1004."));
        QCOMPARE(r.printer.roll.passed.last().memory.left(8), QByteArray("00001005"));
        const QStringList log = r.log();
        QCOMPARE(log.size(), 6);
        QVERIFY2(log.at(4).contains(fourth.arg(rollUid(4))), qPrintable(log.at(4)));
        QCOMPARE(r.run.nextSerial(), std::optional<quint64>(1006));
    }

    // A job saved, the program started again, the job opened: the grid's template, the options
    // and the log come back, the first value the one after the log's last. A bad file changes
    // nothing.
    void aJobGoesOnAfterARestart()
    {
        ProductionRoll r;
        const QString job = r.dir.filePath("lavoro.json");
        {
            ProductionRoll yesterday;
            yesterday.d.chooser.answer = r.d.chooser.answer;
            yesterday.serialsAndBlockLabel(3, 41);
            yesterday.start();
            yesterday.d.chooser.answer = job;
            yesterday.run.saveJob(yesterday.plan);
        }
        const QString logPath = r.d.chooser.answer;
        r.d.chooser.answer = job;
        const std::optional<ProductionPlan> plan = r.run.openJob();
        QVERIFY(plan && plan->serial);
        QCOMPARE(plan->serial->start, 44u);
        QCOMPARE(plan->logPath, logPath);
        QCOMPARE(plan->label, ProductionPlan::Label::Blocks);
        QCOMPARE(r.grid.selectedRows(), QList<int>{2});
        QCOMPARE(r.grid.bytes(2), QByteArray("DATA"));

        QVERIFY(putRunFile(job, "{}"));
        r.grid.setSelected(2, false);
        QVERIFY(!r.run.openJob());
        QCOMPARE(r.d.messages.texts().last(),
                 QStringLiteral("ATTENZIONE! Il lavoro «%1» non si può aprire: non è un lavoro "
                                "di produzione di questo programma.")
                     .arg(job));
        QVERIFY(r.grid.selectedRows().isEmpty());
    }

    // A job saved on a full disk leaves the file there whole; a FIFO is refused without a wait.
    void jobFilesThatCannotBeSavedOrOpened()
    {
        ProductionRoll r;
        r.serial(41);
        if (SmallDisk disk; disk.available()) {
            const QString path = disk.filePath("lavoro.json");
            QVERIFY(putRunFile(path, "{}"));
            disk.fill();
            r.d.chooser.answer = path;
            r.run.saveJob(r.plan);
            QVERIFY2(r.said().startsWith(
                         QStringLiteral("ATTENZIONE! Il lavoro non è stato salvato in «%1»: ")
                             .arg(path)),
                     qPrintable(r.said()));
            QFile old(path);
            QVERIFY(old.open(QIODevice::ReadOnly));
            QCOMPARE(old.readAll(), QByteArray("{}"));
        }
        const QString fifo = r.dir.filePath("lavoro.json");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        r.d.chooser.answer = fifo;
        QVERIFY(!r.run.openJob());
        QCOMPARE(
            r.d.messages.texts().last(),
            QStringLiteral("ATTENZIONE! Il lavoro «%1» non si può aprire: è una FIFO (pipe con "
                           "nome), non un file.")
                .arg(fifo));
    }

    // Serial numbers: binary values holding 0D or 0A are passed over and named; a run until
    // stopped ends when the width holds no further value.
    void serialNumbersSkipAndRunOut()
    {
        ProductionRoll r;
        r.plan.untilStopped = true;
        r.serial(9, 4).form = production::SerialForm::Binary;
        r.plan.label = ProductionPlan::Label::TagInfo;  // it feeds the roll
        r.d.comm.onWrite = [&](const QByteArray &) {
            if (r.printer.roll.passed.size() == 4)
                r.run.requestStop();
        };
        r.start();
        QCOMPARE(r.printer.roll.passed.size(), 4);
        QList<quint8> serials;
        for (int tag = 0; tag < 4; ++tag)
            serials << quint8(r.memory(tag, 4).at(3));
        QCOMPARE(serials, (QList<quint8>{9, 11, 12, 14}));
        QVERIFY2(r.said().endsWith(
                     "Numeri di serie saltati (i loro byte contengono 0D o 0A, che non possono "
                     "stare in un comando): 10, 13."),
                 qPrintable(r.said()));
        QCOMPARE(r.run.nextSerial(), std::optional<quint64>(15));
        // The log records them too, as the tag would have held them.
        QCOMPARE(r.log().filter(";saltati: i loro byte contengono 0D o 0A"),
                 (QStringList{"T;;;0000000A;;saltati: i loro byte contengono 0D o 0A",
                              "T;;;0000000D;;saltati: i loro byte contengono 0D o 0A"}));

        r.d.messages.shown.clear();
        r.d.comm.onWrite = {};
        r.serial(9998, 4);
        r.start();
        QCOMPARE(r.printer.roll.passed.size(), 6);
        QCOMPARE(r.memory(5, 4), QByteArray("9999"));
        QVERIFY2(r.said().startsWith(
                     "ATTENZIONE! Produzione fermata: i numeri di serie sono finiti (4 byte).\n2 "
                     "tag riusciti"),
                 qPrintable(r.said()));
        r.serial(0, 4);
        r.plan.serialStartValid = false;  // "99999999999999999999"
        r.d.messages.shown.clear();
        r.start();
        QVERIFY(r.said().contains("il primo valore del numero di serie va "
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
        ProductionRoll r;
        production::SerialNumber &serial = r.serial(start.toULongLong());
        serial.width = eightBytes ? 8 : 4;
        serial.form = eightBytes ? production::SerialForm::Binary : production::SerialForm::Decimal;
        r.plan.count = qMax(count, 1);
        r.plan.untilStopped = count == 0;
        r.plan.label = ProductionPlan::Label::TagInfo;  // it feeds the roll
        r.start();
        QVERIFY2(r.said().contains(
                     QRegularExpression("^(Produzione terminata|ATTENZIONE! Produzione fermata: "
                                        "i numeri di serie sono finiti)")),
                 qPrintable(r.said()));
        const int written = r.d.comm.commands().filter("?R2&24,").size();
        QVERIFY(written > 0);

        r.d.messages.shown.clear();
        QVERIFY(!r.run.nextSerial());  // no next value to move on to
        r.start();
        QCOMPARE(r.d.messages.texts(),
                 QStringList{QStringLiteral("ATTENZIONE! La produzione non può partire: il numero "
                                            "di serie %1 è già stato scritto e fino a %2 non "
                                            "resta posto per la serie.")
                                 .arg(start, largest)});
        QCOMPARE(r.d.comm.commands().filter("?R2&24,").size(), written);
    }

    // The line lost part-way through a tag: the log says what went out, and a serial number that
    // went out is not given to another tag. Serial number in rows 1 and 2, "DATA" in row 3.
    void lineLostPartWay_data()
    {
        QTest::addColumn<QString>("lastSent");  // the last command that goes out
        QTest::addColumn<int>("next");
        QTest::addColumn<QString>("result");
        QTest::newRow("before the write") << "?R2&1,0" << 41 << "non inviato";
        QTest::newRow("during the write") << "?R2&24,0" << 42 << "scritto in parte (blocchi 1)";
        QTest::newRow("during verification") << "?R2&23,0" << 42 << "scritto, non verificato";
        QTest::newRow("during the label") << "?00&" << 42 << "OK, etichetta non inviata";
    }
    void lineLostPartWay()
    {
        QFETCH(QString, lastSent);
        QFETCH(QString, result);
        QFETCH(int, next);
        ProductionRoll r;
        r.serialsAndBlockLabel(3, 41);
        r.d.comm.onWrite = [&](const QByteArray &bytes) {
            if (bytes.startsWith(lastSent.toLatin1()))
                r.d.comm.writeError = {SerialError::WriteFailed,
                                       "/dev/fake0: scrittura non riuscita"};
        };
        r.start();
        QCOMPARE(r.log().size(), 2);
        QCOMPARE(r.log().at(1),
                 QStringLiteral("T;1;%1;00000041;1:30303030 2:30303431 3:44415441;%2")
                     .arg(rollUid(1), result));
        QCOMPARE(r.run.nextSerial(), std::optional<quint64>(next));
        // A verified tag counts as a success, its label printed or not.
        QVERIFY(r.d.messages.texts().last().startsWith(
            "ATTENZIONE! Produzione fermata: la stampante non riceve i comandi.\n" +
            runtexts::counts(lastSent == "?00&", 0)));
        // A tag that went out in whole or part is named with its UID and serial number.
        const QString named = QStringLiteral("\nScritto ma non completato:\n- tag n. 1, UID "
                                             "E00401502A3C7B%1, numero di serie 00000041: %2")
                                  .arg(rollUid(1).right(2), QString(result).remove('"'));
        QCOMPARE(r.d.messages.texts().last().endsWith(named), next == 42);
    }

    // The log is the record: removed during the run, the run stops there and says so.
    void aRemovedLogStopsTheRun()
    {
        ProductionRoll r;
        r.serialsAndBlockLabel(5, 1);
        r.d.comm.onWrite = [&](const QByteArray &bytes) {
            if (bytes.startsWith("?R2&24,0,1,0000") && r.printer.roll.position == 3)
                QFile::remove(r.dir.filePath("registro.csv"));
        };
        r.start();
        QCOMPARE(r.printer.roll.passed.size(), 3);  // tag 3 is labelled, tag 4 never written
        QCOMPARE(r.d.comm.commands().filter("?R2&24,0,").size(), 3);
        QCOMPARE(r.said().section('\n', 0, 1),
                 QStringLiteral("ATTENZIONE! Produzione fermata: il registro è stato cancellato "
                                "o spostato; il tag n. 3 è stato programmato ma non registrato.\n"
                                "3 tag riusciti, 0 falliti."));
        QCOMPARE(r.run.nextSerial(), std::optional<quint64>(4));
    }

    // A tag that keeps nothing: with "stop" the run ends there; with "ANNULLATO" its label is
    // marked and the next tag gets the same serial number.
    void aFailedTagStopsOrIsVoided()
    {
        for (bool voided : {false, true}) {
            ProductionRoll r;
            r.printer.roll.badTags = {2};
            r.printer.loadRollTag(1);
            r.serialsAndBlockLabel(3, 1);
            r.plan.onFailure =
                voided ? ProductionPlan::OnFailure::Void : ProductionPlan::OnFailure::Stop;
            r.start();
            const QStringList log = r.log();
            QVERIFY(log.at(2).startsWith(QStringLiteral("T;2;%1;00000002;").arg(rollUid(2))));
            QVERIFY2(log.at(2).endsWith(";verifica fallita per i blocchi 1, 2, 3"),
                     qPrintable(log.at(2)));
            if (!voided) {
                QCOMPARE(log.size(), 3);
                QVERIFY2(r.said().startsWith(
                             "ATTENZIONE! Produzione fermata: il tag n. 2 (UID " + rollUid(2) +
                             ") è fallito: verifica fallita per i blocchi 1, 2, 3.\n1 tag "
                             "riuscito, 1 fallito."),
                         qPrintable(r.said()));
                QCOMPARE(r.printer.transcript.count(QStringLiteral("?14&1  stampa")), 1);
                continue;
            }
            QCOMPARE(log.size(), 5);  // three good tags and the void one
            QVERIFY(log.at(3).startsWith(QStringLiteral("T;3;%1;00000002;").arg(rollUid(3))));
            QVERIFY(log.at(4).startsWith(QStringLiteral("T;4;%1;00000003;").arg(rollUid(4))));
            QVERIFY(log.at(4).endsWith(";OK"));
            QVERIFY(r.printer.transcript.contains(
                "?52&   riga  720 colonna   10 (tipo 20, 7, 12): \"ANNULLATO\""));
            // Its UID as the log writes it.
            QCOMPARE(r.printer.transcript.filter("\"" + rollUid(2) + "\"").size(), 1);
            QCOMPARE(r.memory(2, 1), QByteArray("0002"));  // the serial the void tag did not keep
            QCOMPARE(r.said().section('\n', 0, 0),
                     QStringLiteral("Produzione terminata: 3 tag riusciti, 1 fallito."));
        }
        // A void tag that holds its serial number keeps it: the next tag takes the following one.
        ProductionRoll r;
        r.serialsAndBlockLabel(2, 1);
        r.plan.onFailure = ProductionPlan::OnFailure::Void;
        r.d.comm.onWrite = [&](const QByteArray &bytes) {
            if (bytes.startsWith("?R2&24,0,1,"))
                r.printer.behaviour.corruptedWrites.clear();
            if (bytes.startsWith("?R2&24,1,1,0002"))
                r.printer.behaviour.corruptedWrites = {2};  // the DATA row written next
        };
        r.start();
        const QStringList log = r.log();
        QCOMPARE(log.size(), 4);
        QVERIFY2(log.at(2).startsWith(QStringLiteral("T;2;%1;00000002;").arg(rollUid(2))),
                 qPrintable(log.at(2)));
        QVERIFY(log.at(2).endsWith(";verifica fallita per i blocchi 3"));
        QVERIFY2(log.at(3).startsWith(QStringLiteral("T;3;%1;00000003;").arg(rollUid(3))),
                 qPrintable(log.at(3)));
        QCOMPARE(r.memory(1, 1), QByteArray("0002"));
    }

    // "Interrompi" ends the run after the step in progress, the tag in progress logged as
    // written and stopped; the program ending stops it at once, the log intact and nobody told.
    void stoppedOrEndedMidRun()
    {
        {
            ProductionRoll r;
            r.serialsAndBlockLabel(9, 1);
            r.d.comm.onWrite = [&](const QByteArray &bytes) {
                if (bytes.startsWith("?R2&24,1,1,0003"))
                    r.run.requestStop();
            };
            r.start();
            // The write of tag 3 ends; it is not verified, labelled or counted, but its serial
            // number is spent.
            QCOMPARE(r.d.comm.commands().last(), QStringLiteral("?R2&24,2,1,DATA"));
            QCOMPARE(r.log().size(), 4);
            QVERIFY(r.log().at(3).endsWith(";scritto, non verificato, interrotto"));
            QCOMPARE(r.run.nextSerial(), std::optional<quint64>(4));
            QCOMPARE(r.printer.roll.passed.size(), 2);
            QCOMPARE(r.said().section('\n', 0, 0),
                     QStringLiteral("Produzione interrotta: 2 tag riusciti, 0 falliti."));
        }
        ProductionRoll r;
        r.serialsAndBlockLabel(9, 1);
        r.d.comm.onWrite = [&](const QByteArray &bytes) {
            if (bytes.startsWith("?R2&23,1,1") && r.printer.roll.position == 2)
                r.d.bench.link().abandon();
        };
        r.start();
        QVERIFY(r.d.comm.commands().last().startsWith("?R2&23,1,1"));  // nothing more was sent
        QCOMPARE(r.log().size(), 3);
        QVERIFY(r.log().at(2).endsWith(";scritto, non verificato, interrotto"));
        QVERIFY(r.d.messages.shown.isEmpty());
        QVERIFY(!r.run.running());
    }

    // What would make a run go wrong is refused before anything is sent.
    void refusedBeforeAnythingIsSent()
    {
        ProductionRoll r;
        const auto refused = [&](const char *expected) {
            r.d.messages.shown.clear();
            r.start();
            QCOMPARE(r.d.messages.shown.size(), 1);
            QVERIFY2(r.d.messages.shown[0].text.startsWith("ATTENZIONE! La produzione non può "
                                                           "partire: ") &&
                         r.d.messages.shown[0].text.contains(QString::fromUtf8(expected)),
                     qPrintable(r.d.messages.shown[0].text));
            QVERIFY(r.d.comm.writes.isEmpty());
        };
        refused("non c'è nulla da scrivere");
        r.grid.setSelected(4, true);
        r.grid.setBytes(4, "A\nB");
        refused("il blocco 5 contiene i byte CR o LF");
        QVERIFY(r.grid.setMode(BlockModel::Mode::Hex));
        r.grid.edit(4, "414");
        refused("il blocco 5 ha un numero dispari di cifre esadecimali");
        r.grid.edit(4, "41");
        // Row 1, unticked, is what the block data label would print: checked as the grid is now.
        r.plan.label = ProductionPlan::Label::Blocks;
        r.grid.setBytes(0, "A\tB");
        refused("il blocco 1 contiene caratteri di controllo");
        r.grid.setBytes(0, "AB");
        r.plan.label = ProductionPlan::Label::None;
        r.serial(9990);
        r.plan.count = 20;
        refused("arriva al massimo a 9999");
        r.serial(1).form = production::SerialForm::Binary;
        r.plan.label = ProductionPlan::Label::Blocks;
        refused("binario nei blocchi 1 e 2");
        r.plan.serial->form = production::SerialForm::Decimal;
        r.d.chooser.answer = r.dir.filePath("manca/registro.csv");
        refused("il registro");
        // Not waited on.
        QCOMPARE(::mkfifo(QFile::encodeName(r.dir.filePath("fifo.csv")).constData(), 0600), 0);
        r.d.chooser.answer = r.dir.filePath("fifo.csv");
        refused("è una FIFO (pipe con nome), non un file");
        // Another printer operation holds the printer: said before the log file is asked for.
        r.d.chooser.answer = r.dir.filePath("registro.csv");
        r.d.chooser.offered.clear();
        const PrinterLink::Operation busy = r.d.bench.link().beginOperation();
        refused("è in corso un'altra operazione con la stampante");
        QVERIFY(r.d.chooser.offered.isEmpty());
    }
};

V4400_TEST(tst_ProductionRun);
#include "tst_productionrun.moc"
