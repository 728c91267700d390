#include "label/productionrun.h"

#include "common/fileerrors.h"
#include "common/messages.h"
#include "common/operationcontext.h"
#include "label/labelcommands.h"
#include "label/labeljobs.h"
#include "link/printercommands.h"
#include "link/printerlink.h"
#include "link/printerquery.h"
#include "link/replytext.h"
#include "tag/taginfopage.h"
#include "tag/tagoperations.h"

#include <QDir>
#include <QStringList>

namespace {

QString rowsList(const QList<int> &rows)
{
    QStringList numbers;
    for (int row : rows)
        numbers << QString::number(row + 1);
    return numbers.join(QLatin1String(", "));
}

}  // namespace

ProductionRun::ProductionRun(OperationContext &context, TagOperations &tags, LabelJobs &labels,
                             TagInfoPage &info, QObject *parent)
    : QObject(parent), m_context(context), m_tags(tags), m_labels(labels), m_info(info)
{
}

QString ProductionRun::check(const ProductionPlan &plan) const
{
    if (plan.templateRows.isEmpty() && !plan.serial)
        return QStringLiteral("non c'è nulla da scrivere: selezionare nella griglia i blocchi da "
                              "scrivere, o un numero di serie");
    QList<int> lineBreaks;
    for (const RowBytes &r : plan.templateRows) {
        if (!blockdata::travelsInCommand(r.bytes))
            lineBreaks << r.row;
    }
    if (!lineBreaks.isEmpty())
        return (lineBreaks.size() == 1 ? QStringLiteral("il blocco %1 contiene")
                                       : QStringLiteral("i blocchi %1 contengono"))
                   .arg(rowsList(lineBreaks)) +
               QStringLiteral(" i byte CR o LF (0D, 0A), che non possono stare in un comando");
    if (!plan.untilStopped && (plan.count < 1 || plan.count > 9999))
        return QStringLiteral("il numero di tag va da 1 a 9999");
    if (plan.serial) {
        const production::SerialNumber &s = *plan.serial;
        const int rows = s.width / printer::kBlockSize;
        if (s.row < 0 || s.row + rows > printer::kTagBlocks)
            return QStringLiteral("il numero di serie di %1 byte non entra nei blocchi a partire "
                                  "dal blocco %2")
                .arg(s.width)
                .arg(s.row + 1);
        const quint64 largest = production::largestSerial(s);
        const quint64 last = plan.untilStopped ? s.start : s.start + quint64(plan.count) - 1;
        if (s.start > largest || last > largest || last < s.start)
            return QStringLiteral("con %1 byte il numero di serie arriva al massimo a %2")
                .arg(s.width)
                .arg(largest);
        if (plan.label == ProductionPlan::Label::Blocks &&
            s.form == production::SerialForm::Binary && s.row <= 1)
            return QStringLiteral("un numero di serie binario nei blocchi 1 e 2 non si può "
                                  "stampare sull'etichetta dei dati dei blocchi: scegliere le "
                                  "cifre decimali o un'altra etichetta");
    }
    if (plan.label == ProductionPlan::Label::Blocks) {
        const QList<RowBytes> blocks =
            production::tagBlocks(plan.templateRows, plan.serial ? &*plan.serial : nullptr,
                                  plan.serial ? plan.serial->start : 0);
        for (int row : {0, 1}) {
            if (labelcommands::textFault(labelRowText(blocks, row)) !=
                labelcommands::TextFault::None)
                return QStringLiteral("il blocco %1 contiene caratteri di controllo, che "
                                      "l'etichetta dei dati dei blocchi non può stampare")
                    .arg(row + 1);
        }
    }
    return {};
}

QString ProductionRun::labelRowText(const QList<RowBytes> &blocks, int row) const
{
    for (const RowBytes &b : blocks) {
        if (b.row == row)
            return QString::fromLatin1(b.bytes);
    }
    return QString::fromLatin1(row == 0 ? m_plan.gridRow1 : m_plan.gridRow2);
}

void ProductionRun::requestStop()
{
    if (!m_running)
        return;
    m_stop = true;
    setStep(QStringLiteral("Interruzione: si finisce il passo in corso..."));
}

void ProductionRun::setStep(const QString &step)
{
    m_progress.step = step;
    emit progressChanged(m_progress);
}

ProductionRun::Step ProductionRun::waitForNewTag(QByteArray *uid)
{
    setStep(QStringLiteral("Attesa di un tag..."));
    for (;;) {
        bool answered = false;
        if (!m_tags.inventoryOnce(&answered))
            return Step::Ended;
        if (answered) {
            *uid = m_info.uidBytes();
            if (!m_done.contains(*uid))
                return Step::Done;
            // A printer that did not advance would have us write the same tag again.
            setStep(QStringLiteral("Tag già programmato: sostituirlo"));
        } else {
            setStep(QStringLiteral("Nessun tag sull'antenna: in attesa..."));
        }
        if (m_stop)
            return Step::Stopped;
    }
}

bool ProductionRun::log(int sequence, const QByteArray &uid, const QString &serial,
                        const QList<RowBytes> &written, const QString &result)
{
    // One line at a time, on disk before the next tag: a crash loses at most the tag in progress.
    const QDateTime now = QDateTime::currentDateTime();
    const QByteArray line = production::logLine(now.toOffsetFromUtc(now.offsetFromUtc()), sequence,
                                                uid, serial, written, result)
                                .toUtf8() +
                            "\n";
    const bool ok = m_log.write(line) == line.size() && m_log.flush();
    emit tagLogged(QStringLiteral("%1  %2  %3  %4")
                       .arg(sequence, 4)
                       .arg(QString::fromLatin1(uid.toHex().toUpper()), serial, result));
    return ok;
}

void ProductionRun::run(const ProductionPlan &plan)
{
    if (m_running)
        return;
    const PrinterLink::Operation operation = m_context.link.beginOperation();
    if (!operation || !m_context.query.requireQueried())
        return;
    if (const QString why = check(plan); !why.isEmpty()) {
        m_context.messages.show(
            QStringLiteral("ATTENZIONE! La produzione non può partire: %1.").arg(why), kStyleError);
        return;
    }
    m_plan = plan;
    m_log.setFileName(plan.logPath);
    const QString logName = QDir::toNativeSeparators(plan.logPath);
    if (!m_log.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        m_context.messages.show(QStringLiteral("ATTENZIONE! La produzione non può partire: il "
                                               "registro «%1» non si può scrivere (%2).")
                                    .arg(logName, fileErrorText(m_log.error())),
                                kStyleError);
        return;
    }
    if (m_log.size() == 0) {
        m_log.write(production::logHeader().toUtf8() + "\n");
        m_log.flush();
    }

    m_running = true;
    m_stop = false;
    m_done.clear();
    m_progress = {};
    m_progress.count = plan.untilStopped ? 0 : plan.count;
    emit runningChanged(true);

    const production::SerialNumber *serial = plan.serial ? &*plan.serial : nullptr;
    quint64 value = serial ? serial->start : 0;
    QStringList skipped;  // serial numbers whose bytes cannot travel in a command
    QString stoppedBy;    // why the run ended before its count, for the summary
    bool lineFailed = false;
    int sequence = 0;
    QElapsedTimer clock;
    double tagSeconds = 0;
    int tagsTimed = 0;

    while (plan.untilStopped || m_progress.succeeded < plan.count) {
        if (m_stop)
            break;
        m_progress.tag = m_progress.succeeded + m_progress.failed + 1;
        clock.start();
        QByteArray uid;
        const Step found = waitForNewTag(&uid);
        if (found == Step::Ended) {
            lineFailed = true;
            break;
        }
        if (found == Step::Stopped)
            break;
        m_done.insert(uid);
        ++sequence;

        while (serial && serial->form == production::SerialForm::Binary &&
               !blockdata::travelsInCommand(production::serialBytes(*serial, value))) {
            skipped << QString::number(value);
            ++value;
        }
        const QString serialText = serial ? QString::number(value) : QString();
        const QList<RowBytes> blocks = production::tagBlocks(plan.templateRows, serial, value);
        QList<RowBytes> written;
        for (const RowBytes &b : blocks)
            written.append({b.row, blockdata::padded(b.bytes)});

        setStep(QStringLiteral("Scrittura dei blocchi %1...").arg(rowsList([&] {
            QList<int> rows;
            for (const RowBytes &b : written)
                rows << b.row;
            return rows;
        }())));
        if (!m_tags.writeRows(written)) {
            lineFailed = !m_context.link.abandoned();
            log(sequence, uid, serialText, written,
                lineFailed ? QStringLiteral("non inviato") : QStringLiteral("interrotto"));
            break;
        }
        QString result = QStringLiteral("OK");
        if (!m_stop && plan.verify) {
            setStep(QStringLiteral("Verifica..."));
            QList<int> failed, missing;
            if (m_tags.verifyRows(written, &failed, &missing) == TagOperations::Outcome::Ended) {
                lineFailed = !m_context.link.abandoned();
                log(sequence, uid, serialText, written,
                    lineFailed ? QStringLiteral("non inviato") : QStringLiteral("interrotto"));
                break;
            }
            if (!missing.isEmpty() && missing.size() == written.size())
                result = QStringLiteral("nessun tag");
            else if (!failed.isEmpty())
                result = QStringLiteral("verifica fallita per i blocchi %1").arg(rowsList(failed));
        }
        if (m_stop) {
            log(sequence, uid, serialText, written, QStringLiteral("interrotto"));
            break;
        }

        const bool ok = result == QLatin1String("OK");
        bool labelled = true;
        if (ok && plan.label == ProductionPlan::Label::TagInfo) {
            setStep(QStringLiteral("Stampa dell'etichetta..."));
            labelled = m_labels.sendTagInfoLabel();
        } else if (ok && plan.label == ProductionPlan::Label::Blocks) {
            setStep(QStringLiteral("Stampa dell'etichetta..."));
            labelled = m_labels.sendBlockLabel(labelRowText(blocks, 0), labelRowText(blocks, 1));
        } else if (!ok && plan.onFailure == ProductionPlan::OnFailure::Void) {
            setStep(QStringLiteral("Stampa dell'etichetta ANNULLATO..."));
            // A UID edited into something no label can print is left off.
            const QString uid = m_info.uidText();
            labelled = m_labels.sendVoidLabel(
                labelcommands::textFault(uid) == labelcommands::TextFault::None ? uid : QString());
        }
        if (!labelled) {
            lineFailed = !m_context.link.abandoned();
            log(sequence, uid, serialText, written,
                result + (lineFailed ? QStringLiteral(", etichetta non inviata")
                                     : QStringLiteral(", interrotto")));
            break;
        }

        if (!log(sequence, uid, serialText, written, result)) {
            m_context.messages.show(
                QStringLiteral("ATTENZIONE! Produzione fermata: il registro «%1» non si può più "
                               "scrivere (%2). L'ultimo tag, n. %3, è stato programmato ma non "
                               "registrato.")
                    .arg(logName, fileErrorText(m_log.error()))
                    .arg(sequence),
                kStyleError);
            stoppedBy = QStringLiteral("registro");
            break;
        }
        tagSeconds += clock.elapsed() / 1000.0;
        ++tagsTimed;
        m_progress.secondsPerTag = tagSeconds / tagsTimed;
        if (ok) {
            ++m_progress.succeeded;
            ++value;
        } else {
            ++m_progress.failed;
            if (plan.onFailure == ProductionPlan::OnFailure::Stop) {
                stoppedBy = QStringLiteral("il tag n. %1 (UID %2) è fallito: %3")
                                .arg(sequence)
                                .arg(QString::fromLatin1(uid.toHex().toUpper()), result);
                break;
            }
        }
        if (!plan.untilStopped)
            m_progress.secondsLeft = m_progress.secondsPerTag * (plan.count - m_progress.succeeded);
        setStep(QStringLiteral("Tag n. %1: %2").arg(sequence).arg(result));
    }

    m_log.close();
    m_running = false;
    const bool stopped = m_stop;
    m_stop = false;
    setStep(QStringLiteral("Fermo"));
    emit runningChanged(false);
    if (m_context.link.abandoned())
        return;  // the program is ending: nobody to tell

    QString text = QStringLiteral("%1 tag riusciti, %2 falliti.\nRegistro: %3")
                       .arg(m_progress.succeeded)
                       .arg(m_progress.failed)
                       .arg(logName);
    if (!skipped.isEmpty())
        text += QStringLiteral("\nNumeri di serie saltati (i loro byte contengono 0D o 0A, che "
                               "non possono stare in un comando): %1.")
                    .arg(skipped.join(QLatin1String(", ")));
    if (lineFailed)
        m_context.messages.show(
            QStringLiteral("ATTENZIONE! Produzione fermata: la stampante non riceve i comandi.\n") +
                text,
            kStyleError);
    else if (!stoppedBy.isEmpty() && stoppedBy != QLatin1String("registro"))
        m_context.messages.show(
            QStringLiteral("ATTENZIONE! Produzione fermata: %1.\n").arg(stoppedBy) + text,
            kStyleError);
    else if (stoppedBy.isEmpty())
        m_context.messages.show((stopped ? QStringLiteral("Produzione interrotta: ")
                                         : QStringLiteral("Produzione terminata: ")) +
                                    text,
                                kStyleInformation);
}
