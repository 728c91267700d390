#include "link/serialerror.h"

QString SerialError::text() const
{
    return QStringLiteral("Errore %1: %2").arg(number).arg(description);
}
