#include "app/ui/messagebox.h"

#include "common/application.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>
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

// Texts from outside are cut where a message quotes them; this is for any that is not. The box
// lays its text out on every resize, and a megabyte of it takes the best part of a minute.
QString shortened(const QString &text)
{
    constexpr qsizetype kLongest = 4000;
    if (text.size() <= kLongest)
        return text;
    return text.left(kLongest) + QStringLiteral("… (%1 caratteri)").arg(text.size());
}

// A busy cursor steps aside while a message waits for the operator, and comes back after.
class CursorAside
{
public:
    CursorAside()
    {
        while (const QCursor *cursor = QGuiApplication::overrideCursor()) {
            m_cursors.prepend(*cursor);
            QGuiApplication::restoreOverrideCursor();
        }
    }
    ~CursorAside()
    {
        for (const QCursor &cursor : std::as_const(m_cursors))
            QGuiApplication::setOverrideCursor(cursor);
    }

private:
    QList<QCursor> m_cursors;
};

// The window the operator was in (the production dialog, the line monitor) has the focus again
// once the box closes, rather than the main window the box belongs to.
class FocusBack
{
public:
    FocusBack() : m_window(QApplication::activeWindow()) {}
    ~FocusBack()
    {
        if (m_window && m_window->isVisible() && QApplication::activeWindow() != m_window)
            m_window->activateWindow();
    }

private:
    QPointer<QWidget> m_window;
};

}  // namespace

void MessageBoxSink::show(const QString &text, MessageStyle style)
{
    QMessageBox box(iconFor(style), applicationTitle(), shortened(text), QMessageBox::Ok, m_parent);
    box.setTextFormat(Qt::PlainText);  // a value such as "<b>" shows as written, not as markup
    const FocusBack focus;
    const CursorAside aside;
    box.exec();
}

bool MessageBoxSink::showWithChoice(const QString &text, MessageStyle style, const QString &other)
{
    QMessageBox box(iconFor(style), applicationTitle(), shortened(text), QMessageBox::Ok, m_parent);
    box.setTextFormat(Qt::PlainText);
    QPushButton *choice = box.addButton(other, QMessageBox::ActionRole);
    // Enter takes the way out of the trouble; Esc keeps to the plain acknowledgement.
    box.setDefaultButton(choice);
    box.setEscapeButton(QMessageBox::Ok);
    const FocusBack focus;
    const CursorAside aside;
    box.exec();
    return box.clickedButton() == choice;
}
