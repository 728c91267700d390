#pragma once

#include <QWidget>

// Gives a control at least its size in the window design, and never less than its own size hint:
// a plain minimum size overrides the hint, and a layout short of room would then squeeze the
// caption of a control whose font or scale makes it larger than designed.
inline void setDesignMinimumSize(QWidget *widget, QSize design)
{
    widget->setMinimumSize(widget->sizeHint().expandedTo(design));
}
