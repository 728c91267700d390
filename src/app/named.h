#pragma once

#include <QLatin1String>

// A new control with its objectName, which is the name the code and the tests know it by.
template <typename W>
W *named(W *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}
