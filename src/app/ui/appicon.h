#pragma once

#include <QIcon>

// The program's icon, the About window's logo drawn square in every size the desktop asks for;
// the same pictures are installed into the icon theme for the menu entry.
QIcon applicationIcon();
