#include "production/productionrun.h"

#include "common/displaytext.h"
#include "common/filechooser.h"
#include "common/operationcontext.h"
#include "common/safefile.h"
#include "label/labelcommands.h"
#include "link/printercommands.h"
#include "link/printeridentity.h"
#include "link/printerlink.h"
#include "link/printerquery.h"
#include "production/productionjob.h"
#include "tag/blockmodel.h"
#include "tag/taginfomodel.h"
#include "tag/tagoperations.h"

#include <QDate>
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

// Why the serial number of `plan` cannot be used, given the values used before; empty when it
// can.
QString serialRefusal(const ProductionPlan &plan, const production::UsedSerials &used)
{
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
    if (const std::optional<quint64> usedValue = used.firstUsed(s, first, last)) {
        if (const std::optional<quint64> free =
                used.firstFree(s, s.start, plan.untilStopped ? 0 : plan.count))
            return QStringLiteral("il numero di serie %1 è già stato scritto: la serie può "
                                  "partire da %2")
                .arg(*usedValue)
                .arg(*free);
        return QStringLiteral("il numero di serie %1 è già stato scritto e fino a %2 non resta "
                              "posto per la serie")
            .arg(*usedValue)
            .arg(largest);
    }
    if (plan.label == ProductionPlan::Label::Blocks && s.form == production::SerialForm::Binary &&
        s.row <= 1)
        return QStringLiteral("un numero di serie binario nei blocchi 1 e 2 non si può "
                              "stampare sull'etichetta dei dati dei blocchi: scegliere le "
                              "cifre decimali o un'altra etichetta");
    return {};
}

}  // namespace

// The tag in progress.
struct ProductionRun::Tag
{
    int sequence = 0;
    QByteArray uid;
    quint64 serial = 0;
    QString serialText;       // as the tag holds it
    QList<RowBytes> blocks;   // what the label prints from
    QList<RowBytes> written;  // the four bytes of each block, as sent
    int sent = 0;             // blocks whose command went out
    QList<int> failed;        // rows the read-back did not find as written
    QString result = QStringLiteral("OK");
};

void ProductionPlan::takeTemplate(const BlockModel &grid)
{
    templateRows.clear();
    for (int row : grid.selectedRows())
        templateRows.append({row, grid.bytes(row)});
    gridRow1 = grid.bytes(0);
    gridRow2 = grid.bytes(1);
}

ProductionRun::ProductionRun(OperationContext &context, TagOperations &tags, LabelJobs &labels,
                             TagInfoModel &info, BlockModel &grid, FileChooser &chooser,
                             QObject *parent)
    : QObject(parent), m_context(context), m_tags(tags), m_labels(labels), m_info(info),
      m_grid(grid), m_chooser(&chooser)
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
    const production::SerialNumber *serial = plan.serial ? &*plan.serial : nullptr;
    QList<int> lineBreaks;
    for (const RowBytes &r : plan.templateRows) {
        if (!production::covers(serial, r.row) && !blockdata::travelsInCommand(r.bytes))
            lineBreaks << r.row;
    }
    if (!lineBreaks.isEmpty())
        return blockdata::lineBreakRefusal(lineBreaks);
    if (!plan.untilStopped && (plan.count < 1 || plan.count > 9999))
        return QStringLiteral("il numero di tag va da 1 a 9999");
    if (serial) {
        if (const QString why = serialRefusal(plan, m_used); !why.isEmpty())
            return why;
    }
    if (plan.label == ProductionPlan::Label::Blocks) {
        const QList<RowBytes> blocks =
            production::tagBlocks(plan.templateRows, serial, serial ? serial->start : 0);
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

// The grid's rows that the run takes, as the grid holds them now, then check().
QString ProductionRun::refusal(const ProductionPlan &plan) const
{
    // The rows the grid gives to every tag; the serial number's own rows are written over.
    const production::SerialNumber *serial = plan.serial ? &*plan.serial : nullptr;
    QList<int> rows;
    for (const RowBytes &r : plan.templateRows) {
        if (!production::covers(serial, r.row))
            rows << r.row;
    }
    // The block data label prints rows 1 and 2 from the grid where the tag's blocks leave them.
    if (plan.label == ProductionPlan::Label::Blocks) {
        for (int row : {0, 1}) {
            if (!production::covers(serial, row) && !rows.contains(row))
                rows << row;
        }
    }
    if (const QStringList problems = m_grid.describeProblems(rows); !problems.isEmpty())
        return problems.join(QLatin1String("; "));
    return check(plan);
}

void ProductionRun::start(ProductionPlan options)
{
    if (!ready())
        return;
    options.takeTemplate(m_grid);
    if (const QString why = refusal(options); !why.isEmpty()) {
        m_context.messages.show(
            QStringLiteral("ATTENZIONE! La produzione non può partire: %1.").arg(why), kStyleError);
        return;
    }
    options.logPath = m_chooser->saveFile(
        QStringLiteral("Registro della produzione"),
        !m_lastLog.isEmpty()
            ? m_lastLog
            : QStringLiteral("produzione-%1.csv").arg(QDate::currentDate().toString(Qt::ISODate)),
        {QStringLiteral("Registro CSV (*.csv)"), QStringLiteral("Tutti i file (*)")},
        FileChooser::Existing::Append);
    if (options.logPath.isEmpty())
        return;
    m_lastLog = options.logPath;
    emit logChosen(options.logPath);
    run(options);
}

void ProductionRun::saveJob(ProductionPlan options)
{
    options.takeTemplate(m_grid);
    options.logPath = m_lastLog;
    const QString path = m_chooser->saveFile(
        QStringLiteral("Salva lavoro"), QStringLiteral("lavoro.json"),
        {QStringLiteral("Lavoro di produzione (*.json)"), QStringLiteral("Tutti i file (*)")},
        FileChooser::Existing::Replace);
    if (path.isEmpty())
        return;
    if (QString why; !safefile::writeFile(path, productionjob::toJson(options), &why))
        m_context.messages.show(QStringLiteral("ATTENZIONE! Il lavoro non è stato salvato in "
                                               "%1: %2.")
                                    .arg(logName(path), why),
                                kStyleError);
}

std::optional<ProductionPlan> ProductionRun::openJob()
{
    if (m_running)
        return std::nullopt;
    const QString path = m_chooser->openFile(
        QStringLiteral("Apri lavoro"),
        {QStringLiteral("Lavoro di produzione (*.json)"), QStringLiteral("Tutti i file (*)")});
    if (path.isEmpty())
        return std::nullopt;
    const auto refuse = [&](const QString &why) {
        m_context.messages.show(QStringLiteral("ATTENZIONE! Il lavoro %1 non si può aprire: %2.")
                                    .arg(logName(path), why),
                                kStyleError);
        return std::nullopt;
    };
    QByteArray bytes;
    QString why;
    ProductionPlan plan;
    if (safefile::readFile(path, productionjob::kLimit, &bytes, &why) != safefile::Read::Ok)
        return refuse(why.isEmpty() ? QStringLiteral("il file non esiste") : why);
    if (!productionjob::fromJson(bytes, &plan, &why))
        return refuse(why);
    // The log the job names, read as "Avvia" would read it: the job goes on where it stopped.
    production::LogContent log;
    if (!plan.logPath.isEmpty()) {
        QByteArray logBytes;
        const safefile::Read read =
            safefile::readFile(plan.logPath, production::kLogLimit, &logBytes, &why);
        if (read == safefile::Read::Failed ||
            !production::readLog(logBytes, plan.serial ? &*plan.serial : nullptr, &log, &why))
            return refuse(QStringLiteral("il registro %1 %2").arg(logName(plan.logPath), why));
    }
    m_used.add(log.used);
    m_programmed.unite(log.uids);
    if (plan.serial) {
        if (const QList<production::ValueRange> used = m_used.ranges(*plan.serial);
            !used.isEmpty() && used.last().last >= plan.serial->start &&
            used.last().last < production::largestSerial(*plan.serial)) {
            quint64 next = used.last().last + 1;
            production::firstSerial(*plan.serial, &next);
            plan.serial->start = next;
        }
    }
    for (int row = 0; row < BlockModel::kRows; ++row)
        m_grid.setSelected(row, false);
    for (const RowBytes &r : std::as_const(plan.templateRows)) {
        m_grid.setBytes(r.row, r.bytes);
        m_grid.setSelected(r.row, true);
    }
    m_lastLog = plan.logPath;
    return plan;
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

void ProductionRun::run(const ProductionPlan &plan)
{
    if (m_running)
        return;
    const PrinterLink::Operation operation = m_context.link.beginOperation();
    if (!operation || !m_context.query.requireQueried() || !open(plan))
        return;
    begin();
    finish(series());
}

std::optional<quint64> ProductionRun::freeStart(const ProductionPlan &plan) const
{
    if (!plan.serial || !plan.serialStartValid)
        return std::nullopt;
    const production::SerialNumber &s = *plan.serial;
    quint64 first = s.start, last = production::largestSerial(s);
    if (s.start > last || !production::firstSerial(s, &first) ||
        (!plan.untilStopped && !production::lastSerial(s, first, plan.count, &last)) ||
        !m_used.firstUsed(s, first, last))
        return std::nullopt;
    return m_used.firstFree(s, s.start, plan.untilStopped ? 0 : plan.count);
}

bool ProductionRun::open(const ProductionPlan &plan)
{
    const auto refuse = [this](const QString &why) {
        m_log.close();
        m_context.messages.show(
            QStringLiteral("ATTENZIONE! La produzione non può partire: %1.").arg(why), kStyleError);
        return false;
    };
    if (const QString why = check(plan); !why.isEmpty())
        return refuse(why);
    m_plan = plan;
    if (QString why; !m_log.open(plan.logPath, production::spreadsheetHeader(), &why))
        return refuse(QStringLiteral("il registro %1 %2").arg(logName(plan.logPath), why));
    if (!continueLog())
        return false;
    // A start value the log records as written: the first free one is offered.
    if (const std::optional<quint64> free = freeStart(m_plan)) {
        if (!m_context.messages.showWithChoice(
                QStringLiteral("ATTENZIONE! La produzione non può partire: %1.").arg(check(m_plan)),
                kStyleWarning, QStringLiteral("Parti da %1").arg(*free))) {
            m_log.close();
            return false;
        }
        m_plan.serial->start = *free;
    }
    if (const QString why = check(m_plan); !why.isEmpty())
        return refuse(why);
    const QDateTime now = QDateTime::currentDateTime();
    const PrinterIdentity &printer = m_context.query.printer();
    m_stamp = {production::newRunId(now), printer.model(), printer.release()};
    if (m_format == production::LogFormat::Spreadsheet) {
        const QString settings =
            QStringLiteral("%1; verifica: %2; etichetta: %3; se un tag fallisce: %4")
                .arg(production::layoutText(m_plan.serial ? &*m_plan.serial : nullptr),
                     m_plan.verify ? QStringLiteral("sì") : QStringLiteral("no"),
                     QStringList{QStringLiteral("nessuna"), QStringLiteral("informazioni TAG"),
                                 QStringLiteral("dati dei blocchi 1 e 2")}
                         .value(int(m_plan.label)),
                     m_plan.onFailure == ProductionPlan::OnFailure::Void
                         ? QStringLiteral("ANNULLATO e continua")
                         : QStringLiteral("ferma la serie"));
        QString why;
        if (!m_log.append(production::spreadsheetLine(now, m_stamp, 0, {}, {}, settings,
                                                      QLatin1String(production::kRunStarted)),
                          &why))
            return refuse(QStringLiteral("il registro %1 %2").arg(logName(plan.logPath), why));
    }
    return true;
}

bool ProductionRun::continueLog()
{
    QByteArray bytes;
    QString why;
    production::LogContent content;
    if (!m_log.read(production::kLogLimit, &bytes, &why) ||
        !production::readLog(bytes, m_plan.serial ? &*m_plan.serial : nullptr, &content, &why)) {
        m_log.close();
        m_context.messages.show(
            QStringLiteral("ATTENZIONE! La produzione non può partire: il registro %1 %2.")
                .arg(logName(m_plan.logPath), why),
            kStyleError);
        return false;
    }
    m_format = content.format;
    m_used.add(content.used);
    m_programmed.unite(content.uids);
    m_sequence = content.lastSequence;
    return true;
}

void ProductionRun::begin()
{
    m_running = true;
    m_stop = false;
    m_tried.clear();
    m_progress = {};
    m_progress.count = m_plan.untilStopped ? 0 : m_plan.count;
    emit runningChanged(true);

    m_serial = m_plan.serial ? &*m_plan.serial : nullptr;
    m_value = m_serial ? m_serial->start : 0;
    m_skipped.clear();
    m_serialsLeft = !m_serial || production::firstSerial(*m_serial, &m_value, &m_skipped);
    m_skippedLogged = 0;
    logSkipped();
    m_note.clear();
    m_unfinished.clear();
    m_tagSeconds = 0;
    m_tagsTimed = 0;
}

ProductionRun::Ending ProductionRun::series()
{
    while (m_plan.untilStopped || m_progress.succeeded < m_plan.count) {
        if (m_stop)
            return stopped();
        if (!m_serialsLeft)
            return halted(QStringLiteral("i numeri di serie sono finiti (%1 byte)")
                              .arg(m_serial ? m_serial->width : 0));
        if (const std::optional<Ending> end = oneTag())
            return *end;
    }
    return finished();
}

std::optional<ProductionRun::Ending> ProductionRun::oneTag()
{
    m_progress.tag = m_progress.succeeded + 1;
    m_clock.start();
    Tag tag;
    if (std::optional<Ending> end = waitForNewTag(tag))
        return end;
    m_tried.insert(tag.uid);
    tag.sequence = ++m_sequence;
    prepare(tag);
    if (std::optional<Ending> end = writeTag(tag))
        return end;
    if (std::optional<Ending> end = verifyTag(tag))
        return end;
    if (m_stop)
        return unfinished(tag, true);
    return recordTag(tag, labelTag(tag));
}

std::optional<ProductionRun::Ending> ProductionRun::waitForNewTag(Tag &tag)
{
    setStep(QStringLiteral("Attesa di un tag..."));
    for (;;) {
        bool answered = false;
        if (!m_tags.inventoryOnce(&answered))
            return lineEnded();
        if (answered) {
            tag.uid = m_info.uid();
            if (!m_programmed.contains(tag.uid) && !m_tried.contains(tag.uid))
                return {};
            // A printer that did not advance would have us write the same tag again.
            setStep(QStringLiteral("Tag già programmato: sostituirlo"));
        } else {
            setStep(QStringLiteral("Nessun tag sull'antenna: in attesa..."));
        }
        if (m_stop)
            return stopped();
    }
}

void ProductionRun::prepare(Tag &tag) const
{
    tag.serial = m_value;
    tag.serialText = m_serial ? production::serialText(*m_serial, m_value) : QString();
    tag.blocks = production::tagBlocks(m_plan.templateRows, m_serial, m_value);
    for (const RowBytes &b : std::as_const(tag.blocks))
        tag.written.append({b.row, blockdata::padded(b.bytes)});
}

std::optional<ProductionRun::Ending> ProductionRun::writeTag(Tag &tag)
{
    QList<int> rows;
    for (const RowBytes &b : std::as_const(tag.written))
        rows << b.row;
    setStep(QStringLiteral("Scrittura dei blocchi %1...").arg(blockdata::rowList(rows)));
    if (!m_tags.writeRows(tag.written, &tag.sent))
        return unfinished(tag, m_context.link.abandoned());
    return {};
}

std::optional<ProductionRun::Ending> ProductionRun::verifyTag(Tag &tag)
{
    if (m_stop || !m_plan.verify)
        return {};
    setStep(QStringLiteral("Verifica..."));
    QList<int> missing;
    if (m_tags.verifyRows(tag.written, &tag.failed, &missing) == TagOperations::Outcome::Ended)
        return unfinished(tag, m_context.link.abandoned());
    if (!missing.isEmpty() && missing.size() == tag.written.size())
        tag.result = QStringLiteral("nessun tag");
    else if (!tag.failed.isEmpty())
        tag.result =
            QStringLiteral("verifica fallita per i blocchi %1").arg(blockdata::rowList(tag.failed));
    return {};
}

LabelJobs::Sent ProductionRun::labelTag(const Tag &tag)
{
    const bool ok = tag.result == QLatin1String("OK");
    if (ok && m_plan.label == ProductionPlan::Label::TagInfo) {
        setStep(QStringLiteral("Stampa dell'etichetta..."));
        return m_labels.sendTagInfoLabel();
    }
    if (ok && m_plan.label == ProductionPlan::Label::Blocks) {
        setStep(QStringLiteral("Stampa dell'etichetta..."));
        return m_labels.sendBlockLabel(labelRowText(m_plan, tag.blocks, 0),
                                       labelRowText(m_plan, tag.blocks, 1));
    }
    if (!ok && m_plan.onFailure == ProductionPlan::OnFailure::Void) {
        setStep(QStringLiteral("Stampa dell'etichetta ANNULLATO..."));
        // The UID as the log writes it, from the tag's own bytes: the field may have been
        // edited since.
        return m_labels.sendVoidLabel(blockdata::toHex(tag.uid));
    }
    return LabelJobs::Sent::Done;
}

std::optional<ProductionRun::Ending> ProductionRun::recordTag(Tag &tag, LabelJobs::Sent label)
{
    const bool ok = tag.result == QLatin1String("OK");
    if (label == LabelJobs::Sent::Refused)
        tag.result += QStringLiteral(", etichetta non stampata");
    else if (label == LabelJobs::Sent::Failed)
        tag.result += m_context.link.abandoned() ? QStringLiteral(", interrotto")
                                                 : QStringLiteral(", etichetta non inviata");
    const bool labelCut = label != LabelJobs::Sent::Done;
    if (labelCut)
        m_unfinished.append({tag.sequence, tag.uid, tag.serialText, tag.result});
    QString logWhy;
    const bool logged = log(tag, tag.result,
                            labelCut ? runtexts::Mark::Unfinished
                            : ok     ? runtexts::Mark::Ok
                                     : runtexts::Mark::Failed,
                            &logWhy);
    count(tag, ok);
    setStep(QStringLiteral("Tag n. %1: %2").arg(tag.sequence).arg(tag.result));

    if (label == LabelJobs::Sent::Failed) {
        if (!logged)
            notLogged(tag.sequence, logWhy);
        return lineEnded();
    }
    if (label == LabelJobs::Sent::Refused) {
        if (!logged)
            notLogged(tag.sequence, logWhy);
        return halted(
            QStringLiteral("l'etichetta del tag n. %1 non è stata stampata").arg(tag.sequence));
    }
    // The log is the record: a series goes no further than its log.
    if (!logged)
        return halted(ok ? QStringLiteral("il registro %1; il tag n. %2 è stato programmato ma "
                                          "non registrato")
                               .arg(logWhy)
                               .arg(tag.sequence)
                         : QStringLiteral("il registro %1; il tag n. %2 (%3) non è stato "
                                          "registrato")
                               .arg(logWhy)
                               .arg(tag.sequence)
                               .arg(tag.result));
    if (!ok && m_plan.onFailure == ProductionPlan::OnFailure::Stop)
        return halted(QStringLiteral("il tag n. %1 (UID %2) è fallito: %3")
                          .arg(tag.sequence)
                          .arg(blockdata::toHex(tag.uid), tag.result));
    return {};
}

// The tag's time, the counts, and the serial number it keeps.
void ProductionRun::count(const Tag &tag, bool ok)
{
    m_tagSeconds += m_clock.elapsed() / 1000.0;
    ++m_tagsTimed;
    m_progress.secondsPerTag = m_tagSeconds / m_tagsTimed;
    if (ok) {
        // The serial number is on the tag: the next tag takes the following one.
        ++m_progress.succeeded;
        m_programmed.insert(tag.uid);
        useSerial();
    } else {
        ++m_progress.failed;
        // A failed tag keeps its serial number when the read-back found any of its rows: the
        // number is on that tag, void or not, and goes on no other.
        const bool serialKept =
            std::any_of(tag.written.begin(), tag.written.end(), [&](const RowBytes &b) {
                return production::covers(m_serial, b.row) && !tag.failed.contains(b.row);
            });
        if (serialKept)
            useSerial();
    }
    if (!m_plan.untilStopped)
        m_progress.secondsLeft = m_progress.secondsPerTag * (m_plan.count - m_progress.succeeded);
}

ProductionRun::Ending ProductionRun::unfinished(const Tag &tag, bool interrupted)
{
    if (production::serialSent(m_serial, tag.written, tag.sent))
        useSerial();
    const QString result = production::unfinishedResult(tag.written, tag.sent, interrupted);
    if (tag.sent > 0)
        m_unfinished.append({tag.sequence, tag.uid, tag.serialText, result});
    QString logWhy;
    if (!log(tag, result, runtexts::Mark::Unfinished, &logWhy))
        notLogged(tag.sequence, logWhy);
    return interrupted ? stopped() : lineEnded();
}

// A serial number that went out is on a tag, or may be: never given to another.
void ProductionRun::useSerial()
{
    if (!m_serial)
        return;
    m_used.add(*m_serial, m_value, m_value);
    m_serialsLeft = production::nextSerial(*m_serial, &m_value, &m_skipped);
    logSkipped();
}

// Values passed over are in the log as well as in the summary. A line that does not reach it
// is left out: the next tag's line tells whether the log still takes lines.
void ProductionRun::logSkipped()
{
    if (m_format != production::LogFormat::Spreadsheet)
        return;
    for (; m_skippedLogged < m_skipped.size(); ++m_skippedLogged) {
        const production::ValueRange &r = m_skipped.at(m_skippedLogged);
        QString values = production::serialText(*m_serial, r.first);
        if (r.last != r.first)
            values += QLatin1Char('-') + production::serialText(*m_serial, r.last);
        QString why;
        m_log.append(production::spreadsheetLine(QDateTime::currentDateTime(), m_stamp, 0, {},
                                                 values, {}, QLatin1String(production::kSkipped)),
                     &why);
    }
}

bool ProductionRun::log(const Tag &tag, const QString &result, runtexts::Mark mark, QString *why)
{
    // The run is one operation: in the line's trace each tag is one.
    m_context.link.trace().boundary();
    // One line at a time, on disk before the next tag: a crash loses at most the tag in progress.
    const QDateTime now = QDateTime::currentDateTime();
    const QByteArray line =
        m_format == production::LogFormat::Comma
            ? production::logLine(now.toOffsetFromUtc(now.offsetFromUtc()), tag.sequence, tag.uid,
                                  m_serial ? QString::number(tag.serial) : QString(), tag.written,
                                  result)
                  .toUtf8()
            : production::spreadsheetLine(now, m_stamp, tag.sequence, tag.uid, tag.serialText,
                                          production::blocksText(tag.written), result);
    const bool ok = m_log.append(line, why);
    emit tagLogged(runtexts::listLine(tag.sequence, tag.uid, tag.serialText, result, mark),
                   mark == runtexts::Mark::Ok);
    return ok;
}

void ProductionRun::notLogged(int sequence, const QString &why)
{
    m_note = QStringLiteral("Il tag n. %1 non è stato registrato: il registro %2.")
                 .arg(sequence)
                 .arg(why);
}

ProductionRun::Ending ProductionRun::finished()
{
    return {QStringLiteral("Produzione terminata: "), kStyleInformation};
}

ProductionRun::Ending ProductionRun::stopped()
{
    return {QStringLiteral("Produzione interrotta: "), kStyleInformation};
}

ProductionRun::Ending ProductionRun::halted(const QString &why)
{
    return {QStringLiteral("ATTENZIONE! Produzione fermata: %1.\n").arg(why), kStyleError};
}

// The line failed, or the program is ending (nobody is told then).
ProductionRun::Ending ProductionRun::lineEnded() const
{
    return m_context.link.abandoned() ? stopped()
                                      : halted(QStringLiteral("la stampante non riceve i comandi"));
}

void ProductionRun::finish(const Ending &end)
{
    m_log.close();
    m_nextSerial = m_serial && m_serialsLeft ? std::optional<quint64>(m_value) : std::nullopt;
    m_running = false;
    m_stop = false;
    setStep(QStringLiteral("Fermo"));
    emit runningChanged(false);
    if (m_context.link.abandoned())
        return;
    const runtexts::Summary summary{m_progress.succeeded, m_progress.failed, m_plan.logPath,
                                    m_unfinished,         m_skipped,         m_note};
    m_context.messages.show(end.opening + runtexts::summary(summary), end.style);
}
