#pragma once

#include <QIcon>

// Drawn in code so the program needs no image files: the toolbar's three 16 x 16
// images (open, save, print), each with its own greyed version, and the program's icon.
QIcon toolBarIcon(int image);
QPixmap toolBarImage(int image, bool greyed);
QIcon programIcon();
