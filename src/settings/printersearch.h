#pragma once

#include "link/serialdevices.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

class PrinterLink;

// The search for the printer behind "Cerca stampante": at one speed at a time, every device gets
// the model query at once and all share one half-second window to answer, so the search takes
// about as long for ten devices as for one. The device the program has open is asked through the
// open line, every other one through a line of its own, opened and closed again for each speed. An
// answer is a printer's only when it is a model (modelReplyFault): an echo of the query, noise or
// text of another kind is listed as "risposta non valida". When no printer answers, the devices
// that stayed silent or answered so are asked again at the next speed; a device that cannot be
// opened is not. The caller holds the printer (PrinterLink::Operation) meanwhile; the window keeps
// the program alive.
class PrinterSearch : public QObject
{
    Q_OBJECT
public:
    struct Answer
    {
        QString device;
        int port = 0;  // the port number (1 to 4) that stands for it, 0 when none does
        int speed = 0;
        QString model;      // as the printer query's field shows it
        bool open = false;  // asked through the open line: the device in use
    };
    struct Tried
    {
        QString device;
        int port = 0;
        QString outcome;  // why it is not among the answers
    };
    struct Result
    {
        QList<Answer> answers;  // at the first speed any device answered at, in the devices' order
        QList<Tried> others;    // every other device, with its reason
        QString refused;        // the line settings cannot be used: why; nothing was probed
        bool cancelled = false;
        bool ended = false;  // the program is ending: the result means nothing

        // The answer to select, whatever order the answers came in: the device in use when it
        // answered, else the lowest port number, else the first; null when none did.
        const Answer *chosen() const;
        // What the dialog shows.
        QString text() const;
    };

    PrinterSearch(PrinterLink &link, const SerialDevices &devices);

    // Probes `devices` all at once, at each of `speeds` in turn; the line settings are the speed
    // followed by `lineTail` (",N,8,1"). The open line gets its own settings back after.
    Result run(const QStringList &devices, const QList<int> &speeds, const QString &lineTail);
    // "Cerca stampante": the devices of the port numbers, then `typedDevice`, then those the
    // system reports, each once; `chosenSpeed` first (0: none chosen), then the list's others.
    Result run(const QString &typedDevice, int chosenSpeed, const QString &lineTail);
    // Stops the search at once; run() returns what was found so far.
    void cancel();

    // `first` and then the devices `reported`, each once however it is named (a link and what
    // it leads to are one device).
    static QStringList candidates(const QStringList &first, const QList<SerialDevice> &reported);
    static bool sameDevice(const QString &a, const QString &b);

signals:
    // `devices` have been asked at `speed` (the `round`th speed of `rounds`, from 1) and have
    // their window to answer now.
    void probing(int speed, int round, int rounds, int devices);

private:
    enum class Outcome { Answered, Silent, Invalid, Failed };
    struct Line;
    // One speed: each device still `silent` asked, the answers and reasons collected; those
    // still in the search stay in `silent`. False once the search is over (cancelled, ending).
    bool probeRound(int speed, int round, int rounds, const QString &lineTail, QStringList *silent,
                    QHash<QString, QString> *reasons, QSet<QString> *probed, Result *result);
    // Every device not among the answers, with why.
    void listOthers(const QStringList &devices, const QSet<QString> &probed,
                    const QHash<QString, QString> &reasons, Result *result) const;
    // The line is ready for the query, or `line.reason` says why not.
    void openLine(Line &line, const QString &settings);
    void openOwnLine(Line &line, const QString &settings);
    int portOf(const QString &device) const;

    PrinterLink &m_link;
    const SerialDevices &m_devices;
    PrinterLink *m_waiting = nullptr;  // the link whose share of the window is running
    bool m_cancelled = false;
};
