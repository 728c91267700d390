#pragma once

#include <QString>

// "V4400 TAG RF": the caption of every message box, the product name in the About window and the
// name the settings are stored under.
inline QString applicationTitle()
{
    return QStringLiteral("V4400 TAG RF");
}
