#include "label/productionrun.h"

#include "common/displaytext.h"
#include "common/messages.h"
#include "common/operationcontext.h"
#include "label/labelcommands.h"
#include "label/labeljobs.h"
#include "link/printercommands.h"
#include "link/printerlink.h"
#include "link/printerquery.h"
#include "link/replytext.h"
#include "tag/tagcodec.h"
#include "tag/taginfopage.h"
#include "tag/tagoperations.h"

#include <QDir>
#include <QStringList>

#include <algorithm>

namespace {

// What the block data label prints for row 0 or 1 of a tag: the bytes written there, else the
// plan's grid row as the label job would take it.
QString labelRowText(const ProductionPlan &plan, const QList<RowBytes> &blocks, int row)
{
    for (const RowBytes &b : blocks) {
        if (b.row == row)
            return QString::fromLatin1(b.bytes);
    }
    return QString::fromLatin1(row == 0 ? plan.gridRow1 : plan.gridRow2);
}

// The log's path in a message: a file name may hold any character.
QString logName(const QString &path)
{
    return quoted(QDir::toNativeSeparators(path), 200);
}

}  // namespace

ProductionRun::ProductionRun(OperationContext &context, TagOperations &tags, LabelJobs &labels,
                             TagInfoPage &info, QObject *parent)
    : QObject(parent), m_context(context), m_tags(tags), m_labels(labels), m_info(info)
{
}

bool ProductionRun::ready()
{
    if (m_context.link.operationRunning()) {
        m_context.messages.show(QStringLiteral("ATTENZIONE! La produzione non può partire: è in "
                                               "corso un'altra operazione con la stampante."),
                                kStyleError);
        return false;
    }
    return m_context.query.requireQueried();
}

QString ProductionRun::check(const ProductionPlan &plan) const
{
    if (plan.templateRows.isEmpty() && !plan.serial)
        return QStringLiteral("non c'è nulla da scrivere: selezionare nella griglia i blocchi da "
                              "scrivere, o un numero di serie");
    QList<int> lineBreaks;
    for (const RowBytes &r : plan.templateRows) {
        if (!production::covers(plan.serial ? &*plan.serial : nullptr, r.row) &&
            !blockdata::travelsInCommand(r.bytes))
            lineBreaks << r.row;
    }
    if (!lineBreaks.isEmpty())
        return blockdata::lineBreakRefusal(lineBreaks);
    if (!plan.untilStopped && (plan.count < 1 || plan.count > 9999))
        return QStringLiteral("il numero di tag va da 1 a 9999");
    if (plan.serial) {
        const production::SerialNumber &s = *plan.serial;
        const int rows = s.width / printer::kBlockSize;
        const quint64 largest = production::largestSerial(s);
        if (!plan.serialStartValid || s.start > largest)
            return QStringLiteral("il primo valore del numero di serie va da 0 a %1").arg(largest);
        if (s.row < 0 || s.row + rows > printer::kTagBlocks)
            return QStringLiteral("il numero di serie di %1 byte non entra nei blocchi a partire "
                                  "dal blocco %2")
                .arg(s.width)
                .arg(s.row + 1);
        // The series from its first value that travels to its last, values that cannot travel
        // passed over.
        quint64 first = s.start, last = largest;
        if (!production::firstSerial(s, &first) ||
            (!plan.untilStopped && !production::lastSerial(s, first, plan.count, &last)))
            return QStringLiteral("con %1 byte il numero di serie arriva al massimo a %2: %3 tag "
                                  "dal valore %4 non ci stanno")
                .arg(s.width)
                .arg(largest)
                .arg(plan.count)
                .arg(s.start);
        if (const std::optional<quint64> used = m_used.firstUsed(s, first, last)) {
            if (const std::optional<quint64> free =
                    m_used.firstFree(s, s.start, plan.untilStopped ? 0 : plan.count))
                return QStringLiteral("il numero di serie %1 è già stato scritto: la serie può "
                                      "partire da %2")
                    .arg(*used)
                    .arg(*free);
            return QStringLiteral("il numero di serie %1 è già stato scritto e fino a %2 non resta "
                                  "posto per la serie")
                .arg(*used)
                .arg(largest);
        }
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
            if (labelcommands::textFault(labelRowText(plan, blocks, row)) !=
                labelcommands::TextFault::None)
                return QStringLiteral("il blocco %1 contiene caratteri di controllo, che "
                                      "l'etichetta dei dati dei blocchi non può stampare")
                    .arg(row + 1);
        }
    }
    return {};
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
            if (!m_programmed.contains(*uid) && !m_tried.contains(*uid))
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
                        const QList<RowBytes> &written, const QString &result, QString *why)
{
    // The run is one operation: in the line's trace each tag is one.
    m_context.link.trace().boundary();
    // One line at a time, on disk before the next tag: a crash loses at most the tag in progress.
    const QDateTime now = QDateTime::currentDateTime();
    const QByteArray line = production::logLine(now.toOffsetFromUtc(now.offsetFromUtc()), sequence,
                                                uid, serial, written, result)
                                .toUtf8();
    const bool ok = m_log.append(line, why);
    emit tagLogged(QStringLiteral("%1  %2  %3  %4")
                       .arg(sequence, 4)
                       .arg(blockdata::toHex(uid), serial, result));
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
    if (QString why; !m_log.open(plan.logPath, production::logHeader().toUtf8(), &why)) {
        m_context.messages.show(
            QStringLiteral("ATTENZIONE! La produzione non può partire: il registro %1 %2.")
                .arg(logName(plan.logPath), why),
            kStyleError);
        return;
    }

    m_running = true;
    m_stop = false;
    m_tried.clear();
    m_progress = {};
    m_progress.count = plan.untilStopped ? 0 : plan.count;
    emit runningChanged(true);

    const production::SerialNumber *serial = plan.serial ? &*plan.serial : nullptr;
    quint64 value = serial ? serial->start : 0;
    QList<production::ValueRange> skipped;  // serial numbers whose bytes cannot travel
    End end = End::Count;
    QString why;   // what ended the run early, for the summary
    QString note;  // a tag left out of the log on the way to another end
    const auto notLogged = [&note](int tag, const QString &logWhy) {
        note = QStringLiteral("Il tag n. %1 non è stato registrato: il registro %2.")
                   .arg(tag)
                   .arg(logWhy);
    };
    int sequence = 0;
    QElapsedTimer clock;
    double tagSeconds = 0;
    int tagsTimed = 0;
    bool serialsLeft = !serial || production::firstSerial(*serial, &value, &skipped);
    // The line failed, or the program is ending (nobody is told then).
    const auto lineEnd = [this] {
        return m_context.link.abandoned() ? End::Operator : End::LineFailed;
    };

    while (plan.untilStopped || m_progress.succeeded < plan.count) {
        if (m_stop) {
            end = End::Operator;
            break;
        }
        if (!serialsLeft) {
            end = End::NoSerials;
            break;
        }
        m_progress.tag = m_progress.succeeded + 1;
        clock.start();
        QByteArray uid;
        const Step found = waitForNewTag(&uid);
        if (found != Step::Done) {
            end = found == Step::Stopped ? End::Operator : lineEnd();
            break;
        }
        m_tried.insert(uid);
        ++sequence;

        const QString serialText = serial ? QString::number(value) : QString();
        const QList<RowBytes> blocks = production::tagBlocks(plan.templateRows, serial, value);
        QList<RowBytes> written;
        QList<int> rows;
        for (const RowBytes &b : blocks) {
            written.append({b.row, blockdata::padded(b.bytes)});
            rows << b.row;
        }
        int sent = 0;  // blocks whose command went out
        // A serial number that went out is on a tag, or may be: never given to another.
        const auto useSerial = [&] {
            if (!serial)
                return;
            m_used.add(*serial, value, value);
            serialsLeft = production::nextSerial(*serial, &value, &skipped);
        };
        // The tag in progress when the run ends before its result is known.
        const auto unfinished = [&](End how) {
            end = how;
            if (production::serialSent(serial, written, sent))
                useSerial();
            QString logWhy;
            if (!log(sequence, uid, serialText, written,
                     production::unfinishedResult(written, sent, how != End::LineFailed), &logWhy))
                notLogged(sequence, logWhy);
        };

        setStep(QStringLiteral("Scrittura dei blocchi %1...").arg(blockdata::rowList(rows)));
        if (!m_tags.writeRows(written, &sent)) {
            unfinished(lineEnd());
            break;
        }
        QString result = QStringLiteral("OK");
        QList<int> failed;  // rows the read-back did not find as written
        if (!m_stop && plan.verify) {
            setStep(QStringLiteral("Verifica..."));
            QList<int> missing;
            if (m_tags.verifyRows(written, &failed, &missing) == TagOperations::Outcome::Ended) {
                unfinished(lineEnd());
                break;
            }
            if (!missing.isEmpty() && missing.size() == written.size())
                result = QStringLiteral("nessun tag");
            else if (!failed.isEmpty())
                result = QStringLiteral("verifica fallita per i blocchi %1")
                             .arg(blockdata::rowList(failed));
        }
        if (m_stop) {
            unfinished(End::Operator);
            break;
        }

        const bool ok = result == QLatin1String("OK");
        LabelJobs::Sent label = LabelJobs::Sent::Done;
        if (ok && plan.label == ProductionPlan::Label::TagInfo) {
            setStep(QStringLiteral("Stampa dell'etichetta..."));
            label = m_labels.sendTagInfoLabel();
        } else if (ok && plan.label == ProductionPlan::Label::Blocks) {
            setStep(QStringLiteral("Stampa dell'etichetta..."));
            label = m_labels.sendBlockLabel(labelRowText(plan, blocks, 0),
                                            labelRowText(plan, blocks, 1));
        } else if (!ok && plan.onFailure == ProductionPlan::OnFailure::Void) {
            setStep(QStringLiteral("Stampa dell'etichetta ANNULLATO..."));
            // The UID as the page shows it, from the tag's own bytes: the field may have been
            // edited since.
            label = m_labels.sendVoidLabel(tagcodec::byteList(QString::fromLatin1(uid)));
        }
        if (label == LabelJobs::Sent::Refused)
            result += QStringLiteral(", etichetta non stampata");
        else if (label == LabelJobs::Sent::Failed)
            result += m_context.link.abandoned() ? QStringLiteral(", interrotto")
                                                 : QStringLiteral(", etichetta non inviata");

        QString logWhy;
        const bool logged = log(sequence, uid, serialText, written, result, &logWhy);
        tagSeconds += clock.elapsed() / 1000.0;
        ++tagsTimed;
        m_progress.secondsPerTag = tagSeconds / tagsTimed;
        if (ok) {
            // The serial number is on the tag: the next tag takes the following one.
            ++m_progress.succeeded;
            m_programmed.insert(uid);
            useSerial();
        } else {
            ++m_progress.failed;
            // A failed tag keeps its serial number when the read-back found any of its rows: the
            // number is on that tag, void or not, and goes on no other.
            const bool serialKept =
                std::any_of(written.begin(), written.end(), [&](const RowBytes &b) {
                    return production::covers(serial, b.row) && !failed.contains(b.row);
                });
            if (serialKept)
                useSerial();
        }
        if (!plan.untilStopped)
            m_progress.secondsLeft = m_progress.secondsPerTag * (plan.count - m_progress.succeeded);
        setStep(QStringLiteral("Tag n. %1: %2").arg(sequence).arg(result));

        if (!logged)
            notLogged(sequence, logWhy);
        if (label == LabelJobs::Sent::Failed) {
            end = lineEnd();
            break;
        }
        if (label == LabelJobs::Sent::Refused) {
            end = End::LabelRefused;
            why = QStringLiteral("l'etichetta del tag n. %1 non è stata stampata").arg(sequence);
            break;
        }
        if (!logged) {
            // The log is the record: a series goes no further than its log.
            end = End::LogFailed;
            why = ok ? QStringLiteral("il registro %1; il tag n. %2 è stato programmato ma non "
                                      "registrato")
                           .arg(logWhy)
                           .arg(sequence)
                     : QStringLiteral("il registro %1; il tag n. %2 (%3) non è stato registrato")
                           .arg(logWhy)
                           .arg(sequence)
                           .arg(result);
            note.clear();
            break;
        }
        if (!ok && plan.onFailure == ProductionPlan::OnFailure::Stop) {
            end = End::TagFailed;
            why = QStringLiteral("il tag n. %1 (UID %2) è fallito: %3")
                      .arg(sequence)
                      .arg(blockdata::toHex(uid), result);
            break;
        }
    }

    m_log.close();
    m_nextSerial = serial && serialsLeft ? std::optional<quint64>(value) : std::nullopt;
    m_running = false;
    m_stop = false;
    setStep(QStringLiteral("Fermo"));
    emit runningChanged(false);
    if (!m_context.link.abandoned())
        tellEnd(end, why, skipped, note);
}

void ProductionRun::tellEnd(End end, const QString &why,
                            const QList<production::ValueRange> &skipped, const QString &note)
{
    QString text = QStringLiteral("%1 tag riusciti, %2 falliti.\nRegistro: %3")
                       .arg(m_progress.succeeded)
                       .arg(m_progress.failed)
                       .arg(QDir::toNativeSeparators(m_plan.logPath));
    if (!skipped.isEmpty())
        text += QStringLiteral("\nNumeri di serie saltati (i loro byte contengono 0D o 0A, che "
                               "non possono stare in un comando): %1.")
                    .arg(production::valueRanges(skipped));
    if (!note.isEmpty())
        text += QLatin1Char('\n') + note;
    switch (end) {
    case End::Count:
        m_context.messages.show(QStringLiteral("Produzione terminata: ") + text, kStyleInformation);
        return;
    case End::Operator:
        m_context.messages.show(QStringLiteral("Produzione interrotta: ") + text,
                                kStyleInformation);
        return;
    case End::LineFailed:
        m_context.messages.show(
            QStringLiteral("ATTENZIONE! Produzione fermata: la stampante non riceve i comandi.\n") +
                text,
            kStyleError);
        return;
    case End::NoSerials:
        m_context.messages.show(QStringLiteral("ATTENZIONE! Produzione fermata: i numeri di serie "
                                               "sono finiti (%1 byte).\n")
                                        .arg(m_plan.serial ? m_plan.serial->width : 0) +
                                    text,
                                kStyleError);
        return;
    case End::TagFailed:
    case End::LabelRefused:
    case End::LogFailed:
        m_context.messages.show(
            QStringLiteral("ATTENZIONE! Produzione fermata: %1.\n").arg(why) + text, kStyleError);
        return;
    }
}
