#pragma once

#include "app/workbench.h"
#include "fakeserialcontrol.h"
#include "recordingmessages.h"
#include "scriptedchooser.h"

// The main window's models and operations on the fake serial control, its port open, without a
// window: what the operations' tests drive.
struct Desk
{
    FakeSerialControl comm;
    RecordingMessages messages;
    ScriptedChooser chooser;
    Workbench bench{comm, messages, chooser};

    Desk()
    {
        if (comm.setPortOpen(true).failed())
            qFatal("the fake serial control did not open");
    }

    // The printer has answered a query, as the tag commands and the block data label need.
    void queried() { bench.printer().setModel(QStringLiteral(" VIREO 4400")); }

    // Runs `action` after `ms` milliseconds, from inside whatever wait is running then (see
    // FakeSerialControl::after()).
    template <typename F>
    void after(int ms, F action)
    {
        comm.after(ms, std::move(action));
    }
};
