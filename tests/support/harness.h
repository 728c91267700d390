#pragma once

#include "fakeserialcontrol.h"
#include "fakeserialdevices.h"
#include "pages.h"
#include "recordingmessages.h"
#include "settings/settingsstore.h"
#include "testsettings.h"

#include <QTest>
#include <QTimer>

// The main window on the fake serial control with a settings store of its own, holding `file`
// when given. Construct, adjust the fake, then start() or load().
struct Harness
{
    TestSettings settings;
    FakeSerialControl comm;
    FakeSerialDevices devices;  // none reported
    RecordingMessages messages;
    SettingsStore store;
    MainWindowPage window{comm, store, messages};
    int ended = 0;

    explicit Harness(const QByteArray &file = {}) : settings(file)
    {
        window.setEndProgram([this] { ++ended; });
        window.setSerialDevices(devices);
        comm.setPortResolver(store.portResolver());
    }

    // Loads and shows the window; the caller checks the result.
    bool start()
    {
        if (!window.load())
            return false;
        window.show();
        return QTest::qWaitForWindowExposed(window.widget());
    }

    // Runs `action` after `ms` milliseconds, from inside whatever wait is running then: a wait
    // whose deadline comes later does not end before it has run, however late the machine runs
    // it (see FakeSerialControl).
    template <typename F>
    void after(int ms, F action)
    {
        comm.after(ms, window.widget(), action);
    }
};
