#include "app/ui/startup.h"

#include "app/qttranslation.h"
#include "app/signalexit.h"
#include "app/ui/appicon.h"
#include "app/ui/frmmain.h"
#include "app/ui/messagebox.h"
#include "link/port/qserialportcontrol.h"
#include "link/tracefile.h"
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

int runProgram(QApplication &app, const std::function<void(QWidget &)> &shown, TraceFile *trace)
{
    // First, so that it is the last to go: a signal while the port is being closed on the way
    // out finds a handler still, and changes nothing.
    SignalExit signalExit;
    // Also for a message box shown before the main window.
    QApplication::setWindowIcon(applicationIcon());
    installItalianQtTranslation(app);
    SettingsStore store;
    MessageBoxSink messages;
    QSerialPortControl comm(store.portResolver());
    frmMain window(comm, store, messages);
    // A shutdown, a logout or Ctrl+C ends the program as closing its window does: waits are
    // abandoned, a message box open is left, nothing more is sent, and the port is closed (and
    // its lock released) when `comm` goes.
    QObject::connect(&signalExit, &SignalExit::raised, &window, &QWidget::close);
    if (trace) {
        trace->addLine(tracetext::startLine(QCoreApplication::applicationName() + QLatin1Char(' ') +
                                                QCoreApplication::applicationVersion(),
                                            QDateTime::currentDateTime()));
        window.link().trace().writeTo(*trace, messages);
    }
    if (!window.load())
        return 1;
    // A signal taken while start-up showed a message came before the event loop that it ends.
    if (signalExit.isRaised())
        return 0;
    messages.setParent(&window);
    FirstPaint firstPaint(shown);
    if (shown)
        window.installEventFilter(&firstPaint);
    window.show();
    return app.exec();
}
