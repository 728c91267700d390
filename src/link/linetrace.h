#pragma once

#include "link/tracetext.h"

#include <QElapsedTimer>
#include <QObject>

#include <deque>

class MessageSink;
class TraceFile;

// What crossed the line to the printer, for the line monitor and the trace file: the printer
// link reports every write, every piece received and every operation's end here. Nothing is
// timed, kept or formatted while nobody observes: each report is then one test and a return,
// so that the waits keep their timing. While observed, the last kKept entries are kept, raw.
class LineTrace : public QObject
{
    Q_OBJECT
public:
    static constexpr int kKept = 10000;

    explicit LineTrace(QObject *parent = nullptr);

    // Recording runs while at least one observer (the monitor shown, a trace file) is attached.
    void attach();
    void detach();
    bool recording() const { return m_observers > 0; }

    void toPrinter(const QByteArray &bytes)
    {
        if (m_observers > 0)
            record(TraceEntry::Kind::ToPrinter, bytes);
    }
    void fromPrinter(const QByteArray &bytes)
    {
        if (m_observers > 0)
            record(TraceEntry::Kind::FromPrinter, bytes);
    }
    // An operation ended; marked only when something crossed since the last mark.
    void boundary()
    {
        if (m_observers > 0 && m_sinceBoundary)
            record(TraceEntry::Kind::Boundary, {});
    }
    void note(const QString &text)
    {
        if (m_observers > 0)
            record(TraceEntry::Kind::Note, text.toUtf8());
    }
    // The serial control has opened the line: times count from now.
    void lineOpened(const QString &device, const QString &settings);

    // The entries kept, oldest first.
    const std::deque<TraceEntry> &entries() const { return m_entries; }
    // Entries recorded since the last clear(), those dropped to keep kKept included.
    qint64 total() const { return m_total; }
    qint64 dropped() const { return m_total - qint64(m_entries.size()); }
    // Says how many entries were dropped; empty when none was.
    QString droppedNote() const;
    // The lines of the entries kept from `from` on, without a final line break.
    QString lines(size_t from = 0) const;
    // Every entry kept, one line each, after a line "# " + droppedNote() when some were dropped.
    QString text() const;
    void clear();

    // From now on every entry also goes to `file`, each operation's lines handed to the system
    // when it ends. A file that fails is told once through `messages` and written no more.
    void writeTo(TraceFile &file, MessageSink &messages);

signals:
    // Direct connections only: the entry lives until the next one.
    void recorded(const TraceEntry &entry);
    void cleared();

private:
    void record(TraceEntry::Kind kind, const QByteArray &bytes);

    QElapsedTimer m_opened;
    std::deque<TraceEntry> m_entries;
    qint64 m_total = 0;
    int m_observers = 0;
    bool m_sinceBoundary = false;
    bool m_gap = false;  // traffic may have crossed while nobody observed
};
