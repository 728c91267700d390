#pragma once

#include <QString>
#include <QStringList>

// Asks the operator for a file, so that tests can answer instead of a modal file dialog.
class FileChooser
{
public:
    virtual ~FileChooser() = default;
    // The chosen path; empty when the operator cancelled. `filters` as "Dump binario (*.bin)".
    virtual QString chooseSaveFile(const QString &caption, const QString &suggested,
                                   const QStringList &filters) = 0;
    virtual QString chooseOpenFile(const QString &caption, const QString &folder,
                                   const QStringList &filters) = 0;
};
