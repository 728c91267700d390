#pragma once

#include "common/filechooser.h"

// Answers the file dialogs with the path a test sets, and remembers what it was offered.
class ScriptedChooser : public FileChooser
{
public:
    QString answer;   // the path chosen; empty: the operator cancels
    QString offered;  // the suggested file or the folder the last dialog opened on
    QStringList filters;
    Existing existing = Existing::Replace;

protected:
    QString chooseSaveFile(const QString &, const QString &suggested,
                           const QStringList &offeredFilters, Existing mode) override
    {
        offered = suggested;
        filters = offeredFilters;
        existing = mode;
        return answer;
    }
    QString chooseOpenFile(const QString &, const QString &folder,
                           const QStringList &offeredFilters) override
    {
        offered = folder;
        filters = offeredFilters;
        return answer;
    }
};
