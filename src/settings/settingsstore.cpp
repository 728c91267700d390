#include "settings/settingsstore.h"

#include "common/application.h"
#include "common/displaytext.h"
#include "common/safefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

const QString kProperties = QStringLiteral("Properties");
const QString kPorts = QStringLiteral("Ports");

QString portKey(int port)
{
    return QStringLiteral("Com%1").arg(port);
}

// A settings file is a few lines; anything near this size is not one.
constexpr qint64 kLargestSettingsFile = 1 << 20;

// The file as it is now into `out` (empty when there is none): AccessError when it cannot be read
// (`why` says what was found), FormatError when it has a line the program cannot read.
QSettings::Status loadSettingsFile(const QString &fileName, SettingsFile *out, QString *why)
{
    QByteArray bytes;
    switch (safefile::readFile(fileName, kLargestSettingsFile, &bytes, why)) {
    case safefile::Read::Missing: return QSettings::NoError;
    case safefile::Read::Failed: return QSettings::AccessError;
    case safefile::Read::Ok: break;
    }
    *out = SettingsFile(bytes);
    return out->firstUnreadableLine() > 0 ? QSettings::FormatError : QSettings::NoError;
}

}  // namespace

SettingsStore::SettingsStore()
{
    // Where QSettings keeps this application's file ($XDG_CONFIG_HOME, else ~/.config). QSettings
    // itself is not asked: it reads the file as soon as it is made, and would wait for ever on a
    // FIFO.
    m_fileName = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                 QLatin1Char('/') + applicationTitle() + QStringLiteral(".conf");
    m_status = loadSettingsFile(m_fileName, &m_file, &m_readError);
}

QString SettingsStore::firstUnreadableLine() const
{
    const int number = m_file.firstUnreadableLine();
    if (number == 0)
        return {};
    return QStringLiteral("riga %1: %2")
        .arg(number)
        .arg(quoted(QString::fromUtf8(m_file.lineText(number).trimmed())));
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
    m_writeError = m_status == QSettings::AccessError ? m_readError : QString();
    if (m_status != QSettings::NoError) {
        m_writeStatus = m_status;
        return false;
    }
    // The file as it is now, with whatever the operator has edited since the start. One with a
    // line the program cannot read stays untouched for the rest of the run.
    SettingsFile file;
    m_writeStatus = loadSettingsFile(m_fileName, &file, &m_writeError);
    if (m_writeStatus == QSettings::FormatError)
        m_status = QSettings::FormatError;
    if (m_writeStatus != QSettings::NoError)
        return false;

    bool fine = true;
    for (const auto &[key, text] : values)
        fine = file.setValue(kProperties, key, text.toUtf8()) && fine;
    if (port.port > 0)
        fine = file.setValue(kPorts, portKey(port.port), QFile::encodeName(port.device)) && fine;
    if (!fine) {
        m_writeStatus = QSettings::FormatError;
        return false;
    }

    // On disk before it replaces the old file, which a failure leaves as it was. A folder that
    // cannot be made shows as the write's own failure.
    QDir().mkpath(QFileInfo(m_fileName).absolutePath());
    if (!safefile::writeFile(m_fileName, file.bytes(), &m_writeError)) {
        m_writeStatus = QSettings::AccessError;
        return false;
    }

    m_file = file;
    m_writeStatus = QSettings::NoError;
    return true;
}

QString SettingsStore::portDevice(int port) const
{
    const std::optional<QByteArray> device = m_file.value(kPorts, portKey(port));
    return device ? QFile::decodeName(*device) : QString();
}
