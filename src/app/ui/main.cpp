#include "app/commandline.h"
#include "app/ui/startup.h"
#include "link/tracefile.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QCoreApplication::setApplicationName(QStringLiteral("v4400-tag-rf"));
    QCoreApplication::setApplicationVersion(QStringLiteral(V4400_VERSION));
    // Closed after everything else, so that it ends with the program's last operation.
    TraceFile trace;
    if (const std::optional<int> status = handleCommandLine(argc, argv, &trace))
        return *status;
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("v4400-tag-rf"));
    return runProgram(app, {}, trace.isOpen() ? &trace : nullptr);
}
