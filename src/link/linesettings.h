#pragma once

#include "link/serialerror.h"

#include <QString>

// The line settings text "speed,parity,data bits,stop bits", e.g. "9600,N,8,1".
struct LineSettings
{
    int baudRate = 9600;
    char parity = 'n';  // n e o m s, always lower case once parsed
    int dataBits = 8;
    QString stopBits = "1";  // "1", "1.5" or "2"

    // Canonical read-back form: parity in lower case, e.g. "9600,n,8,1".
    QString format() const;

    // Parses and checks a settings text. Parity letters are accepted in either case; a refusal
    // names the text and the field and says what would be accepted.
    static SerialError parse(const QString &text, LineSettings *out);

    friend bool operator==(const LineSettings &a, const LineSettings &b)
    {
        return a.baudRate == b.baudRate && a.parity == b.parity && a.dataBits == b.dataBits &&
               a.stopBits == b.stopBits;
    }
};

// Index of each field in the settings text, matching SerialError::field.
enum LineSettingsField { FieldSpeed = 0, FieldParity = 1, FieldDataBits = 2, FieldStopBits = 3 };
