#pragma once

#include <QList>
#include <QSettings>
#include <QString>

#include <functional>

// The per-user store of the six serial settings: group "Properties" of the application
// "V4400 TAG RF" (on Linux the file "$XDG_CONFIG_HOME/V4400 TAG RF.conf"). Every value is text.
// Group "Ports" maps port numbers to devices ("Com1=/dev/ttyUSB0"); the program only reads it.
class SettingsStore
{
public:
    SettingsStore();

    QString read(const QString &key, const QString &defaultValue) const;
    // Returns false when the value could not be written to disk (writeStatus() says why). A file
    // with lines QSettings cannot read is never written: it would come back without them.
    bool write(const QString &key, const QString &text);
    // Several values, in this order, in one rewrite of the file.
    bool write(const QList<std::pair<QString, QString>> &values);
    // The outcome of the last write.
    QSettings::Status writeStatus() const { return m_writeStatus; }

    // The device configured for a port number, empty when group "Ports" has no such key.
    QString portDevice(int port) const;
    // portDevice() of this store, for the serial control.
    std::function<QString(int)> portResolver() const
    {
        return [this](int port) { return portDevice(port); };
    }

    // Reading's outcome: an error the file showed when it was read (all of it, at construction).
    QSettings::Status status() const { return m_settings.status(); }
    // The first line of the file that is neither a [group], a key=value, a comment nor blank,
    // as "riga 3: «…»"; empty when there is none.
    QString firstUnreadableLine() const;
    QString fileName() const { return m_settings.fileName(); }

private:
    mutable QSettings m_settings;
    QSettings::Status m_writeStatus = QSettings::NoError;
    bool m_formatError = false;  // seen by a write; the file stays untouched for the whole run
};
