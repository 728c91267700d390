#include "settings/settingsstore.h"

#include "common/application.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

const QString kProperties = QStringLiteral("Properties");
const QString kPorts = QStringLiteral("Ports");

QString portKey(int port)
{
    return QStringLiteral("Com%1").arg(port);
}

// The file as it is now into `out` (empty when there is none): AccessError when it cannot be read,
// FormatError when it has a line the program cannot read.
QSettings::Status load(const QString &fileName, SettingsFile *out)
{
    QFile file(fileName);
    if (!file.exists())
        return QSettings::NoError;
    if (!file.open(QIODevice::ReadOnly))
        return QSettings::AccessError;
    *out = SettingsFile(file.readAll());
    return out->firstUnreadableLine() > 0 ? QSettings::FormatError : QSettings::NoError;
}

}  // namespace

SettingsStore::SettingsStore()
{
    // Where QSettings keeps this application's file (tests move it with QSettings::setPath). It
    // is asked for the name only: it reads the file once, without a lock, and writes nothing.
    m_fileName =
        QSettings(QSettings::NativeFormat, QSettings::UserScope, applicationTitle()).fileName();
    m_status = load(m_fileName, &m_file);
}

QString SettingsStore::firstUnreadableLine() const
{
    const int number = m_file.firstUnreadableLine();
    if (number == 0)
        return {};
    return QStringLiteral("riga %1: «%2»")
        .arg(number)
        .arg(QString::fromUtf8(m_file.lineText(number).trimmed()).left(60));
}

QString SettingsStore::read(const QString &key, const QString &defaultValue) const
{
    const std::optional<QByteArray> value = m_file.value(kProperties, key);
    return value ? QString::fromUtf8(*value) : defaultValue;
}

bool SettingsStore::write(const QString &key, const QString &text)
{
    return write({{key, text}});
}

bool SettingsStore::write(const QList<std::pair<QString, QString>> &values, const PortEntry &port)
{
    if (m_status != QSettings::NoError) {
        m_writeStatus = m_status;
        return false;
    }
    // The file as it is now, with whatever the operator has edited since the start. One with a
    // line the program cannot read stays untouched for the rest of the run.
    SettingsFile file;
    m_writeStatus = load(m_fileName, &file);
    if (m_writeStatus == QSettings::FormatError)
        m_status = QSettings::FormatError;
    if (m_writeStatus != QSettings::NoError)
        return false;
    m_writeStatus = QSettings::AccessError;

    bool fine = true;
    for (const auto &[key, text] : values)
        fine = file.setValue(kProperties, key, text.toUtf8()) && fine;
    if (port.port > 0)
        fine = file.setValue(kPorts, portKey(port.port), QFile::encodeName(port.device)) && fine;
    if (!fine) {
        m_writeStatus = QSettings::FormatError;
        return false;
    }

    // A temporary file beside it, renamed over it once complete: never half a file, and no lock
    // for a killed program to leave behind.
    if (!QDir().mkpath(QFileInfo(m_fileName).absolutePath()))
        return false;
    QSaveFile out(m_fileName);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = file.bytes();
    if (out.write(bytes) != bytes.size() || !out.commit())
        return false;

    m_file = file;
    m_writeStatus = QSettings::NoError;
    return true;
}

QString SettingsStore::portDevice(int port) const
{
    const std::optional<QByteArray> device = m_file.value(kPorts, portKey(port));
    return device ? QFile::decodeName(*device) : QString();
}
