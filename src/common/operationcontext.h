#pragma once

#include <functional>

class MessageSink;
class PrinterLink;
class PrinterQuery;
class QString;

// What a printer operation of the main window works with.
struct OperationContext
{
    PrinterLink &link;
    MessageSink &messages;
    PrinterQuery &query;
    // A passing note for the operator (empty text clears it).
    std::function<void(const QString &)> note;
};
