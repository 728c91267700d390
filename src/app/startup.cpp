#include "app/startup.h"

#include "app/appicon.h"
#include "app/frmmain.h"
#include "app/messagebox.h"
#include "app/qttranslation.h"
#include "link/qserialportcontrol.h"
#include "settings/settingsstore.h"

#include <QApplication>
#include <QEvent>

namespace {

class FirstPaint : public QObject
{
public:
    explicit FirstPaint(std::function<void(QWidget &)> shown) : m_shown(std::move(shown)) {}
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && m_shown) {
            auto shown = std::exchange(m_shown, {});
            watched->removeEventFilter(this);
            shown(*static_cast<QWidget *>(watched));
        }
        return false;
    }

private:
    std::function<void(QWidget &)> m_shown;
};

}  // namespace

int runProgram(QApplication &app, const std::function<void(QWidget &)> &shown)
{
    // Also for a message box shown before the main window.
    QApplication::setWindowIcon(applicationIcon());
    installItalianQtTranslation(app);
    SettingsStore store;
    MessageBoxSink messages;
    QSerialPortControl comm(store.portResolver());
    frmMain window(comm, store, messages);
    if (!window.load())
        return 1;
    messages.setParent(&window);
    FirstPaint firstPaint(shown);
    if (shown)
        window.installEventFilter(&firstPaint);
    window.show();
    return app.exec();
}
