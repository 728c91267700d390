#pragma once

// src/production/: the production run and its arithmetic and log; its dialog in production/ui/.
// Includes label/, tag/, link/ and common/; app/ builds on it.

#include "common/messages.h"
#include "label/labeljobs.h"
#include "production/production.h"
#include "production/productionlog.h"
#include "production/productionrecord.h"
#include "production/runtexts.h"

#include <QElapsedTimer>
#include <QObject>
#include <QSet>

#include <optional>

struct OperationContext;
class BlockModel;
class FileChooser;
class TagInfoModel;
class TagOperations;

// What a production run does to every tag.
struct ProductionPlan
{
    enum class Label { None, TagInfo, Blocks };
    enum class OnFailure { Stop, Void };

    QList<RowBytes> templateRows;  // the rows written on every tag, with the grid's bytes
    int count = 1;                 // tags to program, when not until stopped
    bool untilStopped = false;
    std::optional<production::SerialNumber> serial;
    bool serialStartValid = true;  // the first value given is a number
    bool verify = true;
    Label label = Label::None;
    OnFailure onFailure = OnFailure::Stop;
    QString logPath;
    // Rows 1 and 2 of the grid: the block data label prints them where the tag's own blocks do
    // not cover those rows.
    QByteArray gridRow1, gridRow2;

    // The template as "SCRIVI" would write it now: the ticked rows of the grid and their bytes.
    void takeTemplate(const BlockModel &grid);
};

struct ProductionProgress
{
    int tag = 0;    // the tag worked on, 1 for the first
    int count = 0;  // of this many; 0 until stopped
    int succeeded = 0;
    int failed = 0;
    QString step;
    double secondsPerTag = 0;  // 0 until a tag is done
    double secondsLeft = -1;   // -1 when not known
};

// A series of tags, each programmed, verified, labelled and logged, with the printer commands of
// the single operations: Inventory until a new tag answers, the block write, its read-back, one
// of the two labels (or "ANNULLATO" for a tag that failed), one line of CSV. It holds the printer
// for the whole run; "Interrompi" ends it after the step in progress.
class ProductionRun : public QObject
{
    Q_OBJECT
public:
    ProductionRun(OperationContext &context, TagOperations &tags, LabelJobs &labels,
                  TagInfoModel &info, BlockModel &grid, FileChooser &chooser,
                  QObject *parent = nullptr);

    // Where the log file is asked for.
    void setChooser(FileChooser &chooser) { m_chooser = &chooser; }

    // Whether the printer is free for a run and has been queried; if not, the operator has been
    // told why.
    bool ready();
    // Why the plan cannot run, in the operator's words; empty when it can.
    QString check(const ProductionPlan &plan) const;
    // The serial number the next run would start from to go on from the last one.
    std::optional<quint64> nextSerial() const { return m_nextSerial; }
    // The serial numbers that went out to a tag in this session; a plan that would write one of
    // them again is refused. Others (those a log records) may be added.
    production::UsedSerials &usedSerials() { return m_used; }

    // "Salva lavoro...": `options` with the grid's template and the last log, in a file the
    // operator chooses.
    void saveJob(ProductionPlan options);
    // "Apri lavoro...": the job of a file the operator chooses, its template put in the grid and
    // its log read, the first value moved on to the one after the last the log records. Nothing
    // changes when the file is refused (the operator is told why) or none is chosen.
    std::optional<ProductionPlan> openJob();

    // "Avvia": the run `options` describe with the grid's template, refused with the reason
    // before anything is sent when it cannot run, the log file asked for, then run().
    void start(ProductionPlan options);
    // Runs the series to its end and tells the operator how it went. Returns at once, doing
    // nothing, while another printer operation runs.
    void run(const ProductionPlan &plan);
    // The run ends after the step in progress; the tag in progress is logged as stopped.
    void requestStop();
    bool running() const { return m_running; }
    const ProductionProgress &progress() const { return m_progress; }

signals:
    void progressChanged(const ProductionProgress &progress);
    // One line per tag as logged: sequence, UID, serial, result; `ok` false for a tag that did
    // not succeed or was not finished, which the line says in words too.
    void tagLogged(const QString &line, bool ok);
    void runningChanged(bool running);
    // start() is about to run on this log.
    void logChosen(const QString &path);

private:
    struct Tag;
    // Why the run ended: the opening of the summary and its style.
    struct Ending
    {
        QString opening;
        MessageStyle style;
    };
    static Ending finished();
    static Ending stopped();
    static Ending halted(const QString &why);
    Ending lineEnded() const;

    QString refusal(const ProductionPlan &plan) const;
    // The first free value when the plan's serial numbers touch a used one.
    std::optional<quint64> freeStart(const ProductionPlan &plan) const;
    // What the chosen log records joins the session's; false when it is not a log to go on.
    bool continueLog();
    bool open(const ProductionPlan &plan);
    void begin();
    Ending series();
    // A tag's steps; each returns the run's end when the run ends there.
    std::optional<Ending> oneTag();
    std::optional<Ending> waitForNewTag(Tag &tag);
    void prepare(Tag &tag) const;
    std::optional<Ending> writeTag(Tag &tag);
    std::optional<Ending> verifyTag(Tag &tag);
    LabelJobs::Sent labelTag(const Tag &tag);
    std::optional<Ending> recordTag(Tag &tag, LabelJobs::Sent label);
    void count(const Tag &tag, bool ok);
    // The tag in progress when the run ends before its result is known.
    Ending unfinished(const Tag &tag, bool interrupted);
    void useSerial();
    void logSkipped();
    void setStep(const QString &step);
    // False, with `why`, when the line did not reach the log.
    bool log(const Tag &tag, const QString &result, runtexts::Mark mark, QString *why);
    void notLogged(int sequence, const QString &why);
    void finish(const Ending &end);

    OperationContext &m_context;
    TagOperations &m_tags;
    LabelJobs &m_labels;
    TagInfoModel &m_info;
    BlockModel &m_grid;
    QString m_lastLog;  // the log of the last run, or of the job opened
    FileChooser *m_chooser;
    ProductionPlan m_plan;
    ProductionProgress m_progress;
    ProductionLog m_log;
    production::UsedSerials m_used;
    production::LogFormat m_format = production::LogFormat::Spreadsheet;
    production::RunStamp m_stamp;
    QSet<QByteArray> m_programmed;  // the UIDs programmed successfully in this session
    QSet<QByteArray> m_tried;       // the UIDs written in this run, whatever the result
    std::optional<quint64> m_nextSerial;
    bool m_running = false;
    bool m_stop = false;

    // The run in progress.
    const production::SerialNumber *m_serial = nullptr;  // the plan's, if any
    quint64 m_value = 0;                                 // the next tag's serial number
    bool m_serialsLeft = true;
    QList<production::ValueRange> m_skipped;  // serial numbers whose bytes cannot travel
    qsizetype m_skippedLogged = 0;
    int m_sequence = 0;
    QString m_note;  // a tag left out of the log on the way to another end
    QList<runtexts::UnfinishedTag> m_unfinished;  // written, verification or label cut short
    QElapsedTimer m_clock;
    double m_tagSeconds = 0;
    int m_tagsTimed = 0;
};
