#pragma once

#include "label/production.h"
#include "label/productionlog.h"

#include <QElapsedTimer>
#include <QObject>
#include <QSet>

#include <optional>

struct OperationContext;
class LabelJobs;
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
                  TagInfoModel &info, QObject *parent = nullptr);

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

    // Runs the series to its end and tells the operator how it went. Returns at once, doing
    // nothing, while another printer operation runs.
    void run(const ProductionPlan &plan);
    // The run ends after the step in progress; the tag in progress is logged as stopped.
    void requestStop();
    bool running() const { return m_running; }
    const ProductionProgress &progress() const { return m_progress; }

signals:
    void progressChanged(const ProductionProgress &progress);
    // One line per tag as logged: sequence, UID, serial, result.
    void tagLogged(const QString &line);
    void runningChanged(bool running);

private:
    enum class Step { Done, Stopped, Ended };
    Step waitForNewTag(QByteArray *uid);
    void setStep(const QString &step);
    // False, with `why`, when the line did not reach the log.
    bool log(int sequence, const QByteArray &uid, const QString &serial,
             const QList<RowBytes> &written, const QString &result, QString *why);
    // Why a run ended.
    enum class End { Count, Operator, LineFailed, TagFailed, LabelRefused, LogFailed, NoSerials };
    // `note`: a further line for the operator, when there is one.
    void tellEnd(End end, const QString &why, const QList<production::ValueRange> &skipped,
                 const QString &note);

    OperationContext &m_context;
    TagOperations &m_tags;
    LabelJobs &m_labels;
    TagInfoModel &m_info;
    ProductionPlan m_plan;
    ProductionProgress m_progress;
    ProductionLog m_log;
    production::UsedSerials m_used;
    QSet<QByteArray> m_programmed;  // the UIDs programmed successfully in this session
    QSet<QByteArray> m_tried;       // the UIDs written in this run, whatever the result
    std::optional<quint64> m_nextSerial;
    bool m_running = false;
    bool m_stop = false;
};
