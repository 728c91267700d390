#pragma once

#include "common/filechooser.h"

#include <memory>

class QFileDialog;
class QWidget;

// The file dialogs of the program: Qt's own, in Italian captions, with the file's extension
// following the chosen type when the operator types a bare name.
class FileDialogChooser : public FileChooser
{
public:
    explicit FileDialogChooser(QWidget *parent = nullptr) : m_parent(parent) {}

    // The dialog chooseSaveFile() shows, not yet shown (the screenshots use it too).
    static std::unique_ptr<QFileDialog> saveDialog(QWidget *parent, const QString &caption,
                                                   const QString &suggested,
                                                   const QStringList &filters,
                                                   Existing existing = Existing::Replace);

protected:
    QString chooseSaveFile(const QString &caption, const QString &suggested,
                           const QStringList &filters, Existing existing) override;
    QString chooseOpenFile(const QString &caption, const QString &folder,
                           const QStringList &filters) override;

private:
    QWidget *m_parent;
};
