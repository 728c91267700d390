#pragma once

#include "link/port/qserialportcontrol.h"
#include "link/port/systemserialdevices.h"
#include "pages.h"
#include "ptyprinter.h"
#include "recordingmessages.h"
#include "settings/settingsstore.h"
#include "testsettings.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

// Devices the tests "report" (pseudo-terminals, paths that do not exist), on the real
// QSerialPort.
struct ListedDevices : SystemSerialDevices
{
    QList<SerialDevice> listed;
    QList<SerialDevice> available() const override { return listed; }
};

// The program on the real QSerialPort over a pseudo-terminal, the simulated printer on the
// other side (or any device given).
struct PtyRig
{
    TestSettings settings;
    PtyPrinter printer;
    ListedDevices devices;  // none unless a test lists some
    RecordingMessages messages;
    std::unique_ptr<SettingsStore> store;
    std::unique_ptr<QSerialPortControl> comm;
    std::unique_ptr<MainWindowPage> window;
    int ended = 0;

    // Com1 is `device`, the simulator's pseudo-terminal unless given; `properties` are the
    // settings file's other lines.
    bool start(QString device = {}, const QByteArray &properties = {})
    {
        QString error;
        if (device.isEmpty()) {
            if (!printer.openPty(&error))
                qFatal("openpty: %s", qPrintable(error));
            device = printer.path();
        }
        settings.writeFile("[Ports]\nCom1=" + device.toUtf8() + "\n" + properties);
        return load();
    }

    // The program on the settings file as it is now.
    bool load()
    {
        // A program loaded before goes first: its window refers to its store and control.
        window.reset();
        comm.reset();
        store = std::make_unique<SettingsStore>();
        comm = std::make_unique<QSerialPortControl>(store->portResolver());
        window = std::make_unique<MainWindowPage>(*comm, *store, messages);
        window->setEndProgram([this] { ++ended; });
        window->setSerialDevices(devices);
        if (!window->load())
            return false;
        window->show();
        // Painted before the test's first wait, so that slow machines (or valgrind) spend the
        // first paint outside it.
        return QTest::qWaitForWindowExposed(window->widget());
    }

    // start(), then the printer query. With `linked`, Com1 is a symbolic link to the
    // simulator's pseudo-terminal, so that reconnect() can bring a new one in its place.
    bool startQueried(bool linked = false)
    {
        if (linked) {
            QString error;
            if (!printer.openPty(&error))
                qFatal("openpty: %s", qPrintable(error));
            QFile::link(printer.path(), linkPath());
        }
        if (!start(linked ? linkPath() : QString()))
            return false;
        window->cmdInterroga->click();
        return !window->txtModello->text().isEmpty();
    }

    QString linkPath() const { return settings.dir() + QStringLiteral("/printer"); }

    // The printer goes away as soon as it has received the first command `matches` accepts: in
    // the next pass of the event loop, before its answer to that command goes out. A fault tied
    // to a command, not to a time, lands in the same wait however fast the machine is.
    void closePrinterOn(std::function<bool(const QByteArray &command)> matches)
    {
        auto armed = std::make_shared<bool>(true);
        printer.model().onCommand = [this, matches, armed](const QByteArray &command) {
            if (*armed && matches(command)) {
                *armed = false;
                QTimer::singleShot(0, &printer, [this] { printer.close(); });
            }
        };
    }

    // The printer comes back on a new pseudo-terminal, behind the same link.
    void reconnect()
    {
        QString error;
        if (!printer.openPty(&error))
            qFatal("openpty: %s", qPrintable(error));
        QFile::remove(linkPath());
        QFile::link(printer.path(), linkPath());
    }
};
