#include "app/startup.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("v4400-tag-rf"));
    QApplication::setApplicationVersion(QStringLiteral(V4400_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("v4400-tag-rf"));
    return runProgram(app);
}
