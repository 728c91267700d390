#pragma once

#include "settings/settingsfile.h"

#include <QList>
#include <QSettings>
#include <QString>

#include <functional>

// A [Ports] entry: port number (1 for Com1) and device.
struct PortEntry
{
    int port = 0;  // 0: none
    QString device;
};

// The per-user store of the six serial settings: group "Properties" of the file
// "$XDG_CONFIG_HOME/V4400 TAG RF.conf" (else ~/.config), where QSettings would keep the application
// "V4400 TAG RF". Every value is text. Group "Ports" maps port numbers to devices
// ("Com1=/dev/ttyUSB0"). The file is the operator's: it is read as written (see SettingsFile) and
// a write changes only the lines of the values written.
class SettingsStore
{
public:
    SettingsStore();

    QString read(const QString &key, const QString &defaultValue) const;

    // Returns false when the value could not be written to disk (writeStatus() and writeError()
    // say why); the file is then as it was. A file with lines the program cannot read is never
    // written.
    bool write(const QString &key, const QString &text);
    // Several values, in this order, and a [Ports] entry, in one rewrite of the file.
    bool write(const QList<std::pair<QString, QString>> &values, const PortEntry &port = {});
    // The outcome of the last write.
    QSettings::Status writeStatus() const { return m_writeStatus; }
    // Why the last write failed with AccessError: "spazio su disco esaurito" ...
    QString writeError() const { return m_writeError; }

    // The device configured for a port number ("Com1", in any case, of group "Ports"), empty when
    // there is none.
    QString portDevice(int port) const;
    // portDevice() of this store, for the serial control.
    std::function<QString(int)> portResolver() const
    {
        return [this](int port) { return portDevice(port); };
    }

    // Reading's outcome: AccessError for a file that exists but cannot be read (readError() says
    // why: a FIFO, a folder, too large ...), FormatError for one with a line the program cannot
    // read (also once a write has found such a line: the file is not written again in this run).
    QSettings::Status status() const { return m_status; }
    QString readError() const { return m_readError; }
    // That line, as "riga 3: «…»"; empty when there is none.
    QString firstUnreadableLine() const;
    QString fileName() const { return m_fileName; }

private:
    QString m_fileName;
    SettingsFile m_file;
    QSettings::Status m_status = QSettings::NoError;
    QSettings::Status m_writeStatus = QSettings::NoError;
    QString m_readError;
    QString m_writeError;
};
