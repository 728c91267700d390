#pragma once

#include "common/operationcontext.h"
#include "label/labeljobs.h"
#include "link/printeridentity.h"
#include "link/printerlink.h"
#include "link/printerquery.h"
#include "production/productionrun.h"
#include "tag/blockfiles.h"
#include "tag/blockmodel.h"
#include "tag/taginfomodel.h"
#include "tag/tagoperations.h"

class FileChooser;
class MessageSink;
class SerialControl;

// What the main window shows and does, without the window: the printer link with its guard, the
// models the window shows and the operations on them. The window binds its controls to these;
// tests drive them on the fake serial control.
class Workbench
{
public:
    // Files are asked for through `chooser`.
    Workbench(SerialControl &comm, MessageSink &messages, FileChooser &chooser);
    Workbench(const Workbench &) = delete;
    Workbench &operator=(const Workbench &) = delete;

    PrinterLink &link() { return m_link; }
    PrinterIdentity &printer() { return m_printer; }
    PrinterQuery &query() { return m_query; }
    TagInfoModel &tagInfo() { return m_tagInfo; }
    BlockModel &blocks() { return m_blocks; }
    TagOperations &tags() { return m_tags; }
    LabelJobs &labels() { return m_labels; }
    ProductionRun &production() { return m_production; }

    // "Salva..." and "Carica...". A file dialog is a loop of its own: opened during an
    // operation's wait it would hold that wait until it closed. The files wait for the printer
    // instead, refused as any printer operation is.
    void saveBlocks();
    void loadBlocks();
    // The settings dialog's OK has put new settings in use, on `otherDevice` than before, with
    // the printer "Cerca stampante" found (`foundPrinter`).
    void lineApplied(bool otherDevice, bool foundPrinter);
    // "Salva..." of the line monitor: what the trace keeps, as plain text.
    void saveTrace();
    void setFileChooser(FileChooser &chooser);

private:
    MessageSink &m_messages;
    FileChooser *m_chooser;
    PrinterLink m_link;
    PrinterIdentity m_printer;
    PrinterQuery m_query;
    OperationContext m_context;
    TagInfoModel m_tagInfo;
    BlockModel m_blocks;
    TagOperations m_tags;
    LabelJobs m_labels;
    BlockFiles m_files;
    ProductionRun m_production;
};
