#pragma once

#include <functional>

class QApplication;
class QWidget;
class TraceFile;

// The program: the per-user settings store, the serial control on the real port, the main
// window. Returns the exit status. `shown`, for the benchmark, runs once the window has been
// painted for the first time. `trace`, when given, gets the line's traffic from before the port
// opens.
int runProgram(QApplication &app, const std::function<void(QWidget &)> &shown = {},
               TraceFile *trace = nullptr);
