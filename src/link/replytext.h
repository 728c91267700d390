#pragma once

#include <QString>

// Text received from the printer as a field shows it: a code-0 byte ends the text, as it does in
// a text box that holds a C string.
QString fieldText(const QString &received);

// The text of a printer query field: a blank, then the reply without its last character.
QString queryFieldText(const QString &reply);
