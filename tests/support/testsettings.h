#pragma once

#include <QSettings>
#include <QTemporaryDir>

// A settings store of its own for one test: the program's settings file lands in a fresh directory.
class TestSettings
{
public:
    // `content`, when given, is the settings file the program finds.
    explicit TestSettings(const QByteArray &content = {})
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.path()));
        if (!content.isNull())
            writeFile(content);
    }

    QString fileName() const { return m_dir.filePath(QStringLiteral("V4400 TAG RF.conf")); }
    QString dir() const { return m_dir.path(); }

    // Writes the file as given, byte for byte.
    void writeFile(const QByteArray &content) const
    {
        QFile f(fileName());
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(content);
    }
    QByteArray readFile() const
    {
        QFile f(fileName());
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }

private:
    QTemporaryDir m_dir;
};
