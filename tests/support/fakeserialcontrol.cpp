#include "fakeserialcontrol.h"

#include <QTimer>

FakeSerialControl::FakeSerialControl(QObject *parent) : SerialControl(parent)
{
    clock.start();
    connect(&engine, &PrinterEngine::send, this, [this](const QByteArray &bytes) {
        if (portOpen())
            deliver(bytes);
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
    engine.cancelPending();
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
    engine.cancelPending();
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
        engine.receive(bytes);
        return {};
    }
    QByteArray command = bytes;
    if (command.endsWith("\r\n"))
        command.chop(2);
    engine.model.commands.append(command);
    for (const Emission &e : script(command)) {
        const QByteArray out = e.bytes;
        QTimer::singleShot(e.delayMs, Qt::PreciseTimer, this, [this, out] {
            if (portOpen())
                deliver(out);
        });
    }
    return {};
}
