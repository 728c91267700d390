#pragma once

#include <QString>
#include <QStringView>

// Texts from outside (file contents, paths, command lines) as messages and terminals show them:
// control characters spelled out, so that a line break cannot reshape a message and an escape
// sequence cannot retitle a terminal, and long texts cut, so that a message never holds a file.

// "\n", "\t", "\x1B": every control character written out; everything else as it is.
QString escapedControls(QStringView text);

// «text», escaped as above, cut after `max` characters with "…" and the whole length.
QString quoted(QStringView text, qsizetype max = 60);

// quoted() for a path: cut later, as a device under /dev/serial/by-id often runs past 60.
QString quotedPath(QStringView path);
// The same without the quotation marks, for a path that opens a text or stands on a line of its
// own: "/dev/ttyUSB0: accesso negato".
QString shownPath(QStringView path);
