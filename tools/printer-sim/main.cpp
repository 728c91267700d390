// v4400-printer-sim: a label printer with an ISO 15693 module and one tag in its field, on a
// pseudo-terminal (or a given serial device). Prints the path to connect to, then a readable
// transcript of every label it receives.

#include "common/displaytext.h"
#include "link/tracefile.h"
#include "ptyprinter.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSocketNotifier>
#include <QTextStream>

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char c = 1;
    [[maybe_unused]] auto n = ::write(g_signalPipe[1], &c, 1);
}

QSet<int> blockList(const QStringList &values)
{
    QSet<int> out;
    for (const QString &v : values)
        for (const QString &n : v.split(QLatin1Char(','), Qt::SkipEmptyParts))
            out.insert(n.toInt() - 1);  // operators count blocks from 1
    return out;
}

}  // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("v4400-printer-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(V4400_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simulated label printer with an ISO 15693 tag in its field. Prints the device path to "
        "connect to on its first line, then one line for every label command it receives."));
    const QCommandLineOption help = parser.addHelpOption();
    // Only the long form: -v is --verbose.
    const QCommandLineOption version("version", "Displays version information.");
    const QCommandLineOption device(
        {"device", "d"}, "Use this serial device instead of a new pseudo-terminal.", "path");
    const QCommandLineOption link(
        {"link", "l"}, "Also make this symbolic link to the device (removed on exit).", "path");
    const QCommandLineOption silent("silent", "Answer nothing at all (no printer).");
    const QCommandLineOption delay("delay", "Answer this many milliseconds late.", "ms", "0");
    const QCommandLineOption chunk("chunk", "Send answers in pieces of this many bytes.", "bytes",
                                   "0");
    const QCommandLineOption chunkGap("chunk-gap", "Milliseconds between pieces.", "ms", "20");
    const QCommandLineOption wrongLength(
        "wrong-length", "Make every answer this many bytes longer (or shorter, if negative).", "n",
        "0");
    const QCommandLineOption noTag("no-tag", "No tag in the field: tag requests get no answer.");
    const QCommandLineOption unreadable(
        "unreadable-block",
        "Reading these blocks (1 to 28, comma separated) answers with a wrong length.", "blocks");
    const QCommandLineOption badStatus(
        "error-block", "Reading these blocks (1 to 28) answers with status 0x0F.", "blocks");
    const QCommandLineOption ignoreWrite(
        "ignore-write", "Writes to these blocks (1 to 28) are acknowledged but not stored.",
        "blocks");
    const QCommandLineOption corruptWrite(
        "corrupt-write", "Writes to these blocks (1 to 28) store an altered first byte.", "blocks");
    const QCommandLineOption verbose({"verbose", "v"}, "Also print every command received.");
    const QCommandLineOption roll(
        "roll", "A roll of labels with a tag in each: every printed label (?14&1) feeds the next "
                "tag, with a new UID and blank memory, over the antenna.");
    const QCommandLineOption rollBadShare(
        "roll-bad-share",
        "With --roll: this share of the tags (0 to 1, e.g. 0.2 for every fifth) "
        "acknowledges writes but keeps nothing.",
        "share", "0");
    const QCommandLineOption rollBad(
        "roll-bad",
        "With --roll: these tags of the roll (1 is the first, comma separated) "
        "acknowledge writes but keep nothing.",
        "tags");
    const QCommandLineOption noAdvance(
        "no-advance", "With --roll: the printer does not advance; the same tag stays over the "
                      "antenna.");
    const QCommandLineOption trace(
        "trace",
        "Append every byte received and sent to this file, in the lines of v4400-tag-rf "
        "--trace, so that the two traces read side by side.",
        "file");
    parser.addOptions({version, device, link, silent, delay, chunk, chunkGap, wrongLength, noTag,
                       unreadable, badStatus, ignoreWrite, corruptWrite, verbose, roll,
                       rollBadShare, rollBad, noAdvance, trace});

    QTextStream out(stdout);
    QTextStream err(stderr);
    if (!parser.parse(QCoreApplication::arguments())) {
        err << "v4400-printer-sim: " << escapedControls(parser.errorText()) << Qt::endl;
        return 2;
    }
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all")))
        parser.showHelp(0);
    if (parser.isSet(version)) {
        out << "v4400-printer-sim " << QCoreApplication::applicationVersion() << Qt::endl;
        return 0;
    }
    if (!parser.positionalArguments().isEmpty()) {
        err << "v4400-printer-sim: unexpected argument '"
            << escapedControls(parser.positionalArguments().constFirst()) << "'." << Qt::endl;
        return 2;
    }

    TraceFile traceFile;
    if (parser.isSet(trace)) {
        if (QString why; !traceFile.open(parser.value(trace), &why)) {
            err << "v4400-printer-sim: il file di traccia " << quotedPath(parser.value(trace))
                << " " << why << "." << Qt::endl;
            return 2;
        }
        traceFile.addLine(tracetext::startLine(QStringLiteral("v4400-printer-sim ") +
                                                   QCoreApplication::applicationVersion(),
                                               QDateTime::currentDateTime()));
    }

    PtyPrinter printer;
    PrinterModel &model = printer.model();
    model.behaviour.silent = parser.isSet(silent);
    model.behaviour.delayMs = parser.value(delay).toInt();
    model.behaviour.chunkSize = parser.value(chunk).toInt();
    model.behaviour.chunkGapMs = parser.value(chunkGap).toInt();
    model.behaviour.lengthDelta = parser.value(wrongLength).toInt();
    model.tag.present = !parser.isSet(noTag);
    model.behaviour.unreadableBlocks = blockList(parser.values(unreadable));
    for (int block : blockList(parser.values(badStatus)))
        model.behaviour.blockStatus.insert(block, 0x0F);
    model.behaviour.ignoredWrites = blockList(parser.values(ignoreWrite));
    model.behaviour.corruptedWrites = blockList(parser.values(corruptWrite));
    if (parser.isSet(roll)) {
        model.roll.enabled = true;
        model.roll.stuck = parser.isSet(noAdvance);
        // "0,2" as an Italian desk would type it, or "0.2".
        model.roll.badShare = qBound(
            0.0, parser.value(rollBadShare).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(),
            1.0);
        for (const QString &v : parser.values(rollBad))
            for (const QString &n : v.split(QLatin1Char(','), Qt::SkipEmptyParts))
                model.roll.badTags.insert(n.toInt());
        model.loadRollTag(1);
    }
    model.onTranscript = [&out](const QString &line) { out << "etichetta: " << line << Qt::endl; };
    if (parser.isSet(verbose)) {
        model.onCommand = [&out](const QByteArray &command) {
            out << "comando: " << QString::fromLatin1(command) << Qt::endl;
        };
    }

    QString error;
    const bool opened = parser.isSet(device) ? printer.openDevice(parser.value(device), &error)
                                             : printer.openPty(&error);
    if (!opened) {
        err << "v4400-printer-sim: " << error << Qt::endl;
        return 1;
    }

    QString linkPath;
    if (parser.isSet(link)) {
        linkPath = parser.value(link);
        QFile::remove(linkPath);
        if (!QFile::link(printer.path(), linkPath)) {
            err << "v4400-printer-sim: cannot create the link " << linkPath << Qt::endl;
            return 1;
        }
    }

    out << printer.path() << Qt::endl;

    // Written at once: the simulator's side of a conversation is complete whenever it is read.
    QElapsedTimer lineClock;
    lineClock.start();
    const auto traced = [&](TraceEntry::Kind kind, const QByteArray &bytes) {
        if (!traceFile.isOpen())
            return;
        const qint64 elapsed = lineClock.nsecsElapsed();
        const qint64 wall = QDateTime::currentMSecsSinceEpoch();
        for (qsizetype at = 0; at < bytes.size(); at += tracetext::kBytesPerLine)
            traceFile.add({kind, elapsed, wall, bytes.mid(at, tracetext::kBytesPerLine)});
        if (!traceFile.flush())
            err << "v4400-printer-sim: la traccia si ferma qui: il file di traccia "
                << quotedPath(traceFile.path()) << " " << traceFile.error() << "." << Qt::endl;
    };
    if (traceFile.isOpen()) {
        traceFile.add({TraceEntry::Kind::Note, 0, QDateTime::currentMSecsSinceEpoch(),
                       "linea aperta: " + printer.path().toUtf8()});
        QObject::connect(&printer, &PtyPrinter::bytesReceived, &printer,
                         [&](const QByteArray &b) { traced(TraceEntry::Kind::ToPrinter, b); });
        QObject::connect(&printer, &PtyPrinter::bytesSent, &printer,
                         [&](const QByteArray &b) { traced(TraceEntry::Kind::FromPrinter, b); });
    }

    if (::pipe(g_signalPipe) == 0) {
        auto *notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
        std::signal(SIGINT, onSignal);
        std::signal(SIGTERM, onSignal);
        std::signal(SIGHUP, onSignal);
    }

    const int status = app.exec();
    printer.close();
    if (!linkPath.isEmpty())
        QFile::remove(linkPath);
    return status;
}
