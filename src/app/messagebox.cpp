#include "app/messagebox.h"

#include "common/application.h"

#include <QMessageBox>
#include <QPushButton>

namespace {

QMessageBox::Icon iconFor(MessageStyle style)
{
    switch (style) {
    case kStyleInformation: return QMessageBox::Information;
    case kStyleWarning:
    case kStyleErrorInformation: return QMessageBox::Warning;
    case kStyleError: break;
    }
    return QMessageBox::Critical;
}

}  // namespace

void MessageBoxSink::show(const QString &text, MessageStyle style)
{
    QMessageBox box(iconFor(style), applicationTitle(), text, QMessageBox::Ok, m_parent);
    box.exec();
}

bool MessageBoxSink::showWithChoice(const QString &text, MessageStyle style, const QString &other)
{
    QMessageBox box(iconFor(style), applicationTitle(), text, QMessageBox::Ok, m_parent);
    QPushButton *choice = box.addButton(other, QMessageBox::ActionRole);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Ok);
    box.exec();
    return box.clickedButton() == choice;
}
