#include "settings/settingsstore.h"

#include <QStringList>

const QString SettingsStore::kApplication = QStringLiteral("V4400 TAG RF");

namespace {

// QSettings turns "a, b" into a list; the store deals in plain text, so give it back whole.
QString asText(const QVariant &value)
{
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1String(", "));
    return value.toString();
}

} // namespace

SettingsStore::SettingsStore()
    : m_settings(QSettings::NativeFormat, QSettings::UserScope, kApplication)
{
}

QString SettingsStore::read(const QString &key, const QString &defaultValue) const
{
    return asText(m_settings.value(QLatin1String("Properties/") + key, defaultValue));
}

bool SettingsStore::write(const QString &key, const QString &text)
{
    m_settings.setValue(QLatin1String("Properties/") + key, text);
    m_settings.sync();
    return m_settings.status() == QSettings::NoError;
}

QString SettingsStore::portDevice(int port) const
{
    return asText(m_settings.value(QStringLiteral("Ports/Com%1").arg(port))).trimmed();
}
