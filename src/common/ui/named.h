#pragma once

#include <QString>

// A new control with its objectName, which is the name the code and the tests know it by.
template <typename W>
W *named(W *widget, const QString &name)
{
    widget->setObjectName(name);
    return widget;
}

template <typename W>
W *named(W *widget, const char *name)
{
    return named(widget, QLatin1String(name));
}
