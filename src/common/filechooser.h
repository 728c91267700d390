#pragma once

#include <QDir>
#include <QString>
#include <QStringList>

// Asks the operator for a file, so that tests can answer instead of a modal file dialog. The
// dialogs open in the folder used last in this session.
class FileChooser
{
public:
    virtual ~FileChooser() = default;

    // What becomes of a file that exists already: replaced (the dialog asks first) or added to.
    enum class Existing { Replace, Append };

    // The chosen path, empty when the operator cancelled. `name` is offered in the folder used
    // last; `filters` read like "Dump binario (*.bin)".
    QString saveFile(const QString &caption, const QString &name, const QStringList &filters,
                     Existing existing = Existing::Replace)
    {
        return remember(chooseSaveFile(caption, QDir(m_folder).filePath(name), filters, existing));
    }
    QString openFile(const QString &caption, const QStringList &filters)
    {
        return remember(chooseOpenFile(caption, m_folder, filters));
    }
    QString folder() const { return m_folder; }

protected:
    virtual QString chooseSaveFile(const QString &caption, const QString &suggested,
                                   const QStringList &filters, Existing existing) = 0;
    virtual QString chooseOpenFile(const QString &caption, const QString &folder,
                                   const QStringList &filters) = 0;

private:
    QString remember(const QString &path)
    {
        if (!path.isEmpty())
            m_folder = QFileInfo(path).absolutePath();
        return path;
    }

    QString m_folder = QDir::homePath();
};
