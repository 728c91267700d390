#pragma once

#include "link/serialerror.h"

#include <QString>

#include <functional>
#include <optional>

class SerialControl;

namespace properties {

// What the settings dialog's OK applies to the serial control.
struct Choice
{
    int port = 0;      // 1 for Com1; 0 when no port is chosen
    QString settings;  // the line settings text, "9600,N,8,1"
    int flow = -1;     // flow-control mode; -1 when no option is chosen
    // The device `port` stands for, blanks around it ignored; not given: the one it has.
    std::optional<QString> device;
};

// The OK transaction, step by step: a new port number or a new device for it (the port closed,
// given the device, renumbered and reopened), the line settings, the flow control. A failing step
// does not end it at once: later steps still run, a later failure replaces an earlier one, and
// checkpoints after the port, the line settings and the flow control end it with the failure
// remembered. Ending so, it calls `tell` with the failure, then puts the previous device and port
// number back and reopens the port if this transaction closed or opened it. Returns the failure;
// none when every step succeeded.
SerialError applyChoice(SerialControl &comm, const Choice &choice,
                        const std::function<void(const SerialError &)> &tell);

}  // namespace properties
