#pragma once

#include <QSettings>
#include <QString>

// The per-user store of the six serial settings: group "Properties" of the application
// "V4400 TAG RF" (on Linux the file "$XDG_CONFIG_HOME/V4400 TAG RF.conf"). Every value is text.
// Group "Ports" maps port numbers to devices ("Com1=/dev/ttyUSB0"); the program only reads it.
class SettingsStore
{
public:
    static const QString kApplication;  // "V4400 TAG RF"

    SettingsStore();

    QString read(const QString &key, const QString &defaultValue) const;
    // Returns false when the value could not be written to disk.
    bool write(const QString &key, const QString &text);

    // The device configured for a port number, empty when group "Ports" has no such key.
    QString portDevice(int port) const;

    QSettings::Status status() const { return m_settings.status(); }
    QString fileName() const { return m_settings.fileName(); }

private:
    mutable QSettings m_settings;
};
