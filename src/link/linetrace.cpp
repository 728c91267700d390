#include "link/linetrace.h"

#include "common/displaytext.h"
#include "common/messages.h"
#include "link/tracefile.h"

#include <QTimer>

LineTrace::LineTrace(QObject *parent) : QObject(parent)
{
    // A control opened before the link was made: times count from the link's making.
    m_opened.start();
}

void LineTrace::attach()
{
    if (m_observers++ == 0 && m_gap && !m_entries.empty())
        note(QStringLiteral("registrazione ripresa: manca il traffico da quando il monitor è "
                            "stato chiuso"));
}

void LineTrace::detach()
{
    if (m_observers > 0 && --m_observers == 0)
        m_gap = true;
}

void LineTrace::lineOpened(const QString &device, const QString &settings)
{
    m_opened.start();
    if (m_observers > 0)
        note(QStringLiteral("linea aperta: %1 %2").arg(shownPath(device), settings));
}

void LineTrace::record(TraceEntry::Kind kind, const QByteArray &bytes)
{
    const qint64 elapsed = m_opened.nsecsElapsed();
    const qint64 wall = QDateTime::currentMSecsSinceEpoch();
    const bool split = kind == TraceEntry::Kind::ToPrinter || kind == TraceEntry::Kind::FromPrinter;
    qsizetype at = 0;
    do {
        const qsizetype length = split ? tracetext::kBytesPerLine : bytes.size();
        m_entries.push_back({kind, elapsed, wall, bytes.mid(at, length)});
        at += length;
        if (m_entries.size() > size_t(kKept))
            m_entries.pop_front();
        ++m_total;
        m_sinceBoundary = kind != TraceEntry::Kind::Boundary;
        emit recorded(m_entries.back());
    } while (at < bytes.size());
}

QString LineTrace::droppedNote() const
{
    if (dropped() == 0)
        return {};
    return QStringLiteral("Voci più vecchie scartate: %1 (si tengono le ultime %2).")
        .arg(dropped())
        .arg(kKept);
}

QString LineTrace::lines(size_t from) const
{
    QStringList out;
    out.reserve(qsizetype(m_entries.size() - qMin(from, m_entries.size())));
    for (size_t i = from; i < m_entries.size(); ++i)
        out << tracetext::line(m_entries[i]);
    return out.join(QLatin1Char('\n'));
}

QString LineTrace::text() const
{
    QString out;
    if (dropped() > 0)
        out = QStringLiteral("# ") + droppedNote() + QLatin1Char('\n');
    if (!m_entries.empty())
        out += lines() + QLatin1Char('\n');
    return out;
}

void LineTrace::clear()
{
    m_entries.clear();
    m_total = 0;
    m_sinceBoundary = false;
    m_gap = false;
    emit cleared();
}

void LineTrace::writeTo(TraceFile &file, MessageSink &messages)
{
    attach();
    connect(this, &LineTrace::recorded, this, [this, &file, &messages](const TraceEntry &entry) {
        if (!file.isOpen())
            return;
        file.add(entry);
        if (entry.kind == TraceEntry::Kind::Boundary)
            file.flush();
        if (file.isOpen())
            return;
        detach();
        // Told from the event loop, not from the end of the operation that flushed.
        const QString text = QStringLiteral("ATTENZIONE! La traccia della linea si ferma qui: il "
                                            "file di traccia %1 %2.")
                                 .arg(quotedPath(file.path()), file.error());
        QTimer::singleShot(0, this, [&messages, text] { messages.show(text, kStyleError); });
    });
}
