#pragma once

#include <functional>

class MessageSink;
class PrinterLink;
class PrinterQuery;
struct GlobVar;
class QString;

// What a printer operation of the main window works with.
struct OperationContext
{
    PrinterLink &link;
    MessageSink &messages;
    GlobVar &globals;
    PrinterQuery &query;
    // A passing note for the operator (empty text clears it).
    std::function<void(const QString &)> note;
};
