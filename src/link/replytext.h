#pragma once

#include <QString>
#include <QStringView>

// Text received from the printer as a field shows it: a code-0 byte ends the text, as it does in
// a text box that holds a C string.
QString fieldText(const QString &received);

// The text of a printer query field: a blank, then the reply without its last character.
QString queryFieldText(const QString &reply);

// Why `reply` to the model query cannot be a printer's: empty when it can. A printer answers its
// model as printable ASCII text followed by one character the query does not show (see
// queryFieldText); a device that echoes what it receives (a modem, a loopback plug) sends the
// query back, one that streams noise or speaks another protocol sends bytes no model holds.
QString modelReplyFault(const QString &reply);

// True when every character has a single-byte code (0 to 255) and can go out on the line as it is.
bool isSingleByte(QStringView text);

// True when the text holds CR or LF. Inside a command either would end it early on the line, and
// the printer would take what follows for a command of its own.
bool hasLineBreak(QStringView text);
