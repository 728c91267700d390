#include "app/commandline.h"
#include "app/ui/startup.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QCoreApplication::setApplicationName(QStringLiteral("v4400-tag-rf"));
    QCoreApplication::setApplicationVersion(QStringLiteral(V4400_VERSION));
    if (const std::optional<int> status = handleCommandLine(argc, argv))
        return *status;
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("v4400-tag-rf"));
    return runProgram(app);
}
