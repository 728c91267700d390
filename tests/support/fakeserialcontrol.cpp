#include "fakeserialcontrol.h"

#include <QPointer>
#include <QTimer>

namespace {

// Every fake alive: a wait on one of them waits for what any of them has scheduled.
QList<FakeSerialControl *> &liveFakes()
{
    static QList<FakeSerialControl *> fakes;
    return fakes;
}

}  // namespace

FakeSerialControl::FakeSerialControl(QObject *parent) : SerialControl(parent)
{
    clock.start();
    liveFakes().append(this);
}

FakeSerialControl::~FakeSerialControl()
{
    liveFakes().removeOne(this);
    if (!m_scheduled.isEmpty())
        QTimer::singleShot(0, [] { scheduleChanged(); });
}

quint64 FakeSerialControl::schedule(int ms, bool delivery)
{
    const QDeadlineTimer due(qMax(ms, 0), Qt::PreciseTimer);
    m_scheduled.append({++m_nextId, due.deadlineNSecs(), delivery});
    return m_nextId;
}

bool FakeSerialControl::unschedule(quint64 id)
{
    for (qsizetype i = 0; i < m_scheduled.size(); ++i) {
        if (m_scheduled[i].id == id) {
            m_scheduled.removeAt(i);
            return true;
        }
    }
    return false;
}

void FakeSerialControl::dropDeliveries()
{
    const qsizetype before = m_scheduled.size();
    m_scheduled.removeIf([](const Scheduled &s) { return s.delivery; });
    if (m_scheduled.size() != before)
        QTimer::singleShot(0, [] { scheduleChanged(); });
}

bool FakeSerialControl::scheduledBy(const QDeadlineTimer &deadline) const
{
    const qint64 by = deadline.deadlineNSecs();
    for (const FakeSerialControl *fake : liveFakes()) {
        for (const Scheduled &s : fake->m_scheduled) {
            if (s.dueNs <= by)
                return true;
        }
    }
    return false;
}

void FakeSerialControl::scheduleChanged()
{
    const QList<FakeSerialControl *> fakes = liveFakes();  // a handler may add or remove one
    for (FakeSerialControl *fake : fakes) {
        if (liveFakes().contains(fake))
            Q_EMIT fake->received();
    }
}

void FakeSerialControl::after(int ms, QObject *context, std::function<void()> action)
{
    const quint64 id = schedule(ms, false);
    QTimer::singleShot(ms, Qt::PreciseTimer, this,
                       [this, id, guard = QPointer<QObject>(context), action = std::move(action)] {
                           unschedule(id);
                           if (guard)
                               action();
                           scheduleChanged();
                       });
}

void FakeSerialControl::deliverLater(const Emission &e)
{
    const quint64 id = schedule(e.delayMs, true);
    QTimer::singleShot(e.delayMs, Qt::PreciseTimer, this, [this, id, bytes = e.bytes] {
        if (unschedule(id) && portOpen())
            deliver(bytes);
        scheduleChanged();
    });
}

void FakeSerialControl::trickle(QList<QByteArray> pieces)
{
    QList<quint64> ids;
    for (qsizetype i = 0; i < pieces.size(); ++i)
        ids << schedule(0, true);
    trickleNext(std::move(pieces), std::move(ids));
}

void FakeSerialControl::trickleNext(QList<QByteArray> pieces, QList<quint64> ids)
{
    if (pieces.isEmpty())
        return;
    QTimer::singleShot(0, Qt::PreciseTimer, this, [this, pieces, ids]() mutable {
        const QByteArray piece = pieces.takeFirst();
        if (unschedule(ids.takeFirst())) {
            // The rest is on its way before this piece arrives: no wait ends in between.
            trickleNext(pieces, ids);
            if (portOpen())
                deliver(piece);
        }
        scheduleChanged();
    });
}

QStringList FakeSerialControl::commands() const
{
    QStringList out;
    for (QByteArray w : writes) {
        if (w.endsWith("\r\n"))
            w.chop(2);
        out << QString::fromLatin1(w);
    }
    return out;
}

void FakeSerialControl::deliver(const QByteArray &bytes)
{
    m_in += bytes;
    Q_EMIT received();
}

void FakeSerialControl::loseDevice()
{
    dropDeliveries();
    deviceLost(
        {SerialError::DeviceLost, currentDevice() + QStringLiteral(": dispositivo scollegato")});
}

QString FakeSerialControl::settings() const
{
    return reportedSettings ? *reportedSettings : SerialControl::settings();
}

int FakeSerialControl::handshaking() const
{
    return reportedHandshaking ? *reportedHandshaking : SerialControl::handshaking();
}

QByteArray FakeSerialControl::input()
{
    return std::exchange(m_in, {});
}

QString FakeSerialControl::defaultDeviceName(int port) const
{
    return QStringLiteral("/dev/fake%1").arg(port - 1);
}

SerialError FakeSerialControl::openDevice()
{
    ++openCount;
    if (const auto it = portOpenErrors.constFind(commPort()); it != portOpenErrors.constEnd())
        return *it;
    if (const auto it = deviceOpenErrors.constFind(currentDevice());
        it != deviceOpenErrors.constEnd())
        return *it;
    if (openError.ok())
        openedDevices.append(currentDevice());
    return openError;
}

void FakeSerialControl::closeDevice()
{
    ++closeCount;
    dropDeliveries();
    m_in.clear();
}

SerialError FakeSerialControl::applyLine(const LineSettings &)
{
    return lineError;
}

SerialError FakeSerialControl::applyHandshaking(int)
{
    return {};
}

SerialError FakeSerialControl::writeBytes(const QByteArray &bytes)
{
    if (writeError.failed())
        return writeError;
    writes.append(bytes);
    writeTimesMs.append(clock.elapsed());
    if (onWrite)
        onWrite(bytes);
    if (!script) {
        for (const Emission &e : m_model.feed(bytes))
            deliverLater(e);
        return {};
    }
    QByteArray command = bytes;
    if (command.endsWith("\r\n"))
        command.chop(2);
    m_model.commands.append(command);
    for (const Emission &e : script(command))
        deliverLater(e);
    return {};
}
