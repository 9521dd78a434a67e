#pragma once
// The application's icon, drawn at the sizes a window needs. The figure is the one of
// res/tarvik3.svg, which the desktop shows in its menus.

#include <QIcon>

QIcon applicationIcon();
