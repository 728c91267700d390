#include "app/messagebox.h"

#include "common/application.h"

#include <QMessageBox>

void MessageBoxSink::show(const QString &text, MessageStyle style)
{
    QMessageBox::Icon icon = QMessageBox::Critical;
    switch (style) {
    case kStyleInformation: icon = QMessageBox::Information; break;
    case kStyleWarning:
    case kStyleErrorInformation: icon = QMessageBox::Warning; break;
    case kStyleError: break;
    }
    QMessageBox box(icon, applicationTitle(), text, QMessageBox::Ok, m_parent);
    box.exec();
}
