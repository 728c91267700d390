#pragma once

class MessageSink;
class PrinterLink;
class QLineEdit;
class QWidget;

// The printer query (model and firmware release) and the precondition it establishes for the
// tag commands and the block data label.
class PrinterQuery
{
public:
    PrinterQuery(PrinterLink &link, MessageSink &messages, QLineEdit *txtModello,
                 QLineEdit *txtRelease, QWidget *cmdInterroga);

    // The click of "Interroga stampante".
    void run();

    // True once the printer has answered (either field holds text). Otherwise tells the operator
    // to query the printer first, moves the focus to the query button and returns false.
    bool requireQueried();

private:
    PrinterLink &m_link;
    MessageSink &m_messages;
    QLineEdit *m_model;
    QLineEdit *m_release;
    QWidget *m_queryButton;
};
