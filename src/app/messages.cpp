#include "app/messages.h"

#include "settings/settingsstore.h"

#include <QMessageBox>

void MessageBoxSink::show(const QString &text, int style)
{
    QMessageBox::Icon icon = QMessageBox::Critical;
    switch (style) {
    case kStyleInformation: icon = QMessageBox::Information; break;
    case kStyleWarning:
    case kStyleErrorInformation: icon = QMessageBox::Warning; break;
    default: break;
    }
    QMessageBox box(icon, SettingsStore::kApplication, text, QMessageBox::Ok, m_parent);
    box.exec();
}
