#pragma once

#include <functional>

class QApplication;
class QWidget;

// The program: the per-user settings store, the serial control on the real port, the main
// window. Returns the exit status. `shown`, for the benchmark, runs once the window has been
// painted for the first time.
int runProgram(QApplication &app, const std::function<void(QWidget &)> &shown = {});
