#pragma once

#include <QtGlobal>

// State shared by the handlers of the main window. (The received text, ReceiveBuffer, belongs to
// the printer link.)
struct GlobVar
{
    // -1 while a label is being sent, 0 otherwise.
    qint16 PrintingFlag = 0;
    // The tab page shown, 1 or 2.
    qint16 CurrentTab = 1;
};
