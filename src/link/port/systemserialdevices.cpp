#include "link/port/systemserialdevices.h"

#include "link/port/qserialportcontrol.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSerialPortInfo>

#include <algorithm>

SystemSerialDevices::SystemSerialDevices(QString stableNames)
    : m_stableNames(std::move(stableNames))
{
}

QList<SerialDevice> SystemSerialDevices::available() const
{
    QList<SerialDevice> devices;
    for (const QSerialPortInfo &port : QSerialPortInfo::availablePorts()) {
        QStringList about;
        for (const QString &part : {port.description(), port.manufacturer()}) {
            if (!part.trimmed().isEmpty() && !about.contains(part.trimmed()))
                about << part.trimmed();
        }
        if (!port.serialNumber().trimmed().isEmpty())
            about << QStringLiteral("n. di serie %1").arg(port.serialNumber().trimmed());
        devices.append({port.systemLocation(), about.join(QLatin1String(", "))});
    }
    return withStableNames(devices, m_stableNames);
}

std::unique_ptr<SerialControl> SystemSerialDevices::control(const QString &device) const
{
    auto control = std::make_unique<QSerialPortControl>();
    if (control->setDeviceName(1, device).failed())
        return nullptr;
    return control;
}

QList<SerialDevice> SystemSerialDevices::withStableNames(QList<SerialDevice> devices,
                                                         const QString &folder)
{
    QHash<QString, QString> stable;  // the device a link leads to, and the link
    const QFileInfoList links =
        QDir(folder).entryInfoList(QDir::Files | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &link : links) {
        const QString target = link.canonicalFilePath();
        if (!target.isEmpty() && !stable.contains(target))
            stable.insert(target, link.absoluteFilePath());
    }
    for (SerialDevice &device : devices) {
        const QString link = stable.value(QFileInfo(device.path).canonicalFilePath());
        if (link.isEmpty())
            continue;
        device.description = device.description.isEmpty()
                                 ? device.path
                                 : QStringLiteral("%1 (%2)").arg(device.description, device.path);
        device.path = link;
    }
    std::sort(devices.begin(), devices.end(),
              [](const SerialDevice &a, const SerialDevice &b) { return a.path < b.path; });
    return devices;
}
