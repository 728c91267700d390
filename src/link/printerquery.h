#pragma once

#include <QObject>

class MessageSink;
class PrinterIdentity;
class PrinterLink;

// The printer query (model and firmware release) and the precondition it establishes for the
// tag commands and the block data label.
class PrinterQuery : public QObject
{
    Q_OBJECT
public:
    PrinterQuery(PrinterLink &link, MessageSink &messages, PrinterIdentity &printer,
                 QObject *parent = nullptr);

    // The click of "Interroga stampante".
    void run();

    // True once the printer has been queried (PrinterIdentity::queried()). Otherwise tells the
    // operator to query the printer first, emits queryNeeded() and returns false.
    bool requireQueried();
    // The model and release as the printer answered them (or the operator gave them).
    const PrinterIdentity &printer() const { return m_printer; }

signals:
    // The operator has been told to query the printer first: the window moves the focus to the
    // query button.
    void queryNeeded();

private:
    PrinterLink &m_link;
    MessageSink &m_messages;
    PrinterIdentity &m_printer;
};
