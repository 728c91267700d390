#pragma once

class MessageSink;
class PrinterLink;
class PrinterQuery;

// What a printer operation of the main window works with.
struct OperationContext
{
    PrinterLink &link;
    MessageSink &messages;
    PrinterQuery &query;
};
