#pragma once

// src/link/: the serial line to the printer, the bottom subsystem; its QSerialPort side is in
// link/port/. It includes only common/; tag, settings, label, production and app build on it.

#include "link/linetrace.h"
#include "link/serialerror.h"

#include <QDeadlineTimer>
#include <QObject>
#include <QString>

#include <utility>
#include <vector>

class MessageSink;
class QEventLoop;
class SerialControl;

// The line to the printer: sends commands, collects what comes back in ReceiveBuffer, and waits
// for replies while the window stays alive.
//
// A wait is a local event loop that ends on the first of its deadline (on the monotonic clock,
// see DeadlineNotifier), the reply reaching exactly the expected length (checked on every
// arrival), the device being lost, or the program ending. Nothing polls and nothing sleeps. A
// deadline passes only once what a test double scheduled before it has happened (see
// SerialControl::scheduledBy()): on a loaded machine the test's own timers run late, the wait
// does not end early.
//
// Waits report whether they ended normally. When they did not (the program is ending, or the
// device was lost and has been reported), the caller returns at once and sends nothing more.
class PrinterLink : public QObject
{
    Q_OBJECT
public:
    PrinterLink(SerialControl &control, MessageSink &messages, QObject *parent = nullptr);
    ~PrinterLink() override;

    // ReceiveBuffer never holds more than this many characters; what arrives beyond it is
    // dropped. The longest reply awaited is 16 characters, so a printer or a line that streams
    // without end costs memory no more than this, however long it goes on.
    static constexpr qsizetype kReceiveLimit = 4096;

    // Everything received since the last emptying, up to kReceiveLimit characters; one character
    // per byte (codes 0 to 255).
    QString ReceiveBuffer;

    // Writes the command followed by CR LF in one write. A command holding CR or LF itself, or a
    // character without a single-byte code, is refused whole. On failure the operator has been
    // told, and the caller stops.
    [[nodiscard]] bool SendCommand(const QString &command);
    // Returns when `seconds` have passed or ReceiveBuffer holds exactly `length` characters.
    [[nodiscard]] bool WaitForReply(double seconds, int length);
    // The same up to `deadline` (not scaled): waits on several lines, one after the other, then
    // share one window instead of adding theirs up.
    [[nodiscard]] bool WaitForReplyUntil(const QDeadlineTimer &deadline, int length);
    // `seconds` from now, scaled as the waits are.
    QDeadlineTimer deadlineIn(double seconds) const;
    // Returns when `seconds` have passed.
    [[nodiscard]] bool Pause(double seconds);

    // The program is ending: every running wait returns false at once, and nothing more is sent.
    void abandon();
    bool abandoned() const { return m_abandoned; }
    // Every running wait returns false at once, as for an operation the operator stops; later
    // waits run as usual.
    void interruptWaits();

    // One printer operation at a time: the handlers that talk to the printer hold an Operation
    // while they run. A refused begin emits operationRefused(), except where the caller asks for
    // silence while a label is being sent (see PrintingFlag()).
    class Operation
    {
    public:
        Operation() = default;
        Operation(Operation &&other) noexcept : m_link(other.m_link) { other.m_link = nullptr; }
        Operation &operator=(Operation &&) = delete;
        Operation(const Operation &) = delete;
        ~Operation();
        explicit operator bool() const { return m_link != nullptr; }

    private:
        friend class PrinterLink;
        explicit Operation(PrinterLink *link) : m_link(link) {}
        PrinterLink *m_link = nullptr;
    };
    enum class WhilePrinting { Note, Silent };
    [[nodiscard]] Operation beginOperation(WhilePrinting whilePrinting = WhilePrinting::Note);
    bool operationRunning() const { return m_operationRunning; }

    // PrintingFlag: a label's commands are going out, from the first to the last. The running
    // operation holds a Printing meanwhile; the exit button, Inventory, System information and
    // the labels are refused without a word.
    class Printing
    {
    public:
        Printing(Printing &&other) noexcept : m_link(std::exchange(other.m_link, nullptr)) {}
        Printing &operator=(Printing &&) = delete;
        Printing(const Printing &) = delete;
        ~Printing();

    private:
        friend class PrinterLink;
        explicit Printing(PrinterLink *link) : m_link(link) {}
        PrinterLink *m_link;
    };
    [[nodiscard]] Printing beginPrinting();
    bool PrintingFlag() const { return m_printing; }

    SerialControl &control() const { return m_control; }
    // What crosses the line, for the monitor and the trace file.
    LineTrace &trace() { return m_trace; }

    // Waits in progress, nested ones included.
    int waitDepth() const { return int(m_waits.size()); }
    // Every wait lasts `factor` times its limit. Tests that try hundreds of replies compress time
    // with it; the program never changes it.
    void setTimeScale(double factor) { m_timeScale = factor; }
    double timeScale() const { return m_timeScale; }

signals:
    void operationRefused();
    // ReceiveBuffer has grown.
    void dataReceived();

private:
    enum class End { Running, Normal, Abandoned, Lost };
    struct Wait
    {
        QEventLoop *loop;
        int length;  // -1 for a pause
        QDeadlineTimer deadline;
        End end = End::Running;
        bool overdue = false;  // the deadline has passed; something due before it has not
    };

    bool wait(double seconds, int length);
    void deadlinePassed(Wait &w);
    void onComm();
    void onLost(const SerialError &error);
    void endWaits(End how);

    SerialControl &m_control;
    MessageSink &m_messages;
    std::vector<Wait *> m_waits;
    bool m_abandoned = false;
    bool m_operationRunning = false;
    bool m_printing = false;
    double m_timeScale = 1.0;
    int m_losses = 0;                  // devices lost so far
    bool m_lossReportPending = false;  // the operator has not been told yet
    LineTrace m_trace;
};
