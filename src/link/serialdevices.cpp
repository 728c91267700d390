#include "link/serialdevices.h"

#include <QFileInfo>

QString serialDeviceTarget(const QString &device)
{
#ifdef Q_OS_UNIX
    const bool path = device.startsWith(QLatin1Char('/')) ||
                      device.startsWith(QLatin1String("./")) ||
                      device.startsWith(QLatin1String("../"));
    const QString real =
        QFileInfo(path ? device : QStringLiteral("/dev/") + device).canonicalFilePath();
    if (!real.isEmpty())
        return real;
#endif
    return device;
}
