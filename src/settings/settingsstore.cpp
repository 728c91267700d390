#include "settings/settingsstore.h"

#include "common/application.h"

#include <QFile>
#include <QStringList>

namespace {

// QSettings turns "a, b" into a list; the store deals in plain text, so give it back whole.
QString asText(const QVariant &value)
{
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1String(", "));
    return value.toString();
}

}  // namespace

SettingsStore::SettingsStore()
    : m_settings(QSettings::NativeFormat, QSettings::UserScope, applicationTitle())
{
    // QSettings reads a group only when it is first asked for; read them all now, so that a
    // damaged file is known from the start.
    m_settings.allKeys();
}

QString SettingsStore::firstUnreadableLine() const
{
    QFile file(fileName());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    int number = 0;
    while (!file.atEnd()) {
        ++number;
        const QByteArray line = file.readLine().trimmed();
        const bool fine =
            line.isEmpty() || line.startsWith(';') || line.startsWith('#') ||
            (line.startsWith('[') && line.endsWith(']')) ||
            (line.indexOf('=') > 0 && !line.left(line.indexOf('=')).trimmed().isEmpty());
        if (!fine)
            return QStringLiteral("riga %1: «%2»")
                .arg(number)
                .arg(QString::fromUtf8(line).left(60));
    }
    return {};
}

QString SettingsStore::read(const QString &key, const QString &defaultValue) const
{
    return asText(m_settings.value(QLatin1String("Properties/") + key, defaultValue));
}

bool SettingsStore::write(const QString &key, const QString &text)
{
    return write({{key, text}});
}

bool SettingsStore::write(const QList<std::pair<QString, QString>> &values)
{
    if (m_settings.status() != QSettings::NoError) {
        m_writeStatus = m_settings.status();
        return false;
    }
    if (m_formatError) {
        m_writeStatus = QSettings::FormatError;
        return false;
    }
    // A handle of its own for every write: QSettings keeps its first error for good, and each
    // write must report its own outcome (the operator may have fixed the folder's permissions).
    // All the values go in one rewrite of the file.
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, applicationTitle());
    // Parse every group first, including what was edited on disk since: QSettings rewrites the
    // file without the lines it cannot read. It parses a file once per process, hence the latch.
    settings.allKeys();
    if (settings.status() == QSettings::NoError) {
        for (const auto &[key, text] : values)
            settings.setValue(QLatin1String("Properties/") + key, text);
        settings.sync();
    }
    m_writeStatus = settings.status();
    m_formatError = m_writeStatus == QSettings::FormatError;
    return m_writeStatus == QSettings::NoError;
}

QString SettingsStore::portDevice(int port) const
{
    return asText(m_settings.value(QStringLiteral("Ports/Com%1").arg(port))).trimmed();
}
