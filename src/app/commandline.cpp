#include "app/commandline.h"

#include "common/displaytext.h"
#include "link/tracefile.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

namespace {

// What QGuiApplication, QApplication and the xcb platform plugin read from the command line.
// They are declared so that the parser lets them through; --help-all lists those with a
// description, --help none.
struct QtOption
{
    const char *name;
    const char *valueName;  // nullptr: takes no value
    const char *description;
};
constexpr QtOption kQtOptions[] = {
    {"platform", "name", "Windowing system plugin: xcb, wayland, offscreen ..."},
    {"platformpluginpath", "path", "Folder to load the platform plugins from."},
    {"platformtheme", "name", "Platform theme."},
    {"plugin", "name", "Additional input plugin."},
    {"style", "name", "Widget style, for example Fusion."},
    {"stylesheet", "file", "Qt style sheet for the windows."},
    {"qwindowgeometry", "geometry", "Main window size and place, for example 800x600+0+0."},
    {"geometry", "geometry", "The same, on X11."},
    {"qwindowtitle", "title", "Main window title."},
    {"title", "title", "The same, on X11."},
    {"qwindowicon", "file", "Main window icon."},
    {"icon", "file", "The same, on X11."},
    {"display", "name", "X11 display to use instead of $DISPLAY."},
    {"name", "name", "X11 resource name of the program."},
    {"reverse", nullptr, "Lay the windows out from right to left."},
    {"session", "id", "Restore this desktop session."},
    {"widgetcount", nullptr, "Print how many widgets were left at exit."},
    {"qmljsdebugger", "settings", ""},
    {"testability", nullptr, ""},
    {"nograb", nullptr, ""},
    {"dograb", nullptr, ""},
    {"sync", nullptr, ""},
};

void declareOptions(QCommandLineParser &parser, bool listQtOptions)
{
    // Qt's options are written with one dash ("-platform offscreen").
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QStringLiteral(
        "Reads, writes and verifies ISO 15693 RFID tags through a label printer with an RFID\n"
        "module on a serial line. The serial settings are kept in\n"
        "$XDG_CONFIG_HOME/V4400 TAG RF.conf (normally ~/.config/V4400 TAG RF.conf).\n"
        "Qt's options (-platform, -style, -stylesheet, -geometry, -display, -reverse ...) are\n"
        "accepted too: --help-all lists them. See also v4400-tag-rf(1)."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(QCommandLineOption(
        QStringLiteral("trace"),
        QStringLiteral("Append every byte sent to the printer and received from it to <file>, "
                       "from start-up on, one operation at a time (the lines are described in "
                       "v4400-tag-rf(1)). The menu entry \"Monitor linea...\" shows the same "
                       "live."),
        QStringLiteral("file")));
    for (const QtOption &qt : kQtOptions) {
        QCommandLineOption option(QLatin1String(qt.name), QLatin1String(qt.description));
        if (qt.valueName)
            option.setValueName(QLatin1String(qt.valueName));
        if (!listQtOptions || !*qt.description)
            option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

void printTo(FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

}  // namespace

std::optional<int> handleCommandLine(int argc, const char *const argv[], TraceFile *trace)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const QString program = QCoreApplication::applicationName();

    QCommandLineParser parser;
    declareOptions(parser, false);
    if (!parser.parse(arguments)) {
        // The option as typed: an escape sequence in it must not reach the terminal as one.
        printTo(stderr,
                QStringLiteral("%1: %2\n").arg(program, escapedControls(parser.errorText())));
        return kUsageError;
    }
    const bool helpAll = parser.isSet(QStringLiteral("help-all"));
    if (helpAll || parser.isSet(QStringLiteral("help"))) {
        QCommandLineParser help;
        declareOptions(help, helpAll);
        // Without an application object the parser may not know the program's name.
        printTo(stdout, help.helpText().replace(QLatin1String("<executable_name>"), program));
        return 0;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        printTo(stdout,
                QStringLiteral("%1 %2\n").arg(program, QCoreApplication::applicationVersion()));
        return 0;
    }
    if (!parser.positionalArguments().isEmpty()) {
        printTo(stderr,
                QStringLiteral("%1: unexpected argument '%2'.\n")
                    .arg(program, escapedControls(parser.positionalArguments().constFirst())));
        return kUsageError;
    }
    if (const QString path = parser.value(QStringLiteral("trace")); trace && !path.isNull()) {
        if (QString why; !trace->open(path, &why)) {
            printTo(stderr, QStringLiteral("%1: il file di traccia %2 %3.\n")
                                .arg(program, quotedPath(path), why));
            return kUsageError;
        }
    }
    return std::nullopt;
}
