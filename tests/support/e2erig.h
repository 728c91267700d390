#pragma once

#include "app/frmmain.h"
#include "link/qserialportcontrol.h"
#include "ptyprinter.h"
#include "recordingmessages.h"
#include "settings/settingsstore.h"
#include "testsettings.h"

#include <memory>

// The program on the real QSerialPort, the simulated printer on the other side of a
// pseudo-terminal.
struct E2eRig
{
    TestSettings settings;
    PtyPrinter printer;
    RecordingMessages messages;
    std::unique_ptr<SettingsStore> store;
    std::unique_ptr<QSerialPortControl> comm;
    std::unique_ptr<frmMain> window;
    int ended = 0;

    // Com1 points at `device` (the simulator's pseudo-terminal unless given); `moreSettings` is
    // appended to the settings file.
    bool start(QString device = {}, const QByteArray &moreSettings = {})
    {
        QString error;
        if (device.isEmpty()) {
            if (!printer.openPty(&error))
                qFatal("openpty: %s", qPrintable(error));
            device = printer.path();
        }
        settings.writeFile("[Ports]\nCom1=" + device.toUtf8() + "\n" + moreSettings);
        store = std::make_unique<SettingsStore>();
        comm = std::make_unique<QSerialPortControl>(*store);
        window = std::make_unique<frmMain>(*comm, *store, messages);
        window->setEndProgram([this] { ++ended; });
        if (!window->load())
            return false;
        window->show();
        return true;
    }
};
