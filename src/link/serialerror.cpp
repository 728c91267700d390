#include "link/serialerror.h"

QString SerialError::text() const
{
    return QStringLiteral("%1 (codice errore %2)").arg(description).arg(number);
}
