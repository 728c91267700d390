#include "app/ui/filedialogchooser.h"

#include <QFileDialog>
#include <QRegularExpression>

namespace {

// "Dump binario (*.bin)" gives "bin".
QString suffixOf(const QString &filter)
{
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("\\*\\.(\\w+)")).match(filter);
    return m.hasMatch() ? m.captured(1) : QString();
}

QString runFileDialog(QFileDialog &dialog)
{
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

}  // namespace

std::unique_ptr<QFileDialog> FileDialogChooser::saveDialog(QWidget *parent, const QString &caption,
                                                           const QString &suggested,
                                                           const QStringList &filters,
                                                           Existing existing)
{
    auto dialog = std::make_unique<QFileDialog>(parent, caption, suggested);
    // A file that is added to needs no warning that it exists.
    dialog->setOption(QFileDialog::DontConfirmOverwrite, existing == Existing::Append);
    dialog->setObjectName(QStringLiteral("saveFileDialog"));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setNameFilters(filters);
    for (const QString &filter : filters) {
        if (suggested.endsWith(QLatin1Char('.') + suffixOf(filter), Qt::CaseInsensitive))
            dialog->selectNameFilter(filter);
    }
    dialog->setDefaultSuffix(suffixOf(dialog->selectedNameFilter()));
    QFileDialog *d = dialog.get();
    QObject::connect(d, &QFileDialog::filterSelected, d,
                     [d](const QString &filter) { d->setDefaultSuffix(suffixOf(filter)); });
    return dialog;
}

QString FileDialogChooser::chooseSaveFile(const QString &caption, const QString &suggested,
                                          const QStringList &filters, Existing existing)
{
    const auto dialog = saveDialog(m_parent, caption, suggested, filters, existing);
    return runFileDialog(*dialog);
}

QString FileDialogChooser::chooseOpenFile(const QString &caption, const QString &folder,
                                          const QStringList &filters)
{
    QFileDialog dialog(m_parent, caption, folder);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(filters);
    return runFileDialog(dialog);
}
