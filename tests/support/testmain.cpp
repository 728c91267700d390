#include "testmain.h"

// The unit tests link no widgets, and run without them.
#ifdef QT_WIDGETS_LIB
#include <QApplication>
#else
#include <QCoreApplication>
#endif
#include <QFileInfo>

#include <cstdio>
#include <map>
#include <string>

namespace {

std::map<std::string, testmain::Runner> &registry()
{
    static std::map<std::string, testmain::Runner> tests;
    return tests;
}

QString &current()
{
    static QString name;
    return name;
}

}  // namespace

namespace testmain {

Registration::Registration(const char *file, Runner run)
{
    registry()[QFileInfo(QString::fromLocal8Bit(file)).completeBaseName().toStdString()] =
        std::move(run);
}

QString program()
{
    return QCoreApplication::applicationFilePath();
}

QStringList selfArguments()
{
    return {current()};
}

}  // namespace testmain

int main(int argc, char *argv[])
{
    const auto test = argc > 1 ? registry().find(argv[1]) : registry().end();
    if (test == registry().end()) {
        std::fprintf(stderr, "usage: %s TEST [QTest options]\ntests:", argv[0]);
        for (const auto &[name, run] : registry())
            std::fprintf(stderr, " %s", name.c_str());
        std::fprintf(stderr, "\n");
        return 2;
    }
    current() = QString::fromStdString(test->first);
    // The test's name goes; QTest sees the rest as if it were the program's own.
    for (int i = 1; i + 1 < argc; ++i)
        argv[i] = argv[i + 1];
    argv[--argc] = nullptr;
#ifdef QT_WIDGETS_LIB
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
#else
    QCoreApplication app(argc, argv);
#endif
    return test->second(argc, argv);
}
