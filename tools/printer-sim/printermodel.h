#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QSet>
#include <QStringList>

#include <array>
#include <functional>

// A label printer with an ISO 15693 read/write module and one tag in its field, as the program
// sees it over the serial line. Used by the simulator program and by the tests' fake serial
// control, so that there is one model of the printer.

// Bytes the printer sends back, `delayMs` after it received the command.
struct Emission
{
    int delayMs = 0;
    QByteArray bytes;
};

struct SimTag
{
    bool present = true;
    std::array<quint8, 8> uid{0xE0, 0x04, 0x01, 0x50, 0x2A, 0x3C, 0x7B, 0x12};
    quint8 dataSets = 1;
    quint8 transponderType = 0;
    quint8 dsfid = 0;
    quint8 afi = 0;
    quint8 icReference = 1;
    int blockCount = 28;
    int blockSize = 4;
    QByteArray memory;           // blockCount * blockSize bytes
    bool ignoresWrites = false;  // a faulty inlay: acknowledges writes, keeps nothing

    SimTag();
};

// A roll of labels with an inlay in each: printing a label ("?14&1") feeds the next one, a new
// tag with blank memory, over the antenna.
struct SimRoll
{
    bool enabled = false;
    bool stuck = false;    // the printer does not advance: the same tag stays
    double badShare = 0;   // this share of the tags ignores writes, evenly spread
    QSet<int> badTags;     // these tags (1 is the first of the roll) ignore writes
    int position = 0;      // the tag over the antenna, 1 for the first; 0 before the roll starts
    QList<SimTag> passed;  // the tags fed past the antenna, in order

    bool isBad(int n) const;
};

// How the printer misbehaves, for trying the program's failure paths.
struct SimBehaviour
{
    bool silent = false;            // answers nothing at all
    int delayMs = 0;                // before the first byte of every answer
    int chunkSize = 0;              // > 0: answers arrive in pieces of this many bytes ...
    int chunkGapMs = 0;             // ... this far apart
    int lengthDelta = 0;            // every answer this many bytes longer (> 0) or shorter (< 0)
    QByteArray preambleAnswer;      // what the RF preamble answers (nothing, as a rule)
    QSet<int> unreadableBlocks;     // read answers of the wrong length
    QMap<int, quint8> blockStatus;  // read answers with this non-zero status
    QSet<int> ignoredWrites;        // writes acknowledged but not stored
    QSet<int> corruptedWrites;      // writes stored with the first byte altered
};

class PrinterModel
{
public:
    QByteArray modelReply = "VIREO 4400\r";  // 11 characters
    QByteArray releaseReply = "V1.04.2\r";   // 8 characters
    SimTag tag;
    SimBehaviour behaviour;
    SimRoll roll;

    // Puts tag `position` of the roll over the antenna (1 for the first): the first tag's UID
    // with the last byte counted on, blank memory.
    void loadRollTag(int position);

    // Every command received, without CR LF, in order.
    QList<QByteArray> commands;
    // The labels received, one readable line per label command.
    QStringList transcript;
    std::function<void(const QString &)> onTranscript;
    std::function<void(const QByteArray &)> onCommand;

    // Bytes from the program; returns what the printer sends back and when.
    QList<Emission> feed(const QByteArray &bytes);
    // The answer to one complete command (without CR LF), shaped by the behaviour.
    QList<Emission> answer(const QByteArray &command);
    // The answer a well-behaved printer gives, unshaped; empty when it says nothing.
    QByteArray reply(const QByteArray &command);

    // Readable transcript line for a label command, empty if it is not one.
    static QString describeLabelCommand(const QByteArray &command);

private:
    QList<Emission> shape(QByteArray bytes) const;
    void note(const QString &line);

    QByteArray m_pending;
};

// Runs a PrinterModel in real time: commands in, answers out after their delays.
class PrinterEngine : public QObject
{
    Q_OBJECT
public:
    explicit PrinterEngine(QObject *parent = nullptr);

    PrinterModel model;

    void receive(const QByteArray &bytes);
    // Forgets every answer not yet sent.
    void cancelPending();

Q_SIGNALS:
    void send(const QByteArray &bytes);

private:
    quint64 m_generation = 0;
};
