#pragma once

#include <optional>

class TraceFile;

// Reads the command line before the QApplication exists, so that --help, --version and a
// mistyped option answer without a display (over SSH, in CI) and without touching the port or
// the settings file. Qt's own options (-platform, -style, ...) are accepted and left in argv for
// QApplication. Returns the exit status when the program is to end at once; nothing when it is
// to start. With --trace FILE the file is opened into `trace` here, before anything else is: one
// that cannot be opened is named on standard error with the cause, and the program ends.
std::optional<int> handleCommandLine(int argc, const char *const argv[],
                                     TraceFile *trace = nullptr);

// The exit status for a command line that cannot be used.
inline constexpr int kUsageError = 2;
