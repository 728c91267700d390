#include "app/frmmain.h"
#include "app/messages.h"
#include "link/qserialportcontrol.h"
#include "settings/settingsstore.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("v4400-tag-rf"));
    QApplication::setApplicationVersion(QStringLiteral(V4400_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("v4400-tag-rf"));

    SettingsStore store;
    MessageBoxSink messages;
    QSerialPortControl comm(store);
    frmMain window(comm, store, messages);
    if (!window.load())
        return 1;
    messages.setParent(&window);
    window.show();
    return app.exec();
}
